#include "app/CBurnOptionDlg.h"

namespace korvane {

namespace {
constexpr int kCode = 1, kConf = 2, kOption = 4;
}

CBurnOptionDlg::CBurnOptionDlg(AppContext& context, int areaSet)
    : CSelectDialog(context, "CBurnOptionDlg", "dlg_burn_option"), areas_(areaSet) {}

void CBurnOptionDlg::OnInit() {
  // Code is never burnt without its option bytes, so the box stands for both.
  SetChecked("CodeArea", (areas_ & (kCode | kOption)) == (kCode | kOption));
  SetChecked("ConfArea", (areas_ & kConf) != 0);
}

bool CBurnOptionDlg::Confirm() {
  areas_ = (IsChecked("CodeArea") ? kCode | kOption : 0) | (IsChecked("ConfArea") ? kConf : 0);
  return true;  // burning nothing is a choice too
}

}  // namespace korvane
