// korvane-cli download of conf, a 64 KiB code file and option through the
// emulator at 57600 and at 921600 baud, against the time every request and
// answer byte needs on the line (10 bits a byte) plus the pause after the
// operation. Start-up, project load and image preparation are all in the wall
// time. The emulator also times the host's turnaround of every exchange (its
// answer's last byte out to the next request's first byte in), reported as
// median and 99th percentile.
#include <benchmark/benchmark.h>

#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <string>
#include <thread>

#include "BenchFiles.h"

namespace {

using namespace korvane::bench;
namespace fs = std::filesystem;

unsigned Blocks(unsigned length) { return (length + 255) / 256; }

std::vector<double> ReadTurnarounds(const fs::path& path) {
  std::vector<double> us;
  std::ifstream in(path);
  for (double v; in >> v;) us.push_back(v);
  std::sort(us.begin(), us.end());
  return us;
}

double Percentile(const std::vector<double>& sorted, double p) {
  if (sorted.empty()) return 0;
  return sorted[std::min(sorted.size() - 1, size_t(p * double(sorted.size() - 1) + 0.5))];
}

void BM_CliDownload(benchmark::State& state) {
  const unsigned baud = unsigned(state.range(0));
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
  const fs::path turnaround = dir / "turnaround.txt";
  Process sim({BinDir() + "/korvane-sim", "--link", link, "--baud", std::to_string(baud), "--chip-type", "0x3102",
               "--turnaround", turnaround.string()},
              (dir / "sim.txt").string());
  struct stat st{};
  for (int i = 0; i < 500 && ::lstat(link.c_str(), &st) != 0; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));

  double wall = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    Process run({cli, "download", (dir / "project.xml").string(), "--port", link, "--baud", std::to_string(baud),
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
  const double wire = bytes * 10.0 / baud + 0.5;
  state.counters["wall_s"] = wall;
  state.counters["wire_s"] = wire;
  state.counters["ratio"] = wall / wire;
  const std::vector<double> us = ReadTurnarounds(turnaround);
  state.counters["turn_med_us"] = Percentile(us, 0.5);
  state.counters["turn_p99_us"] = Percentile(us, 0.99);
  state.counters["exchanges"] = double(us.size());
  std::error_code ec;
  fs::remove_all(dir, ec);
}
BENCHMARK(BM_CliDownload)->Arg(57600)->Arg(921600)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
