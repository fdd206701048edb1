#pragma once
// What every GUI test needs: one offscreen QApplication for the process,
// settings in a folder of the test's own, and a way to let queued events run.
#include <functional>

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

// Fontconfig keeps caches for the life of the process; under the leak
// checker they are not ours to free.
extern "C" __attribute__((weak, used)) const char* __lsan_default_suppressions() {
  return "leak:libfontconfig\n";
}

namespace korvane::test {

inline QApplication& GuiApp() {
  static QApplication* app = [] {
    // Offscreen unless a caller asked for a real display (the screenshots under xvfb).
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "korvane-gui-test";
    static char* argv[] = {name, nullptr};
    auto* a = new QApplication(argc, argv);  // lives until the process ends
    QApplication::setStyle("Fusion");
    a->setQuitOnLastWindowClosed(false);
    return a;
  }();
  return *app;
}

// Runs queued events until done() holds or the time is up; returns done().
inline bool PumpUntil(const std::function<bool()>& done, int timeoutMs = 3000) {
  QElapsedTimer clock;
  clock.start();
  while (!done()) {
    if (clock.elapsed() > timeoutMs) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  return true;
}

inline void Pump() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

// Points the user's configuration folder (and with it the settings file) at a
// fresh folder for the life of the object.
struct TempSettings {
  QTemporaryDir dir;
  QByteArray previous = qgetenv("XDG_CONFIG_HOME");
  bool hadPrevious = qEnvironmentVariableIsSet("XDG_CONFIG_HOME");
  TempSettings() { qputenv("XDG_CONFIG_HOME", dir.path().toLocal8Bit()); }
  ~TempSettings() {
    if (hadPrevious) qputenv("XDG_CONFIG_HOME", previous);
    else qunsetenv("XDG_CONFIG_HOME");
  }
  QString Path() const { return dir.path(); }
};

inline std::string ArchivePath() { return std::string(KORVANE_BIN_DIR) + "/Korvane.ui"; }

}  // namespace korvane::test
