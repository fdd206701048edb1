#include "app/CSelectDownloadTypeDlg.h"

#include "app/AppContext.h"

namespace korvane {

CSelectDownloadTypeDlg::CSelectDownloadTypeDlg(AppContext& context)
    : CSelectDialog(context, "CSelectDownloadTypeDlg", "dlg_select_download_type") {}

void CSelectDownloadTypeDlg::OnInit() {
  const DialogChoices& c = ctx_.choices;
  SetChecked(c.downloadTarget == 1 ? "Chip" : "Tool", true);
  if (c.downloadConf) SetChecked("ConfArea", true);
  SetChecked("CodeArea", c.downloadCode != 0);
  SetEditText("CodePathEdit", codePath);
}

bool CSelectDownloadTypeDlg::Confirm() {
  DialogChoices& c = ctx_.choices;
  c.downloadTarget = IsChecked("Tool") ? 0 : 1;
  c.downloadConf = IsChecked("ConfArea") ? 1 : 0;
  c.downloadCode = IsChecked("CodeArea") ? 1 : 0;
  if (HasControl("CodePathEdit")) codePath = EditText("CodePathEdit");
  if (!c.downloadConf && !c.downloadCode) return FailKey("MUST_SELECT_TYPE");
  if (c.downloadCode && !CodeFileExists(codePath)) return FailFileNotFound(codePath);
  return true;
}

void CSelectDownloadTypeDlg::OnFileButton(const std::string& name) {
  if (name == "CodeSelBtn") ChooseHexFile(false, "CodePathEdit");
}

}  // namespace korvane
