#include "app/CKorvaneApp.h"

#include <cstdio>

#include <QApplication>
#include <QDateTimeEdit>
#include <QFileInfo>
#include <QTimer>
#include <QTextBrowser>

#include "app/AppContext.h"
#include "app/CDuiHandlerMain.h"
#include "core/eval/ItemBehaviours.h"
#include "core/model/BaseDir.h"
#include "dui/CDuiDialog.h"

namespace korvane {

CKorvaneApp::CKorvaneApp(AppOptions options) : options_(std::move(options)) {
  const std::string exeDir = ExecutableDir();
  if (options_.archivePath.empty())
    options_.archivePath = FindBesideOrIn(exeDir, InstalledDataDir(exeDir), "Korvane.ui");
  if (options_.hexEditorPath.empty())
    options_.hexEditorPath = FindBesideOrIn(exeDir, InstalledLibDir(exeDir), "libkorvane-hexeditor.so");
}

void CKorvaneApp::RegisterFactories(DuiSystem& dui) {
  dui.RegisterFactory({"wkeview",
                       [](const std::string&, QWidget* parent) -> QWidget* {
                         auto* view = new QTextBrowser(parent);
                         view->setOpenExternalLinks(false);
                         return view;
                       },
                       nullptr});
  dui.RegisterFactory({"mfcdatetime",
                       [](const std::string&, QWidget* parent) -> QWidget* {
                         auto* picker = new QDateTimeEdit(QDateTime::currentDateTime(), parent);
                         picker->setCalendarPopup(true);
                         return picker;
                       },
                       nullptr});
}

int CKorvaneApp::RunApplication() {
  // The windows come and go between passes; only the passes end the program.
  if (auto* gui = qobject_cast<QApplication*>(QCoreApplication::instance())) gui->setQuitOnLastWindowClosed(false);
  language = StartLanguage(settings_, options_.environment);
  do {
    restart = 0;
    if (settings_.GetInt("BkColor", -1) == -1) settings_.WriteInt("BkColor", FindSettingDefault("BkColor")->numberDefault);

    AppContext context(*this, settings_);
    DuiOptions dui;
    dui.languageId = language;
    dui.archivePath = options_.archivePath;
    dui.singleInstance = options_.singleInstance;
    dui.instanceKey = settings_.FileName();
    // The running instance has another working folder: hand it a full path.
    if (!options_.openFile.empty())
      dui.instanceText = QFileInfo(QString::fromStdString(options_.openFile)).absoluteFilePath().toStdString();
    dui.logDir = options_.logDir;
    dui.modalHook = options_.modalHook;
    dui.fileDialogHook = options_.fileDialogHook;
    DuiSystem system(dui);
    std::string error;
    switch (system.Start(&error)) {
      case DuiSystem::StartResult::ArchiveMissing:
        std::fprintf(stderr, "korvane: %s\n", error.c_str());
        return 1;
      case DuiSystem::StartResult::OtherInstance:
        return 0;  // the running instance came to the front
      case DuiSystem::StartResult::Started:
        break;
    }
    context.dui = &system;
    context.core.language = system.Language();
    context.core.messageBox = &system;
    context.core.log = &system.Log();
    context.core.baseDir = FindBaseDir();
    InstallItemBehaviours(context.core);  // loads bring defaults and bound counts up to date
    RegisterFactories(system);

    CDuiDialog* main = system.CreateDialogFromTemplate("dlg_main", nullptr, "dlg_main");
    if (!main) {
      std::fprintf(stderr, "korvane: the skin archive \"%s\" has no main window \"dlg_main\"\n",
                   options_.archivePath.c_str());
      return 1;
    }
    auto* handler = new CDuiHandlerMain(context);
    handler->SetMainDialog(main);
    system.AttachHandler(main, handler, "", true);
    system.CreateDialogFromTemplate("dlg_notifymsg", nullptr, "dlg_notifymsg");
    ++passes_;
    if (options_.passStarted) options_.passStarted(context);
    main->show();
    // The file of the command line opens in the first pass, once the window shows.
    if (passes_ == 1 && !options_.openFile.empty()) {
      const std::string path = options_.openFile;
      QTimer::singleShot(0, main, [handler, path] { handler->OpenFileWhenIdle(path); });
    }
    main->RunModal();
  } while (restart);
  return 0;
}

}  // namespace korvane
