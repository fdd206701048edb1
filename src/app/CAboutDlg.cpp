#include "app/CAboutDlg.h"

#include <filesystem>

#include "app/AppContext.h"
#include "app/CDuiHandlerMain.h"
#include "core/text/TextFormat.h"
#include "dui/CDuiControl.h"
#include "dui/CDuiDialog.h"
#include "dui/DuiSystem.h"

namespace korvane {

CAboutDlg::CAboutDlg(AppContext& context) : CDuiDialogHandler(*context.dui), ctx_(context) {}

int CAboutDlg::Show() { return RunDialog("dlg_about", ctx_.main ? ctx_.main->MainDialog() : nullptr); }

std::string CAboutDlg::DataFolder(const AppContext& context) {
  // Written out without "..": the installed layout finds its data above the program.
  std::error_code ec;
  const std::filesystem::path folder = std::filesystem::path(context.core.baseDir) / "xml" / "orvik" / "";
  const std::filesystem::path plain = std::filesystem::weakly_canonical(folder, ec);
  return ec ? folder.string() : (plain / "").string();
}

void CAboutDlg::OnInit() {
  auto set = [this](const char* control, const char* attribute, const std::string& value) {
    if (CDuiControl* c = FindControl(control)) c->SetAttribute(attribute, value);
  };
  set("about.icon", "image", "skin:app");
  set("about.name", "text", system_.LookupText("APP_NAME") + " " + FormatText(system_.LookupText("ABOUT_VERSION"), KORVANE_VERSION));
  set("about.datadir", "text", FormatText(system_.LookupText("ABOUT_DATA_DIR"), DataFolder(ctx_)));
  if (CDuiDialog* dialog = AttachedDialog()) dialog->adjustSize();
}

int CAboutDlg::OnDuiMessage(int uID, const std::string& name, int msg, WPARAM wParam, LPARAM lParam) {
  if (int r = CDuiHandler::OnDuiMessage(uID, name, msg, wParam, lParam)) return r;
  if (msg != DUI_MSG_MOVE)
    system_.WriteLog(LOG_DEBUG, "%s::OnDuiMessage:uID=%d, name=%s, msg=%d, wParam=%d, lParam=%d", "CAboutDlg", uID,
                     name.c_str(), msg, static_cast<int>(wParam), static_cast<int>(lParam));
  return 0;  // OK closes the dialog by its template
}

}  // namespace korvane
