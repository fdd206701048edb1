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

extern char** environ;

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
    std::vector<std::string> args = {std::string(KORVANE_BIN_DIR) + "/korvane-sim", "--link", link_};
    args.insert(args.end(), extra.begin(), extra.end());
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    if (posix_spawn(&pid_, argv[0], nullptr, nullptr, argv.data(), environ) != 0) pid_ = -1;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    struct stat st{};
    while (pid_ > 0 && ::lstat(link_.c_str(), &st) != 0 && std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }

  ~SimProcess() {
    Stop();
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }

  // Stops the emulator the way a user does; true when it left without its symlink.
  bool Stop() {
    if (pid_ <= 0) return true;
    ::kill(pid_, SIGTERM);
    int status = 0;
    ::waitpid(pid_, &status, 0);
    pid_ = -1;
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
