#pragma once
// The operation runner's view in the desktop application: log lines and the
// status text of the main window, the bar of the open progress dialog, and
// the device data delivered to the main window as UM_OPERATION_RESULT.
//
// The worker calls in from its own thread. Log lines and the bar go to the
// window thread by blocking queued calls, so they keep their order and the
// worker goes on only once a line is shown; read results are posted (the
// main window frees them), the information record is sent and waited for.
#include <atomic>

#include "link/ILinkView.h"

namespace korvane {

class CDuiDialog;
class CDuiHandlerMain;
struct LinkContext;

class AppLinkView : public ILinkView {
 public:
  // mainDialog is the window the results go to; it outlives every operation.
  AppLinkView(CDuiHandlerMain& main, CDuiDialog* mainDialog);

  void AppendLog(const std::string& text, unsigned colour, bool stamped) override;
  void SetStatusText(const std::string& text, unsigned colour) override;
  int ProgressValue() override;
  void SetProgress(int value) override;
  void PostReadResult(int kind, std::unique_ptr<ReadResult> result) override;
  void SendDeviceInfo(int kind, const DeviceInfoRecord& record) override;
  void OperationEnded() override;

  // The progress dialog of the running operation; set and cleared on the
  // window thread while no worker runs.
  void SetProgressDialog(CDuiDialog* dialog) { progress_.store(dialog); }
  CDuiDialog* ProgressDialog() const { return progress_.load(); }

  // From now on nothing reaches the windows. A worker still running is told
  // to stop and waited for, its calls served meanwhile, so that it never
  // outlives the windows it reports to.
  void Detach(LinkContext& link);

 private:
  bool OnWindowThread() const;

  CDuiHandlerMain& main_;
  CDuiDialog* mainDialog_;
  std::atomic<CDuiDialog*> progress_{nullptr};
  std::atomic<bool> detached_{false};
};

}  // namespace korvane
