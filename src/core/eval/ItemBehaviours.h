#pragma once
// What items do: raw numbers to value texts and back through the two
// expressions, encoding the tree into an image and decoding it, defaults,
// enable states and bound counts. Every change is mirrored into the item,
// its XML element (existing attributes only) and its grid row when it has one.
#include <cstdint>
#include <string>

namespace korvane {

struct ConfigItem;
struct CoreContext;

// The number to store in the image, after outExpression.
int32_t GetRawValue(const ConfigItem& item, CoreContext& ctx);

// What a number read from the image makes of a value item, worked out
// without touching anything: the value text and option SetRawValue would
// store. changes is false when SetRawValue would leave the item as it is
// (no address, no valid bit range, not a value item).
struct DecodedValue {
  bool changes = false;
  int32_t index = 0;  // the option of a list or ulist
  std::string value;  // the value text as SetRawValue stores it
};
DecodedValue DecodeRawValue(const ConfigItem& item, uint32_t raw, CoreContext& ctx);

// Takes a number read from the image: inExpression, then value, row,
// element; list values run their trigger when shown and refresh.
void SetRawValue(ConfigItem& item, uint32_t raw, CoreContext& ctx);

// Whether an edit value's number is held by its field as it stands: within
// the field's bits (read as unsigned or as two's complement), after
// outExpression when it has one. Items without a field in an image, and
// list values, always fit.
bool ValueFitsField(const ConfigItem& item, CoreContext& ctx);

// A value item's value as the user reads it: an edit value's text, the name
// of a list's or ulist's selected option (empty when none is selected).
std::string ItemValueText(const ConfigItem& item);
// The same for the value a raw number read from the image would give the
// item; the bare number in hexadecimal for an item that cannot take one.
std::string RawValueText(const ConfigItem& item, uint32_t raw, CoreContext& ctx);

// 64-bit number reading of value texts: forceHex reads hexadecimal (with an
// optional "0x"); otherwise "0X…" or an "H" after the first character means
// hexadecimal, anything else signed decimal. Empty text gives fallback.
int64_t ParseNumber64(const std::string& text, bool forceHex, int64_t fallback);

// The edit value text of a number: "0x%02X"/"0x%04X"/"0x%08X" by size when
// hex is set, otherwise signed decimal.
std::string FormatValueText(const ConfigItem& item, int32_t number);

// Writes item's subtree into image (limit bytes), parents first; refresh
// applies defaults on the item first (children always get them).
void EncodeItems(ConfigItem* item, uint8_t* image, uint32_t limit, bool refresh, CoreContext& ctx);
void DecodeItems(ConfigItem* item, const uint8_t* image, uint32_t limit, CoreContext& ctx);

void SetValueText(ConfigItem& item, const std::string& text);

// 0 when defaultCondition held and the default was applied, 1 otherwise.
int ApplyDefault(ConfigItem& item);

void UpdateEnable(ConfigItem& item, CoreContext& ctx);
// changedName is empty or "all"; the changing item's subtree is left alone.
void SetEnable(ConfigItem& item, bool enable, const std::string& changedName, CoreContext& ctx);
void Refresh(ConfigItem& item, CoreContext& ctx);

// Makes every load bring defaults and bound counts up to date.
void InstallItemBehaviours(CoreContext& ctx);

// The text of option index (a position among all children); empty when out of range.
std::string OptionText(const ConfigItem& item, int32_t index);

// Sets attribute name of the item's element only when it already exists.
void MirrorAttribute(ConfigItem& item, const char* name, const std::string& text);
// Sets attribute name, adding it when missing.
void WriteAttribute(ConfigItem& item, const char* name, const std::string& text);

// A ulist's rows are chosen by its value, its encoding by its index: every
// change of the index names the selected option in the value and in the
// element's "value" (added when addAttribute is set, else only when there),
// so that a saved project reopens on the option its image encodes.
void NameSelectedOption(ConfigItem& item, bool addAttribute = false);

}  // namespace korvane
