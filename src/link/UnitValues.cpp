#include "link/UnitValues.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>

#include "core/text/TextFormat.h"

namespace korvane {

namespace {

bool IsHexText(const std::string& t) { return t.size() > 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X'); }

// A whole number without sign: decimal, or hexadecimal after 0x; every
// character must belong to it.
std::optional<uint64_t> ParseUnsigned(const std::string& text) {
  const bool hex = IsHexText(text);
  const std::string digits = hex ? text.substr(2) : text;
  if (digits.empty()) return std::nullopt;
  for (char c : digits)
    if (hex ? HexDigitValue(c) < 0 : (c < '0' || c > '9')) return std::nullopt;
  errno = 0;
  char* end = nullptr;
  const unsigned long long v = std::strtoull(digits.c_str(), &end, hex ? 16 : 10);
  if (errno == ERANGE || !end || *end) return std::nullopt;
  return static_cast<uint64_t>(v);
}

}  // namespace

std::optional<SerialSeries> ParseSerialSeries(const std::string& text, std::string& why) {
  const size_t eq = text.find('=');
  if (eq == std::string::npos || eq == 0) {
    why = "'" + text + "' is not NAME=START[:STEP]";
    return std::nullopt;
  }
  SerialSeries series;
  series.name = text.substr(0, eq);
  const std::string rest = text.substr(eq + 1);
  const size_t colon = rest.find(':');
  const std::string start = rest.substr(0, colon);
  const auto first = ParseUnsigned(start);
  if (!first) {
    why = "the start '" + start + "' of " + series.name + " is not a decimal or 0x-hexadecimal whole number";
    return std::nullopt;
  }
  series.start = *first;
  series.hex = IsHexText(start);
  series.digits = series.hex ? static_cast<int>(start.size() - 2) : 0;
  if (colon != std::string::npos) {
    std::string step = rest.substr(colon + 1);
    const bool down = !step.empty() && step[0] == '-';
    const auto size = ParseUnsigned(down ? step.substr(1) : step);
    if (!size || *size > static_cast<uint64_t>(INT64_MAX)) {
      why = "the step '" + step + "' of " + series.name + " is not a whole number";
      return std::nullopt;
    }
    series.step = down ? -static_cast<int64_t>(*size) : static_cast<int64_t>(*size);
  }
  return series;
}

std::optional<std::string> SerialValue(const SerialSeries& series, int unit) {
  const __int128 v = static_cast<__int128>(series.start) + static_cast<__int128>(series.step) * unit;
  if (v < 0 || v > static_cast<__int128>(UINT64_MAX)) return std::nullopt;
  const auto value = static_cast<unsigned long long>(v);
  if (!series.hex) return StrFormat("%llu", value);
  return StrFormat("0x%0*llX", series.digits, value);
}

bool UnitValueTable::SetTable(const CsvTable& table, const std::string& fileName, std::string& why) {
  fileName_ = fileName;
  if (table.rows.empty()) {
    why = fileName + " has no header row naming the items";
    return false;
  }
  const CsvRow& head = table.rows.front();
  if (!head.problem.empty()) {
    why = fileName + ": the header row is not well formed: " + head.problem;
    return false;
  }
  for (size_t c = 0; c < head.fields.size(); ++c) {
    const std::string& name = head.fields[c];
    if (name.empty()) {
      why = StrFormat("%s: column %zu of the header names no item", fileName.c_str(), c + 1);
      return false;
    }
    if (std::count(head.fields.begin(), head.fields.end(), name) > 1) {
      why = fileName + ": the header names '" + name + "' twice";
      return false;
    }
  }
  header_ = head.fields;
  rows_.assign(table.rows.begin() + 1, table.rows.end());
  hasTable_ = true;
  return true;
}

bool UnitValueTable::AddSeries(const SerialSeries& series, std::string& why) {
  const auto names = Names();
  if (std::find(names.begin(), names.end(), series.name) != names.end()) {
    why = "'" + series.name + "' is given a value twice (by --values or --serial)";
    return false;
  }
  series_.push_back(series);
  return true;
}

std::vector<std::string> UnitValueTable::Names() const {
  std::vector<std::string> names = header_;
  for (const SerialSeries& s : series_) names.push_back(s.name);
  return names;
}

UnitPlan UnitValueTable::PlanOf(int unit) const {
  UnitPlan plan;
  if (hasTable_) {
    if (unit < 0 || unit >= Rows()) {
      plan.problem = StrFormat("%s has no row for unit %d", fileName_.c_str(), unit);
      return plan;
    }
    const CsvRow& row = rows_[static_cast<size_t>(unit)];
    if (!row.problem.empty()) {
      plan.problem = StrFormat("%s line %d: %s", fileName_.c_str(), row.line, row.problem.c_str());
      return plan;
    }
    if (row.fields.size() != header_.size()) {
      plan.problem = StrFormat("%s line %d has %zu values, its header names %zu items", fileName_.c_str(), row.line,
                               row.fields.size(), header_.size());
      return plan;
    }
    for (size_t c = 0; c < header_.size(); ++c)
      if (!row.fields[c].empty()) plan.values.push_back({header_[c], row.fields[c]});
  }
  for (const SerialSeries& s : series_) {
    const auto text = SerialValue(s, unit);
    if (!text) {
      plan.problem = StrFormat("the series of '%s' leaves the whole numbers 0 .. 2^64-1 at unit %d", s.name.c_str(), unit);
      return plan;
    }
    plan.values.push_back({s.name, *text});
  }
  return plan;
}

}  // namespace korvane
