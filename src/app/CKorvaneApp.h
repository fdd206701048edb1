#pragma once
// The application object: settings, language, the framework and the main
// window of each interface pass, and the rebuild after a language switch.
#include <functional>
#include <memory>
#include <string>

#include "app/AppSettings.h"
#include "app/UserLanguage.h"
#include "dui/DuiSystem.h"

class QWidget;

namespace korvane {

class IHexEditor;
class ITtyEventSource;
struct AppContext;

// Makes the hex editor component inside parent; null when there is none.
using HexEditorFactory = std::function<IHexEditor*(QWidget* parent)>;

struct AppOptions {
  // The skin archive and the hex editor library; by default beside the
  // executable (a build tree) or in the installed layout.
  std::string archivePath;
  std::string hexEditorPath;
  HexEditorFactory hexEditorFactory;  // replaces the library when set (tests)
  bool singleInstance = true;
  std::string logDir;
  ModalHook modalHook;
  FileDialogHook fileDialogHook;
  // Called once a pass has built its main window (tests look at it there).
  std::function<void(AppContext&)> passStarted;
  // The serial port of this run in place of the stored one (the emulator's);
  // the stored settings stay as they are.
  std::string portOverride;
  // A project or description file to open once the window is up; with
  // another instance running it is handed over to that one instead.
  std::string openFile;
  // Where the device watcher looks for serial devices; default /sys/class/tty.
  // When set (a test), the watcher polls there instead of asking udev.
  std::string deviceWatchDir;
  // Where the stable names of serial ports live; default /dev/serial/by-id.
  std::string serialByIdDir = "/dev/serial/by-id";
  // Replaces the udev monitor as the source of device events (tests).
  std::function<std::unique_ptr<ITtyEventSource>()> ttyEventSource;
  // Where the locale comes from when no language is stored; default the
  // process's environment.
  EnvironmentReader environment;
};

class CKorvaneApp {
 public:
  explicit CKorvaneApp(AppOptions options = {});

  // Runs every interface pass and returns the process's exit status: 0, or 1
  // when the skin archive or its main window is missing.
  int RunApplication();

  AppSettings& Settings() { return settings_; }
  const AppOptions& Options() const { return options_; }
  int Passes() const { return passes_; }

  int language = kLangChinese;  // 2052 or 1033; set from the settings and the locale at the start
  int restart = 0;              // rebuild the interface after the main window closes

 private:
  void RegisterFactories(DuiSystem& dui);

  AppOptions options_;
  AppSettings settings_;
  int passes_ = 0;
};

}  // namespace korvane
