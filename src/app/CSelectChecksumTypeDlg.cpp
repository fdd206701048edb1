#include "app/CSelectChecksumTypeDlg.h"

#include "app/AppContext.h"

namespace korvane {

// It opens on its own, without the main window as parent.
CSelectChecksumTypeDlg::CSelectChecksumTypeDlg(AppContext& context)
    : CSelectDialog(context, "CSelectChecksumTypeDlg", "dlg_select_checksum_type", false) {}

void CSelectChecksumTypeDlg::OnInit() {
  const DialogChoices& c = ctx_.choices;
  if (c.checksumConf) SetChecked("ConfArea", true);
  SetChecked("CodeArea", c.checksumCode != 0);
  SetEditText("CodePathEdit", codePath);
}

bool CSelectChecksumTypeDlg::Confirm() {
  DialogChoices& c = ctx_.choices;
  c.checksumConf = IsChecked("ConfArea") ? 1 : 0;
  c.checksumCode = IsChecked("CodeArea") ? 1 : 0;
  if (HasControl("CodePathEdit")) codePath = EditText("CodePathEdit");
  if (!c.checksumConf && !c.checksumCode) return FailKey("MUST_SELECT_TYPE");
  if (c.checksumCode && !CodeFileExists(codePath)) return FailFileNotFound(codePath);
  return true;
}

void CSelectChecksumTypeDlg::OnFileButton(const std::string& name) {
  // The chosen file shows in the edit; the code path follows on OK.
  if (name == "CodeSelBtn") ChooseHexFile(false, "CodePathEdit");
}

}  // namespace korvane
