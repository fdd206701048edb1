#include "app/CSelectFlashTypeDlg.h"

#include "app/AppContext.h"

namespace korvane {

CSelectFlashTypeDlg::CSelectFlashTypeDlg(AppContext& context)
    : CSelectDialog(context, "CSelectFlashTypeDlg", "dlg_select_flash_type") {}

void CSelectFlashTypeDlg::OnInit() {
  const int area = ctx_.choices.flashArea;
  SetChecked(area == 0 ? "ConfArea" : area == 1 ? "CodeArea" : "OptionArea", true);
}

bool CSelectFlashTypeDlg::Confirm() {
  ctx_.choices.flashArea = IsChecked("ConfArea") ? 0 : IsChecked("CodeArea") ? 1 : 2;
  return true;
}

}  // namespace korvane
