// korvane-cli: the core's operations for scripts and production lines.
#include <CLI/CLI.hpp>

#include "cli/CliSession.h"
#include "cli/DeviceCommands.h"
#include "cli/DiffCommand.h"
#include "cli/OfflineCommands.h"
#include "cli/ProgramCommand.h"

int main(int argc, char** argv) {
  korvane::CliSession session;
  CLI::App app{"Configure USB power-delivery controller chips: projects, code files, HEX export, checksums."};
  app.name("korvane-cli");
  app.require_subcommand(1);
  app.fallthrough(true);  // global options may follow the command name
  app.set_version_flag("--version", "korvane-cli " KORVANE_VERSION);
  session.AddGlobalOptions(app);
  korvane::AddOfflineCommands(app, session);
  korvane::AddDeviceCommands(app, session);
  korvane::AddDiffCommand(app, session);
  korvane::AddProgramCommand(app, session);

  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForAllHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForVersion& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    app.exit(e);
    return korvane::kExitUsage;
  }
  session.Configure();
  return session.RunParsedCommand();
}
