#pragma once
// Base of the handlers that run one dialog for one command: Show() creates
// the dialog from its template, makes this object its handler and runs it
// modally. The caller releases the handler through the framework afterwards
// (DuiSystem::ReleaseHandler), which deletes it.
#include <string>

#include "dui/CDuiHandler.h"

namespace korvane {

class CDuiDialog;
class DuiSystem;

class CDuiDialogHandler : public CDuiHandler {
 public:
  explicit CDuiDialogHandler(DuiSystem& system) : system_(system) {}

  // 1 when the dialog was confirmed, 2 otherwise (0 when it could not be made).
  virtual int Show() = 0;

 protected:
  // Creates templateName under parent, attaches this handler (OnInit runs)
  // and runs it modally; the dialog's result, or 0 without the template.
  int RunDialog(const std::string& templateName, CDuiDialog* parent);
  // Asks the dialog to close with result, through OnEndDialog.
  void CloseDialog(int result);

  DuiSystem& system_;
};

}  // namespace korvane
