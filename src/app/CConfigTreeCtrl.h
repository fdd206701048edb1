#pragma once
// The configuration tree: the groups of the loaded description. Choosing a
// node tells the main window handler ("selectitem" with the ConfigItem).
#include <QTreeWidget>

#include "core/model/ChipDescription.h"

namespace korvane {

class CDuiHandler;

class CConfigTreeCtrl : public QTreeWidget, public ITreeControl {
 public:
  CConfigTreeCtrl(QWidget* parent, CDuiHandler& owner);

  Node InsertNode(const std::string& text, Node parent) override;
  void SetNodeData(Node node, void* data) override;
  void Expand(Node node) override;

  void ClearTree() { clear(); }
  static ConfigItem* ItemOf(const QTreeWidgetItem* node);

 private:
  CDuiHandler& owner_;
};

}  // namespace korvane
