#pragma once
// The chip and device-type choice of the New command ("dlg_select_type"):
// the installed chips in a combo box, the catalogue functions the chosen chip
// supports in a tree, the description of the chosen node, and OK only for a
// supported function.
#include <string>

#include <QPointer>

#include "app/CDeviceTypeTreeCtrl.h"
#include "dui/CDuiDialogHandler.h"

namespace korvane {

class CDuiControl;
class CDuiDialog;
struct CatalogueEntry;
struct CoreContext;

class CSelectDeviceTypeDlg : public CDuiDialogHandler {
 public:
  CSelectDeviceTypeDlg(DuiSystem& system, const CoreContext& context, CDuiDialog* parent);
  ~CSelectDeviceTypeDlg() override;

  // 1 when the user confirmed a chip and a function, 2 otherwise (0 without the template).
  int Show() override;
  int DoModal() { return Show(); }

  void OnInit() override;
  int OnDuiMessage(int uID, const std::string& name, int msg, WPARAM wParam, LPARAM lParam) override;

  // The choice; both empty unless OK closed the dialog.
  const std::string& ChipName() const { return chipName_; }
  const std::string& FunctionName() const { return functionName_; }
  CDeviceTypeTreeCtrl* Tree() const { return tree_; }

 private:
  void FillChipList();
  void OnChipChanged(int position);
  void OnSelectEntry(const CatalogueEntry* entry);
  void OnOk();
  void EnableOk(bool enable);

  const CoreContext& ctx_;
  CDuiDialog* parent_;
  QPointer<CDuiDialog> dialog_;
  CDuiControl* okButton_ = nullptr;
  CDuiControl* typesComb_ = nullptr;
  QPointer<CDeviceTypeTreeCtrl> tree_;
  std::string chipName_;
  std::string functionName_;
  bool okClosed_ = false;
};

}  // namespace korvane
