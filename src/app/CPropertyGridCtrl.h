#pragma once
// The property grid of the main window: a two-column tree of the grid
// model's rows with in-place editors, and a pane below that describes the
// current row. The view holds no logic and no model of its own: it shows the
// session's model, re-reads its rows whenever the model says they changed,
// and hands every finished edit back to it (commit, then the range check).
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include <QWidget>

#include "core/eval/GridModel.h"

class QLabel;
class QTreeWidget;
class QTreeWidgetItem;

namespace korvane {

class CPropertyItem;
struct ConfigItem;

class CPropertyGridCtrl : public QWidget, public IGridHost {
 public:
  // Range warnings go to warn, which must show them only after the edit has
  // ended (the main window posts them to itself).
  using WarningSink = std::function<void(const std::string& text)>;
  // Items marked as differing from the device, with the device's value.
  using DifferingValues = std::unordered_map<const ConfigItem*, std::string>;
  // An item's default, as its row shows values; null when it has none.
  using DefaultLookup = std::function<const std::string*(const ConfigItem& item)>;
  // The pane's lines beside the description, each a format with one "%s":
  // the item's name (the one the command line takes), its range, its
  // default, and the device's value of a row marked as differing.
  struct DetailTexts {
    std::string name;
    std::string range;
    std::string defaultValue;
    std::string deviceValue;
  };

  // model must outlive the view; the view is its host while it lives.
  CPropertyGridCtrl(QWidget* parent, GridModel& model, WarningSink warn, const QString& paramTitle,
                    const QString& valueTitle);
  ~CPropertyGridCtrl() override;

  GridModel& Model() { return model_; }
  QTreeWidget* Tree() const { return tree_; }

  // Removes every row and closes an open editor without committing it; call
  // before the description is cleared or reloaded.
  void ClearGrid();
  // Commits the text of an open editor now (and its range check), so that a
  // command that follows sees the value the user typed.
  void FinishEditing();
  void ExpandAll();
  // Called after every commit has gone through the model (a view that shows
  // the items' state, such as the configuration tree, repaints).
  void SetCommitListener(std::function<void()> listener) { committed_ = std::move(listener); }
  // The items whose rows are marked as differing from the device (kept by
  // the caller; null marks none). Takes effect at once.
  void SetDifferingItems(const DifferingValues* items);
  void SetDetailTexts(DetailTexts texts);
  void SetDefaultLookup(DefaultLookup lookup) { defaults_ = std::move(lookup); }

  // Rows as shown, for the main window and tests.
  CPropertyItem* ViewItemFor(const ConfigItem* item) const;
  CPropertyItem* CurrentViewItem() const;
  // Opens the in-place editor of item's row; returns it (null when the row
  // is missing, a group, or disabled).
  QWidget* StartEditing(const ConfigItem* item);
  QWidget* OpenEditor() const { return editor_; }
  QString DescriptionCaption() const;
  QString DescriptionText() const;
  // The name, range and default line, and the device's value of a differing row.
  QString DescriptionDetails() const;
  QString DescriptionDeviceValue() const;
  // Those lines for a row, as the pane shows them.
  std::vector<std::string> DetailLines(const GridRow& row) const;
  std::string DeviceValueLine(const ConfigItem* item) const;
  // Height of one row and of the header, in pixels.
  int RowHeight() const;
  int HeaderHeight() const { return RowHeight() + 2; }

  // IGridHost
  void PostWarning(const std::string& text) override;
  void Relayout() override;
  void RowsChanged() override;

  // The delegate's side of an edit. The editor for item opened or closed;
  // text was committed (changed: it differs from the row's value).
  void EditorOpened(QWidget* editor) { editor_ = editor; }
  void EditorClosed(QWidget* editor);
  void EditorCommitted(ConfigItem* item, const std::string& text, bool changed);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void Rebuild();
  void AddViewRows(const std::vector<std::unique_ptr<GridRow>>& rows, QTreeWidgetItem* parent);
  void ApplyPendingCommit();
  void ShowDescription(CPropertyItem* viewItem);
  void OnCurrentChanged(QTreeWidgetItem* current);
  void UpdateRowMetrics();

  GridModel& model_;
  WarningSink warn_;
  std::function<void()> committed_;
  QTreeWidget* tree_ = nullptr;
  QLabel* descCaption_ = nullptr;
  QLabel* descText_ = nullptr;
  QLabel* descDetails_ = nullptr;
  QLabel* descDevice_ = nullptr;
  DetailTexts details_;
  DefaultLookup defaults_;
  QWidget* editor_ = nullptr;
  std::unordered_map<const ConfigItem*, CPropertyItem*> viewItems_;
  std::unordered_set<const ConfigItem*> collapsed_;  // groups the user closed, kept across rebuilds
  const DifferingValues* differing_ = nullptr;
  bool rebuilding_ = false;

  struct PendingCommit {
    ConfigItem* item = nullptr;
    std::string text;
    bool changed = false;
  };
  PendingCommit pending_;
};

}  // namespace korvane
