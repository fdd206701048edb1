#pragma once
// The burn options: which areas the programmer burns into a chip. The caller
// gives the current area set (the burn record's first byte) and reads it back.
#include "app/CSelectDialog.h"

namespace korvane {

class CBurnOptionDlg : public CSelectDialog {
 public:
  CBurnOptionDlg(AppContext& context, int areaSet);

  void OnInit() override;
  int Areas() const { return areas_; }

 protected:
  bool Confirm() override;

 private:
  int areas_;  // code 1, conf 2, option 4
};

}  // namespace korvane
