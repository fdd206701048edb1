#pragma once
// korvane-cli program: a production batch over one or several programmers.
#include <CLI/CLI.hpp>

#include "cli/CliSession.h"

namespace korvane {

void AddProgramCommand(CLI::App& app, CliSession& session);

}  // namespace korvane
