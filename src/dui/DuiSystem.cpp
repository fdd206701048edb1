#include "dui/DuiSystem.h"

#include <cstdarg>
#include <cstdio>
#include <filesystem>

#include <QAbstractItemView>
#include <QComboBox>
#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QMetaProperty>
#include <QPushButton>
#include <QRegularExpression>
#include <QResource>
#include <QTabWidget>
#include <QTableWidget>
#include <QTreeWidget>
#include <QWidget>

#include "core/text/TextFormat.h"
#include "core/text/XmlLoader.h"
#include "dui/CDuiControl.h"
#include "dui/CDuiDialog.h"
#include "dui/CDuiHandler.h"
#include "dui/DuiInstanceChannel.h"
#include "dui/DuiUiLoader.h"

namespace korvane {

namespace {

int ResolveLanguage(int languageId) {
  if (languageId != 0) return languageId;
  return QLocale::system().language() == QLocale::Chinese ? kLangChinese : kLangEnglish;
}

// The folder for the log when the program's own folder cannot take it.
QString StateDir() {
  QString base = qEnvironmentVariable("XDG_STATE_HOME");
  if (base.isEmpty()) base = QDir::homePath() + "/.local/state";
  return base + "/korvane";
}

}  // namespace

DuiSystem::DuiSystem(DuiOptions options)
    : options_(std::move(options)),
      languageId_(ResolveLanguage(options_.languageId)),
      language_(LanguageTable::ForLanguageId(languageId_)) {}

DuiSystem::~DuiSystem() {
  channel_.reset();
  // Handlers first: their destructors may still reach the views inside the dialogs.
  std::vector<CDuiHandler*> handlers;
  handlers.swap(handlers_);
  for (auto it = handlers.rbegin(); it != handlers.rend(); ++it) delete *it;
  while (!dialogs_.empty()) delete dialogs_.back();  // a dialog removes itself (and its children)
  for (auto& f : factories_)
    if (f.shutdown) f.shutdown();
  if (registered_) QResource::unregisterResource(QString::fromStdString(options_.archivePath), "/skin");
}

DuiSystem::StartResult DuiSystem::Start(std::string* error) {
  const QString archive = QString::fromStdString(options_.archivePath);
  if (archive.isEmpty() || !QFileInfo(archive).isFile() || !QResource::registerResource(archive, "/skin")) {
    if (error) *error = "cannot open the skin archive \"" + options_.archivePath + "\"";
    return StartResult::ArchiveMissing;
  }
  registered_ = true;
  if (options_.singleInstance) {
    channel_ = std::make_unique<DuiInstanceChannel>(InstanceServerName());
    DuiCommandRecord hello;  // uID 100; an empty text: "come to the front"
    hello.text = options_.instanceText;
    if (channel_->SendToFirst(hello)) {
      channel_.reset();
      return StartResult::OtherInstance;
    }
    channel_->Listen([this](const DuiCommandRecord& record) { DeliverInstanceCommand(record); });
  }
  ConfigureLog();
  WriteLog(LOG_DEBUG, "------------------%s-%s Start-------------------", LookupText("APP_NAME").c_str(),
           LookupText("APP_VER").c_str());
  return StartResult::Started;
}

std::string DuiSystem::InstanceServerName() const {
  QString user = qEnvironmentVariable("USER");
  const QByteArray key = QCryptographicHash::hash(
      QString::fromStdString(options_.instanceKey).toUtf8(), QCryptographicHash::Sha1).toHex().left(12);
  return QString("korvane-%1-%2-%3").arg(options_.appId).arg(user, QString::fromLatin1(key)).toStdString();
}

void DuiSystem::ConfigureLog() {
  LogSettings settings;
  pugi::xml_document doc;
  std::string file;
  if (LoadXmlFile(doc, "resource.xml")) {
    pugi::xml_node log = doc.child("resource").child("log");
    file = log.attribute("logfile").as_string();
    settings.minLevel = log.attribute("loglevel").as_int(LOG_DEBUG);
    settings.maxSizeKiB = log.attribute("logFileSize").as_uint(1024);
    settings.backups = log.attribute("logFileNumber").as_uint(5);
  }
  if (!file.empty()) {
    QString dir = QString::fromStdString(options_.logDir);
    if (dir.isEmpty()) {
      // Beside the program in a build tree (the skin archive lies there too);
      // an installed program's folder is the system's, not a place for logs.
      dir = QCoreApplication::applicationDirPath();
      const bool besideArchive = QFileInfo(QString::fromStdString(options_.archivePath)).absolutePath() == dir;
      if (!besideArchive || !QFileInfo(dir).isWritable()) dir = StateDir();
    }
    QDir().mkpath(dir);
    settings.path = QDir(dir).filePath(QString::fromStdString(file)).toStdString();
  }
  log_.Configure(settings);
}

void DuiSystem::WriteLog(int level, const char* format, ...) {
  char buffer[1000];
  va_list args;
  va_start(args, format);
  std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  log_.WriteLog(level, buffer);
}

QString DuiSystem::ReplaceKeys(const QString& text) const {
  if (!text.contains('[')) return text;
  static const QRegularExpression bracketed(QStringLiteral("\\[([^\\[\\]]+)\\]"));
  QString out;
  qsizetype at = 0;
  for (auto it = bracketed.globalMatch(text); it.hasNext();) {
    const auto m = it.next();
    const std::string key = m.captured(1).toStdString();
    out += text.mid(at, m.capturedStart() - at);
    out += language_.Has(key) ? Text(key) : m.captured(0);
    at = m.capturedEnd();
  }
  out += text.mid(at);
  return out;
}

void DuiSystem::TranslateTexts(QWidget* form) const {
  QList<QObject*> objects = form->findChildren<QObject*>();
  objects.prepend(form);
  for (QObject* object : objects) {
    const QMetaObject* meta = object->metaObject();
    for (int i = 0; i < meta->propertyCount(); ++i) {
      const QMetaProperty p = meta->property(i);
      if (p.metaType().id() != QMetaType::QString || !p.isWritable()) continue;
      const char* name = p.name();
      // Names and style sheets use brackets for their own purposes.
      if (!qstrcmp(name, "objectName") || !qstrcmp(name, "styleSheet")) continue;
      const QString value = p.read(object).toString();
      if (value.contains('[')) p.write(object, ReplaceKeys(value));
    }
    if (auto* tabs = qobject_cast<QTabWidget*>(object)) {
      for (int i = 0; i < tabs->count(); ++i) {
        tabs->setTabText(i, ReplaceKeys(tabs->tabText(i)));
        tabs->setTabToolTip(i, ReplaceKeys(tabs->tabToolTip(i)));
      }
    } else if (auto* combo = qobject_cast<QComboBox*>(object)) {
      for (int i = 0; i < combo->count(); ++i) combo->setItemText(i, ReplaceKeys(combo->itemText(i)));
    } else if (auto* table = qobject_cast<QTableWidget*>(object)) {
      for (int i = 0; i < table->columnCount(); ++i)
        if (auto* h = table->horizontalHeaderItem(i)) h->setText(ReplaceKeys(h->text()));
    } else if (auto* tree = qobject_cast<QTreeWidget*>(object)) {
      if (auto* h = tree->headerItem())
        for (int i = 0; i < h->columnCount(); ++i) h->setText(i, ReplaceKeys(h->text(i)));
    }
  }
}

QWidget* DuiSystem::LoadTemplate(const std::string& templateName) {
  QFile file(ResourceRoot() + QString::fromStdString(templateName) + ".ui");
  if (!file.open(QIODevice::ReadOnly)) {
    WriteLog(LOG_ERROR, "DuiSystem::CreateDialogFromTemplate %s failed, no such template", templateName.c_str());
    return nullptr;
  }
  DuiUiLoader loader(*this);
  loader.setWorkingDirectory(QDir(ResourceRoot()));
  QWidget* form = loader.load(&file, nullptr);
  if (!form) {
    WriteLog(LOG_ERROR, "DuiSystem::CreateDialogFromTemplate %s failed: %s", templateName.c_str(),
             loader.errorString().toStdString().c_str());
    return nullptr;
  }
  TranslateTexts(form);
  return form;
}

CDuiDialog* DuiSystem::CreateDialogFromTemplate(const std::string& templateName, CDuiDialog* parent,
                                                const std::string& dialogName) {
  QWidget* form = LoadTemplate(templateName);
  if (!form) return nullptr;
  const std::string name = dialogName.empty() ? templateName : dialogName;
  // The older window of that name is finished with, unless it still runs
  // modally: a message box opened over another (a warning over the save
  // prompt) must not take the first away from its user. Both stay; the
  // newer one is found first.
  CDuiDialog* old = FindDialog(name);
  if (old && !old->Running()) {
    // Hide it now, free it later.
    old->setObjectName(QString());
    old->hide();
    old->deleteLater();
  }
  auto* dialog = new CDuiDialog(*this, templateName, name, form, parent);
  dialogs_.push_back(dialog);
  return dialog;
}

CDuiDialog* DuiSystem::FindDialog(const std::string& name) const {
  for (auto it = dialogs_.rbegin(); it != dialogs_.rend(); ++it)
    if ((*it)->Name() == name && !(*it)->objectName().isEmpty()) return *it;
  return nullptr;
}

void DuiSystem::DestroyDialog(CDuiDialog* dialog) { delete dialog; }

void DuiSystem::ForgetDialog(CDuiDialog* dialog) {
  std::erase(dialogs_, dialog);
  for (CDuiHandler* h : handlers_)
    if (h->dialog_ == dialog) {
      h->dialog_ = nullptr;
      h->control_ = nullptr;
    }
}

void DuiSystem::AttachHandler(CDuiDialog* dialog, CDuiHandler* handler, const std::string& controlName,
                              bool init) {
  if (!handler) return;
  if (std::find(handlers_.begin(), handlers_.end(), handler) == handlers_.end()) handlers_.push_back(handler);
  if (!dialog) return;
  if (controlName.empty()) {
    handler->dialog_ = dialog;
    handler->control_ = nullptr;
    dialog->handler_ = handler;
  } else {
    CDuiControl* control = dialog->FindControl(controlName);
    if (!control) return;  // stays in the list, attached to nothing
    handler->dialog_ = dialog;
    handler->control_ = control;
    dialog->controlHandlers_.push_back(handler);
  }
  if (init) handler->OnInit();
}

void DuiSystem::ReleaseHandler(CDuiHandler* handler) {
  auto it = std::find(handlers_.begin(), handlers_.end(), handler);
  if (it == handlers_.end()) return;
  handlers_.erase(it);
  for (CDuiDialog* d : dialogs_) {
    if (d->handler_ == handler) d->handler_ = nullptr;
    std::erase(d->controlHandlers_, handler);
  }
  delete handler;
}

void DuiSystem::RegisterFactory(DuiControlFactory factory) { factories_.push_back(std::move(factory)); }

QWidget* DuiSystem::CreateCustomControl(const std::string& typeName, QWidget* parent) const {
  for (const auto& f : factories_)
    if (f.typeName == typeName && f.create)
      if (QWidget* w = f.create(typeName, parent)) return w;
  return nullptr;
}

int DuiSystem::ShowMessageBox(CDuiDialog* parent, const std::string& text, const std::string& caption,
                              unsigned type, int width, int height) {
  CDuiDialog* box = CreateDialogFromTemplate("dlg_msgbox", parent, "dlg_msgbox");
  if (!box) {
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    return 0;
  }
  auto set = [box](const std::string& control, const char* attribute, const std::string& value) {
    if (CDuiControl* c = box->FindControl(control)) c->SetAttribute(attribute, value);
  };
  set("msgbox.text", "title", text);
  if (!caption.empty()) {
    set("msgbox.title", "title", caption);
    box->setWindowTitle(QString::fromStdString(caption));
  }
  for (unsigned n = 0; n <= 9; ++n)
    set("msgbox.type." + std::to_string(n), "show", n == (type & 0x0F) ? "1" : "0");
  // Enter answers with the first button of the set that shows.
  if (CDuiControl* set = box->FindControl("msgbox.type." + std::to_string(type & 0x0F)); set && set->Widget()) {
    const auto buttons = set->Widget()->findChildren<QPushButton*>();
    for (QPushButton* b : box->findChildren<QPushButton*>()) b->setDefault(false);
    if (!buttons.isEmpty()) {
      buttons.front()->setDefault(true);
      buttons.front()->setFocus();
    }
  }
  const char* image;
  switch (type & 0xF0) {
    case MB_ICONINFORMATION: image = "skin:IDB_ICON_INFO"; break;
    case MB_ICONQUESTION: image = "skin:IDB_ICON_QUESTION"; break;
    case MB_ICONWARNING: image = "skin:IDB_ICON_WARN"; break;
    case MB_ICONERROR: image = "skin:IDB_ICON_ERROR"; break;
    default: image = "skin:IDB_ICON_CHECK"; break;
  }
  set("msgbox.icon", "image", image);
  if (width > 0 || height > 0)
    box->resize(width > 0 ? width : box->width(), height > 0 ? height : box->height());
  else
    box->adjustSize();
  const int result = box->RunModal();
  DestroyDialog(box);
  return result;
}

int DuiSystem::ShowMessageBox(const std::string& text, const std::string& caption, unsigned type) {
  return ShowMessageBox(FindDialog("dlg_main"), text, caption, type, 0, 0);
}

bool DuiSystem::LoadXmlFile(pugi::xml_document& doc, const std::string& nameOrPath) {
  std::error_code ec;
  const std::filesystem::path path(nameOrPath);
  if (path.is_absolute() && std::filesystem::is_regular_file(path, ec)) return korvane::LoadXmlFile(doc, nameOrPath, &log_);
  if (path.is_absolute()) {
    WriteLog(LOG_ERROR, "DuiSystem::LoadXmlFile %s failed, not found xml file", nameOrPath.c_str());
    return false;
  }
  QFile file(ResourceRoot() + QString::fromStdString(nameOrPath));
  if (!file.open(QIODevice::ReadOnly)) {
    WriteLog(LOG_ERROR, "DuiSystem::LoadXmlFile %s failed, not found xml in zip file", nameOrPath.c_str());
    return false;
  }
  const QByteArray bytes = file.readAll();
  if (!doc.load_buffer(bytes.constData(), static_cast<size_t>(bytes.size()), kXmlParseOptions, pugi::encoding_utf8)) {
    WriteLog(LOG_ERROR, "DuiSystem::LoadXmlFile %s failed, not found xml in zip file", nameOrPath.c_str());
    return false;
  }
  return true;
}

bool DuiSystem::GetFileName(bool save, const FileDialogRequest& request, std::string* path) {
  if (options_.fileDialogHook) return options_.fileDialogHook(save, request, path);
  CDuiDialog* main = FindDialog("dlg_main");
  if (!save) return RunFileDialog(false, request, main, path);
  return ChooseSavePath(
      request, [main](const FileDialogRequest& r, std::string* p) { return RunFileDialog(true, r, main, p); },
      [this](const std::string& p) { return AskToReplace(p); }, path);
}

bool DuiSystem::AskToReplace(const std::string& path) {
  return ShowMessageBox(FindDialog("dlg_main"), FormatText(LookupText("FILE_EXIST_MESSAGE"), path),
                        LookupText("MessageBoxTitle"), MB_YESNO | MB_ICONQUESTION) == IDYES;
}

QIcon DuiSystem::ImageForName(const std::string& image) const {
  QString name = QString::fromStdString(image);
  if (name.startsWith("skin:")) name = name.mid(5);
  for (const char* ext : {".png", ".xpm", ""}) {
    const QString candidate = ResourceRoot() + "icons/" + name + ext;
    if (QFile::exists(candidate)) return QIcon(candidate);
  }
  return QIcon();
}

void DuiSystem::DeliverInstanceCommand(const DuiCommandRecord& record) {
  // A handler may release another while this runs, so walk a copy.
  const std::vector<CDuiHandler*> handlers = handlers_;
  for (CDuiHandler* h : handlers)
    if (std::find(handlers_.begin(), handlers_.end(), h) != handlers_.end())
      h->OnDuiMessage(record.uID, record.name, record.msg, record.wParam, reinterpret_cast<LPARAM>(&record));
}

}  // namespace korvane
