// korvane-cli program: 8 units, each with conf, a 64 KiB code file and
// option written to the chip and read back byte for byte, through emulated
// programmers at 57600 baud; once over one programmer and once over four,
// side by side. The four should give at least 3.6 times the units per second.
// Start-up, project load and every unit's preparation are in the wall time.
#include <benchmark/benchmark.h>

#include <sys/stat.h>

#include <chrono>
#include <string>
#include <thread>

#include "BenchFiles.h"

namespace {

using namespace korvane::bench;

constexpr int kUnits = 8;
constexpr int kProgrammers = 4;

// The wall time of one batch over the first programmers links, in seconds;
// negative when it failed.
double Batch(const fs::path& dir, const std::vector<std::string>& links, int programmers) {
  std::vector<std::string> args = {BinDir() + "/korvane-cli", "program", (dir / "project.xml").string(),
                                   "--count", std::to_string(kUnits), "--baud", std::to_string(kBaud),
                                   "--serial", "serialTag=1000"};
  for (int i = 0; i < programmers; ++i) args.insert(args.end(), {"--port", links[static_cast<size_t>(i)]});
  const auto start = std::chrono::steady_clock::now();
  Process run(args, (dir / ("cli-" + std::to_string(programmers) + ".txt")).string());
  const int status = run.Wait();
  const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return status == 0 ? wall : -1;
}

void BM_ProgramEightUnitsOnOneAndOnFourProgrammers(benchmark::State& state) {
  if (!fs::exists(BinDir() + "/korvane-cli")) {
    state.SkipWithError("korvane-cli is not built");
    return;
  }
  const fs::path dir = fs::temp_directory_path() / ("korvane-bench-batch-" + std::to_string(::getpid()));
  fs::create_directories(dir);
  // The code file beside the project is the one every unit carries.
  WriteCodeFile(dir / "project.hex");
  if (!WriteProject(dir / "project.xml")) {
    state.SkipWithError("the sample chip is not installed beside the benchmark");
    return;
  }
  std::vector<std::string> links;
  std::vector<std::string> simArgs = {BinDir() + "/korvane-sim", "--baud", std::to_string(kBaud), "--chip-type",
                                      "0x3102"};
  for (int i = 0; i < kProgrammers; ++i) {
    links.push_back((dir / ("programmer" + std::to_string(i))).string());
    simArgs.insert(simArgs.end(), {"--link", links.back()});
  }
  Process sim(simArgs, (dir / "sim.txt").string());
  struct stat st{};
  for (int i = 0; i < 500 && ::lstat(links.back().c_str(), &st) != 0; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));

  double one = 0, four = 0;
  for (auto _ : state) {
    one = Batch(dir, links, 1);
    four = Batch(dir, links, kProgrammers);
    if (one < 0 || four < 0) {
      state.SkipWithError(("a batch failed: " + Slurp(dir / "cli-1.txt") + Slurp(dir / "cli-4.txt")).c_str());
      break;
    }
    state.SetIterationTime(one + four);
  }
  sim.Stop();
  state.counters["one_s"] = one;
  state.counters["four_s"] = four;
  state.counters["one_units_per_s"] = one > 0 ? kUnits / one : 0;
  state.counters["four_units_per_s"] = four > 0 ? kUnits / four : 0;
  state.counters["ratio"] = four > 0 ? one / four : 0;
  std::error_code ec;
  fs::remove_all(dir, ec);
}
BENCHMARK(BM_ProgramEightUnitsOnOneAndOnFourProgrammers)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
