#include "core/files/ChecksumCrc32.h"

#include <array>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define KORVANE_CRC_CLMUL 1
#endif

namespace korvane {
namespace {

constexpr uint32_t kPoly = 0x04C11DB7u;

// Slicing-by-8: table[k][b] is the CRC of byte b followed by k zero bytes, so
// eight bytes are folded with eight independent look-ups instead of a chain of
// eight dependent ones.
struct Tables {
  std::array<std::array<uint32_t, 256>, 8> t{};
  constexpr Tables() {
    for (uint32_t b = 0; b < 256; ++b) {
      uint32_t c = b << 24;
      for (int i = 0; i < 8; ++i) c = (c & 0x80000000u) ? (c << 1) ^ kPoly : c << 1;
      t[0][b] = c;
    }
    for (uint32_t b = 0; b < 256; ++b)
      for (int k = 1; k < 8; ++k) t[k][b] = (t[k - 1][b] << 8) ^ t[0][t[k - 1][b] >> 24];
  }
};
constexpr Tables kTables{};

uint32_t CrcTables(uint32_t crc, const uint8_t* data, int64_t n) {
  const auto& t = kTables.t;
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

#ifdef KORVANE_CRC_CLMUL
// x^e mod P, bit i holding the coefficient of x^i.
constexpr uint64_t XPowMod(int e) {
  uint32_t r = 1;
  for (int i = 0; i < e; ++i) r = (r & 0x80000000u) ? (r << 1) ^ kPoly : r << 1;
  return r;
}

// Carry-less multiplication folding: the message is a polynomial whose first
// bit is the highest power. A 128-bit block R ahead of the rest by d bits is
// congruent (mod P) to R_hi·(x^(d+64) mod P) + R_lo·(x^d mod P), which has
// fewer than 96 bits and can be XORed onto the block d bits later. Four
// accumulators move 512 bits per round; the last 128-bit remainder goes
// through the tables, which gives exactly the byte-at-a-time result.
#define KORVANE_CLMUL_TARGET __attribute__((target("pclmul,ssse3")))

KORVANE_CLMUL_TARGET inline __m128i ByteSwap(__m128i v) {
  return _mm_shuffle_epi8(v, _mm_set_epi8(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15));
}
KORVANE_CLMUL_TARGET inline __m128i Load(const uint8_t* p) {
  return ByteSwap(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
}
KORVANE_CLMUL_TARGET inline __m128i Fold(__m128i r, __m128i k) {
  return _mm_xor_si128(_mm_clmulepi64_si128(r, k, 0x11), _mm_clmulepi64_si128(r, k, 0x00));
}

KORVANE_CLMUL_TARGET uint32_t CrcClmul(const uint8_t* data, int64_t n) {
  const __m128i k512 = _mm_set_epi64x(static_cast<long long>(XPowMod(576)), static_cast<long long>(XPowMod(512)));
  const __m128i k128 = _mm_set_epi64x(static_cast<long long>(XPowMod(192)), static_cast<long long>(XPowMod(128)));

  // The initial value 0xFFFFFFFF acts as an XOR onto the first 32 message bits.
  __m128i r0 = _mm_xor_si128(Load(data), _mm_set_epi32(-1, 0, 0, 0));
  __m128i r1 = Load(data + 16), r2 = Load(data + 32), r3 = Load(data + 48);
  data += 64;
  n -= 64;
  while (n >= 64) {
    r0 = _mm_xor_si128(Fold(r0, k512), Load(data));
    r1 = _mm_xor_si128(Fold(r1, k512), Load(data + 16));
    r2 = _mm_xor_si128(Fold(r2, k512), Load(data + 32));
    r3 = _mm_xor_si128(Fold(r3, k512), Load(data + 48));
    data += 64;
    n -= 64;
  }
  r1 = _mm_xor_si128(Fold(r0, k128), r1);
  r2 = _mm_xor_si128(Fold(r1, k128), r2);
  __m128i r = _mm_xor_si128(Fold(r2, k128), r3);
  while (n >= 16) {
    r = _mm_xor_si128(Fold(r, k128), Load(data));
    data += 16;
    n -= 16;
  }
  alignas(16) uint8_t rest[16];
  _mm_store_si128(reinterpret_cast<__m128i*>(rest), ByteSwap(r));
  return CrcTables(CrcTables(0, rest, 16), data, n);
}

bool HasClmul() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("ssse3");
}
#endif

}  // namespace

uint32_t ChecksumCrc32(const uint8_t* data, int64_t length) {
  if (!data || length <= 0) return 0xFFFFFFFFu;
#ifdef KORVANE_CRC_CLMUL
  static const bool clmul = HasClmul();  // a fact of the processor, read once
  if (clmul && length >= 64) return CrcClmul(data, length);
#endif
  return CrcTables(0xFFFFFFFFu, data, length);
}

}  // namespace korvane
