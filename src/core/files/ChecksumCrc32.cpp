#include "core/files/ChecksumCrc32.h"

#include <array>
#include <cstring>

namespace korvane {
namespace {

// Slicing-by-8: table[k][b] is the CRC of byte b followed by k zero bytes, so
// eight bytes are folded with eight independent look-ups instead of a chain of
// eight dependent ones. The result is the byte-at-a-time CRC for every input.
struct Tables {
  std::array<std::array<uint32_t, 256>, 8> t{};
  constexpr Tables() {
    for (uint32_t b = 0; b < 256; ++b) {
      uint32_t c = b << 24;
      for (int i = 0; i < 8; ++i) c = (c & 0x80000000u) ? (c << 1) ^ 0x04C11DB7u : c << 1;
      t[0][b] = c;
    }
    for (uint32_t b = 0; b < 256; ++b)
      for (int k = 1; k < 8; ++k) t[k][b] = (t[k - 1][b] << 8) ^ t[0][t[k - 1][b] >> 24];
  }
};
constexpr Tables kTables{};

}  // namespace

uint32_t ChecksumCrc32(const uint8_t* data, int64_t length) {
  uint32_t crc = 0xFFFFFFFFu;
  if (!data || length <= 0) return crc;
  const auto& t = kTables.t;
  int64_t n = length;
  while (n >= 8) {
    const uint32_t hi = crc ^ (uint32_t{data[0]} << 24 | uint32_t{data[1]} << 16 | uint32_t{data[2]} << 8 | data[3]);
    crc = t[7][hi >> 24] ^ t[6][(hi >> 16) & 0xFF] ^ t[5][(hi >> 8) & 0xFF] ^ t[4][hi & 0xFF] ^
          t[3][data[4]] ^ t[2][data[5]] ^ t[1][data[6]] ^ t[0][data[7]];
    data += 8;
    n -= 8;
  }
  while (n-- > 0) crc = (crc << 8) ^ t[0][(crc >> 24) ^ *data++];
  return crc;
}

}  // namespace korvane
