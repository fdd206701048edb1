#include "core/eval/Conditions.h"

#include "core/model/ConfigItem.h"
#include "core/text/ParseNumber.h"

namespace korvane {

namespace {

std::vector<std::string> SplitValues(const std::string& list) {
  std::vector<std::string> values;
  size_t pos = 0;
  while (pos < list.size() && values.size() < kMaxClauseValues) {
    size_t comma = list.find(',', pos);
    if (comma == std::string::npos) comma = list.size();
    values.push_back(list.substr(pos, comma - pos));
    pos = comma + 1;
  }
  return values;
}

bool IndexMatches(const ConfigItem& item, const std::vector<std::string>& values) {
  for (const auto& v : values)
    if (ParseNumber(v, 0) == item.index) return true;
  return false;
}

}  // namespace

std::vector<ConditionClause> ParseConditions(const std::string& text) {
  std::vector<ConditionClause> clauses;
  size_t pos = 0;
  while (clauses.size() < kMaxClauses) {
    const size_t open = text.find('(', pos);
    if (open == std::string::npos) break;
    const size_t close = text.find(')', open + 1);
    if (close == std::string::npos) break;
    ConditionClause clause;
    for (size_t i = pos; i < open; ++i)
      if (text[i] != ',') clause.clauseName += text[i];
    clause.clauseValues = SplitValues(text.substr(open + 1, close - open - 1));
    clauses.push_back(std::move(clause));
    pos = close + 1;
  }
  return clauses;
}

bool ClauseHolds(const ConfigItem& owner, const ConditionClause& clause, ClauseRule rule) {
  const ConfigItem* target = FindItem(nullptr, const_cast<ConfigItem*>(&owner), clause.clauseName);
  if (!target || clause.clauseValues.empty()) return true;
  if (target->edit) {
    if (rule == ClauseRule::Enable) return true;
    for (const auto& v : clause.clauseValues)
      if (v == target->value) return true;
    return false;
  }
  if (target->list || target->ulist) return IndexMatches(*target, clause.clauseValues);
  return rule == ClauseRule::Enable;  // a group
}

}  // namespace korvane
