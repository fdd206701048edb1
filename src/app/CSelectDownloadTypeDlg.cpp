#include "app/CSelectDownloadTypeDlg.h"

#include "app/AppContext.h"

namespace korvane {

CSelectDownloadTypeDlg::CSelectDownloadTypeDlg(AppContext& context)
    : CSelectDialog(context, "CSelectDownloadTypeDlg", "dlg_select_download_type") {}

void CSelectDownloadTypeDlg::OnInit() {
  const DialogChoices& c = ctx_.choices;
  SetChecked(c.downloadTarget == 1 ? "Chip" : "Tool", true);
  ShowAreaChoice(c.downloadConf, c.downloadCode, codePath);
}

bool CSelectDownloadTypeDlg::Confirm() {
  DialogChoices& c = ctx_.choices;
  c.downloadTarget = IsChecked("Tool") ? 0 : 1;
  return ReadAreaChoice(c.downloadConf, c.downloadCode, codePath);
}

}  // namespace korvane
