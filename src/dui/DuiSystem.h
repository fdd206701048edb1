#pragma once
// The window framework of one interface pass: the skin archive, the language,
// the handlers, the dialogs by name, the control factories, the log file, the
// message box and the file dialogs.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QIcon>
#include <QString>
#include <pugixml.hpp>

#include "core/text/LanguageTable.h"
#include "core/text/LogFile.h"
#include "core/text/MessageBox.h"
#include "dui/DuiFileDialog.h"
#include "dui/DuiTypes.h"

class QWidget;

namespace korvane {

class CDuiControl;
class CDuiDialog;
class CDuiHandler;
class DuiInstanceChannel;

// A control type that the skin's templates may name and Qt does not know.
struct DuiControlFactory {
  std::string typeName;
  // Returns a new control, or null when the type name is not its own.
  std::function<QWidget*(const std::string& typeName, QWidget* parent)> create;
  // Called when the framework ends; may be empty.
  std::function<void()> shutdown;
};

// Called instead of running a dialog modally; may read and set the dialog's
// controls and returns the result the dialog ends with.
using ModalHook = std::function<int(CDuiDialog& dialog)>;

struct DuiOptions {
  int languageId = kLangChinese;  // 0: the system's language
  std::string archivePath;        // full path of the skin archive "Korvane.ui"
  int appId = 1116;               // names the channel between instances
  bool singleInstance = true;     // a second start hands over to the first and stops
  std::string instanceKey;        // separates channels of different settings stores
  std::string instanceText;       // what a second start hands over; empty: "come to the front"
  std::string logDir;             // where the log file goes; empty: beside the program
  ModalHook modalHook;
  FileDialogHook fileDialogHook;
};

class DuiSystem : public IMessageBox, public IFileDialog {
 public:
  explicit DuiSystem(DuiOptions options);
  ~DuiSystem() override;
  DuiSystem(const DuiSystem&) = delete;
  DuiSystem& operator=(const DuiSystem&) = delete;

  enum class StartResult { Started, ArchiveMissing, OtherInstance };
  // Registers the archive, reads its configuration, opens the log and the
  // channel between instances. On ArchiveMissing, error says why.
  StartResult Start(std::string* error);

  int LanguageId() const { return languageId_; }
  const LanguageTable& Language() const { return language_; }
  std::string LookupText(const std::string& key) const { return language_.LookupText(key); }
  QString Text(const std::string& key) const { return QString::fromStdString(LookupText(key)); }
  // Replaces every "[KEY]" whose KEY is a key by that key's text.
  QString ReplaceKeys(const QString& text) const;

  // Handlers. The framework owns every attached handler until ReleaseHandler
  // or its own end.
  void AttachHandler(CDuiDialog* dialog, CDuiHandler* handler, const std::string& controlName, bool init);
  void ReleaseHandler(CDuiHandler* handler);
  CDuiHandler* FirstHandler() const { return handlers_.empty() ? nullptr : handlers_.front(); }
  const std::vector<CDuiHandler*>& Handlers() const { return handlers_; }

  // Dialogs. A new dialog of a name replaces an older one of the same name.
  CDuiDialog* CreateDialogFromTemplate(const std::string& templateName, CDuiDialog* parent,
                                       const std::string& dialogName);
  CDuiDialog* FindDialog(const std::string& name) const;
  void DestroyDialog(CDuiDialog* dialog);

  // Control factories.
  void RegisterFactory(DuiControlFactory factory);
  QWidget* CreateCustomControl(const std::string& typeName, QWidget* parent) const;

  // Message boxes over the template "dlg_msgbox".
  int ShowMessageBox(CDuiDialog* parent, const std::string& text, const std::string& caption, unsigned type,
                     int width = 0, int height = 0);
  // For the core: parent is the main window when there is one.
  int ShowMessageBox(const std::string& text, const std::string& caption, unsigned type) override;

  // A full path of an existing file is read from disk; a name from the archive.
  bool LoadXmlFile(pugi::xml_document& doc, const std::string& nameOrPath);

  LogFile& Log() { return log_; }
  void WriteLog(int level, const char* format, ...) __attribute__((format(printf, 3, 4)));

  // File dialogs over the main window, answered by the test hook when one is set.
  bool GetFileName(bool save, const FileDialogRequest& request, std::string* path);
  // Whether the user lets a save replace the file at path ("FILE_EXIST_MESSAGE"
  // in the program's language, Yes first: the user has just chosen that name,
  // often the project's own). The save dialog asks it.
  bool AskToReplace(const std::string& path);
  bool SaveFileName(const FileDialogRequest& request, std::string& chosen) override {
    return GetFileName(true, request, &chosen);
  }
  bool OpenFileName(const FileDialogRequest& request, std::string& chosen) override {
    return GetFileName(false, request, &chosen);
  }

  const korvane::ModalHook& GetModalHook() const { return options_.modalHook; }
  // "skin:IDB_ICON_INFO" and the like, from the archive's icons.
  QIcon ImageForName(const std::string& image) const;
  // The archive's folder in the resource tree (":/skin/").
  static QString ResourceRoot() { return QStringLiteral(":/skin/"); }

  // Delivers a command record from another instance to every handler.
  void DeliverInstanceCommand(const DuiCommandRecord& record);
  std::string InstanceServerName() const;

 private:
  friend class CDuiDialog;
  void ForgetDialog(CDuiDialog* dialog);
  QWidget* LoadTemplate(const std::string& templateName);
  void TranslateTexts(QWidget* form) const;
  void ConfigureLog();

  DuiOptions options_;
  int languageId_;
  LanguageTable language_;
  LogFile log_;
  bool registered_ = false;
  std::vector<CDuiHandler*> handlers_;
  std::vector<CDuiDialog*> dialogs_;
  std::vector<DuiControlFactory> factories_;
  std::unique_ptr<DuiInstanceChannel> channel_;
};

}  // namespace korvane
