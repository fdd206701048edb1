#pragma once
// Condition lists such as 'mode(1,2)power(0)': clauses naming an item and
// the values under which the clause holds. Triggers share the syntax.
#include <string>
#include <vector>

namespace korvane {

struct ConfigItem;

struct ConditionClause {
  std::string clauseName;
  std::vector<std::string> clauseValues;
};

// At most this many clauses per text and values per clause; the rest is ignored.
constexpr size_t kMaxClauses = 100;
constexpr size_t kMaxClauseValues = 100;

// Splits text into clauses. Commas in front of a name are dropped, spaces
// are kept; a '(' without a ')' after it ends the list.
std::vector<ConditionClause> ParseConditions(const std::string& text);

// How a clause is judged. The enable rule lets a clause on an edit value or
// a group hold; the default rule compares an edit value's text and never
// lets a clause with values on a group hold. A clause naming no item, or
// one with no values, holds under both.
enum class ClauseRule { Enable, Default };

// Looks the clause's item up from the root of owner's tree and judges it.
bool ClauseHolds(const ConfigItem& owner, const ConditionClause& clause, ClauseRule rule);

}  // namespace korvane
