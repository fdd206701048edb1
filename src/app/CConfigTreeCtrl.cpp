#include "app/CConfigTreeCtrl.h"

#include <QHeaderView>

#include "dui/CDuiHandler.h"

namespace korvane {

CConfigTreeCtrl::CConfigTreeCtrl(QWidget* parent, CDuiHandler& owner) : QTreeWidget(parent), owner_(owner) {
  setProperty("nativeId", 1112);
  setHeaderHidden(true);
  setRootIsDecorated(true);
  setUniformRowHeights(true);
  setSelectionMode(QAbstractItemView::SingleSelection);
  connect(this, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* current, QTreeWidgetItem*) {
    if (ConfigItem* item = ItemOf(current))
      owner_.OnDuiMessage(0, "selectitem", 0, 0, reinterpret_cast<LPARAM>(item));
  });
}

ITreeControl::Node CConfigTreeCtrl::InsertNode(const std::string& text, Node parent) {
  auto* node = parent ? new QTreeWidgetItem(static_cast<QTreeWidgetItem*>(parent))
                      : new QTreeWidgetItem(this);
  node->setText(0, QString::fromStdString(text));
  return node;
}

void CConfigTreeCtrl::SetNodeData(Node node, void* data) {
  if (node) static_cast<QTreeWidgetItem*>(node)->setData(0, Qt::UserRole, QVariant::fromValue(reinterpret_cast<quintptr>(data)));
}

void CConfigTreeCtrl::Expand(Node node) {
  if (node) static_cast<QTreeWidgetItem*>(node)->setExpanded(true);
}

ConfigItem* CConfigTreeCtrl::ItemOf(const QTreeWidgetItem* node) {
  return node ? reinterpret_cast<ConfigItem*>(node->data(0, Qt::UserRole).value<quintptr>()) : nullptr;
}

}  // namespace korvane
