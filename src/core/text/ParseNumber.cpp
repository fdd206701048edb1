#include "core/text/ParseNumber.h"

#include <cctype>
#include <climits>

#include "core/text/TextFormat.h"

namespace korvane {
namespace {

// Unsigned hexadecimal the way strtoul(…, 16) reads it: optional sign, optional
// 0x prefix, digits until the first other character; clamped to 32 bits.
uint32_t ReadHex32(const std::string& t) {
  size_t i = 0;
  bool negative = false;
  if (i < t.size() && (t[i] == '+' || t[i] == '-')) negative = t[i++] == '-';
  if (i + 1 < t.size() && t[i] == '0' && (t[i + 1] == 'X' || t[i + 1] == 'x') &&
      i + 2 < t.size() && HexDigitValue(t[i + 2]) >= 0)
    i += 2;
  uint64_t v = 0;
  bool overflow = false;
  for (; i < t.size() && HexDigitValue(t[i]) >= 0; ++i) {
    v = v * 16 + static_cast<uint64_t>(HexDigitValue(t[i]));
    if (v > UINT32_MAX) overflow = true;
  }
  if (overflow) return UINT32_MAX;
  uint32_t r = static_cast<uint32_t>(v);
  return negative ? static_cast<uint32_t>(0u - r) : r;
}

// Signed decimal the way atol reads it, clamped to 32 bits.
int32_t ReadDecimal32(const std::string& t) {
  size_t i = 0;
  bool negative = false;
  if (i < t.size() && (t[i] == '+' || t[i] == '-')) negative = t[i++] == '-';
  int64_t v = 0;
  for (; i < t.size() && std::isdigit(static_cast<unsigned char>(t[i])); ++i) {
    v = v * 10 + (t[i] - '0');
    if (v > static_cast<int64_t>(INT32_MAX) + 1) v = static_cast<int64_t>(INT32_MAX) + 1;
  }
  if (negative) v = -v;
  if (v > INT32_MAX) return INT32_MAX;
  if (v < INT32_MIN) return INT32_MIN;
  return static_cast<int32_t>(v);
}

}  // namespace

uint64_t ReadHexDigits(const std::string& text) {
  size_t i = 0;
  while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
  if (i + 2 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X') &&
      HexDigitValue(text[i + 2]) >= 0)
    i += 2;
  uint64_t v = 0;
  for (; i < text.size() && HexDigitValue(text[i]) >= 0; ++i) {
    if (v > (UINT64_MAX >> 4)) return UINT64_MAX;
    v = v * 16 + static_cast<uint64_t>(HexDigitValue(text[i]));
  }
  return v;
}

int32_t ParseNumber(const std::string& text, int32_t fallback) {
  std::string t = TrimWhite(text);
  if (t.empty()) return fallback;
  t = ToUpperAscii(t);
  if (t.rfind("0X", 0) == 0 || t.find('H', 1) != std::string::npos)
    return static_cast<int32_t>(ReadHex32(t));
  return ReadDecimal32(t);
}

}  // namespace korvane
