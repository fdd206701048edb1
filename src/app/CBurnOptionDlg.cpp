#include "app/CBurnOptionDlg.h"

#include "link/LinkArea.h"

namespace korvane {

CBurnOptionDlg::CBurnOptionDlg(AppContext& context, int areaSet)
    : CSelectDialog(context, "CBurnOptionDlg", "dlg_burn_option"), areas_(areaSet) {}

void CBurnOptionDlg::OnInit() {
  // Code is never burnt without its option bytes, so the box stands for both.
  SetChecked("CodeArea", BurnsCode(static_cast<uint8_t>(areas_)));
  SetChecked("ConfArea", BurnsConf(static_cast<uint8_t>(areas_)));
}

bool CBurnOptionDlg::Confirm() {
  areas_ = BurnMask(IsChecked("CodeArea"), IsChecked("ConfArea"));
  return true;  // burning nothing is a choice too
}

}  // namespace korvane
