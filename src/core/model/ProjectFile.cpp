#include "core/model/ProjectFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <random>
#include <sstream>

#include "core/model/ChipDescription.h"
#include "core/model/CoreContext.h"
#include "core/model/FileDialog.h"
#include "core/text/TextFormat.h"

namespace korvane {
namespace fs = std::filesystem;

namespace {

void SetSelect(ChipDescription& desc) {
  pugi::xml_node config = desc.document.child("config");
  if (!config) return;
  pugi::xml_attribute select = config.attribute("select");
  if (!select) select = config.append_attribute("select");
  select.set_value(desc.functionName.c_str());
}

bool WriteAll(int fd, const std::string& text) {
  size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

// Writes text to a new file in path's folder, then renames it over path.
bool ReplaceFileAtomically(const std::string& target, const std::string& text) {
  // Through a link the file it points at is replaced, not the link.
  std::error_code ec;
  std::string path = target;
  if (fs::is_symlink(target, ec)) {
    const fs::path resolved = fs::weakly_canonical(target, ec);
    if (!ec) path = resolved.string();
  }
  std::random_device random;
  std::string temp;
  int fd = -1;
  for (int attempt = 0; attempt < 16 && fd < 0; ++attempt) {
    temp = StrFormat("%s.%u.tmp", path.c_str(), static_cast<unsigned>(random()));
    fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) return false;
  }
  if (fd < 0) return false;
  // A project replaced keeps its permissions.
  struct stat old {};
  if (::stat(path.c_str(), &old) == 0) (void)::fchmod(fd, old.st_mode & 07777);
  bool ok = WriteAll(fd, text) && ::fsync(fd) == 0;
  ok = ::close(fd) == 0 && ok;
  if (ok) ok = ::rename(temp.c_str(), path.c_str()) == 0;
  if (!ok) ::unlink(temp.c_str());
  return ok;
}

}  // namespace

std::string ProjectText(ChipDescription& desc) {
  SetSelect(desc);
  std::ostringstream out;
  desc.document.save(out, "\t", pugi::format_default, pugi::encoding_utf8);
  return out.str();
}

bool SaveProject(ChipDescription& desc, const std::string& path) {
  if (!desc.HasTree()) {
    desc.modified = 0;
    return false;
  }
  if (path.empty() || !ReplaceFileAtomically(path, ProjectText(desc))) {
    CoreContext& ctx = desc.Context();
    ctx.ShowMessage(FormatText(ctx.LookupText("WriteFileError"), path), MB_OK | MB_ICONERROR);
    return false;
  }
  desc.modified = 0;
  return true;
}

bool ConfirmSave(ChipDescription& desc, IFileDialog* dialogs) {
  if (!desc.HasTree() || desc.modified == 0) return true;
  CoreContext& ctx = desc.Context();
  const int answer = ctx.ShowMessage(ctx.LookupText("SaveNotify"), MB_YESNOCANCEL | MB_ICONWARNING);
  if (answer == IDNO) return true;
  if (answer != IDYES) return false;
  if (desc.path.empty()) {
    FileDialogRequest request;
    request.defaultExtension = "xml";
    request.filter = "All File(*.*)|*.*||";
    std::string chosen;
    if (!dialogs || !dialogs->SaveFileName(request, chosen) || chosen.empty()) return false;
    desc.path = chosen;
  }
  return SaveProject(desc, desc.path);
}

}  // namespace korvane
