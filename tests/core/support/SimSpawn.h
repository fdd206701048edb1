#pragma once
// Starting and stopping korvane-sim for a test: the emulator answers on link
// once the symlink is there.
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace korvane::test {

// The emulator's process id once its symlink exists (waiting up to 5 s), -1 when it did not start.
inline pid_t SpawnSimulator(const std::string& link, const std::vector<std::string>& extra) {
  std::vector<std::string> args = {std::string(KORVANE_BIN_DIR) + "/korvane-sim", "--link", link};
  args.insert(args.end(), extra.begin(), extra.end());
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = -1;
  if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return -1;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  struct stat st{};
  while (::lstat(link.c_str(), &st) != 0 && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  return pid;
}

// Ends the emulator the way a user does and waits for it; pid becomes -1.
inline void StopSimulator(pid_t& pid) {
  if (pid <= 0) return;
  ::kill(pid, SIGTERM);
  int status = 0;
  ::waitpid(pid, &status, 0);
  pid = -1;
}

}  // namespace korvane::test
