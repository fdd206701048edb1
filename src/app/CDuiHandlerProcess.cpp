#include "app/CDuiHandlerProcess.h"

#include <QCoreApplication>

#include "app/AppContext.h"
#include "app/AppLinkView.h"
#include "app/CDuiHandlerMain.h"
#include "dui/CDuiDialog.h"
#include "dui/DuiSystem.h"
#include "link/LinkReport.h"
#include "link/OperationRunner.h"

namespace korvane {

CDuiHandlerProcess::CDuiHandlerProcess(DuiSystem& system, LinkContext& link, OperationRequest request)
    : system_(system), link_(link), request_(std::move(request)) {}

void CDuiHandlerProcess::OnInit() {
  const int kind = request_.kind;
  if (StartWorker(link_, std::move(request_))) return;
  // An earlier worker still holds the link: nothing runs, so nothing would
  // ever ask this dialog to close.
  ReportResult(link_, kLinkCancelled, kind);
  if (CDuiDialog* dialog = AttachedDialog()) dialog->PostMessage(UM_END_DIALOG, DUI_RESULT_CLOSE, 0);
}

int CDuiHandlerProcess::OnEndDialog(int code) {
  if (code == DUI_RESULT_CLOSE) {
    link_.userCancel.store(1);
    link_.cancel.store(1);
  }
  return 1;
}

int CDuiHandlerProcess::OnDuiMessage(int uID, const std::string& name, int msg, WPARAM wParam, LPARAM lParam) {
  if (int r = CDuiHandler::OnDuiMessage(uID, name, msg, wParam, lParam)) return r;
  if (msg != DUI_MSG_MOVE)
    system_.WriteLog(LOG_DEBUG, "%s::OnDuiMessage:uID=%d, name=%s, msg=%d, wParam=%d, lParam=%d",
                     "CDuiHandlerProcess", uID, name.c_str(), msg, static_cast<int>(wParam),
                     static_cast<int>(lParam));
  if (uID != 0 || !name.empty() || msg != UM_END_DIALOG) return 0;
  // A close request while the worker is being waited for, or after the
  // operation has been reported, is the same close again.
  if (ended_ || link_.waiting.load()) return 1;
  WaitWorker(link_, [] { QCoreApplication::processEvents(QEventLoop::AllEvents); });
  FinalReport(link_);
  ended_ = true;
  return 0;
}

bool StartOperation(AppContext& context, AppLinkView& view, OperationRequest request) {
  LinkContext& link = context.link;
  DuiSystem& dui = *context.dui;
  if (!link.PortOpen()) {
    PortReady(link, false, true, true);
    return false;
  }
  if (!StopWorker(link)) return false;
  if (CDuiDialog* old = view.ProgressDialog()) {
    old->PostMessage(UM_END_DIALOG, DUI_RESULT_CLOSE, 0);
    view.SetProgressDialog(nullptr);
  }
  link.userCancel.store(0);
  link.cancel.store(0);
  link.result.store(0);
  link.message.clear();
  const int kind = request.kind;

  CDuiDialog* parent = context.main ? context.main->MainDialog() : nullptr;
  CDuiDialog* dialog = dui.CreateDialogFromTemplate("dlg_process", parent, "dlg_process");
  if (!dialog) return false;
  dialog->setWindowTitle(QString::fromStdString(OperationName(link, kind)));
  auto* handler = new CDuiHandlerProcess(dui, link, std::move(request));
  view.SetProgressDialog(dialog);
  dui.AttachHandler(dialog, handler, "", true);  // starts the worker
  dialog->RunModal();
  view.SetProgressDialog(nullptr);
  dui.ReleaseHandler(handler);
  // A worker that would not end keeps its dialog until the interface goes.
  if (!link.WorkerRunning()) dui.DestroyDialog(dialog);
  return true;
}

}  // namespace korvane
