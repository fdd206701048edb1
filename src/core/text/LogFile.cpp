#include "core/text/LogFile.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>
#include <vector>

namespace korvane {
namespace fs = std::filesystem;

const char* LogLevelName(int level) {
  switch (level) {
    case LOG_INFO: return "INFO";
    case LOG_ERROR: return "ERROR";
    case LOG_CRITICAL: return "CRITICAL";
    default: return "DEBUG";
  }
}

void LogFile::Configure(LogSettings settings) {
  std::lock_guard<std::mutex> guard(lock_);
  settings_ = std::move(settings);
}

void LogFile::WriteLogF(int level, const char* format, ...) {
  char buffer[1000];
  va_list args;
  va_start(args, format);
  std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  WriteLog(level, buffer);
}

namespace {

std::tm LocalNow() {
  std::time_t now = std::time(nullptr);
  std::tm tm{};
  localtime_r(&now, &tm);
  return tm;
}

}  // namespace

// The file is renamed to "<dir><base>.logbak.<time>.log"; backups beyond the
// number kept are deleted, oldest first.
void LogFile::RotateIfLarge() {
  std::error_code ec;
  const fs::path path(settings_.path);
  const auto size = fs::file_size(path, ec);
  if (ec || size <= static_cast<uintmax_t>(settings_.maxSizeKiB) * 1024u) return;

  const std::tm tm = LocalNow();
  char stamp[64];
  std::snprintf(stamp, sizeof stamp, "%02d-%02d-%02d-%02d-%02d-%02d", tm.tm_year + 1900, tm.tm_mon + 1,
                tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec);
  const std::string stem = path.stem().string();
  const fs::path dir = path.parent_path();
  const std::string prefix = stem + ".logbak";
  fs::path backup = dir / (prefix + "." + stamp + ".log");
  // Two rotations within one second must not overwrite each other.
  for (int n = 1; fs::exists(backup, ec); ++n)
    backup = dir / (prefix + "." + stamp + "-" + std::to_string(n) + ".log");
  fs::rename(path, backup, ec);

  std::vector<fs::path> backups;
  for (const auto& entry : fs::directory_iterator(dir.empty() ? fs::path(".") : dir, ec)) {
    const std::string name = entry.path().filename().string();
    if (name.rfind(prefix + ".", 0) == 0) backups.push_back(entry.path());
  }
  if (backups.size() > settings_.backups) {
    std::sort(backups.begin(), backups.end(), [](const fs::path& a, const fs::path& b) {
      std::error_code e1, e2;
      auto ta = fs::last_write_time(a, e1), tb = fs::last_write_time(b, e2);
      return ta != tb ? ta < tb : a.filename() < b.filename();
    });
    for (size_t i = 0; i + settings_.backups < backups.size(); ++i) fs::remove(backups[i], ec);
  }
}

void LogFile::WriteLog(int level, const std::string& message) {
  std::lock_guard<std::mutex> guard(lock_);
  if (settings_.path.empty() || level < settings_.minLevel) return;
  const std::string text = message.substr(0, 999);
  RotateIfLarge();
  std::ofstream out(settings_.path, std::ios::app | std::ios::binary);
  if (!out) return;
  const std::tm tm = LocalNow();
  char head[128];
  std::snprintf(head, sizeof head, "%s %02d-%02d-%02d %02d:%02d:%02d[%u] : ", LogLevelName(level),
                tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec,
                static_cast<unsigned>(std::hash<std::thread::id>{}(std::this_thread::get_id()) & 0xFFFFFFFFu));
  out << head << text;
  if (text.find('\n') == std::string::npos) out << '\n';
}

}  // namespace korvane
