#include "core/eval/ItemBehaviours.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

#include "core/eval/Conditions.h"
#include "core/eval/ExpressionEvaluator.h"
#include "core/eval/GridModel.h"
#include "core/eval/Triggers.h"
#include "core/model/AreaImage.h"
#include "core/model/ConfigItem.h"
#include "core/model/CoreContext.h"
#include "core/text/ParseNumber.h"
#include "core/text/TextFormat.h"

namespace korvane {

namespace {

bool IsListLike(const ConfigItem& item) { return item.list != 0 || item.ulist != 0; }
bool HasOption(const ConfigItem& item, int32_t index) {
  return index >= 0 && static_cast<size_t>(index) < item.children.size();
}

void SetRowValue(ConfigItem& item, const std::string& text) {
  if (item.gridRow) item.gridRow->SetValue(text);
}
void EnableRow(ConfigItem& item, bool enable) {
  if (item.gridRow) item.gridRow->Enable(enable);
}

int32_t Convert(const std::string& expression, double value, CoreContext& ctx) {
  return EvaluateConversion(expression, value, ctx.log);
}

// Runs a list's trigger after its value came from the image, as a grid edit
// would, but only while the item is on screen.
void FireTriggerOfShownItem(ConfigItem& item, CoreContext& ctx) {
  if (!item.gridRow || !HasOption(item, item.index)) return;
  item.gridRow->SetValue(OptionText(item, item.index));
  ConfigItem* const before = ctx.changingItem;
  ctx.changingItem = &item;
  ApplyTrigger(item, ctx);
  ctx.changingItem = before;
}

// Walks the clauses in order; a clause naming changedName decides at once.
bool AllHold(const ConfigItem& item, const std::vector<ConditionClause>& clauses, const std::string& changedName) {
  if (clauses.empty()) return false;
  for (const auto& clause : clauses) {
    if (!changedName.empty() && clause.clauseName == changedName) return true;
    if (!ClauseHolds(item, clause, ClauseRule::Enable)) return false;
  }
  return true;
}

// The shared decision of UpdateEnable and SetEnable for an item with
// conditions: a failing enable list disables, a holding disable list leaves
// the state alone, otherwise the item is enabled.
void DecideEnable(ConfigItem& item, const std::vector<ConditionClause>& enableList,
                  const std::vector<ConditionClause>& disableList, const std::string& changedName) {
  const bool enableOk = AllHold(item, enableList, changedName);
  const bool disableHit = AllHold(item, disableList, changedName);
  if (!enableOk) {
    item.disable = 1;
    MirrorAttribute(item, "disable", "1");
    EnableRow(item, false);
  } else if (!disableHit) {
    item.disable = 0;
    MirrorAttribute(item, "disable", "0");
    EnableRow(item, true);
  }
}

}  // namespace

void MirrorAttribute(ConfigItem& item, const char* name, const std::string& text) {
  if (pugi::xml_attribute a = item.element.attribute(name)) a.set_value(text.c_str());
}

void WriteAttribute(ConfigItem& item, const char* name, const std::string& text) {
  if (!item.element) return;
  pugi::xml_attribute a = item.element.attribute(name);
  if (!a) a = item.element.append_attribute(name);
  a.set_value(text.c_str());
}

void NameSelectedOption(ConfigItem& item, bool addAttribute) {
  if (!item.ulist) return;
  item.value = OptionText(item, item.index);
  if (addAttribute) WriteAttribute(item, "value", item.value);
  else MirrorAttribute(item, "value", item.value);
}

std::string OptionText(const ConfigItem& item, int32_t index) {
  return HasOption(item, index) ? item.children[static_cast<size_t>(index)]->name : std::string();
}

int64_t ParseNumber64(const std::string& text, bool forceHex, int64_t fallback) {
  std::string t = TrimWhite(text);
  if (t.empty()) return fallback;
  bool hex = forceHex;
  if (!hex) {
    const std::string upper = ToUpperAscii(t);
    hex = upper.rfind("0X", 0) == 0 || upper.find('H', 1) != std::string::npos;
  }
  // Both stop at the first character that does not fit and clamp on overflow.
  if (hex) return static_cast<int64_t>(ReadHexDigits(t));
  return std::strtoll(t.c_str(), nullptr, 10);
}

std::string FormatValueText(const ConfigItem& item, int32_t number) {
  if (!item.hex) return StrFormat("%d", number);
  const auto u = static_cast<uint32_t>(number);
  if (item.size == 1) return StrFormat("0x%02X", u);
  if (item.size == 2) return StrFormat("0x%04X", u);
  return StrFormat("0x%08X", u);
}

int32_t GetRawValue(const ConfigItem& item, CoreContext& ctx) {
  int32_t v;
  if (item.edit) {
    v = static_cast<int32_t>(static_cast<uint32_t>(ParseNumber64(item.value, item.hex != 0, 0)));
  } else if (IsListLike(item)) {
    if (!HasOption(item, item.index)) return 0;
    return GetRawValue(*item.children[static_cast<size_t>(item.index)], ctx);
  } else {
    v = ParseNumber(item.value, 0);
  }
  if (!item.outExpression.empty()) v = Convert(item.outExpression, static_cast<double>(v), ctx);
  return v;
}

DecodedValue DecodeRawValue(const ConfigItem& item, uint32_t raw, CoreContext& ctx) {
  DecodedValue decoded;
  int32_t v = static_cast<int32_t>(raw);
  if (!item.inExpression.empty()) v = Convert(item.inExpression, static_cast<double>(raw), ctx);
  if (item.addr == -1 || !item.HasValidBitRange() || !item.IsValueItem()) return decoded;
  decoded.changes = true;
  if (item.edit) {
    decoded.value = FormatValueText(item, v);
    return decoded;
  }
  // Options are matched by their text against plain decimal; none matching
  // selects the first.
  const std::string decimal = StrFormat("%d", v);
  for (size_t i = 0; i < item.children.size(); ++i) {
    const ConfigItem& option = *item.children[i];
    if ((item.list ? option.value : option.loadedValue) == decimal) {
      decoded.index = static_cast<int32_t>(i);
      break;
    }
  }
  decoded.value = item.list ? decimal : OptionText(item, decoded.index);
  return decoded;
}

void SetRawValue(ConfigItem& item, uint32_t raw, CoreContext& ctx) {
  const DecodedValue decoded = DecodeRawValue(item, raw, ctx);
  if (!decoded.changes) return;
  item.value = decoded.value;
  if (item.edit) {
    MirrorAttribute(item, "value", item.value);
    SetRowValue(item, item.value);
    return;
  }
  item.index = decoded.index;
  MirrorAttribute(item, "index", std::to_string(item.index));
  NameSelectedOption(item);
  FireTriggerOfShownItem(item, ctx);
  Refresh(item, ctx);
}

bool ValueFitsField(const ConfigItem& item, CoreContext& ctx) {
  if (!item.edit || item.addr < 0 || !(item.size == 1 || item.size == 2 || item.size == 4)) return true;
  const int width = std::min(item.HasValidBitRange() ? item.ebit - item.sbit + 1 : static_cast<int>(item.size * 8), 32);
  const int64_t number = ParseNumber64(item.value, item.hex != 0, 0);
  // The text becomes a 32-bit number before anything else happens to it.
  if (number < INT32_MIN || number > int64_t{UINT32_MAX}) return false;
  const int64_t stored = item.outExpression.empty() ? number : GetRawValue(item, ctx);
  return stored >= -(int64_t{1} << (width - 1)) && stored <= (int64_t{1} << width) - 1;
}

std::string ItemValueText(const ConfigItem& item) {
  return IsListLike(item) ? OptionText(item, item.index) : item.value;
}

std::string RawValueText(const ConfigItem& item, uint32_t raw, CoreContext& ctx) {
  const DecodedValue decoded = DecodeRawValue(item, raw, ctx);
  // An item that cannot take a number from the image shows the bare number.
  if (!decoded.changes) return StrFormat("0x%X", raw);
  return item.edit ? decoded.value : OptionText(item, decoded.index);
}

void EncodeItems(ConfigItem* item, uint8_t* image, uint32_t limit, bool refresh, CoreContext& ctx) {
  if (!item || !image) return;
  if (refresh) ApplyDefault(*item);

  const bool placed = item->addr != -1 && item->addr >= 0 && static_cast<uint32_t>(item->addr) < limit;
  if (item->hasFill && item->size != 0 && item->addr >= 0) {
    const int64_t end = std::min<int64_t>(int64_t{item->addr} + item->size, limit);
    for (int64_t a = item->addr; a < end; ++a) image[a] = static_cast<uint8_t>(item->fill & 0xFF);
  }

  if (item->edit) {
    if (placed) WriteField(*item, static_cast<uint32_t>(GetRawValue(*item, ctx)), image, limit);
    return;
  }
  const bool selected = HasOption(*item, item->index);
  if (item->list) {
    if (placed && selected && item->HasValidBitRange())
      WriteField(*item, static_cast<uint32_t>(GetRawValue(*item->children[static_cast<size_t>(item->index)], ctx)),
                 image, limit);
    return;
  }
  if (item->ulist) {
    if (!selected) return;
    ConfigItem& option = *item->children[static_cast<size_t>(item->index)];
    if (placed && item->HasValidBitRange())
      WriteField(*item, static_cast<uint32_t>(ParseNumber(option.loadedValue, item->index)), image, limit);
    for (auto& child : option.children) EncodeItems(child.get(), image, limit, true, ctx);
    return;
  }
  for (auto& child : item->children) EncodeItems(child.get(), image, limit, true, ctx);
}

void DecodeItems(ConfigItem* item, const uint8_t* image, uint32_t limit, CoreContext& ctx) {
  if (!item || !image) return;
  if (item->IsValueItem() && (item->size == 1 || item->size == 2 || item->size == 4) &&
      FieldInside(item->addr, item->size, limit))
    SetRawValue(*item, ReadField(*item, image, limit), ctx);

  if (item->ulist) {
    if (!HasOption(*item, item->index)) return;
    for (auto& child : item->children[static_cast<size_t>(item->index)]->children)
      DecodeItems(child.get(), image, limit, ctx);
    return;
  }
  for (auto& child : item->children) DecodeItems(child.get(), image, limit, ctx);
}

void SetValueText(ConfigItem& item, const std::string& text) {
  if (!item.edit) return;
  item.value = text;
  MirrorAttribute(item, "value", text);
  SetRowValue(item, text);
}

int ApplyDefault(ConfigItem& item) {
  if (item.defaultCondition.empty() || !item.IsValueItem()) return 1;
  const auto clauses = ParseConditions(item.defaultCondition);
  if (clauses.empty()) return 1;
  for (const auto& clause : clauses)
    if (!ClauseHolds(item, clause, ClauseRule::Default)) return 1;

  if (item.edit) {
    // Already at its default (the usual case at every refresh after the
    // first): element and row show it, so there is nothing to touch.
    if (item.value == item.defaultValue) return 0;
    item.value = item.defaultValue;
    MirrorAttribute(item, "value", item.value);
    SetRowValue(item, item.value);
  } else {
    const int32_t index = ParseNumber(item.defaultValue, 0);
    // The same index already shown (and, for a ulist, named): only the
    // spelling of the saved number could change, and it means the same option.
    const bool named = !item.ulist || item.value == OptionText(item, index);
    if (index == item.index && named &&
        (!item.gridRow || (item.value == OptionText(item, index) && item.gridRow->Value() == item.value)))
      return 0;
    item.index = index;
    MirrorAttribute(item, "index", item.defaultValue);
    NameSelectedOption(item);
    if (item.gridRow) {
      item.value = OptionText(item, item.index);
      item.gridRow->SetValue(item.value);
    }
  }
  return 0;
}

void UpdateEnable(ConfigItem& item, CoreContext& ctx) {
  if (!item.IsValueItem()) {
    for (auto& child : item.children) UpdateEnable(*child, ctx);
    return;
  }
  if (item.readonly) {
    WriteAttribute(item, "disable", "1");
    EnableRow(item, false);
  } else {
    // A text that holds no clause ("sw", "sw(1") is no condition: the
    // decision goes by the parsed lists, not by the texts.
    const auto enableList = ParseConditions(item.enableCondition);
    const auto disableList = ParseConditions(item.disableCondition);
    if (!enableList.empty() || !disableList.empty()) DecideEnable(item, enableList, disableList, std::string());
  }
  if (item.ulist)
    for (auto& option : item.children) UpdateEnable(*option, ctx);
}

void SetEnable(ConfigItem& item, bool enable, const std::string& changedName, CoreContext& ctx) {
  if (&item == ctx.changingItem) return;
  if (!item.IsValueItem()) {
    for (auto& child : item.children) SetEnable(*child, enable, changedName, ctx);
    return;
  }
  if (item.readonly) {
    item.disable = enable ? 0 : 1;
    WriteAttribute(item, "disable", "1");
    EnableRow(item, false);
  } else {
    const auto enableList = ParseConditions(item.enableCondition);
    const auto disableList = ParseConditions(item.disableCondition);
    if (enableList.empty() && disableList.empty()) {
      item.disable = enable ? 0 : 1;
      MirrorAttribute(item, "disable", item.disable ? "1" : "0");
      EnableRow(item, item.disable == 0);
    } else {
      DecideEnable(item, enableList, disableList, changedName);
    }
  }
  if (item.ulist)
    for (auto& option : item.children) SetEnable(*option, enable, changedName, ctx);
}

void Refresh(ConfigItem& item, CoreContext& ctx) {
  ApplyDefault(item);
  for (auto& child : item.children) Refresh(*child, ctx);
  if (item.maxcountbind.empty()) return;
  ConfigItem* bound = FindItem(nullptr, &item, item.maxcountbind);
  if (!bound) return;
  const int32_t n = GetRawValue(*bound, ctx);
  item.boundCount = n;
  GridRow* row = item.gridRow;
  if (!row || static_cast<int64_t>(row->SubRowCount()) == n) return;
  row->RemoveAllSubItems();
  const size_t shown = n > 0 ? std::min(item.children.size(), static_cast<size_t>(n)) : 0;
  for (size_t i = 0; i < shown; ++i) row->Model().AddRow(item.children[i].get(), row, true);
}

void InstallItemBehaviours(CoreContext& ctx) {
  ctx.refreshTree = [&ctx](ConfigItem& root) { Refresh(root, ctx); };
}

}  // namespace korvane
