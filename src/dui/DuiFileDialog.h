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

// Shows the Qt file dialog for the request: the name field holds the
// request's initial name (a full path opens its folder). A save dialog never
// asks about replacing a file itself (ChooseSavePath does).
bool RunFileDialog(bool save, const FileDialogRequest& request, QWidget* parent, std::string* path);

// One look of a save dialog (false: cancelled), and the question whether an
// existing file may be replaced (true: replace it).
using SaveDialogRunner = std::function<bool(const FileDialogRequest& request, std::string* path)>;
using ReplaceQuestion = std::function<bool(const std::string& path)>;

// Asks for a file to save to: a name that exists is replaced only when the
// user agrees (when the request asks for that); otherwise the dialog comes
// back with that name in it, so that another can be typed. False when the
// user cancelled.
bool ChooseSavePath(FileDialogRequest request, const SaveDialogRunner& run, const ReplaceQuestion& replace,
                    std::string* path);

}  // namespace korvane
