#pragma once
// One node of the configuration item tree, parsed from an element of a chip
// description or project. Value items carry edit, list or ulist; every other
// item is a group.
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include <pugixml.hpp>

namespace korvane {

class GridRow;

constexpr int32_t kNoBound = 9999999;
constexpr int32_t kMaxItemDepth = 512;

struct ConfigItem {
  uint32_t size = 0;
  int32_t fill = 0;
  int32_t addr = -1;
  int32_t sbit = -1;
  int32_t ebit = -1;
  int32_t depth = 0;
  int32_t max = 0;
  int32_t min = 0;
  int32_t index = 0;
  int32_t edit = 0;
  int32_t list = 0;
  int32_t hasFill = 0;
  int32_t ulist = 0;
  int32_t number = 0;
  int32_t isSigned = 0;
  int32_t hex = 0;
  int32_t bin = 0;
  int32_t data = 0;
  int32_t visible = 1;
  int32_t disable = 0;
  int32_t setable = 0;
  int32_t readonly = 0;
  int32_t inheritTrigger = 0;
  int32_t inheritCondition = 1;
  std::string name;
  std::string caption;
  std::string descript;
  std::string value;
  std::string loadedValue;
  std::string trigger;
  int32_t boundCount = kNoBound;
  std::string maxcountbind;
  std::string inExpression;
  std::string outExpression;
  std::string defaultValue;
  std::string defaultCondition;
  std::string enableCondition;
  std::string disableCondition;
  ConfigItem* root = nullptr;
  ConfigItem* parent = nullptr;
  pugi::xml_node element;
  GridRow* gridRow = nullptr;
  std::vector<std::unique_ptr<ConfigItem>> children;

  // Set on the root only: name → first item of that name in depth-first
  // order, so that conditions find their items without walking the tree.
  std::unique_ptr<std::unordered_map<std::string, ConfigItem*>> nameIndex;

  bool IsValueItem() const { return edit != 0 || list != 0 || ulist != 0; }
  bool HasValidBitRange() const { return sbit != -1 && ebit != -1 && sbit <= ebit; }
  ConfigItem* Child(int32_t i) const {
    return i >= 0 && static_cast<size_t>(i) < children.size() ? children[static_cast<size_t>(i)].get() : nullptr;
  }

  ~ConfigItem();  // children first, in order
};

// Builds the item for element under parent (complete, it passes inherited
// values on) and, recursively, its children.
std::unique_ptr<ConfigItem> ParseItem(pugi::xml_node element, ConfigItem* parent);

// Rebuilds the root's name index; call after the tree is complete.
void BuildNameIndex(ConfigItem& root);

// First item named name (exact) in depth-first order within scope's subtree;
// with no scope, from context's root; null when neither is given.
ConfigItem* FindItem(ConfigItem* scope, ConfigItem* context, const std::string& name);

// Empties gridRow on item and all its descendants.
void ClearGridRows(ConfigItem* item);

}  // namespace korvane
