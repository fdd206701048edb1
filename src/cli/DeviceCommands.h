#pragma once
// The commands that talk to the programmer: ports, download, read, verify,
// device-info, read-area, write-area and burn-config.
#include <CLI/CLI.hpp>

#include "cli/CliSession.h"

namespace korvane {

void AddDeviceCommands(CLI::App& app, CliSession& session);

}  // namespace korvane
