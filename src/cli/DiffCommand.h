#pragma once
// korvane-cli diff: the items that differ from another project's or the device's.
#include <CLI/CLI.hpp>

#include "cli/CliSession.h"

namespace korvane {

void AddDiffCommand(CLI::App& app, CliSession& session);

}  // namespace korvane
