#include "app/CSelectDeviceTypeDlg.h"

#include <algorithm>

#include <QComboBox>
#include <QString>

#include "app/CDeviceTypeTreeCtrl.h"
#include "core/model/Catalogue.h"
#include "core/model/CoreContext.h"
#include "dui/CDuiControl.h"
#include "dui/CDuiDialog.h"
#include "dui/DuiSystem.h"

namespace korvane {

namespace {
constexpr const char* kClassName = "CSelectDeviceTypeDlg";
}  // namespace

CSelectDeviceTypeDlg::CSelectDeviceTypeDlg(DuiSystem& system, const CoreContext& context, CDuiDialog* parent)
    : CDuiDialogHandler(system), ctx_(context), parent_(parent) {}

CSelectDeviceTypeDlg::~CSelectDeviceTypeDlg() {
  // The window goes with the command; nothing in it may reach this handler afterwards.
  delete tree_.data();
  if (dialog_) system_.DestroyDialog(dialog_);
}

int CSelectDeviceTypeDlg::Show() {
  const int result = RunDialog("dlg_select_type", parent_);
  if (result == 0) return 0;
  return result == 1 && okClosed_ ? 1 : 2;
}

void CSelectDeviceTypeDlg::OnInit() {
  dialog_ = AttachedDialog();
  okButton_ = FindControl("buttonok");
  typesComb_ = FindControl("typesComb");
  if (CDuiControl* host = FindControl("devtreewindow")) {
    tree_ = new CDeviceTypeTreeCtrl(host->Widget(), *this, ctx_);
    host->HostWidget(tree_);
    // A double click on a function is the choice and OK at once.
    QObject::connect(tree_, &QTreeWidget::itemDoubleClicked, tree_, [this] { OnOk(); });
  }
  FillChipList();
  EnableOk(false);
}

void CSelectDeviceTypeDlg::FillChipList() {
  std::vector<std::string> chips = ListChipNames(ctx_);
  // The folder's own order differs between file systems; the list reads best sorted.
  std::sort(chips.begin(), chips.end());
  if (!typesComb_) return;
  typesComb_->SetComboItems(chips);
  if (chips.empty()) return;  // no chip, no catalogue tree
  typesComb_->SetComboSel(0);
  if (tree_) tree_->LoadCatalogue(chips.front());
}

int CSelectDeviceTypeDlg::OnDuiMessage(int uID, const std::string& name, int msg, WPARAM wParam, LPARAM lParam) {
  if (msg != DUI_MSG_MOVE)
    system_.WriteLog(LOG_DEBUG, "%s::OnDuiMessage:uID=%d, name=%s, msg=%d, wParam=%d, lParam=%d", kClassName, uID,
                     name.c_str(), msg, static_cast<int>(wParam), static_cast<int>(lParam));
  if (name == "typesComb" && msg == DUI_MSG_COMBO_CHANGE) {
    OnChipChanged(static_cast<int>(lParam));
    return 1;
  }
  if (QString::fromStdString(name).compare("selectitem", Qt::CaseInsensitive) == 0) {
    OnSelectEntry(reinterpret_cast<const CatalogueEntry*>(lParam));
    return 1;
  }
  if (name == "buttonok" && msg == DUI_MSG_CLICK) {
    OnOk();
    return 1;
  }
  return 0;
}

void CSelectDeviceTypeDlg::OnChipChanged(int position) {
  if (!typesComb_ || position < 0 || position >= typesComb_->GetComboCount()) return;
  EnableOk(false);
  if (CDuiControl* desc = FindControl("descEdit")) desc->SetText(std::string());
  auto* combo = qobject_cast<QComboBox*>(typesComb_->Widget());
  if (tree_ && combo) tree_->LoadCatalogue(combo->itemText(position).toStdString());
}

void CSelectDeviceTypeDlg::OnSelectEntry(const CatalogueEntry* entry) {
  if (!entry) {
    EnableOk(false);
    return;
  }
  if (CDuiControl* desc = FindControl("descEdit")) desc->SetText(entry->descript);
  EnableOk(entry->supported != 0);
}

void CSelectDeviceTypeDlg::OnOk() {
  const std::string chip = typesComb_ ? typesComb_->GetText() : std::string();
  const CatalogueEntry* entry = tree_ ? tree_->SelectedEntry() : nullptr;
  const std::string function = entry && entry->supported ? entry->name : std::string();
  if (chip.empty() || function.empty()) return;  // nothing to create yet: the dialog stays
  chipName_ = chip;
  functionName_ = function;
  okClosed_ = true;
  CloseDialog(1);
}

void CSelectDeviceTypeDlg::EnableOk(bool enable) {
  if (okButton_) okButton_->SetEnabled(enable);
}

}  // namespace korvane
