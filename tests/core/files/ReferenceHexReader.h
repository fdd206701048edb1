#pragma once
// The code-file reading rules written as plainly as possible, one character
// pair at a time: the oracle that the fast reader is compared with, byte for
// byte and member for member, on random and fuzzed text.
#include <algorithm>
#include <cstdint>
#include <cstring>

#include "core/files/Hex2BinConverter.h"

namespace korvane::test {

inline uint32_t ReferenceReadHex(const char* line, uint32_t lineLength, uint32_t at, uint32_t count) {
  uint32_t value = 0;
  for (uint32_t i = 0; i < count && at + i < lineLength; ++i) {
    const char c = line[at + i];
    int d = -1;
    if (c >= '0' && c <= '9') d = c - '0';
    else if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
    else if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
    if (d < 0) break;
    value = value * 16 + static_cast<uint32_t>(d);
  }
  return value;
}

struct ReferenceReader {
  uint8_t* image;
  C_Hex2BinConverter& c;
  uint32_t remaining = 0;

  void TakeData(const char* line, uint32_t lineLength, uint32_t at) {
    const uint32_t start = c.segmentSpan != 0 ? c.baseAddress + ((c.recordOffset + c.recordPosition) % 0x10000u)
                                              : c.baseAddress + c.recordOffset + c.recordPosition;
    c.cursor = start;
    c.highMark = std::max(c.highMark, start);
    const uint64_t optionEnd = uint64_t{c.optionStart} + c.optionSize;
    uint32_t taken = 0;
    while (at + 2 <= lineLength && taken < remaining) {
      const uint8_t byte = static_cast<uint8_t>(ReferenceReadHex(line, at + 2, at, 2));
      if (c.cursor < kConvertImageSize) image[c.cursor] = byte;
      // The count only grows: a later record lower in the option area loses no option bytes.
      if (c.cursor >= c.optionStart && c.cursor < optionEnd)
        c.optionCount = std::max(c.optionCount, c.cursor - c.optionStart + 1);
      ++c.cursor;
      c.highMark = std::max(c.highMark, c.cursor);
      at += 2;
      ++c.recordPosition;
      ++taken;
    }
    if (c.highMark < c.codeLimit && c.highMark > c.codeEnd) c.codeEnd = c.highMark;
    if (taken < remaining) {
      remaining -= taken;
    } else {
      remaining = 0;
      c.recordPosition = 0;
    }
  }

  void Line(const char* line, uint32_t n) {
    if (n == 0) return;
    if (line[0] != ':') {
      if (remaining != 0) TakeData(line, n, 0);
      return;
    }
    const uint32_t count = ReferenceReadHex(line, n, 1, 2);
    const uint32_t offset = ReferenceReadHex(line, n, 3, 4);
    const uint32_t type = ReferenceReadHex(line, n, 7, 2);
    switch (type) {
      case 0x00:
        remaining = count;
        c.recordOffset = static_cast<uint16_t>(offset);
        TakeData(line, n, 9);
        break;
      case 0x02:
        c.baseAddress = ReferenceReadHex(line, n, 9, 4) * 16;
        c.segmentSpan = 0x10000;
        break;
      case 0x04:
        c.baseAddress = ReferenceReadHex(line, n, 9, 4) << 16;
        c.segmentSpan = 0;
        break;
      default:
        break;
    }
  }
};

inline void ReferenceConvert(uint8_t* image, C_Hex2BinConverter& converter, const char* text, uint32_t length) {
  if (!text || !image) return;
  converter.eraseByte = 0xFF;
  converter.gapByte = 0xFF;
  std::memset(image, 0xFF, kConvertImageSize);
  ReferenceReader reader{image, converter};
  uint32_t pos = 0;
  while (pos < length) {
    const void* lf = std::memchr(text + pos, '\n', length - pos);
    const uint32_t end = lf ? static_cast<uint32_t>(static_cast<const char*>(lf) - text) : length;
    const uint32_t n = end - pos;
    if (n >= kMaxHexLine) return;
    reader.Line(text + pos, n);
    pos = end + 1;
  }
}

// Every member of two converters agrees.
inline bool SameConverterState(const C_Hex2BinConverter& a, const C_Hex2BinConverter& b) {
  return a.highMark == b.highMark && a.eraseByte == b.eraseByte && a.cursor == b.cursor &&
         a.codeLimit == b.codeLimit && a.codeEnd == b.codeEnd && a.optionStart == b.optionStart &&
         a.optionSize == b.optionSize && a.optionCount == b.optionCount && a.gapByte == b.gapByte &&
         a.segmentSpan == b.segmentSpan && a.baseAddress == b.baseAddress && a.recordOffset == b.recordOffset &&
         a.recordPosition == b.recordPosition;
}

}  // namespace korvane::test
