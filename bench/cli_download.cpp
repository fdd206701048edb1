// korvane-cli download of conf, a 64 KiB code file and option through the
// emulator at 57600 baud, against the time every request and answer byte
// needs on the line (10 bits a byte) plus the pause after the operation.
// Start-up, project load and image preparation are all in the wall time.
#include <benchmark/benchmark.h>

#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fcntl.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;
constexpr unsigned kBaud = 57600;
constexpr unsigned kCode = 0x10000, kConf = 0x200, kOption = 0x10;

std::string BinDir() { return fs::read_symlink("/proc/self/exe").parent_path().string(); }

std::string Slurp(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

void Replace(std::string& text, const std::string& from, const std::string& to) {
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
}

std::string HexRecord(unsigned address, unsigned type, const std::vector<unsigned char>& data) {
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
void WriteCodeFile(const fs::path& path) {
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
bool WriteProject(const fs::path& path) {
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

unsigned Blocks(unsigned length) { return (length + 255) / 256; }

void BM_CliDownloadAt57600(benchmark::State& state) {
  const std::string cli = BinDir() + "/korvane-cli";
  if (!fs::exists(cli)) {
    state.SkipWithError("korvane-cli is not built");
    return;
  }
  const fs::path dir = fs::temp_directory_path() / ("korvane-bench-cli-" + std::to_string(::getpid()));
  fs::create_directories(dir);
  const std::string link = (dir / "programmer").string();
  WriteCodeFile(dir / "code.hex");
  if (!WriteProject(dir / "project.xml")) {
    state.SkipWithError("the sample chip is not installed beside the benchmark");
    return;
  }
  Process sim({BinDir() + "/korvane-sim", "--link", link, "--baud", std::to_string(kBaud), "--chip-type", "0x3102"},
              (dir / "sim.txt").string());
  struct stat st{};
  for (int i = 0; i < 500 && ::lstat(link.c_str(), &st) != 0; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));

  double wall = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    Process run({cli, "download", (dir / "project.xml").string(), "--port", link, "--baud", std::to_string(kBaud),
                 "--code-file", (dir / "code.hex").string()},
                (dir / "cli.txt").string());
    const int status = run.Wait();
    wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (status != 0) state.SkipWithError(("the download failed: " + Slurp(dir / "cli.txt")).c_str());
    state.SetIterationTime(wall);
  }
  sim.Stop();

  // Begin, ReadInfo, the blocks, WriteBurnConfig, WriteInfo, End: requests and answers.
  const unsigned blocks = Blocks(kConf) + Blocks(kCode) + Blocks(kOption);
  const double bytes = (10 + 10) + (10 + 42) + blocks * (287 + 10) + (19 + 10) + (42 + 10) + (10 + 10);
  const double wire = bytes * 10.0 / kBaud + 0.5;
  state.counters["wall_s"] = wall;
  state.counters["wire_s"] = wire;
  state.counters["ratio"] = wall / wire;
  std::error_code ec;
  fs::remove_all(dir, ec);
}
BENCHMARK(BM_CliDownloadAt57600)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
