#include "core/files/Hex2BinConverter.h"

#include <algorithm>
#include <cstring>

#include "core/text/TextFormat.h"

namespace korvane {
namespace {

// Up to count hexadecimal characters from line[at], read as far as they are
// valid: "4G" reads 4, "G4" reads 0; characters past the line's end are absent.
uint32_t ReadHex(const char* line, uint32_t lineLength, uint32_t at, uint32_t count) {
  uint32_t value = 0;
  for (uint32_t i = 0; i < count && at + i < lineLength; ++i) {
    const int d = HexDigitValue(line[at + i]);
    if (d < 0) break;
    value = value * 16 + static_cast<uint32_t>(d);
  }
  return value;
}

// One conversion's running state beside the converter's members.
struct Reader {
  uint8_t* image;
  C_Hex2BinConverter& c;
  uint32_t remaining = 0;  // data bytes the current record still expects

  // The data characters of one line, from character `at`.
  void TakeData(const char* line, uint32_t lineLength, uint32_t at) {
    // The segment wrap applies to the start of a line only.
    const uint32_t start = c.segmentSpan != 0 ? c.baseAddress + ((c.recordOffset + c.recordPosition) % 0x10000u)
                                              : c.baseAddress + c.recordOffset + c.recordPosition;
    // Moving forward jumps over a gap (those positions already hold the gap
    // byte, 0xFF); moving back rewrites. Either way the cursor lands on start.
    c.cursor = start;
    c.highMark = std::max(c.highMark, start);

    const uint64_t optionEnd = uint64_t{c.optionStart} + c.optionSize;
    uint32_t taken = 0;
    while (at + 2 <= lineLength && taken < remaining) {  // a short header leaves at past the end
      const uint8_t byte = static_cast<uint8_t>(ReadHex(line, at + 2, at, 2));
      if (c.cursor < kConvertImageSize) image[c.cursor] = byte;
      if (c.cursor >= c.optionStart && c.cursor < optionEnd) c.optionCount = c.cursor - c.optionStart + 1;
      ++c.cursor;
      c.highMark = std::max(c.highMark, c.cursor);
      at += 2;
      ++c.recordPosition;
      ++taken;
    }
    if (c.highMark < c.codeLimit && c.highMark > c.codeEnd) c.codeEnd = c.highMark;
    if (taken < remaining) {
      remaining -= taken;  // the record goes on with the next line without ':'
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
    const uint32_t count = ReadHex(line, n, 1, 2);
    const uint32_t offset = ReadHex(line, n, 3, 4);
    const uint32_t type = ReadHex(line, n, 7, 2);
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

}  // namespace

void Convert(uint8_t* image, C_Hex2BinConverter& converter, const char* text, uint32_t length) {
  if (!text || !image) return;
  converter.eraseByte = 0xFF;
  converter.gapByte = 0xFF;
  std::memset(image, 0xFF, kConvertImageSize);
  Reader reader{image, converter};
  uint32_t pos = 0;
  while (pos < length) {
    const void* lf = std::memchr(text + pos, '\n', length - pos);
    const uint32_t end = lf ? static_cast<uint32_t>(static_cast<const char*>(lf) - text) : length;
    const uint32_t n = end - pos;
    if (n >= kMaxHexLine) return;  // no line is that long in a sound file; stop with what was read
    reader.Line(text + pos, n);
    pos = end + 1;
  }
}

}  // namespace korvane
