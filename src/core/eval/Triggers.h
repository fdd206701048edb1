#pragma once
// Triggers: the text on an item (or on a list's option) that, once the user
// has changed that item, forces other items to values, refreshes them,
// switches them on or off, or resets them. Only the first level propagates:
// a forced value does not run the forced item's own trigger.
#include <string>
#include <vector>

#include "core/eval/Conditions.h"

namespace korvane {

struct ConfigItem;
struct CoreContext;

struct TriggerLists {
  std::vector<std::string> enableList;   // "enable(...)": items to enable, or "all"
  std::vector<std::string> disableList;  // "disable(...)"
  std::vector<std::string> updateList;   // "update(...)": items to refresh, or "all"
  std::vector<std::string> validList;    // "valid(...)": items reset when the changed value reads 0
  std::vector<ConditionClause> clauses;  // any other name: the item to force and its allowed values
};

TriggerLists ParseTrigger(const std::string& text);

// Runs the trigger of item's change: forcing, then refresh, enable, disable
// and reset, in that order whatever the text's order. The caller sets
// ctx.changingItem to item around the call. Returns 0 when item has options
// but none is selected, 1 otherwise.
int ApplyTrigger(ConfigItem& item, CoreContext& ctx);

// Puts the item to the first allowed value unless it already holds one of them.
void ForceValue(ConfigItem& item, const std::vector<std::string>& allowed);
void ResetValue(ConfigItem& item);

// Leading white space, an optional sign, then decimal digits; anything else reads 0.
int32_t ReadLeadingInt(const std::string& text);

}  // namespace korvane
