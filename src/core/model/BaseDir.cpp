#include "core/model/BaseDir.h"

#include <filesystem>

namespace korvane {
namespace fs = std::filesystem;

std::string ExecutableDir() {
  std::error_code ec;
  fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  if (ec) return "./";
  std::string dir = exe.parent_path().string();
  if (dir.empty() || dir.back() != '/') dir += '/';
  return dir;
}

std::string FindBaseDir() {
  const std::string exeDir = ExecutableDir();
  std::error_code ec;
  if (fs::is_directory(exeDir + "xml/orvik/chips", ec)) return exeDir;
  const fs::path installed = fs::path(exeDir) / ".." / "share" / "korvane";
  if (fs::is_directory(installed / "xml" / "orvik" / "chips", ec)) {
    std::string dir = fs::weakly_canonical(installed, ec).string();
    if (dir.empty() || dir.back() != '/') dir += '/';
    return dir;
  }
  return exeDir;
}

}  // namespace korvane
