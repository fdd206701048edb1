#pragma once
// The main window's commands on whole projects: "new" from an installed chip,
// "open" of a project or description file, "saveas" with the code file
// copied beside the project, and the save prompt when the window closes.
// Each command returns whether the click was consumed.
namespace korvane {

class CDuiHandlerMain;

int CommandNewProject(CDuiHandlerMain& main);
int CommandOpenProject(CDuiHandlerMain& main);
int CommandSaveProjectAs(CDuiHandlerMain& main);

// Whether the main window may close: the grid's open edit is committed, then
// unsaved changes are offered for saving. False keeps the window open.
bool ConfirmProjectClose(CDuiHandlerMain& main);

}  // namespace korvane
