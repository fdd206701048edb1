#pragma once
// The main window's commands on whole projects: "new" from an installed chip,
// "open" of a project or description file, "saveas" with the code file
// copied beside the project. Each returns whether the click was consumed.
namespace korvane {

class CDuiHandlerMain;

int CommandNewProject(CDuiHandlerMain& main);
int CommandOpenProject(CDuiHandlerMain& main);
int CommandSaveProjectAs(CDuiHandlerMain& main);

}  // namespace korvane
