#pragma once
// Runs korvane-sim for a test on a symlink of its own and always stops it.
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "../core/support/SimSpawn.h"

namespace korvane::test {

class SimProcess {
 public:
  explicit SimProcess(std::vector<std::string> extra) {
    static int counter = 0;
    const auto dir = std::filesystem::temp_directory_path() /
                     ("korvane-sim-test-" + std::to_string(::getpid()) + "-" + std::to_string(++counter));
    std::filesystem::create_directories(dir);
    dir_ = dir.string();
    link_ = (dir / "programmer").string();
    pid_ = SpawnSimulator(link_, extra);
  }

  ~SimProcess() {
    Stop();
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }

  // Stops the emulator the way a user does; true when it left without its symlink.
  bool Stop() {
    if (pid_ <= 0) return true;
    StopSimulator(pid_);
    struct stat st{};
    return ::lstat(link_.c_str(), &st) != 0;
  }

  bool Running() const { return pid_ > 0; }
  const std::string& Link() const { return link_; }

 private:
  pid_t pid_ = -1;
  std::string dir_;
  std::string link_;
};

}  // namespace korvane::test
