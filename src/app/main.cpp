// korvane: the desktop application.
//
//   korvane [--simulate [--sim-chip-type N]]
//
// --simulate runs the emulated programmer beside the application and uses it
// as the serial port for this run; the saved port settings are left alone.
#include <cstdio>
#include <cstring>
#include <string>

#include <QApplication>

#include "app/CKorvaneApp.h"
#include "app/SimulatorProcess.h"
#include "core/model/BaseDir.h"

int main(int argc, char** argv) {
  QApplication qt(argc, argv);
  QApplication::setStyle("Fusion");
  QCoreApplication::setOrganizationName("Korvane");
  QCoreApplication::setApplicationName("Korvane");

  bool simulate = false;
  // The first sample chip, so that chip operations match it out of the box.
  std::string chipType = "0x3102";
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--simulate")) {
      simulate = true;
    } else if (!std::strcmp(argv[i], "--sim-chip-type") && i + 1 < argc) {
      chipType = argv[++i];
    } else if (!std::strcmp(argv[i], "--help") || !std::strcmp(argv[i], "-h")) {
      std::printf("usage: korvane [--simulate [--sim-chip-type N]]\n");
      return 0;
    } else {
      std::fprintf(stderr, "korvane: unknown option %s\nusage: korvane [--simulate [--sim-chip-type N]]\n", argv[i]);
      return 2;
    }
  }

  korvane::AppOptions options;
  korvane::SimulatorProcess simulator;
  if (simulate) {
    std::string error;
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
