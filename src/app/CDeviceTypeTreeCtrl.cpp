#include "app/CDeviceTypeTreeCtrl.h"

#include <QTreeWidgetItemIterator>

#include "dui/CDuiHandler.h"

namespace korvane {

CDeviceTypeTreeCtrl::CDeviceTypeTreeCtrl(QWidget* parent, CDuiHandler& owner, const CoreContext& context)
    : QTreeWidget(parent), owner_(owner), context_(context) {
  setProperty("nativeId", 2222);
  setObjectName("devtree");
  setHeaderHidden(true);
  setRootIsDecorated(true);
  setUniformRowHeights(true);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setFrameShape(QFrame::StyledPanel);
  connect(this, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* current, QTreeWidgetItem*) {
    owner_.OnDuiMessage(0, "selectitem", 0, 0, reinterpret_cast<LPARAM>(EntryOf(current)));
  });
}

CDeviceTypeTreeCtrl::~CDeviceTypeTreeCtrl() {
  // Taking the nodes down is no selection for the owner, which may be gone.
  blockSignals(true);
  clear();
}

void CDeviceTypeTreeCtrl::LoadCatalogue(const std::string& chipName) {
  {
    // Emptying the tree is no choice of the user's.
    const QSignalBlocker quiet(this);
    clear();
  }
  catalogue_.LoadCatalogue(context_, chipName, this);
}

CatalogueEntry* CDeviceTypeTreeCtrl::EntryOf(const QTreeWidgetItem* node) {
  return node ? reinterpret_cast<CatalogueEntry*>(node->data(0, Qt::UserRole).value<quintptr>()) : nullptr;
}

QTreeWidgetItem* CDeviceTypeTreeCtrl::NodeOf(const std::string& entryName) const {
  for (QTreeWidgetItemIterator it(const_cast<CDeviceTypeTreeCtrl*>(this)); *it; ++it)
    if (const CatalogueEntry* e = EntryOf(*it); e && e->name == entryName) return *it;
  return nullptr;
}

ITreeControl::Node CDeviceTypeTreeCtrl::InsertNode(const std::string& text, Node parent) {
  auto* node = parent ? new QTreeWidgetItem(static_cast<QTreeWidgetItem*>(parent)) : new QTreeWidgetItem(this);
  node->setText(0, QString::fromStdString(text));
  node->setForeground(0, QColor::fromRgb(kOtherText));
  return node;
}

void CDeviceTypeTreeCtrl::SetNodeData(Node node, void* data) {
  if (!node) return;
  auto* item = static_cast<QTreeWidgetItem*>(node);
  item->setData(0, Qt::UserRole, QVariant::fromValue(reinterpret_cast<quintptr>(data)));
  // Only the functions the chip supports can be chosen; they alone are black.
  const auto* entry = static_cast<const CatalogueEntry*>(data);
  item->setForeground(0, QColor::fromRgb(entry && entry->supported ? kSupportedText : kOtherText));
}

void CDeviceTypeTreeCtrl::Expand(Node node) {
  if (node) static_cast<QTreeWidgetItem*>(node)->setExpanded(true);
}

}  // namespace korvane
