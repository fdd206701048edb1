#pragma once
// The catalogue tree of the device-type dialog: the catalogue's top node, the
// categories and under them the functions the chosen chip supports. Choosing
// a node tells the owner dialog ("selectitem" with the node's entry).
#include <string>

#include <QTreeWidget>

#include "core/model/Catalogue.h"

namespace korvane {

class CDuiHandler;
struct CoreContext;

class CDeviceTypeTreeCtrl : public QTreeWidget, public ITreeControl {
 public:
  static constexpr QRgb kSupportedText = 0x000000;
  static constexpr QRgb kOtherText = 0x505050;

  CDeviceTypeTreeCtrl(QWidget* parent, CDuiHandler& owner, const CoreContext& context);
  ~CDeviceTypeTreeCtrl() override;

  // Rebuilds the tree for chipName; the entries of the previous load go.
  void LoadCatalogue(const std::string& chipName);

  const Catalogue& Entries() const { return catalogue_; }
  const std::string& ChipName() const { return catalogue_.ChipName(); }
  static CatalogueEntry* EntryOf(const QTreeWidgetItem* node);
  CatalogueEntry* SelectedEntry() const { return EntryOf(currentItem()); }
  QTreeWidgetItem* NodeOf(const std::string& entryName) const;

  Node InsertNode(const std::string& text, Node parent) override;
  void SetNodeData(Node node, void* data) override;
  void Expand(Node node) override;

 private:
  CDuiHandler& owner_;
  const CoreContext& context_;
  Catalogue catalogue_;
};

}  // namespace korvane
