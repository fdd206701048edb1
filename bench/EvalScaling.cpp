// Loading, refreshing and encoding a description must grow linearly with
// its number of items, even when every item's conditions name other items.
// Run: bench_EvalScaling — compare the 10000 and 20000 rows (time ratio
// should stay near 2).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "core/eval/ItemBehaviours.h"
#include "core/model/ChipDescription.h"
#include "core/model/CoreContext.h"

namespace {

using namespace korvane;

// Groups of 100 items; every third item is a two-option list, the others
// edit values; each has an enableCondition and a defaultCondition naming
// other items. Local: as descriptions are written, the named items are
// switches of the same group and one of a few chip-wide switches. Scattered:
// the named items lie anywhere in the tree, so every lookup misses the
// cache; it shows the memory cost, not a different algorithm.
std::string GenerateDescription(int n, bool scattered) {
  std::string xml = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<config name=\"gen\" select=\"fn\">\n";
  xml += "<fn name=\"fn\" chipType=\"1\" funcType=\"1\" confStart=\"0\" confEnd=\"0xFFFF\">\n";
  char buf[512];
  for (int i = 0; i < n; ++i) {
    if (i % 100 == 0) {
      std::snprintf(buf, sizeof buf, "<item name=\"g%d\">\n", i / 100);
      xml += buf;
    }
    const int group = i / 100 * 100;
    const int a = scattered ? (i * 7 + 3) % n : std::min(n - 1, group + (i * 7 + 3) % 100);
    const int b = scattered ? (i * 13 + 5) % n : (i * 13 + 5) % 10;
    if (i % 3 == 0)
      std::snprintf(buf, sizeof buf,
                    "<item name=\"i%d\" list=\"1\" addr=\"%d\" size=\"1\" index=\"1\" enableCondition=\"i%d(1)\" "
                    "defaultCondition=\"i%d(0,1)\" default=\"0\"><item name=\"off\" value=\"0\"/>"
                    "<item name=\"on\" value=\"1\"/></item>\n",
                    i, i * 2, a, b);
    else
      std::snprintf(buf, sizeof buf,
                    "<item name=\"i%d\" edit=\"1\" addr=\"%d\" size=\"2\" value=\"%d\" outExpression=\"value*2\" "
                    "enableCondition=\"i%d(1)i%d(0)\" defaultCondition=\"i%d(1)\" default=\"%d\"/>\n",
                    i, i * 2, i % 1000, a, b, b, i % 500);
    xml += buf;
    if (i % 100 == 99 || i == n - 1) xml += "</item>\n";
  }
  xml += "</fn>\n</config>\n";
  return xml;
}

const std::string& DescriptionFile(int n, bool scattered) {
  static std::map<std::pair<int, bool>, std::string> files;
  auto it = files.find({n, scattered});
  if (it != files.end()) return it->second;
  const auto path = std::filesystem::temp_directory_path() /
                    ("korvane_bench_" + std::to_string(n) + (scattered ? "s" : "l") + ".xml");
  std::ofstream(path) << GenerateDescription(n, scattered);
  return files[{n, scattered}] = path.string();
}

void BM_Load(benchmark::State& state) {
  const std::string& file = DescriptionFile(static_cast<int>(state.range(0)), state.range(1) != 0);
  CoreContext ctx;
  InstallItemBehaviours(ctx);
  for (auto _ : state) {
    ChipDescription desc(ctx);
    benchmark::DoNotOptimize(desc.OpenDescription(file, nullptr));
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
  state.SetComplexityN(state.range(0));
}

// Refresh and encoding run over a tree the cache has not kept: repeated
// runs over a tree that fits the cache (10000 items here) against one that
// does not (20000) would compare cache sizes, not the work per item. Every
// iteration starts after the caches have been flushed by a larger buffer.
void EvictCaches() {
  static std::vector<uint8_t> buffer(64u << 20);
  for (size_t i = 0; i < buffer.size(); i += 64) buffer[i] = static_cast<uint8_t>(buffer[i] + 1);
  benchmark::ClobberMemory();
}

void BM_Refresh(benchmark::State& state) {
  CoreContext ctx;
  InstallItemBehaviours(ctx);
  ChipDescription desc(ctx);
  desc.OpenDescription(DescriptionFile(static_cast<int>(state.range(0)), state.range(1) != 0), nullptr);
  for (auto _ : state) {
    state.PauseTiming();
    EvictCaches();
    state.ResumeTiming();
    Refresh(*desc.root, ctx);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
  state.SetComplexityN(state.range(0));
}

void BM_EncodeItems(benchmark::State& state) {
  CoreContext ctx;
  InstallItemBehaviours(ctx);
  ChipDescription desc(ctx);
  desc.OpenDescription(DescriptionFile(static_cast<int>(state.range(0)), state.range(1) != 0), nullptr);
  for (auto _ : state) {
    state.PauseTiming();
    EvictCaches();
    state.ResumeTiming();
    EncodeItems(desc.root.get(), ctx.image.bytes.data(), ctx.image.limit, true, ctx);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
  state.SetComplexityN(state.range(0));
}

BENCHMARK(BM_Load)->ArgNames({"items", "scattered"})->Args({10000, 0})->Args({20000, 0})->Args({10000, 1})->Args({20000, 1})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Refresh)->ArgNames({"items", "scattered"})->Args({10000, 0})->Args({20000, 0})->Args({10000, 1})->Args({20000, 1})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EncodeItems)->ArgNames({"items", "scattered"})->Args({10000, 0})->Args({20000, 0})->Args({10000, 1})->Args({20000, 1})->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
