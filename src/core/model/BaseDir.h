#pragma once
// Where the installed chip data is found.
#include <string>

namespace korvane {

// The folder that holds xml/orvik/..., ending in '/': the executable's own
// folder when it has xml/orvik/chips/ beside it, else ../share/korvane/ above
// the executable (the installed layout). Falls back to the executable's folder.
std::string FindBaseDir();

// The running executable's folder, ending in '/'.
std::string ExecutableDir();

}  // namespace korvane
