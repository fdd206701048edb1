#pragma once
// The area a hex-window command reads, writes or compares: conf, code or option.
#include "app/CSelectDialog.h"

namespace korvane {

class CSelectFlashTypeDlg : public CSelectDialog {
 public:
  explicit CSelectFlashTypeDlg(AppContext& context);

  void OnInit() override;

 protected:
  bool Confirm() override;
};

}  // namespace korvane
