#include "app/CSelectDialog.h"

#include "app/AppContext.h"
#include "app/CDuiHandlerMain.h"
#include "core/files/AreaChoice.h"
#include "core/text/MessageBox.h"
#include "dui/CDuiControl.h"
#include "dui/CDuiDialog.h"
#include "dui/DuiSystem.h"

namespace korvane {

CSelectDialog::CSelectDialog(AppContext& context, const char* className, const char* templateName, bool withParent)
    : CDuiDialogHandler(*context.dui), ctx_(context), className_(className), templateName_(templateName),
      withParent_(withParent) {}

int CSelectDialog::Show() {
  CDuiDialog* parent = withParent_ && ctx_.main ? ctx_.main->MainDialog() : nullptr;
  if (RunDialog(templateName_, parent) == 0 && !AttachedDialog()) return 0;
  return confirmed_ ? DUI_RESULT_OK : DUI_RESULT_CLOSE;
}

int CSelectDialog::OnDuiMessage(int uID, const std::string& name, int msg, WPARAM wParam, LPARAM lParam) {
  if (int r = CDuiHandler::OnDuiMessage(uID, name, msg, wParam, lParam)) return r;
  if (msg != DUI_MSG_MOVE)
    system_.WriteLog(LOG_DEBUG, "%s::OnDuiMessage:uID=%d, name=%s, msg=%d, wParam=%d, lParam=%d", className_, uID,
                     name.c_str(), msg, static_cast<int>(wParam), static_cast<int>(lParam));
  if (msg != DUI_MSG_CLICK) return 0;
  if (name == "buttonok") {
    if (Confirm()) {
      CDuiDialog* dialog = AttachedDialog();
      if (dialog && dialog->EndDialog(DUI_RESULT_OK)) confirmed_ = 1;
    }
    return 1;
  }
  if (name == "CodeSelBtn" || name == "ExportSelBtn") {
    OnFileButton(name);
    return 1;
  }
  return 0;
}

bool CSelectDialog::IsChecked(const std::string& name) const {
  CDuiControl* c = FindControl(name);
  return c && c->GetCheck();
}

void CSelectDialog::SetChecked(const std::string& name, bool checked) {
  if (CDuiControl* c = FindControl(name)) c->SetCheck(checked);
}

std::string CSelectDialog::EditText(const std::string& name) const {
  CDuiControl* c = FindControl(name);
  return c ? c->GetText() : std::string();
}

void CSelectDialog::SetEditText(const std::string& name, const std::string& text) {
  if (CDuiControl* c = FindControl(name)) c->SetText(text);
}

void CSelectDialog::ShowError(const std::string& text) {
  system_.ShowMessageBox(AttachedDialog(), text, system_.LookupText("MessageBoxTitle"), MB_OK | MB_ICONERROR);
}

bool CSelectDialog::FailKey(const std::string& key) {
  ShowError(system_.LookupText(key));
  return false;
}

bool CSelectDialog::FailFileNotFound(const std::string& path) {
  ShowError(path + ":" + system_.LookupText("FILE_NOT_EXIST"));
  return false;
}

bool CSelectDialog::ConfirmAreas(bool conf, bool code, const std::string& codePath) {
  switch (CheckAreaChoice(conf, code, &codePath)) {
    case AreaChoiceProblem::NoArea: return FailKey("MUST_SELECT_TYPE");
    case AreaChoiceProblem::NoCodeFile: return FailFileNotFound(codePath);
    case AreaChoiceProblem::None: break;
  }
  return true;
}

void CSelectDialog::ShowAreaChoice(int conf, int code, const std::string& codePath) {
  if (conf) SetChecked("ConfArea", true);
  SetChecked("CodeArea", code != 0);
  SetEditText("CodePathEdit", codePath);
}

bool CSelectDialog::ReadAreaChoice(int& conf, int& code, std::string& codePath) {
  conf = IsChecked("ConfArea") ? 1 : 0;
  code = IsChecked("CodeArea") ? 1 : 0;
  if (HasControl("CodePathEdit")) codePath = EditText("CodePathEdit");
  return ConfirmAreas(conf != 0, code != 0, codePath);
}

void CSelectDialog::OnFileButton(const std::string& name) {
  // The chosen file shows in the edit; the code path follows on OK.
  if (name == "CodeSelBtn") ChooseHexFile(false, "CodePathEdit");
}

void CSelectDialog::ChooseHexFile(bool save, const std::string& editName) {
  FileDialogRequest request;
  request.defaultExtension = "hex";
  request.filter = "Hex File(*.hex)|*.hex||";
  // An existing export target is asked about once, by the export itself.
  request.overwritePrompt = false;
  std::string path;
  if (system_.GetFileName(save, request, &path)) SetEditText(editName, path);
}

}  // namespace korvane
