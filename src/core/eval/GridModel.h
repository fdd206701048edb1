#pragma once
// The property grid without its drawing: one row per shown item, the input
// setup of each edit kind, the range check at the end of editing, and what a
// committed value does to the item tree. A view (the Qt grid, the command
// line) shows the rows and hands the user's edits back to the model.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace korvane {

struct ConfigItem;
struct CoreContext;
class ChipDescription;
class GridModel;

// What the model needs from whoever shows it.
class IGridHost {
 public:
  virtual ~IGridHost() = default;
  // A range warning; shown after the edit has ended.
  virtual void PostWarning(const std::string& text) = 0;
  // The grid should lay itself out again after a commit.
  virtual void Relayout() {}
  // Rows were added, removed or changed; re-read the model.
  virtual void RowsChanged() {}
};

class GridRow {
 public:
  GridRow(GridModel& model, ConfigItem* item, bool group) : model_(model), item_(item), group_(group) {}
  ~GridRow();
  GridRow(const GridRow&) = delete;
  GridRow& operator=(const GridRow&) = delete;

  std::string caption;
  std::string description;
  std::vector<std::string> options;  // drop-down texts of list rows
  bool allowTyping = true;           // false: choice from the options only
  std::string validChars;            // empty: any character may be typed
  int32_t maxLength = -1;            // -1 or 0: 100
  int64_t rangeMin = 0;              // the range applies only when min != max
  int64_t rangeMax = 0;

  ConfigItem* Item() const { return item_; }
  bool IsGroup() const { return group_; }
  GridRow* Parent() const { return parent_; }
  GridModel& Model() const { return model_; }

  const std::string& Value() const { return value_; }
  void SetValue(const std::string& text);
  // True once the shown value differs from the one the row was made with
  // (the view shows such rows in bold).
  bool IsModified() const { return value_ != originalValue_; }
  void SetOriginalValue(const std::string& text) { value_ = originalValue_ = text; }
  void MarkUnmodified() { originalValue_ = value_; }

  size_t OptionCount() const { return options.size(); }
  const std::string& Option(size_t i) const { return options[i]; }

  bool IsEnabled() const { return enabled_; }
  // Only value rows follow the flag; group rows stay enabled.
  void Enable(bool enable);

  const std::vector<std::unique_ptr<GridRow>>& SubRows() const { return subRows_; }
  size_t SubRowCount() const { return subRows_.size(); }
  void RemoveAllSubItems();

  void SetRange(int64_t max, int64_t min) {
    rangeMax = max;
    rangeMin = min;
  }
  void SetValidChars(const std::string& chars) { validChars = chars; }
  void SetMaxLength(int32_t n) { maxLength = n; }
  // The longest text the editor accepts.
  int32_t EffectiveMaxLength() const { return maxLength > 0 ? maxLength : 100; }
  // Whether text could have been typed into this row's editor.
  bool AcceptsTyped(const std::string& text) const;

 private:
  friend class GridModel;
  GridModel& model_;
  ConfigItem* item_;
  bool group_;
  GridRow* parent_ = nullptr;
  std::string value_;
  std::string originalValue_;
  bool enabled_ = true;
  std::vector<std::unique_ptr<GridRow>> subRows_;
};

// Rows live until the model removes them (a new selection, a ulist's other
// option, a changed bound count); a removed row is no longer its item's row.
// Views keep row pointers only until the next RowsChanged. Clear the model
// before the description it shows is cleared or reloaded.
class GridModel {
 public:
  // Registers itself as ctx.grid of the description's context while it lives.
  GridModel(ChipDescription& description, IGridHost* host);
  ~GridModel();
  GridModel(const GridModel&) = delete;
  GridModel& operator=(const GridModel&) = delete;

  ChipDescription& Description() const { return description_; }
  CoreContext& Context() const;
  IGridHost* Host() const { return host_; }
  // The view that shows the rows from now on; null shows them nowhere. A
  // model that outlives its view is told so by the view.
  void SetHost(IGridHost* host) { host_ = host; }

  const std::vector<std::unique_ptr<GridRow>>& Rows() const { return rows_; }
  // Removes every row; the items lose their rows.
  void Clear();

  // Rows for item and the shown part of its subtree, as the last sub-rows of
  // parent (at the top level when null). Returns the item's row, or null
  // for an invisible item.
  GridRow* AddRow(ConfigItem* item, GridRow* parent, bool evaluateEnable);

  // The user committed the row's value (already in the row).
  void OnPropertyChanged(GridRow& row);
  // In-place editing of the row ended: the range check.
  void EndEdit(GridRow& row);
  // The whole commit of a typed or chosen text, as the editor runs it:
  // value, OnPropertyChanged, then the range check on the item's row.
  void CommitValue(GridRow& row, const std::string& text);

  void OnChangeSelection(GridRow* newRow) {
    if (newRow) UpdateRowDescription(*newRow);
  }
  void UpdateRowDescription(GridRow& row);
  // "data=0x…" for the bytes the item's word encodes to; empty for items
  // without a word.
  std::string FormatDataText(ConfigItem& item);

  // Every row in display order (depth first), for views and tests.
  std::vector<GridRow*> AllRows() const;

 private:
  using RowList = std::vector<std::unique_ptr<GridRow>>;
  GridRow* AddRowAt(ConfigItem* item, GridRow* parent, bool evaluateEnable, size_t* position);
  GridRow* Insert(std::unique_ptr<GridRow> row, GridRow* parent, size_t* position);
  RowList& Level(GridRow* parent) { return parent ? parent->subRows_ : rows_; }
  void SetupInput(GridRow& row, const ConfigItem& item);
  void ReplaceOptionRows(GridRow& ulistRow);
  void Notify();

  ChipDescription& description_;
  IGridHost* host_;
  RowList rows_;
};

// The "selectitem" step: item becomes the description's current item and
// the grid shows it; selecting the root (or nothing) only empties the grid.
void ShowItemInGrid(ChipDescription& description, ConfigItem* item, GridModel& grid);

// The tree node that shows item: the nearest ancestor that the configuration
// tree has a node for (visible, not below a setable item); the root at worst.
ConfigItem* NearestTreeNode(ConfigItem& item);

enum class SetValueProblem {
  None,
  NoRow,         // not a value item, or hidden: the grid shows no row for it
  Disabled,      // its row is disabled
  NotTypable,    // the text has characters the row filters out, or is too long
  NoSuchOption,  // a list row offers no option of that name
};

// Sets a value item as a user would in the grid: selects its nearest tree
// node, then commits text in the item's row (the typed text of an edit row,
// an option's name for list rows), range check included. Returns whether the
// value was committed; false (with the reason in problem) leaves the item as
// it was.
bool SetItemValue(ChipDescription& description, GridModel& grid, ConfigItem& item, const std::string& text,
                  SetValueProblem* problem = nullptr);

// Why SetItemValue refused text for item, in a sentence naming both.
std::string DescribeRefusal(SetValueProblem problem, const ConfigItem& item, const std::string& text);

}  // namespace korvane
