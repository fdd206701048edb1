#include "app/CSelectExportHexDlg.h"

#include "app/AppContext.h"

namespace korvane {

CSelectExportHexDlg::CSelectExportHexDlg(AppContext& context)
    : CSelectDialog(context, "CSelectExportHexDlg", "dlg_select_export_hex") {}

void CSelectExportHexDlg::OnInit() {
  const DialogChoices& c = ctx_.choices;
  SetChecked("ConfArea", c.exportConf != 0);
  SetChecked("CodeArea", c.exportCode != 0);
  SetEditText("CodePathEdit", codePath);
  SetEditText("ExportPathEdit", c.exportPath);
}

bool CSelectExportHexDlg::Confirm() {
  DialogChoices& c = ctx_.choices;
  c.exportConf = IsChecked("ConfArea") ? 1 : 0;
  c.exportCode = IsChecked("CodeArea") ? 1 : 0;
  if (HasControl("CodePathEdit")) codePath = EditText("CodePathEdit");
  if (HasControl("ExportPathEdit")) c.exportPath = EditText("ExportPathEdit");
  if (c.exportPath.empty()) return FailKey("FILE_PATH_INVALID");
  return ConfirmAreas(c.exportConf != 0, c.exportCode != 0, codePath);
}

void CSelectExportHexDlg::OnFileButton(const std::string& name) {
  if (name == "ExportSelBtn") ChooseHexFile(true, "ExportPathEdit");
  else CSelectDialog::OnFileButton(name);
}

}  // namespace korvane
