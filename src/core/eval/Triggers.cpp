#include "core/eval/Triggers.h"

#include <algorithm>
#include <cctype>
#include <climits>

#include "core/eval/GridModel.h"
#include "core/eval/ItemBehaviours.h"
#include "core/model/ConfigItem.h"
#include "core/model/CoreContext.h"
#include "core/text/ParseNumber.h"

namespace korvane {

TriggerLists ParseTrigger(const std::string& text) {
  TriggerLists lists;
  for (auto& clause : ParseConditions(text)) {
    std::vector<std::string>* target = clause.clauseName == "enable"    ? &lists.enableList
                                       : clause.clauseName == "disable" ? &lists.disableList
                                       : clause.clauseName == "update"  ? &lists.updateList
                                       : clause.clauseName == "valid"   ? &lists.validList
                                                                        : nullptr;
    if (target)
      target->insert(target->end(), clause.clauseValues.begin(), clause.clauseValues.end());
    else
      lists.clauses.push_back(std::move(clause));
  }
  return lists;
}

int32_t ReadLeadingInt(const std::string& text) {
  size_t i = 0;
  while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  int64_t v = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
    v = std::min<int64_t>(v * 10 + (text[i] - '0'), INT64_C(1) << 32);  // saturates, stays non-zero
  if (negative) v = -v;
  return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

namespace {

void ShowOptionOfIndex(ConfigItem& item) {
  if (!item.gridRow) return;
  item.value = OptionText(item, item.index);
  item.gridRow->SetValue(item.value);
}

}  // namespace

void ForceValue(ConfigItem& item, const std::vector<std::string>& allowed) {
  if (allowed.empty()) return;
  if (item.edit) {
    for (const auto& a : allowed)
      if (a == item.value) return;
    item.value = allowed.front();
    MirrorAttribute(item, "value", item.value);
    if (item.gridRow) item.gridRow->SetValue(item.value);
    return;
  }
  if (item.list || item.ulist) {
    for (const auto& a : allowed)
      if (ParseNumber(a, 0) == item.index) return;
    item.index = ParseNumber(allowed.front(), 0);
    MirrorAttribute(item, "index", allowed.front());
    NameSelectedOption(item);
    ShowOptionOfIndex(item);
  }
}

void ResetValue(ConfigItem& item) {
  if (item.edit) {
    item.value.assign(1, '0');  // assigning "0" draws a false -Wrestrict from GCC 12
    MirrorAttribute(item, "value", "0");
    if (item.gridRow) item.gridRow->SetValue("0");
  } else if (item.list) {
    item.index = 0;
    MirrorAttribute(item, "index", "0");
    ShowOptionOfIndex(item);
  } else if (!item.ulist) {
    for (auto& child : item.children) ResetValue(*child);
  }
}

int ApplyTrigger(ConfigItem& item, CoreContext& ctx) {
  // 1. the source: the selected option of a list, or the item itself
  const ConfigItem* source = &item;
  if (!item.children.empty()) {
    if (item.index < 0 || static_cast<size_t>(item.index) >= item.children.size()) return 0;
    source = item.children[static_cast<size_t>(item.index)].get();
  }
  // 2.
  const TriggerLists lists = ParseTrigger(source->trigger);
  auto find = [&](const std::string& name) { return FindItem(nullptr, &item, name); };
  ConfigItem* root = item.root ? item.root : &item;

  // 3. forcing clauses
  for (const auto& clause : lists.clauses)
    if (ConfigItem* target = find(clause.clauseName); target && target->IsValueItem())
      ForceValue(*target, clause.clauseValues);
  // 4. refresh
  for (const auto& name : lists.updateList) {
    if (name == "all") {
      Refresh(*root, ctx);
      break;
    }
    if (ConfigItem* target = find(name)) Refresh(*target, ctx);
  }
  // 5., 6. enable, then disable
  for (const auto* list : {&lists.enableList, &lists.disableList}) {
    const bool enable = list == &lists.enableList;
    for (const auto& name : *list) {
      if (name == "all") {
        SetEnable(*root, enable, "all", ctx);
        break;
      }
      if (ConfigItem* target = find(name)) SetEnable(*target, enable, std::string(), ctx);
    }
  }
  // 7. reset, when the changed value reads as 0
  if (!lists.validList.empty() && ReadLeadingInt(item.value) == 0)
    for (const auto& name : lists.validList)
      if (ConfigItem* target = find(name)) ResetValue(*target);
  return 1;
}

}  // namespace korvane
