#pragma once
// The file dialogs as the core sees them: the front end shows them (a window,
// a test's answer) and hands back the chosen path.
#include <string>

namespace korvane {

struct FileDialogRequest {
  std::string defaultExtension;  // "xml", "hex", "bin"
  std::string initialName;       // empty: none
  std::string filter;            // "XML File(*.xml)|*.xml||"
  bool overwritePrompt = true;
};

class IFileDialog {
 public:
  virtual ~IFileDialog() = default;
  // False when the user cancelled; otherwise chosen holds the path.
  virtual bool SaveFileName(const FileDialogRequest& request, std::string& chosen) = 0;
  virtual bool OpenFileName(const FileDialogRequest& request, std::string& chosen) = 0;
};

}  // namespace korvane
