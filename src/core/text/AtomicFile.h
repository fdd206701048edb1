#pragma once
// Replacing a file so that it is always either the old file or the new one,
// whole: never a truncated mixture after a crash or a full disk.
#include <string>
#include <string_view>

namespace korvane {

// Writes bytes to a new file in path's folder, syncs it to the disk and
// renames it over path. Through a symbolic link the file it points at is
// replaced, not the link; a file replaced keeps its permissions. False when
// any step fails: the file at path is then as it was and the temporary file
// is gone. The caller reports the failure with the path.
bool ReplaceFileAtomically(const std::string& path, std::string_view bytes);

}  // namespace korvane
