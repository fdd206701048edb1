#pragma once
// The lenient Intel HEX reader that turns a code file into the chip image.
// It differs from a strict reader on purpose, because the code files in use
// rely on it: record checksums are not tested, the end record ends nothing,
// a data record may go on over the following lines, and the code length is
// measured from where the data actually lands.
#include <cstdint>

#include "core/model/AreaLayout.h"

namespace korvane {

class C_Hex2BinConverter {
 public:
  C_Hex2BinConverter(uint32_t codeLimit_, uint32_t optionStart_, uint32_t optionSize_)
      : codeLimit(codeLimit_), optionStart(optionStart_), optionSize(optionSize_) {}
  virtual ~C_Hex2BinConverter() = default;

  uint32_t highMark = 0;      // one past the highest image position reached by data or gap filling
  uint8_t eraseByte = 0;      // 0xFF once a conversion starts
  uint32_t cursor = 0;        // where the next data byte goes
  uint32_t codeLimit = 0;     // code area size
  uint32_t codeEnd = 0;       // largest high mark seen while it was below the code limit
  uint32_t optionStart = 0;
  uint32_t optionSize = 0;
  uint32_t optionCount = 0;   // option bytes loaded: highest option position written + 1
  uint8_t gapByte = 0;        // what gaps are filled with, 0xFF
  uint32_t segmentSpan = 0;   // 0x10000 after a segment address record, else 0
  uint32_t baseAddress = 0;   // from the last segment or linear address record
  uint16_t recordOffset = 0;  // load offset of the current data record
  uint32_t recordPosition = 0;  // data bytes of the current record consumed so far
};

// Bytes in the image Convert fills; lines this long or longer stop a conversion.
constexpr uint32_t kConvertImageSize = kImageSize;
constexpr uint32_t kMaxHexLine = 4096;

// Converts length characters of HEX text into image (kConvertImageSize bytes,
// first set to 0xFF). The results are the image bytes and the converter's
// members; nothing is reported.
void Convert(uint8_t* image, C_Hex2BinConverter& converter, const char* text, uint32_t length);

// The same conversion over text that arrives in pieces (a file read a block
// at a time), with the same result as Convert over the whole text: a line may
// be split anywhere between two pieces.
class HexTextReader {
 public:
  // Starts the conversion: the erase and gap bytes, the image set to 0xFF.
  HexTextReader(uint8_t* image, C_Hex2BinConverter& converter);
  ~HexTextReader();
  HexTextReader(const HexTextReader&) = delete;
  HexTextReader& operator=(const HexTextReader&) = delete;

  // The next piece of text. False once the conversion has ended (a line of
  // kMaxHexLine characters or more); later pieces are then ignored.
  bool Feed(const char* text, uint32_t length);
  // The end of the text: a last line without a line feed is read now.
  void Finish();

 private:
  struct State;
  State* state_;
};

}  // namespace korvane
