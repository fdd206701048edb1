#include "app/CConfigTreeCtrl.h"

#include <QHeaderView>
#include <QStyledItemDelegate>
#include <QTreeWidgetItemIterator>

#include "core/model/ConfigItem.h"
#include "dui/CDuiHandler.h"

namespace korvane {

namespace {

// Reads the item's disable flag each time a node is painted, so a trigger
// that switches an item shows at the next repaint without touching the tree.
class ConfigTreeDelegate : public QStyledItemDelegate {
 public:
  ConfigTreeDelegate(CConfigTreeCtrl& tree) : QStyledItemDelegate(&tree), tree_(tree) {}

 protected:
  void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
    QStyledItemDelegate::initStyleOption(option, index);
    const QColor colour = tree_.PaintedColourOf(tree_.itemFromIndex(index));
    option->palette.setColor(QPalette::Text, colour);
    option->palette.setColor(QPalette::WindowText, colour);
  }

 private:
  CConfigTreeCtrl& tree_;
};

}  // namespace

CConfigTreeCtrl::CConfigTreeCtrl(QWidget* parent, CDuiHandler& owner) : QTreeWidget(parent), owner_(owner) {
  setProperty("nativeId", 1112);
  setHeaderHidden(true);
  setRootIsDecorated(true);
  setUniformRowHeights(true);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setFrameShape(QFrame::StyledPanel);
  setItemDelegate(new ConfigTreeDelegate(*this));
  connect(this, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* current, QTreeWidgetItem*) {
    if (ConfigItem* item = ItemOf(current))
      owner_.OnDuiMessage(0, "selectitem", 0, 0, reinterpret_cast<LPARAM>(item));
  });
  // Any change of the nodes or of their data makes the index stale.
  const auto stale = [this] { nodesIndexed_ = false; };
  QAbstractItemModel* nodes = model();
  connect(nodes, &QAbstractItemModel::rowsInserted, this, stale);
  connect(nodes, &QAbstractItemModel::rowsRemoved, this, stale);
  connect(nodes, &QAbstractItemModel::rowsMoved, this, stale);
  connect(nodes, &QAbstractItemModel::modelReset, this, stale);
  connect(nodes, &QAbstractItemModel::layoutChanged, this, stale);
  connect(nodes, &QAbstractItemModel::dataChanged, this, stale);
}

CConfigTreeCtrl::~CConfigTreeCtrl() {
  // Taking the nodes down is no selection for the owner, which may be gone;
  // and the model, which outlives this part of the object, no longer reaches it.
  disconnect(model(), nullptr, this, nullptr);
  blockSignals(true);
  clear();
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

QTreeWidgetItem* CConfigTreeCtrl::NodeOf(const ConfigItem* item) const {
  if (!nodesIndexed_) IndexNodes();
  auto it = nodes_.find(item);
  return it == nodes_.end() ? nullptr : it->second;
}

void CConfigTreeCtrl::IndexNodes() const {
  nodes_.clear();
  for (QTreeWidgetItemIterator it(const_cast<CConfigTreeCtrl*>(this)); *it; ++it)
    nodes_.emplace(ItemOf(*it), *it);  // keeps the first node of an item
  nodesIndexed_ = true;
}

QColor CConfigTreeCtrl::PaintedColourOf(const QTreeWidgetItem* node) const {
  return IsMarked(node) ? QColor::fromRgb(kDifferingText) : TextColourOf(node);
}

QColor CConfigTreeCtrl::TextColourOf(const QTreeWidgetItem* node) {
  const ConfigItem* item = ItemOf(node);
  return (!item || item->disable) ? QColor::fromRgb(kDisabledText) : QColor(Qt::black);
}

void CConfigTreeCtrl::MarkDiffering(const std::unordered_map<const ConfigItem*, std::string>& items) {
  marked_.clear();
  for (const auto& [item, deviceValue] : items) {
    // The item's node and the groups above it, so that a collapsed group
    // shows what it holds; the chip and its function stay as they are.
    for (const ConfigItem* at = item; at && at->depth >= 2; at = at->parent)
      if (QTreeWidgetItem* node = NodeOf(at)) marked_.insert(node);
  }
  viewport()->update();
}

}  // namespace korvane
