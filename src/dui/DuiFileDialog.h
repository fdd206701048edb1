#pragma once
// The file dialogs of the program go through one service, so tests can answer them.
#include <functional>
#include <string>

#include <QString>

#include "core/model/FileDialog.h"

class QWidget;

namespace korvane {

// Answers a request: true with the chosen path, false when cancelled.
using FileDialogHook = std::function<bool(bool save, const FileDialogRequest& request, std::string* path)>;

// "Text|pattern|Text|pattern||" (patterns separated by ';') as a Qt filter
// list: "Text (pattern)" joined with ";;". A text that already ends with its
// pattern in parentheses is used as it stands. The list ends at the first
// empty field ("||").
QString QtFileFilter(const std::string& filter);

// Shows the Qt file dialog for the request.
bool RunFileDialog(bool save, const FileDialogRequest& request, QWidget* parent, std::string* path);

}  // namespace korvane
