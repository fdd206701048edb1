#pragma once
// The values each unit of a production batch receives before it is
// programmed: numbers counted up unit by unit (serial numbers), and the rows
// of a table whose header names the items (calibration, labels).
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/files/CsvFile.h"

namespace korvane {

// One value of a unit: the text committed to the named item as a grid edit.
struct UnitValue {
  std::string name;
  std::string text;
};

// What a unit is to receive; a problem fails the unit before anything is
// committed or written.
struct UnitPlan {
  std::vector<UnitValue> values;
  std::string problem;
};

// Item NAME takes START + unit x STEP.
struct SerialSeries {
  std::string name;
  uint64_t start = 0;
  int64_t step = 1;
  bool hex = false;  // START was written 0x…: the values are too
  int digits = 0;    // hexadecimal digits START was written with; values keep at least as many
};

// "NAME=START[:STEP]": START decimal or 0x-hexadecimal, STEP a whole number
// (decimal or 0x…, a leading '-' counts down; 1 when left out). Nothing, with
// why said, when the text is not of that form.
std::optional<SerialSeries> ParseSerialSeries(const std::string& text, std::string& why);

// The value of unit (counted from 0); nothing when it leaves 0 .. 2^64 - 1.
std::optional<std::string> SerialValue(const SerialSeries& series, int unit);

class UnitValueTable {
 public:
  // The table's header names the items, each further row is one unit. False,
  // with why, when there is no header or a header field is empty or repeats
  // a name.
  bool SetTable(const CsvTable& table, const std::string& fileName, std::string& why);
  // False, with why, when the item is named already (by the table or another series).
  bool AddSeries(const SerialSeries& series, std::string& why);

  bool HasTable() const { return hasTable_; }
  int Rows() const { return static_cast<int>(rows_.size()); }
  // Every item given a value, table columns first, in the order of application.
  std::vector<std::string> Names() const;
  // Unit's values: its table row, an empty field leaving the item as the
  // project has it, then the series. A ragged or ill-formed row, or a series
  // beyond its range, is the unit's problem.
  UnitPlan PlanOf(int unit) const;

 private:
  bool hasTable_ = false;
  std::string fileName_;
  std::vector<std::string> header_;
  std::vector<CsvRow> rows_;
  std::vector<SerialSeries> series_;
};

}  // namespace korvane
