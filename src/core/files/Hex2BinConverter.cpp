#include "core/files/Hex2BinConverter.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <string>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace korvane {
namespace {

static_assert(std::endian::native == std::endian::little, "the eight-lane decoding stores bytes in little-endian order");

// The value of each character as a hexadecimal digit, -1 for any other.
struct HexDigits {
  int8_t value[256];
  constexpr HexDigits() : value() {
    for (int c = 0; c < 256; ++c) value[c] = -1;
    for (int c = '0'; c <= '9'; ++c) value[c] = static_cast<int8_t>(c - '0');
    for (int c = 'A'; c <= 'F'; ++c) value[c] = static_cast<int8_t>(c - 'A' + 10);
    for (int c = 'a'; c <= 'f'; ++c) value[c] = static_cast<int8_t>(c - 'a' + 10);
  }
};
constexpr HexDigits kHex{};

inline int Digit(char c) { return kHex.value[static_cast<uint8_t>(c)]; }

// Up to count hexadecimal characters from line[at], read as far as they are
// valid: "4G" reads 4, "G4" reads 0; characters past the line's end are absent.
inline uint32_t ReadHex(const char* line, uint32_t lineLength, uint32_t at, uint32_t count) {
  uint32_t value = 0;
  for (uint32_t i = 0; i < count && at + i < lineLength; ++i) {
    const int d = Digit(line[at + i]);
    if (d < 0) break;
    value = value * 16 + static_cast<uint32_t>(d);
  }
  return value;
}

constexpr uint64_t kOnes = 0x0101010101010101ull;
constexpr uint64_t kHighBits = 0x8080808080808080ull;

// High bit of each byte lane set where lo <= byte <= hi (bytes below 0x80).
inline uint64_t LanesInRange(uint64_t v, uint8_t lo, uint8_t hi) {
  const uint64_t atLeastLo = v + kOnes * (0x80 - lo);
  const uint64_t aboveHi = v + kOnes * (0x7F - hi);
  return atLeastLo & ~aboveHi & kHighBits;
}

// Eight hexadecimal characters to four bytes, eight lanes at once; false
// when any of them is not a hexadecimal digit.
inline bool DecodeEight(const char* text, uint8_t* out) {
  uint64_t v;
  std::memcpy(&v, text, 8);
  if (v & kHighBits) return false;
  const uint64_t digit = LanesInRange(v, '0', '9');
  const uint64_t letter = LanesInRange(v | kOnes * 0x20, 'a', 'f');
  if ((digit | letter) != kHighBits) return false;
  // A digit's value is its low nibble; a letter's is its low nibble + 9.
  const uint64_t nibbles = (v & kOnes * 0x0F) + ((letter >> 7) * 9);
  // Character 2k (the high nibble) and 2k+1 make byte k, in 16-bit lanes...
  uint64_t pairs = ((nibbles & 0x000F000F000F000Full) << 4) | ((nibbles >> 8) & 0x000F000F000F000Full);
  // ...then the four lanes close up into four bytes.
  pairs = (pairs | (pairs >> 8)) & 0x0000FFFF0000FFFFull;
  pairs = (pairs | (pairs >> 16)) & 0xFFFFFFFFull;
  const uint32_t bytes = static_cast<uint32_t>(pairs);
  std::memcpy(out, &bytes, 4);
  return true;
}

#ifdef __SSE2__
// Sixteen hexadecimal characters to eight bytes in one register.
inline bool DecodeSixteen(const char* text, uint8_t* out) {
  const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text));
  // Signed comparisons: characters from 0x80 up are negative and fail both ranges.
  const __m128i digit = _mm_and_si128(_mm_cmpgt_epi8(v, _mm_set1_epi8('0' - 1)), _mm_cmplt_epi8(v, _mm_set1_epi8('9' + 1)));
  const __m128i lower = _mm_or_si128(v, _mm_set1_epi8(0x20));
  const __m128i letter =
      _mm_and_si128(_mm_cmpgt_epi8(lower, _mm_set1_epi8('a' - 1)), _mm_cmplt_epi8(lower, _mm_set1_epi8('f' + 1)));
  if (_mm_movemask_epi8(_mm_or_si128(digit, letter)) != 0xFFFF) return false;
  const __m128i nibbles =
      _mm_add_epi8(_mm_and_si128(v, _mm_set1_epi8(0x0F)), _mm_and_si128(letter, _mm_set1_epi8(9)));
  // Character 2k is the high nibble of byte k, character 2k+1 its low one.
  const __m128i high = _mm_slli_epi16(_mm_and_si128(nibbles, _mm_set1_epi16(0x00FF)), 4);
  const __m128i low = _mm_srli_epi16(nibbles, 8);
  _mm_storel_epi64(reinterpret_cast<__m128i*>(out), _mm_packus_epi16(_mm_or_si128(high, low), _mm_setzero_si128()));
  return true;
}
#endif

