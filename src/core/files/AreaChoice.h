#pragma once
// The checks a choice of areas and code file passes before a download, a
// comparison or an export goes ahead, the same in the dialogs and on the
// command line.
#include <string>

namespace korvane {

enum class AreaChoiceProblem {
  None,
  NoArea,      // neither the conf nor the code area is chosen
  NoCodeFile,  // the code area is chosen and no code file is at the path
};

// The first check that fails, in this order: an area is chosen, and the code
// file is there when the code area is chosen. A null codePath leaves the file
// for later (the command line checks its options before it loads the project
// that names the code file).
AreaChoiceProblem CheckAreaChoice(bool conf, bool code, const std::string* codePath);

// True when a file (not a folder) is at path.
bool CodeFileExists(const std::string& path);

}  // namespace korvane
