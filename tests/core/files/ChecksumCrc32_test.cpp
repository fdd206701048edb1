#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "core/files/ChecksumCrc32.h"

namespace korvane {
namespace {

// The plain bit-at-a-time definition, independent of the tables.
uint32_t BitwiseCrc(const uint8_t* p, size_t n) {
  uint32_t crc = 0xFFFFFFFFu;
  for (size_t i = 0; i < n; ++i) {
    crc ^= uint32_t{p[i]} << 24;
    for (int b = 0; b < 8; ++b) crc = (crc & 0x80000000u) ? (crc << 1) ^ 0x04C11DB7u : crc << 1;
  }
  return crc;
}

TEST(ChecksumCrc32, KnownValues) {
  const uint8_t digits[] = {'1', '2', '3', '4', '5', '6', '7', '8', '9'};
  EXPECT_EQ(ChecksumCrc32(digits, 9), 0x0376E6E7u);
  const uint8_t zero = 0;
  EXPECT_EQ(ChecksumCrc32(&zero, 1), 0x4E08BFB4u);
  EXPECT_EQ(ChecksumCrc32(digits, 0), 0xFFFFFFFFu);
  EXPECT_EQ(ChecksumCrc32(digits, -3), 0xFFFFFFFFu);
  EXPECT_EQ(ChecksumCrc32(nullptr, 4), 0xFFFFFFFFu);
}

TEST(ChecksumCrc32, EqualsTheBitwiseDefinitionForEveryLengthAndAlignment) {
  std::mt19937 rng(7);
  std::vector<uint8_t> data(4096 + 16);
  for (auto& b : data) b = static_cast<uint8_t>(rng());
  for (size_t offset = 0; offset < 8; ++offset)
    for (size_t len : {1u, 2u, 7u, 8u, 9u, 15u, 16u, 17u, 255u, 256u, 1000u, 4096u})
      EXPECT_EQ(ChecksumCrc32(data.data() + offset, static_cast<int64_t>(len)), BitwiseCrc(data.data() + offset, len))
          << offset << "/" << len;
  std::vector<uint8_t> big(0x50000 + 77);
  for (auto& b : big) b = static_cast<uint8_t>(rng());
  for (size_t len : {63u, 64u, 65u, 127u, 128u, 129u, 0x50000u + 77u})
    EXPECT_EQ(ChecksumCrc32(big.data(), static_cast<int64_t>(len)), BitwiseCrc(big.data(), len)) << len;
  std::vector<uint8_t> ff(0x200, 0xFF);
  EXPECT_EQ(ChecksumCrc32(ff.data(), 0x200), BitwiseCrc(ff.data(), 0x200));
}

}  // namespace
}  // namespace korvane
