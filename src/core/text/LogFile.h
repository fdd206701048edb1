#pragma once
// The program's rotating log file. Any thread may write; one lock serialises
// the writers.
#include <cstdint>
#include <mutex>
#include <string>

namespace korvane {

enum LogLevel : int { LOG_DEBUG = 1, LOG_INFO = 2, LOG_ERROR = 4, LOG_CRITICAL = 8 };

// "DEBUG", "INFO", "ERROR", "CRITICAL"; any other level is named "DEBUG".
const char* LogLevelName(int level);

struct LogSettings {
  std::string path;         // full path of the log file; empty turns logging off
  int minLevel = LOG_DEBUG; // messages below this level are not written
  uint32_t maxSizeKiB = 1024;
  uint32_t backups = 5;     // number of rotated files kept
};

class LogFile {
 public:
  LogFile() = default;
  explicit LogFile(LogSettings settings) : settings_(std::move(settings)) {}

  void Configure(LogSettings settings);
  const LogSettings& Settings() const { return settings_; }
  bool Enabled() const { return !settings_.path.empty(); }

  // One line: "LEVEL YYYY-MM-DD hh:mm:ss[thread] : message". The message is
  // cut to 999 characters.
  void WriteLog(int level, const std::string& message);
  void WriteLogF(int level, const char* format, ...) __attribute__((format(printf, 3, 4)));

 private:
  void RotateIfLarge();

  LogSettings settings_;
  std::mutex lock_;
};

}  // namespace korvane
