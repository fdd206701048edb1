#pragma once
// A window made from a skin template: the loaded form inside a dialog, its
// named controls, its handler, its timers and its window messages.
#include <functional>
#include <map>
#include <memory>
#include <string>

#include <QDialog>
#include <QIcon>

#include "dui/DuiTypes.h"

class QTimer;

namespace korvane {

class CDuiControl;
class CDuiHandler;
class DuiSystem;

class CDuiDialog : public QDialog {
 public:
  // Releases a posted payload that never reached a handler (the window went
  // away first); once delivered, the payload belongs to the handler.
  using PayloadDropper = std::function<void(LPARAM)>;

  CDuiDialog(DuiSystem& system, const std::string& templateName, const std::string& name, QWidget* form,
             QWidget* parent);
  ~CDuiDialog() override;

  DuiSystem& System() const { return system_; }
  const std::string& Name() const { return name_; }
  const std::string& TemplateName() const { return templateName_; }
  QWidget* Form() const { return form_; }

  CDuiControl* FindControl(const std::string& name) const;
  CDuiHandler* Handler() const { return handler_; }

  // Asks the dialog to close with result: through the handler's OnEndDialog,
  // then as UM_END_DIALOG posted to the window. False when the handler kept
  // the dialog open.
  bool EndDialog(int result);
  // True once the dialog has ended (a modal hook waits for this).
  bool Finished() const { return finished_; }
  int Result() const { return result(); }
  // Runs the dialog modally (or hands it to the test's modal hook) and
  // returns the result it ended with.
  int RunModal();
  // The real modal loop, for a modal hook that wants to run one.
  int ExecModal();
  // True while RunModal has not returned: a user may still be answering it.
  bool Running() const { return running_ > 0; }

  // Window messages. Post queues the message; the payload in lParam passes
  // with it. Send dispatches at once on the window thread and waits for the
  // window thread when called from another.
  void PostMessage(int msg, WPARAM wParam, LPARAM lParam, PayloadDropper dropper = nullptr);
  LPARAM SendMessage(int msg, WPARAM wParam, LPARAM lParam);

  // Repeating timer; each expiry calls the handler's OnTimer (id, name).
  int StartTimer(int intervalMs, const std::string& name);
  void KillTimer(int timerId);

  QIcon ImageForName(const std::string& image) const;

  // Delivers a control notification to the handler that serves the control.
  int Notify(CDuiControl& control, int msg, WPARAM wParam, LPARAM lParam);
  // A window message as the framework dispatches it (the delivery rules).
  LPARAM DispatchWindowMessage(int msg, WPARAM wParam, LPARAM lParam);

 protected:
  bool event(QEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* e) override;
  void closeEvent(QCloseEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void reject() override;
  void accept() override;

 private:
  friend class DuiSystem;
  void CollectControls();
  void ConnectNotifications(CDuiControl& control);
  void FinishDialog(int result);
  CDuiHandler* HandlerFor(const CDuiControl& control) const;

  DuiSystem& system_;
  std::string templateName_;
  std::string name_;
  QWidget* form_;
  CDuiHandler* handler_ = nullptr;
  std::vector<CDuiHandler*> controlHandlers_;
  std::map<std::string, std::unique_ptr<CDuiControl>> controls_;
  std::map<int, QTimer*> timers_;
  int nextTimerId_ = 1;
  bool finished_ = false;
  int running_ = 0;  // RunModal calls under way (a hook may run the dialog again inside)
};

}  // namespace korvane
