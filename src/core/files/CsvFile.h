#pragma once
// Comma-separated tables as spreadsheets write them: a header row, then one
// row per record. Fields may be quoted ("a, b", with "" for a quote inside)
// and then hold commas and line breaks; unquoted fields lose the blanks
// around them. Line ends may be LF or CR LF, a UTF-8 byte-order mark is
// skipped, and blank lines are no rows.
#include <string>
#include <vector>

namespace korvane {

struct CsvRow {
  int line = 0;                     // where the row starts, counted from 1
  std::vector<std::string> fields;
  std::string problem;              // set when the row is not well formed (an unclosed quote, text after one)
};

struct CsvTable {
  std::vector<CsvRow> rows;  // the header row first
};

CsvTable ParseCsv(const std::string& text);

// Reads and parses the file; false when it cannot be read.
bool ReadCsvFile(const std::string& path, CsvTable& table);

}  // namespace korvane