// count bytes from 2 x count hexadecimal characters; false when any
// character is not a hexadecimal digit (the careful path then reads them).
inline bool DecodePairs(const char* text, uint32_t count, uint8_t* out) {
  uint32_t i = 0;
#ifdef __SSE2__
  for (; i + 8 <= count; i += 8)
    if (!DecodeSixteen(text + 2 * i, out + i)) return false;
#endif
  for (; i + 4 <= count; i += 4)
    if (!DecodeEight(text + 2 * i, out + i)) return false;
  for (; i < count; ++i) {
    const int hi = Digit(text[2 * i]), lo = Digit(text[2 * i + 1]);
    if ((hi | lo) < 0) return false;
    out[i] = static_cast<uint8_t>(hi << 4 | lo);
  }
  return true;
}

// The position of the first line feed in text[from, length), or length.
inline uint32_t FindLineFeed(const char* text, uint32_t from, uint32_t length) {
#ifdef __SSE2__
  // Lines are short: sixteen characters at a time, without a call.
  const __m128i feed = _mm_set1_epi8('\n');
  for (; from + 16 <= length; from += 16) {
    const int hits =
        _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(text + from)), feed));
    if (hits) return from + static_cast<uint32_t>(__builtin_ctz(static_cast<unsigned>(hits)));
  }
#endif
  const void* lf = std::memchr(text + from, '\n', length - from);
  return lf ? static_cast<uint32_t>(static_cast<const char*>(lf) - text) : length;
}

}  // namespace

// One conversion's running state beside the converter's members.
struct HexTextReader::State {
  uint8_t* image;
  C_Hex2BinConverter& c;
  uint32_t remaining = 0;  // data bytes the current record still expects
  bool ended = false;      // a line too long ended the conversion
  std::string partial;     // the start of a line that the next piece goes on with

  State(uint8_t* image_, C_Hex2BinConverter& converter) : image(image_), c(converter) {}

  // The data characters of one line, from character `at`.
  void TakeData(const char* line, uint32_t lineLength, uint32_t at) {
    // The segment wrap applies to the start of a line only.
    const uint32_t start = c.segmentSpan != 0 ? c.baseAddress + ((c.recordOffset + c.recordPosition) % 0x10000u)
                                              : c.baseAddress + c.recordOffset + c.recordPosition;
    // Moving forward jumps over a gap (those positions already hold the gap
    // byte, 0xFF); moving back rewrites. Either way the cursor lands on start.
    c.cursor = start;
    c.highMark = std::max(c.highMark, start);

    // The bytes this line holds for the record: whole pairs, at most what
    // the record still expects.
    const uint32_t pairs = at + 2 <= lineLength ? (lineLength - at) / 2 : 0;
    const uint32_t want = std::min(pairs, remaining);
    const uint64_t optionEnd = uint64_t{c.optionStart} + c.optionSize;
    uint32_t taken = 0;
    const uint64_t end = uint64_t{start} + want;
    // Inside the image the bytes are decoded in place; should a pair turn out
    // not to be hexadecimal, the careful path rewrites the same bytes.
    uint8_t spare[kMaxHexLine / 2];
    uint8_t* const out = end <= kConvertImageSize ? image + start : spare;
    if (want > 0 && end < (uint64_t{1} << 32) && DecodePairs(line + at, want, out)) {
      // A line of sound pairs whose addresses do not wrap: the whole line at
      // once, with the same result as byte by byte below.
      if (out == spare && start < kConvertImageSize)
        std::memcpy(image + start, spare, static_cast<size_t>(kConvertImageSize - start));
      if (std::max<uint64_t>(start, c.optionStart) < std::min(end, optionEnd))
        c.optionCount = std::max(c.optionCount, static_cast<uint32_t>(std::min(end, optionEnd) - c.optionStart));
      c.cursor = static_cast<uint32_t>(end);
      c.highMark = std::max(c.highMark, c.cursor);
      c.recordPosition += want;
      taken = want;
    } else {
      // Byte by byte: a pair that is not hexadecimal reads as far as it is
      // valid, and the cursor may wrap past the top of the address space.
      while (at + 2 <= lineLength && taken < remaining) {
        const uint8_t byte = static_cast<uint8_t>(ReadHex(line, at + 2, at, 2));
        if (c.cursor < kConvertImageSize) image[c.cursor] = byte;
        if (c.cursor >= c.optionStart && c.cursor < optionEnd)
          c.optionCount = std::max(c.optionCount, c.cursor - c.optionStart + 1);
        ++c.cursor;
        c.highMark = std::max(c.highMark, c.cursor);
        at += 2;
        ++c.recordPosition;
        ++taken;
      }
    }
    if (c.highMark < c.codeLimit && c.highMark > c.codeEnd) c.codeEnd = c.highMark;
    if (taken < remaining) {
      remaining -= taken;  // the record goes on with the next line without ':'
    } else {
      remaining = 0;
      c.recordPosition = 0;
    }
  }

