#pragma once
// What a checksum comparison covers: the conf area, the code area (with the
// option area) or both, and the code file the PC side is computed from.
#include <string>

#include "app/CSelectDialog.h"

namespace korvane {

class CSelectChecksumTypeDlg : public CSelectDialog {
 public:
  explicit CSelectChecksumTypeDlg(AppContext& context);

  void OnInit() override;
  std::string codePath;  // given before, read after

 protected:
  bool Confirm() override;
};

}  // namespace korvane
