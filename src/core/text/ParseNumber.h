#pragma once
// The one rule by which every numeric attribute of a description is read.
#include <cstdint>
#include <string>

namespace korvane {

// Decimal (optional sign), or hexadecimal with a "0X" prefix or an "H" after
// the first character; white space around it is ignored; empty text gives
// fallback. Reading stops at the first character that does not fit. The result
// keeps the bit pattern of hexadecimal values above 0x7FFFFFFF; decimal values
// beyond 32 bits are clamped.
int32_t ParseNumber(const std::string& text, int32_t fallback);

// The hexadecimal value a user typed: leading white space and an optional
// "0x" prefix, then digits up to the first character that is not one. A
// hexadecimal value has no sign, so "-1" reads 0. Saturates at the largest
// 64-bit value.
uint64_t ReadHexDigits(const std::string& text);

}  // namespace korvane
