#pragma once
// The configuration tree: the groups of the loaded description. Choosing a
// node tells the main window handler ("selectitem" with the ConfigItem);
// nodes of disabled items are drawn grey, as their item stands when the node
// is painted, and nodes that hold an item found different from the device red.
#include <unordered_map>
#include <unordered_set>

#include <QTreeWidget>

#include "core/model/ChipDescription.h"

namespace korvane {

class CDuiHandler;

class CConfigTreeCtrl : public QTreeWidget, public ITreeControl {
 public:
  static constexpr QRgb kDisabledText = 0x787878;
  static constexpr QRgb kDifferingText = 0xFF0000;

  CConfigTreeCtrl(QWidget* parent, CDuiHandler& owner);
  ~CConfigTreeCtrl() override;

  Node InsertNode(const std::string& text, Node parent) override;
  void SetNodeData(Node node, void* data) override;
  void Expand(Node node) override;

  void ClearTree() {
    marked_.clear();
    clear();
  }
  static ConfigItem* ItemOf(const QTreeWidgetItem* node);
  // The node that shows item (the first in display order); null when it has none.
  QTreeWidgetItem* NodeOf(const ConfigItem* item) const;
  // The colour of a node's text by its item: grey while the item is disabled.
  static QColor TextColourOf(const QTreeWidgetItem* node);
  // The colour a node's text is painted in now: red while it is marked.
  QColor PaintedColourOf(const QTreeWidgetItem* node) const;
  // Marks the nodes of these items and of the groups above them (not the
  // chip's and the function's) until the next call; empty marks none.
  void MarkDiffering(const std::unordered_map<const ConfigItem*, std::string>& items);
  bool IsMarked(const QTreeWidgetItem* node) const { return marked_.count(node) != 0; }

 private:
  void IndexNodes() const;

  CDuiHandler& owner_;
  std::unordered_set<const QTreeWidgetItem*> marked_;
  // Item to node, built on the first lookup after the nodes last changed:
  // marking a comparison's results looks up every differing item.
  mutable std::unordered_map<const ConfigItem*, QTreeWidgetItem*> nodes_;
  mutable bool nodesIndexed_ = false;
};

}  // namespace korvane
