#pragma once
// The progress dialog "dlg_process" of a device operation: it starts the
// worker when it opens, cancels the operation when the user closes it, and
// on its close request waits for the worker (serving the window meanwhile)
// and logs the final message.
#include <string>

#include "dui/CDuiHandler.h"
#include "link/OperationRequest.h"

namespace korvane {

class AppLinkView;
class DuiSystem;
struct AppContext;
struct LinkContext;

class CDuiHandlerProcess : public CDuiHandler {
 public:
  // request is what the worker runs once the dialog is up.
  CDuiHandlerProcess(DuiSystem& system, LinkContext& link, OperationRequest request);

  void OnInit() override;
  int OnEndDialog(int code) override;
  int OnDuiMessage(int uID, const std::string& name, int msg, WPARAM wParam, LPARAM lParam) override;

 private:
  DuiSystem& system_;
  LinkContext& link_;
  OperationRequest request_;
  bool ended_ = false;  // the final message is out; later close requests change nothing
};

// Runs the request behind the modal progress dialog: "SELECT_PORT_NOTREADY"
// and false when the port is closed (or an earlier worker would not end);
// true once the dialog has closed.
bool StartOperation(AppContext& context, AppLinkView& view, OperationRequest request);

}  // namespace korvane