  // The common line, a whole data record that lands inside the image, read
  // in one go with the same result as Line; false for anything else, which
  // Line then reads by the general rules.
  bool QuickDataLine(const char* line, uint32_t n) {
    uint8_t header[4];
    if (n < 9 || line[0] != ':' || c.segmentSpan != 0 || c.recordPosition != 0 || !DecodeEight(line + 1, header) ||
        header[3] != 0x00)
      return false;
    const uint32_t count = header[0];
    const uint32_t offset = uint32_t{header[1]} << 8 | header[2];
    // A linear base is a multiple of 0x10000, so base + offset cannot wrap.
    const uint32_t start = c.baseAddress + offset;
    const uint64_t end = uint64_t{start} + count;
    // Should a pair turn out not to be hexadecimal, Line rewrites the same bytes.
    if (count == 0 || 9 + 2 * count > n || end > kConvertImageSize || !DecodePairs(line + 9, count, image + start))
      return false;
    c.recordOffset = static_cast<uint16_t>(offset);
    c.cursor = static_cast<uint32_t>(end);
    c.highMark = std::max(c.highMark, c.cursor);
    const uint64_t optionEnd = uint64_t{c.optionStart} + c.optionSize;
    if (std::max<uint64_t>(start, c.optionStart) < std::min(end, optionEnd))
      c.optionCount = std::max(c.optionCount, static_cast<uint32_t>(std::min(end, optionEnd) - c.optionStart));
    if (c.highMark < c.codeLimit && c.highMark > c.codeEnd) c.codeEnd = c.highMark;
    remaining = 0;  // the record is complete; its position stays 0
    return true;
  }

  void Line(const char* line, uint32_t n) {
    if (n == 0) return;
    if (line[0] != ':') {
      if (remaining != 0) TakeData(line, n, 0);
      return;
    }
    uint32_t count, offset, type;
    uint8_t header[4];
    if (n >= 9 && DecodeEight(line + 1, header)) {  // the usual whole header
      count = header[0];
      offset = uint32_t{header[1]} << 8 | header[2];
      type = header[3];
    } else {
      count = ReadHex(line, n, 1, 2);
      offset = ReadHex(line, n, 3, 4);
      type = ReadHex(line, n, 7, 2);
    }
    switch (type) {
      case 0x00:
        remaining = count;
        c.recordOffset = static_cast<uint16_t>(offset);
        TakeData(line, n, 9);
        break;
      case 0x02:
        c.baseAddress = ReadHex(line, n, 9, 4) * 16;
        c.segmentSpan = 0x10000;
        break;
      case 0x04:
        c.baseAddress = ReadHex(line, n, 9, 4) << 16;
        c.segmentSpan = 0;
        break;
      default:  // end of file, start addresses and unknown types: reading goes on
        break;
    }
  }
};

HexTextReader::HexTextReader(uint8_t* image, C_Hex2BinConverter& converter) : state_(new State(image, converter)) {
  converter.eraseByte = 0xFF;
  converter.gapByte = 0xFF;
  std::memset(image, 0xFF, kConvertImageSize);
}

HexTextReader::~HexTextReader() { delete state_; }

bool HexTextReader::Feed(const char* text, uint32_t length) {
  State& s = *state_;
  uint32_t pos = 0;
  if (!s.partial.empty() && !s.ended) {
    // The line begun in an earlier piece goes on to this piece's first line feed.
    const void* lf = std::memchr(text, '\n', length);
    const uint32_t end = lf ? static_cast<uint32_t>(static_cast<const char*>(lf) - text) : length;
    if (s.partial.size() + end >= kMaxHexLine) {
      s.ended = true;
    } else {
      s.partial.append(text, end);
      if (!lf) return true;
      s.Line(s.partial.data(), static_cast<uint32_t>(s.partial.size()));
      s.partial.clear();
      pos = end + 1;
    }
  }
  while (!s.ended && pos < length) {
    const uint32_t end = FindLineFeed(text, pos, length);
    const uint32_t n = end - pos;
    if (n >= kMaxHexLine) {
      s.ended = true;  // no line is that long in a sound file; stop with what was read
    } else if (end == length) {
      s.partial.assign(text + pos, n);
    } else if (!s.QuickDataLine(text + pos, n)) {
      s.Line(text + pos, n);
    }
    pos = end + 1;
  }
  return !s.ended;
}

void HexTextReader::Finish() {
  State& s = *state_;
  if (!s.ended && !s.partial.empty()) s.Line(s.partial.data(), static_cast<uint32_t>(s.partial.size()));
  s.partial.clear();
}

void Convert(uint8_t* image, C_Hex2BinConverter& converter, const char* text, uint32_t length) {
  if (!text || !image) return;
  HexTextReader reader(image, converter);
  reader.Feed(text, length);
  reader.Finish();
}

}  // namespace korvane
