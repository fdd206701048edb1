#pragma once
// What the small selection dialogs share: each runs one skin template
// modally, fills its controls from the kept choices, and on "buttonok" reads
// them back and runs its checks in order; the first failing check shows an
// error and keeps the dialog open. File buttons ask through the framework's
// file dialogs.
#include <functional>
#include <string>

#include "dui/CDuiDialogHandler.h"
#include "dui/DuiSystem.h"

namespace korvane {

struct AppContext;

class CSelectDialog : public CDuiDialogHandler {
 public:
  // withParent: the dialog opens over the main window, else on its own.
  CSelectDialog(AppContext& context, const char* className, const char* templateName, bool withParent = true);

  // 1 when the user confirmed, 2 otherwise, 0 when the template is missing.
  int Show() override;
  int DoModal() { return Show(); }
  int Confirmed() const { return confirmed_; }

  int OnDuiMessage(int uID, const std::string& name, int msg, WPARAM wParam, LPARAM lParam) override;

 protected:
  // Reads the controls into the choices and runs the checks; false after a
  // check failed (its message has been shown).
  virtual bool Confirm() = 0;
  // "CodeSelBtn" fills "CodePathEdit"; dialogs with more file buttons add theirs.
  virtual void OnFileButton(const std::string& name);

  // A missing control reads as unchecked or empty and is not written.
  bool IsChecked(const std::string& name) const;
  void SetChecked(const std::string& name, bool checked);
  bool HasControl(const std::string& name) const { return FindControl(name) != nullptr; }
  std::string EditText(const std::string& name) const;
  void SetEditText(const std::string& name, const std::string& text);

  // The error box of a failed check, over the dialog.
  void ShowError(const std::string& text);
  bool FailKey(const std::string& key);
  // "path:" and the text of "FILE_NOT_EXIST".
  bool FailFileNotFound(const std::string& path);
  // The checks of a choice of areas and code file (CheckAreaChoice), the
  // first failure shown.
  bool ConfirmAreas(bool conf, bool code, const std::string& codePath);
  // The area boxes and the code file of the download and comparison
  // dialogs: "ConfArea" is ticked when conf is set (a template's own tick
  // stays otherwise), "CodeArea" follows code; read back, then checked.
  void ShowAreaChoice(int conf, int code, const std::string& codePath);
  bool ReadAreaChoice(int& conf, int& code, std::string& codePath);
  // A Hex file chosen in an open (or save) dialog goes into the edit control.
  void ChooseHexFile(bool save, const std::string& editName);

  AppContext& ctx_;

 private:
  const char* className_;
  const char* templateName_;
  bool withParent_;
  int confirmed_ = 0;
};

// Runs a dialog made with new for one command and releases its handler;
// after reads the dialog before it goes. The dialog's result (DUI_RESULT_OK confirmed).
template <typename Dialog>
int RunSelectDialog(DuiSystem& dui, Dialog* dialog, const std::function<void(Dialog&)>& after = {}) {
  const int result = dialog->DoModal();
  if (after) after(*dialog);
  dui.ReleaseHandler(dialog);
  return result;
}

}  // namespace korvane
