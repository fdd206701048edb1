#include "dui/CDuiDialogHandler.h"

#include "dui/CDuiDialog.h"
#include "dui/DuiSystem.h"

namespace korvane {

int CDuiDialogHandler::RunDialog(const std::string& templateName, CDuiDialog* parent) {
  CDuiDialog* dialog = system_.CreateDialogFromTemplate(templateName, parent, templateName);
  if (!dialog) return 0;
  system_.AttachHandler(dialog, this, "", true);
  return dialog->RunModal();
}

void CDuiDialogHandler::CloseDialog(int result) {
  if (CDuiDialog* dialog = AttachedDialog()) dialog->EndDialog(result);
}

}  // namespace korvane
