#pragma once
// What the command-line benchmarks share: where the built programs are, a
// 64 KiB code file, the sample chip widened to hold it, and child processes
// (the emulator, korvane-cli) started and waited for.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

extern char** environ;

namespace korvane::bench {

namespace fs = std::filesystem;
constexpr unsigned kBaud = 57600;
constexpr unsigned kCode = 0x10000, kConf = 0x200, kOption = 0x10;

inline std::string BinDir() { return fs::read_symlink("/proc/self/exe").parent_path().string(); }

inline std::string Slurp(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

inline void Replace(std::string& text, const std::string& from, const std::string& to) {
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
}

inline std::string HexRecord(unsigned address, unsigned type, const std::vector<unsigned char>& data) {
  char head[16];
  std::snprintf(head, sizeof head, ":%02X%04X%02X", unsigned(data.size()), address & 0xFFFF, type);
  std::string line = head;
  unsigned sum = unsigned(data.size()) + (address >> 8 & 0xFF) + (address & 0xFF) + type;
  for (unsigned char b : data) {
    char hex[3];
    std::snprintf(hex, sizeof hex, "%02X", b);
    line += hex;
    sum += b;
  }
  char check[4];
  std::snprintf(check, sizeof check, "%02X\n", (0x100 - (sum & 0xFF)) & 0xFF);
  return line + check;
}

// 64 KiB of code from address 0 and the option bytes at 0x10000.
inline void WriteCodeFile(const fs::path& path) {
  std::ofstream out(path);
  for (unsigned a = 0; a < kCode; a += 16) {
    std::vector<unsigned char> row(16);
    for (unsigned i = 0; i < 16; ++i) row[i] = static_cast<unsigned char>((a + i) * 7 + (a >> 8));
    out << HexRecord(a, 0, row);
  }
  out << HexRecord(0, 4, {0x00, 0x01});
  out << HexRecord(0, 0, {0x5A, 0x3C, 0x00, 0x00, 0x01, 0x02, 0x00, 0x00});
  out << ":00000001FF\n";
}

// The installed sample chip with its code area widened to 64 KiB; its conf
// area moves out of the way.
inline bool WriteProject(const fs::path& path) {
  std::string text = Slurp(BinDir() + "/xml/orvik/chips/KV3102.xml");
  if (text.empty()) return false;
  Replace(text, "codeEnd=\"0xEBFF\"", "codeEnd=\"0xFFFF\"");
  Replace(text, "confStart=\"0xEC00\" confEnd=\"0xEDFF\"", "confStart=\"0x18000\" confEnd=\"0x181FF\"");
  std::ofstream(path) << text;
  return true;
}

struct Process {
  pid_t pid = -1;
  explicit Process(std::vector<std::string> args, const std::string& errPath = "") {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (!errPath.empty()) {
      posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
      posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    }
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid = -1;
    posix_spawn_file_actions_destroy(&actions);
  }
  ~Process() { Stop(); }
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;
  int Wait() {
    int status = 0;
    if (pid > 0) ::waitpid(pid, &status, 0);
    pid = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  void Stop() {
    if (pid > 0) ::kill(pid, SIGTERM);
    Wait();
  }
};

}  // namespace korvane::bench
