#pragma once
// printf-style formatting into std::string, and the one-placeholder formats
// that come from the language tables.
#include <string>

namespace korvane {

// Formats like snprintf; the format is always a literal of the program.
std::string StrFormat(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Fills a language-table format that takes one text ("%s"). Only "%s" and "%%"
// are understood, so a table text can never make the formatter read arguments
// that were not passed.
std::string FormatText(const std::string& format, const std::string& argument);

// Upper-case copy (ASCII only) and white-space trim, the way numbers and
// names are compared throughout.
std::string ToUpperAscii(std::string text);
std::string TrimWhite(const std::string& text);

// The value of one hexadecimal digit, either case; −1 for any other character.
int HexDigitValue(char c);

}  // namespace korvane
