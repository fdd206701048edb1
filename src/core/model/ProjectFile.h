#pragma once
// Saving the loaded description with its current values as a project file,
// and the offer to save unsaved changes.
#include <string>

namespace korvane {

class ChipDescription;
class IFileDialog;

// Writes the document to path with select set to the function in use, tab
// indentation, UTF-8 and the XML declaration. The file is replaced atomically:
// written beside it under a temporary name, then renamed over it, so a failed
// or interrupted save leaves the old file whole. On success modified is
// cleared; on failure it stays set and "WriteFileError" is shown with the path.
// False when nothing is loaded (modified is then cleared).
bool SaveProject(ChipDescription& desc, const std::string& path);

// The project document as SaveProject writes it (select set).
std::string ProjectText(ChipDescription& desc);

// Offers to save unsaved changes: Yes saves (asking for a name through
// dialogs when the project has none), No goes on without saving, Cancel
// stops. False when the caller must not go on: cancelled, no name chosen, or
// the save failed (the changes would be lost otherwise).
bool ConfirmSave(ChipDescription& desc, IFileDialog* dialogs);

}  // namespace korvane
