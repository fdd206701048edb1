#include "app/SimulatorProcess.h"

#include <signal.h>
#include <stdlib.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <thread>

namespace korvane {

namespace {

// A folder of this run's own: below the user's runtime folder when there is
// one, else below the temporary folder.
std::string MakeRunDir() {
  std::string base;
  if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime == '/' && ::access(runtime, W_OK) == 0)
    base = runtime;
  else
    base = std::filesystem::temp_directory_path().string();
  std::string pattern = base + "/korvane-sim-XXXXXX";
  if (!::mkdtemp(pattern.data())) return {};
  return pattern;
}

}  // namespace

bool SimulatorProcess::Start(const std::string& executable, const std::vector<std::string>& extra, std::string* error) {
  Stop();
  auto fail = [&](const std::string& why) {
    if (error) *error = why;
    Stop();
    return false;
  };
  if (::access(executable.c_str(), X_OK) != 0) return fail("no emulator at " + executable);
  dir_ = MakeRunDir();
  if (dir_.empty()) return fail(std::string("cannot make a folder for the emulator: ") + std::strerror(errno));
  link_ = dir_ + "/programmer";

  std::vector<std::string> args = {executable, "--link", link_};
  args.insert(args.end(), extra.begin(), extra.end());
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);

  const pid_t parent = ::getpid();
  const pid_t pid = ::fork();
  if (pid < 0) return fail(std::string("cannot start the emulator: ") + std::strerror(errno));
  if (pid == 0) {
    // The emulator ends with the program, however the program ends.
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (::getppid() != parent) ::_exit(1);
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);  // the program's blocked signals are not the emulator's
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  pid_ = pid;

  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  struct stat st{};
  while (::lstat(link_.c_str(), &st) != 0) {
    int status = 0;
    if (::waitpid(pid_, &status, WNOHANG) == pid_) {
      pid_ = -1;
      return fail("the emulator stopped at once");
    }
    if (std::chrono::steady_clock::now() > deadline) return fail("the emulator did not set up its port");
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return true;
}

void SimulatorProcess::Stop() {
  if (pid_ > 0) {
    ::kill(pid_, SIGTERM);
    int status = 0;
    ::waitpid(pid_, &status, 0);
    pid_ = -1;
  }
  if (!dir_.empty()) {
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
    dir_.clear();
  }
}

}  // namespace korvane
