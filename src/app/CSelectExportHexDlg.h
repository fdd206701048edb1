#pragma once
// Before a HEX export: the areas, the code file and the file to write.
#include <string>

#include "app/CSelectDialog.h"

namespace korvane {

class CSelectExportHexDlg : public CSelectDialog {
 public:
  explicit CSelectExportHexDlg(AppContext& context);

  void OnInit() override;
  std::string codePath;  // given before, read after; the export path is a kept choice

 protected:
  bool Confirm() override;
  void OnFileButton(const std::string& name) override;
};

}  // namespace korvane
