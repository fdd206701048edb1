#pragma once
// korvane-sim for a test: started on a symlink (a fresh one in a folder of
// its own, or one the caller names), stopped the way a user stops it, and
// always stopped and cleaned up when the object goes. Stopping and starting
// it again is an unplug and a replug under the same name.
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "support/TempDir.h"

extern char** environ;

namespace korvane::test {

class SimProcess {
 public:
  // On a symlink in a temporary folder of its own.
  SimProcess() : dir_(std::make_unique<TempDir>()), link_(dir_->Path("programmer")) {}
  // On link, a path in a folder the caller keeps.
  explicit SimProcess(std::string link) : link_(std::move(link)) {}
  ~SimProcess() { Stop(); }
  SimProcess(const SimProcess&) = delete;
  SimProcess& operator=(const SimProcess&) = delete;

  // Starts it (stopping a running one first) with extra arguments; true once
  // its symlink is there, which it waits up to 5 s for.
  bool Start(const std::vector<std::string>& extra = {}) { return StartProgrammers(1, extra); }

  // Starts it as count programmers at once: the first on Link(), the others
  // on Link() followed by their number; true once every symlink is there.
  bool StartProgrammers(int count, const std::vector<std::string>& extra = {}) {
    Stop();
    links_ = {link_};
    for (int i = 1; i < count; ++i) links_.push_back(link_ + std::to_string(i));
    std::vector<std::string> args = {std::string(KORVANE_BIN_DIR) + "/korvane-sim"};
    for (const std::string& link : links_) args.insert(args.end(), {"--link", link});
    args.insert(args.end(), extra.begin(), extra.end());
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    if (posix_spawn(&pid_, argv[0], nullptr, nullptr, argv.data(), environ) != 0) {
      pid_ = -1;
      return false;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!AllLinksThere() && std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return AllLinksThere();
  }

  // Ends it the way a user does and waits for it; true when it left without
  // its symlinks.
  bool Stop() {
    if (pid_ <= 0) return true;
    ::kill(pid_, SIGTERM);
    int status = 0;
    ::waitpid(pid_, &status, 0);
    pid_ = -1;
    return !AnyLinkThere();
  }

  bool Running() const { return pid_ > 0; }
  const std::string& Link() const { return link_; }
  // The links of the programmers it was started as.
  const std::vector<std::string>& Links() const { return links_; }

 private:
  static bool Exists(const std::string& link) {
    struct stat st {};
    return ::lstat(link.c_str(), &st) == 0;
  }
  bool AllLinksThere() const { return std::all_of(links_.begin(), links_.end(), Exists); }
  bool AnyLinkThere() const { return std::any_of(links_.begin(), links_.end(), Exists); }

  std::unique_ptr<TempDir> dir_;
  std::string link_;
  std::vector<std::string> links_{link_};
  pid_t pid_ = -1;
};

}  // namespace korvane::test
