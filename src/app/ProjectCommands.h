#pragma once
// The main window's commands on whole projects: "new" from an installed chip,
// "open" of a project or description file, "save" in place and "saveas"
// under a chosen name, each save with the code file copied beside the
// project; and the offer to save unsaved changes that every command which
// drops the project makes first. Each command returns whether the click was
// consumed.
#include <string>

namespace korvane {

class CDuiHandlerMain;

int CommandNewProject(CDuiHandlerMain& main);
int CommandOpenProject(CDuiHandlerMain& main);
// "open" of a file named without the file dialog (the command line, or a
// file handed over by a later start): the same save prompt, then the file.
int CommandOpenProjectFile(CDuiHandlerMain& main, const std::string& path);
// Saves to the project's own file; a new project asks for its name first.
int CommandSaveProject(CDuiHandlerMain& main);
int CommandSaveProjectAs(CDuiHandlerMain& main);

// Offers to save unsaved changes: Yes saves as "save" does, No goes on
// without saving, Cancel stops. False when the caller must not go on:
// cancelled, no name chosen, or the save failed (the changes would be lost).
bool ConfirmSaveProject(CDuiHandlerMain& main);

}  // namespace korvane
