#pragma once
// The file dialogs of the program go through one service, so tests can answer them.
#include <functional>
#include <string>

#include <QString>

namespace korvane {

class CDuiDialog;

struct FileDialogRequest {
  bool save = false;         // save dialog (asks before overwriting) or open dialog
  std::string defaultExt;    // "bin", added when the chosen name has no extension
  std::string initialName;   // may be empty
  std::string filter;        // "Bin File(*.bin)|*.bin||"
  CDuiDialog* parent = nullptr;
};

// Answers a request: true with the chosen path, false when cancelled.
using FileDialogHook = std::function<bool(const FileDialogRequest& request, std::string* path)>;

// "Text|pattern|Text|pattern||" (patterns separated by ';') as a Qt filter
// list: "Text (pattern)" joined with ";;". A text that already ends with its
// pattern in parentheses is used as it stands.
QString QtFileFilter(const std::string& filter);

// Shows the Qt file dialog for the request.
bool RunFileDialog(const FileDialogRequest& request, std::string* path);

}  // namespace korvane
