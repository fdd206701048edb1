#pragma once
// The main window's commands on whole projects: "new" from an installed chip,
// "open" of a project or description file, "saveas" with the code file
// copied beside the project. Each returns whether the click was consumed.
#include <string>

namespace korvane {

class CDuiHandlerMain;

int CommandNewProject(CDuiHandlerMain& main);
int CommandOpenProject(CDuiHandlerMain& main);
// "open" of a file named without the file dialog (the command line, or a
// file handed over by a later start): the same save prompt, then the file.
int CommandOpenProjectFile(CDuiHandlerMain& main, const std::string& path);
int CommandSaveProjectAs(CDuiHandlerMain& main);

}  // namespace korvane
