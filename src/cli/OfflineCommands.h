#pragma once
// The commands that need no programmer: export, checksum, get, set, new,
// chips and info.
#include <CLI/CLI.hpp>

#include "cli/CliSession.h"

namespace korvane {

void AddOfflineCommands(CLI::App& app, CliSession& session);

}  // namespace korvane
