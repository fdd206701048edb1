// ChecksumCrc32 over a whole 5 MiB image, next to memcpy of the same bytes in
// the same run: the ratio of the two is what counts, not the absolute times.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "core/files/ChecksumCrc32.h"
#include "core/model/AreaLayout.h"

namespace {

std::vector<uint8_t> Image() {
  std::vector<uint8_t> v(korvane::kImageSize);
  uint32_t x = 12345;
  for (auto& b : v) b = static_cast<uint8_t>((x = x * 1103515245u + 12345u) >> 16);
  return v;
}

void BM_Crc32_5MiB(benchmark::State& state) {
  const auto image = Image();
  for (auto _ : state) benchmark::DoNotOptimize(korvane::ChecksumCrc32(image.data(), image.size()));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(image.size()));
}

void BM_Memcpy_5MiB(benchmark::State& state) {
  const auto image = Image();
  std::vector<uint8_t> copy(image.size());
  for (auto _ : state) {
    std::memcpy(copy.data(), image.data(), image.size());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(image.size()));
}

BENCHMARK(BM_Memcpy_5MiB);
BENCHMARK(BM_Crc32_5MiB);

}  // namespace

BENCHMARK_MAIN();
