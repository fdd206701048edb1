#pragma once
// One row of the property grid as the view shows it. The row itself lives in
// the grid model; the view item keeps only the configuration item, which
// outlives every rebuild of the rows, and finds the item's current row
// through it when it needs one.
#include <string>

#include <QTreeWidgetItem>

namespace korvane {

class GridRow;
struct ConfigItem;

class CPropertyItem : public QTreeWidgetItem {
 public:
  static constexpr int kType = QTreeWidgetItem::UserType + 114;
  enum Column : int { kCaption = 0, kValue = 1 };

  explicit CPropertyItem(const GridRow& row);

  ConfigItem* Item() const { return item_; }
  bool IsGroup() const { return group_; }
  // The model's row for the item, or null once the model has dropped it.
  GridRow* Row() const;
  // Editable now: a value row that still exists and is enabled.
  bool IsEditable() const;

  // Copies what the row shows: caption, value, enable state, modified mark.
  void ShowRow(const GridRow& row);
  // Marks the row as one whose value differs from the device's; deviceLine
  // (the device's value) becomes its tooltip.
  void ShowDiffering(const std::string& deviceLine);
  bool ShownDiffering() const { return differing_; }
  bool ShownEnabled() const { return enabled_; }
  bool ShownModified() const { return modified_; }

 private:
  ConfigItem* item_;
  bool group_;
  bool enabled_ = true;
  bool modified_ = false;
  bool differing_ = false;
};

}  // namespace korvane
