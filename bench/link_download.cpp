// A download of conf, 64 KiB of code and option through the emulator at
// 57600 baud, against the time its bytes need on the line plus the pause
// after the operation. The ratio says what the link itself costs on top.
#include <benchmark/benchmark.h>

#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "core/model/CoreContext.h"
#include "link/LinkContext.h"
#include "link/OperationKind.h"
#include "link/OperationRunner.h"
#include "link/PortSetup.h"

extern char** environ;

namespace korvane {
namespace {

constexpr uint32_t kBaud = 57600;

// Counts every byte that crosses the line in either direction.
class CountingChannel : public IByteChannel {
 public:
  explicit CountingChannel(IByteChannel& inner) : inner_(inner) {}
  bool IsOpen() const override { return inner_.IsOpen(); }
  int Write(const uint8_t* data, uint32_t count, uint32_t& written) override {
    const int r = inner_.Write(data, count, written);
    bytes += written;
    return r;
  }
  int Read(const std::atomic<int>& cancel, uint8_t* buffer, uint32_t count, uint32_t& got, int timeout) override {
    const int r = inner_.Read(cancel, buffer, count, got, timeout);
    bytes += got;
    return r;
  }
  int Purge() override { return inner_.Purge(); }
  uint64_t bytes = 0;

 private:
  IByteChannel& inner_;
};

std::string BinDir() {
  return std::filesystem::read_symlink("/proc/self/exe").parent_path().string();
}

struct Emulator {
  pid_t pid = -1;
  std::string link;
  explicit Emulator(const std::string& path) : link(path) {
    std::vector<std::string> args = {BinDir() + "/korvane-sim", "--link", link, "--baud", std::to_string(kBaud),
                                     "--chip-type", "0x3102"};
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) pid = -1;
    struct stat st{};
    for (int i = 0; i < 500 && ::lstat(link.c_str(), &st) != 0; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  ~Emulator() {
    if (pid > 0) {
      ::kill(pid, SIGTERM);
      ::waitpid(pid, nullptr, 0);
    }
  }
};

void BM_DownloadAt57600(benchmark::State& state) {
  const std::string path = (std::filesystem::temp_directory_path() /
                            ("korvane-bench-" + std::to_string(::getpid()))).string();
  Emulator emulator(path);
  CoreContext core;
  core.layout = {0xFF, 0x0000, 0x10000, 0x10000, 0x400, 0x20000, 0x10, ""};
  core.chipKind = {0x3102, 0};
  LinkContext link(core);
  CountingChannel counter(link.port);
  link.channel = &counter;
  PortSettings settings;
  settings.portName = path;
  settings.baudRate = kBaud;
  if (!OpenPort(link, settings)) {
    state.SkipWithError("cannot open the emulator's line");
    return;
  }
  OperationRequest request;
  request.kind = kOpWriteToolCode;
  request.image.assign(kImageSize, 0xFF);
  for (uint32_t i = 0; i < 0x20010; ++i) request.image[i] = uint8_t(i * 31 + (i >> 8));
  request.writeLength[kLinkAreaCode] = 0x10000;
  request.writeLength[kLinkAreaConf] = 0x400;
  request.writeLength[kLinkAreaOption] = 0x10;

  double wall = 0, wire = 0;
  for (auto _ : state) {
    counter.bytes = 0;
    OperationRequest copy = request;  // the copy is the front end's, outside the time
    const auto start = std::chrono::steady_clock::now();
    const int result = RunOperationBlocking(link, std::move(copy));
    wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (result != 0) state.SkipWithError("the download failed");
    wire = double(counter.bytes) * 10.0 / kBaud + link.epiloguePauseMs / 1000.0;
    state.SetIterationTime(wall);
  }
  state.counters["wall_s"] = wall;
  state.counters["wire_s"] = wire;
  state.counters["ratio"] = wall / wire;
  state.counters["bytes"] = double(counter.bytes);
}
BENCHMARK(BM_DownloadAt57600)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

}  // namespace
}  // namespace korvane

BENCHMARK_MAIN();
