#include "app/CSelectChecksumTypeDlg.h"

#include "app/AppContext.h"

namespace korvane {

// It opens on its own, without the main window as parent.
CSelectChecksumTypeDlg::CSelectChecksumTypeDlg(AppContext& context)
    : CSelectDialog(context, "CSelectChecksumTypeDlg", "dlg_select_checksum_type", false) {}

void CSelectChecksumTypeDlg::OnInit() {
  const DialogChoices& c = ctx_.choices;
  ShowAreaChoice(c.checksumConf, c.checksumCode, codePath);
}

bool CSelectChecksumTypeDlg::Confirm() {
  DialogChoices& c = ctx_.choices;
  return ReadAreaChoice(c.checksumConf, c.checksumCode, codePath);
}

}  // namespace korvane
