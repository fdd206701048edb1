#pragma once
// Help → About: the program's name and version, what it is for, its licence,
// and the data folder whose chips and catalogue this run uses.
#include <string>

#include "dui/CDuiDialogHandler.h"

namespace korvane {

struct AppContext;

class CAboutDlg : public CDuiDialogHandler {
 public:
  explicit CAboutDlg(AppContext& context);

  // Opens over the main window; 1 when closed with OK, 2 otherwise, 0 without the template.
  int Show() override;
  int DoModal() { return Show(); }

  void OnInit() override;
  int OnDuiMessage(int uID, const std::string& name, int msg, WPARAM wParam, LPARAM lParam) override;

  // The folder that holds the catalogue and the chips ("…/xml/orvik/").
  static std::string DataFolder(const AppContext& context);

 private:
  AppContext& ctx_;
};

}  // namespace korvane
