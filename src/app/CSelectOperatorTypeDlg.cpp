#include "app/CSelectOperatorTypeDlg.h"

#include "app/AppContext.h"

namespace korvane {

CSelectOperatorTypeDlg::CSelectOperatorTypeDlg(AppContext& context)
    : CSelectDialog(context, "CSelectOperatorTypeDlg", "dlg_select_oprator_type") {}

void CSelectOperatorTypeDlg::OnInit() { SetChecked(ctx_.choices.operationTarget == 0 ? "Tool" : "Chip", true); }

bool CSelectOperatorTypeDlg::Confirm() {
  ctx_.choices.operationTarget = IsChecked("Tool") ? 0 : 1;
  return true;
}

}  // namespace korvane
