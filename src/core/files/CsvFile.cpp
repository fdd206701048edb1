#include "core/files/CsvFile.h"

#include <filesystem>
#include <fstream>
#include <iterator>

#include "core/text/TextFormat.h"

namespace korvane {

namespace {

bool LineEnd(char c) { return c == '\n' || c == '\r'; }

// Reads one field starting at i; leaves i on the comma, line end or end of text.
std::string ReadField(const std::string& text, size_t& i, int& line, std::string& problem) {
  size_t start = i;
  while (start < text.size() && (text[start] == ' ' || text[start] == '\t')) ++start;
  if (start >= text.size() || text[start] != '"') {
    while (i < text.size() && text[i] != ',' && !LineEnd(text[i])) ++i;
    return TrimWhite(text.substr(start, i - start));
  }
  std::string field;
  i = start + 1;
  for (;;) {
    if (i >= text.size()) {
      if (problem.empty()) problem = "a quoted field is not closed";
      return field;
    }
    const char c = text[i++];
    if (c == '"') {
      if (i < text.size() && text[i] == '"') {
        field += '"';
        ++i;
        continue;
      }
      break;
    }
    if (c == '\n') ++line;
    field += c;
  }
  // Only blanks may follow the closing quote.
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  if (i < text.size() && text[i] != ',' && !LineEnd(text[i])) {
    if (problem.empty()) problem = "text follows a closing quote";
    while (i < text.size() && text[i] != ',' && !LineEnd(text[i])) field += text[i++];
  }
  return field;
}

}  // namespace

CsvTable ParseCsv(const std::string& input) {
  const std::string bom = "\xEF\xBB\xBF";
  const std::string text = input.compare(0, bom.size(), bom) == 0 ? input.substr(bom.size()) : input;
  CsvTable table;
  size_t i = 0;
  int line = 1;
  while (i < text.size()) {
    // A blank line is no row.
    if (LineEnd(text[i])) {
      if (text[i] == '\n') ++line;
      ++i;
      continue;
    }
    CsvRow row;
    row.line = line;
    for (;;) {
      row.fields.push_back(ReadField(text, i, line, row.problem));
      if (i < text.size() && text[i] == ',') {
        ++i;
        continue;
      }
      break;
    }
    const bool blank = row.fields.size() == 1 && row.fields[0].empty() && row.problem.empty();
    if (!blank) table.rows.push_back(std::move(row));
  }
  return table;
}

bool ReadCsvFile(const std::string& path, CsvTable& table) {
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) return false;
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return false;
  table = ParseCsv(text);
  return true;
}

}  // namespace korvane
