#pragma once
// The target of a configuration read: the tool or the chip.
#include "app/CSelectDialog.h"

namespace korvane {

class CSelectOperatorTypeDlg : public CSelectDialog {
 public:
  explicit CSelectOperatorTypeDlg(AppContext& context);

  void OnInit() override;

 protected:
  bool Confirm() override;
};

}  // namespace korvane
