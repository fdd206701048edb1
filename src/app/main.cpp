// korvane: the desktop application.
//
//   korvane [--simulate [--sim-chip-type N]] [FILE.xml]
//
// FILE.xml is a project or chip description to open at start; when the
// program already runs, the running window opens it instead.
// --simulate runs the emulated programmer beside the application and uses it
// as the serial port for this run; the saved port settings are left alone.
#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

#include <QApplication>
#include <QSocketNotifier>

#include "app/CKorvaneApp.h"
#include "app/SimulatorProcess.h"
#include "core/model/BaseDir.h"

namespace {

constexpr const char* kUsage = "usage: korvane [--simulate [--sim-chip-type N]] [--version] [FILE.xml]\n";

// Ctrl+C or a termination request ends the run in order, so that the
// emulator is stopped and its folder removed. The signals are taken as
// readable events before any thread starts, so no handler is needed.
sigset_t QuitSignals() {
  sigset_t mask;
  sigemptyset(&mask);
  sigaddset(&mask, SIGINT);
  sigaddset(&mask, SIGTERM);
  sigaddset(&mask, SIGHUP);
  return mask;
}

// Called before the toolkit starts its threads, which inherit the mask.
bool BlockQuitSignals() {
  const sigset_t mask = QuitSignals();
  return sigprocmask(SIG_BLOCK, &mask, nullptr) == 0;
}

void QuitOnSignals(QObject* owner) {
  const sigset_t mask = QuitSignals();
  const int fd = signalfd(-1, &mask, SFD_CLOEXEC | SFD_NONBLOCK);
  if (fd < 0) return;
  auto* notifier = new QSocketNotifier(fd, QSocketNotifier::Read, owner);
  QObject::connect(notifier, &QSocketNotifier::activated, owner, [fd] {
    signalfd_siginfo info{};
    while (::read(fd, &info, sizeof info) == sizeof info) {
    }
    QCoreApplication::exit(0);  // leaves every running event loop, the dialogs' too
  });
}

}  // namespace

int main(int argc, char** argv) {
  // Answered before the toolkit starts, so that they work without a display.
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--help") || !std::strcmp(argv[i], "-h")) {
      std::printf("%s", kUsage);
      return 0;
    }
    if (!std::strcmp(argv[i], "--version")) {
      std::printf("korvane %s\n", KORVANE_VERSION);
      return 0;
    }
  }
  bool wantsSimulator = false;
  for (int i = 1; i < argc; ++i) wantsSimulator |= !std::strcmp(argv[i], "--simulate");
  const bool signalsBlocked = wantsSimulator && BlockQuitSignals();
  QApplication qt(argc, argv);
  if (signalsBlocked) QuitOnSignals(&qt);
  QApplication::setStyle("Fusion");
  QCoreApplication::setOrganizationName("Korvane");
  QCoreApplication::setApplicationName("Korvane");
  // Lets the desktop match the windows to the installed entry and its icon.
  QGuiApplication::setDesktopFileName("org.korvane.Korvane");

  bool simulate = false;
  // The first sample chip, so that chip operations match it out of the box.
  std::string chipType = "0x3102";
  korvane::AppOptions options;
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--simulate")) {
      simulate = true;
    } else if (!std::strcmp(argv[i], "--sim-chip-type") && i + 1 < argc) {
      chipType = argv[++i];
    } else if (argv[i][0] != '-' && options.openFile.empty()) {
      options.openFile = argv[i];
    } else {
      std::fprintf(stderr, "korvane: unknown option %s\n%s", argv[i], kUsage);
      return 2;
    }
  }

  korvane::SimulatorProcess simulator;
  if (simulate) {
    std::string error;
    // The emulator is installed beside the application, in a build tree too.
    if (!simulator.Start(korvane::ExecutableDir() + "korvane-sim", {"--chip-type", chipType}, &error)) {
      std::fprintf(stderr, "korvane: %s\n", error.c_str());
      return 1;
    }
    std::fprintf(stderr, "korvane: emulated programmer on %s\n", simulator.Port().c_str());
    options.portOverride = simulator.Port();
    // A demonstration runs beside a real instance without handing over to it.
    options.singleInstance = false;
  }
  korvane::CKorvaneApp app(std::move(options));
  return app.RunApplication();
}
