#include "dui/CDuiHandler.h"

#include "dui/CDuiControl.h"
#include "dui/CDuiDialog.h"

namespace korvane {

CDuiControl* CDuiHandler::FindControl(const std::string& name) const {
  if (!dialog_) return nullptr;
  CDuiControl* found = dialog_->FindControl(name);
  if (!found || !control_) return found;
  return control_->Contains(*found) ? found : nullptr;
}

}  // namespace korvane
