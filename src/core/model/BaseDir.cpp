#include "core/model/BaseDir.h"

#include <filesystem>

// The installed folders relative to the executables' folder; the build sets
// them from the install layout it was configured with.
#ifndef KORVANE_DATADIR_FROM_BIN
#define KORVANE_DATADIR_FROM_BIN "../share/korvane"
#endif
#ifndef KORVANE_LIBDIR_FROM_BIN
#define KORVANE_LIBDIR_FROM_BIN "../lib/korvane"
#endif

namespace korvane {
namespace fs = std::filesystem;

namespace {

std::string AsDir(const fs::path& path) {
  std::string dir = path.lexically_normal().string();
  if (dir.empty() || dir.back() != '/') dir += '/';
  return dir;
}

}  // namespace

std::string ExecutableDir() {
  std::error_code ec;
  fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  if (ec) return "./";
  return AsDir(exe.parent_path());
}

std::string InstalledDataDir(const std::string& exeDir) { return AsDir(fs::path(exeDir) / KORVANE_DATADIR_FROM_BIN); }

std::string InstalledLibDir(const std::string& exeDir) { return AsDir(fs::path(exeDir) / KORVANE_LIBDIR_FROM_BIN); }

std::string FindBesideOrIn(const std::string& exeDir, const std::string& installedDir, const std::string& name) {
  std::error_code ec;
  const std::string beside = AsDir(exeDir) + name;
  if (fs::exists(beside, ec)) return beside;
  return AsDir(installedDir) + name;
}

std::string FindBaseDir(const std::string& exeDir) {
  std::error_code ec;
  if (fs::is_directory(fs::path(exeDir) / "xml/orvik/chips", ec)) return AsDir(exeDir);
  return InstalledDataDir(exeDir);
}

std::string FindBaseDir() { return FindBaseDir(ExecutableDir()); }

}  // namespace korvane
