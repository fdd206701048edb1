#include "app/AppLinkView.h"

#include <QCoreApplication>
#include <QThread>

#include "app/CDuiHandlerMain.h"
#include "dui/CDuiControl.h"
#include "dui/CDuiDialog.h"
#include "link/LinkContext.h"

namespace korvane {

AppLinkView::AppLinkView(CDuiHandlerMain& main, CDuiDialog* mainDialog) : main_(main), mainDialog_(mainDialog) {}

bool AppLinkView::OnWindowThread() const {
  return !mainDialog_ || QThread::currentThread() == mainDialog_->thread();
}

void AppLinkView::AppendLog(const std::string& text, unsigned colour, bool stamped) {
  if (detached_.load()) return;
  main_.Report(text, colour, false, true, stamped);  // waits for the window thread when called off it
}

void AppLinkView::SetStatusText(const std::string& text, unsigned colour) {
  if (detached_.load()) return;
  main_.Report(text, colour, true, false, false);
}

int AppLinkView::ProgressValue() {
  if (detached_.load() || !mainDialog_) return 0;
  int value = 0;
  auto read = [this, &value] {
    CDuiDialog* dialog = progress_.load();
    CDuiControl* bar = dialog ? dialog->FindControl("ProgressCtrl") : nullptr;
    value = bar ? bar->GetProgress() : 0;
  };
  if (OnWindowThread()) read();
  else QMetaObject::invokeMethod(mainDialog_, read, Qt::BlockingQueuedConnection);
  return value;
}

void AppLinkView::SetProgress(int value) {
  if (detached_.load() || !mainDialog_) return;
  auto write = [this, value] {
    CDuiDialog* dialog = progress_.load();
    if (CDuiControl* bar = dialog ? dialog->FindControl("ProgressCtrl") : nullptr) bar->SetProgress(value);
  };
  if (OnWindowThread()) write();
  else QMetaObject::invokeMethod(mainDialog_, write, Qt::BlockingQueuedConnection);
}

void AppLinkView::PostReadResult(int kind, std::unique_ptr<ReadResult> result) {
  if (detached_.load() || !mainDialog_ || !result) return;
  mainDialog_->PostMessage(UM_OPERATION_RESULT, static_cast<WPARAM>(kind), reinterpret_cast<LPARAM>(result.release()),
                           [](LPARAM record) { delete reinterpret_cast<ReadResult*>(record); });
}

void AppLinkView::SendDeviceInfo(int kind, const DeviceInfoRecord& record) {
  if (detached_.load() || !mainDialog_) return;
  mainDialog_->SendMessage(UM_OPERATION_RESULT, static_cast<WPARAM>(kind), reinterpret_cast<LPARAM>(&record));
}

void AppLinkView::OperationEnded() {
  if (detached_.load() || !mainDialog_) return;
  // Queued behind the read results already posted to the main window, so the
  // main window has them before the progress dialog closes.
  QMetaObject::invokeMethod(
      mainDialog_,
      [this] {
        if (CDuiDialog* dialog = progress_.load()) dialog->PostMessage(UM_END_DIALOG, DUI_RESULT_CLOSE, 0);
      },
      Qt::QueuedConnection);
}

void AppLinkView::Detach(LinkContext& link) {
  if (link.WorkerRunning()) {
    link.cancel.store(1);
    while (!link.WaitWorkerFor(20)) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  detached_.store(true);
  if (link.worker.joinable()) link.worker.join();
  if (link.view == this) link.view = nullptr;
}

}  // namespace korvane
