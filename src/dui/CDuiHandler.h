#pragma once
// Base of every window event handler. The framework calls these operations;
// a handler overrides the ones it cares about and keeps the defaults for the rest.
#include <string>

#include "dui/DuiTypes.h"

namespace korvane {

class CDuiControl;
class CDuiDialog;
class DuiSystem;

class CDuiHandler {
 public:
  CDuiHandler() = default;
  virtual ~CDuiHandler() = default;
  CDuiHandler(const CDuiHandler&) = delete;
  CDuiHandler& operator=(const CDuiHandler&) = delete;

  // Called once when the handler is attached with initialisation requested.
  virtual void OnInit() {}
  // Asked before a dialog closes with result 1; zero keeps it open.
  virtual int OnAccept() { return 1; }
  // Asked before a dialog is asked to close with any result; zero keeps it open.
  virtual int OnEndDialog(int result) { (void)result; return 1; }
  // Every notification and window message; nonzero means consumed.
  virtual int OnDuiMessage(int uID, const std::string& name, int msg, WPARAM wParam, LPARAM lParam) {
    (void)uID; (void)name; (void)msg; (void)wParam; (void)lParam;
    return 0;
  }
  // A timer of the handler's dialog fired.
  virtual void OnTimer(int timerId, const std::string& timerName) { (void)timerId; (void)timerName; }

  // The control of that exact name below the attached object; null when absent
  // or when the handler is attached to nothing.
  CDuiControl* FindControl(const std::string& name) const;

  // The dialog the handler serves (null until attached) and the control it is
  // attached to inside that dialog (null when attached to the dialog itself).
  CDuiDialog* AttachedDialog() const { return dialog_; }
  CDuiControl* AttachedControl() const { return control_; }

 private:
  friend class DuiSystem;
  friend class CDuiDialog;
  CDuiDialog* dialog_ = nullptr;
  CDuiControl* control_ = nullptr;
};

}  // namespace korvane
