#pragma once
// Before a download: the target (tool or chip), the areas and the code file.
#include <string>

#include "app/CSelectDialog.h"

namespace korvane {

class CSelectDownloadTypeDlg : public CSelectDialog {
 public:
  explicit CSelectDownloadTypeDlg(AppContext& context);

  void OnInit() override;
  std::string codePath;  // given before, read after

 protected:
  bool Confirm() override;
};

}  // namespace korvane
