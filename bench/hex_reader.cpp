// The code-file reader's throughput on a code file at the 5 MiB limit
// (16-byte records of varied data, extended linear address records, CRLF),
// next to memcpy of the same text in the same run: the ratio of the two is
// what counts, not the absolute figures. "Convert" reads text in memory;
// "LoadCodeFile" reads the file from the page cache a block at a time and
// applies the patches, as every image preparation does.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/files/CodeFile.h"
#include "core/files/Hex2BinConverter.h"
#include "core/model/CoreContext.h"

namespace {

// As bench/cli_checksum_vs_srec_cat.sh makes it: as many records as fit in 5 MiB.
std::string BigHexText() {
  const size_t limit = korvane::kMaxCodeFileSize;
  auto record = [](uint32_t type, uint32_t offset, const std::vector<uint8_t>& data) {
    std::vector<uint8_t> b = {static_cast<uint8_t>(data.size()), static_cast<uint8_t>(offset >> 8),
                              static_cast<uint8_t>(offset), static_cast<uint8_t>(type)};
    b.insert(b.end(), data.begin(), data.end());
    uint8_t sum = 0;
    std::string line = ":";
    char hex[3];
    for (uint8_t x : b) {
      std::snprintf(hex, sizeof hex, "%02X", x);
      line += hex;
      sum = static_cast<uint8_t>(sum + x);
    }
    std::snprintf(hex, sizeof hex, "%02X", static_cast<uint8_t>(-sum));
    return line + hex + "\r\n";
  };
  std::string text = ":020000040000FA\r\n";
  const std::string end = ":00000001FF\r\n";
  for (uint32_t addr = 0;; addr += 16) {
    if (addr && addr % 0x10000 == 0) {
      const std::string line = record(4, 0, {static_cast<uint8_t>(addr >> 24), static_cast<uint8_t>(addr >> 16)});
      if (text.size() + line.size() + end.size() > limit) break;
      text += line;
    }
    std::vector<uint8_t> data(16);
    for (uint32_t i = 0; i < 16; ++i) data[i] = static_cast<uint8_t>((addr + i) * 37);
    const std::string line = record(0, addr & 0xFFFF, data);
    if (text.size() + line.size() + end.size() > limit) break;
    text += line;
  }
  return text + end;
}

const std::string& Text() {
  static const std::string text = BigHexText();
  return text;
}

void BM_Memcpy(benchmark::State& state) {
  const std::string& text = Text();
  std::vector<char> copy(text.size());
  for (auto _ : state) {
    std::memcpy(copy.data(), text.data(), text.size());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}

void BM_Convert(benchmark::State& state) {
  const std::string& text = Text();
  std::vector<uint8_t> image(korvane::kConvertImageSize);
  for (auto _ : state) {
    korvane::C_Hex2BinConverter converter(0x4E0000, 0x4F0000, 0x100);
    korvane::Convert(image.data(), converter, text.data(), static_cast<uint32_t>(text.size()));
    benchmark::DoNotOptimize(converter.codeEnd);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}

void BM_LoadCodeFile(benchmark::State& state) {
  const std::string& text = Text();
  const std::string path =
      (std::filesystem::temp_directory_path() / ("korvane-bench-" + std::to_string(::getpid()) + ".hex")).string();
  std::ofstream(path, std::ios::binary) << text;
  korvane::CoreContext ctx;
  ctx.layout.codeSize = 0x4E0000;
  ctx.layout.optionStart = 0x4F0000;
  ctx.layout.optionSize = 0x100;
  for (auto _ : state) {
    if (!korvane::LoadCodeFile(ctx, path, false)) state.SkipWithError("the code file could not be read");
    benchmark::ClobberMemory();
  }
  std::filesystem::remove(path);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}

BENCHMARK(BM_Memcpy)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Convert)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadCodeFile)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
