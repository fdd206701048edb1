#pragma once
// The configuration tree: the groups of the loaded description. Choosing a
// node tells the main window handler ("selectitem" with the ConfigItem);
// nodes of disabled items are drawn grey, as their item stands when the node
// is painted.
#include <QTreeWidget>

#include "core/model/ChipDescription.h"

namespace korvane {

class CDuiHandler;

class CConfigTreeCtrl : public QTreeWidget, public ITreeControl {
 public:
  static constexpr QRgb kDisabledText = 0x787878;

  CConfigTreeCtrl(QWidget* parent, CDuiHandler& owner);
  ~CConfigTreeCtrl() override;

  Node InsertNode(const std::string& text, Node parent) override;
  void SetNodeData(Node node, void* data) override;
  void Expand(Node node) override;

  void ClearTree() { clear(); }
  static ConfigItem* ItemOf(const QTreeWidgetItem* node);
  // The node that shows item; null when it has none.
  QTreeWidgetItem* NodeOf(const ConfigItem* item) const;
  // The colour a node's text is painted in now.
  static QColor TextColourOf(const QTreeWidgetItem* node);

 private:
  CDuiHandler& owner_;
};

}  // namespace korvane
