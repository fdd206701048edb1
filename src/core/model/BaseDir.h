#pragma once
// Where the programs find their files: beside the executable in a build tree,
// else in the installed layout, found by a path relative to the executable so
// that an installed tree still works after it is moved to another prefix.
#include <string>

namespace korvane {

// The running executable's folder, ending in '/'.
std::string ExecutableDir();

// The installed layout's folders for the executable in exeDir, ending in '/':
// the shared data (skin archive, chip data) and the private libraries.
std::string InstalledDataDir(const std::string& exeDir);
std::string InstalledLibDir(const std::string& exeDir);

// The file name beside the executable when it is there, else in the installed
// folder; when it is in neither, the installed path (the one to name in a
// message about the missing file).
std::string FindBesideOrIn(const std::string& exeDir, const std::string& installedDir, const std::string& name);

// The folder that holds xml/orvik/..., ending in '/': the executable's own
// folder when it has xml/orvik/chips/ beside it, else the installed data
// folder (also when that has none, so that a message names where it looked).
std::string FindBaseDir();
std::string FindBaseDir(const std::string& exeDir);

}  // namespace korvane
