#include "link/DevicePresence.h"

#include <utility>

#include "core/text/TextFormat.h"
#include "link/LinkReport.h"

namespace korvane {

namespace {

void ReopenPortBack(LinkContext& link) {
  if (!link.port.Reopen(link.settings)) return;
  ReportLog(link, link.core.LookupText("DEV_ONLINE_EVENT"), kColourInfo);
  Report(link, FormatText(link.core.LookupText("Dev-Connected"), link.settings.portName), kColourInfo, true, false,
         false);
}

void ClosePortGone(LinkContext& link) {
  link.closePending = false;
  link.port.Close();
  ReportLog(link, link.core.LookupText("DEV_OFFLINE_EVENT"), kColourFailure);
  Report(link, FormatText(link.core.LookupText("Dev-Disconnect"), link.settings.portName), kColourFailure, true,
         false, false);
  // The device came back while the close waited for the worker.
  if (std::exchange(link.reopenPending, false)) ReopenPortBack(link);
}

}  // namespace

void OnDeviceChange(LinkContext& link, uint32_t event) {
  if (event == kDeviceArrival) {
    if (link.closePending) {
      link.reopenPending = true;
      return;
    }
    if (!link.port.IsOpen()) ReopenPortBack(link);
    return;
  }
  if (event == kDeviceRemoveComplete) {
    if (!link.port.IsOpen() || link.closePending) return;
    if (link.port.CheckAlive() == 0) return;  // another device left
    if (link.WorkerRunning()) {
      link.closePending = true;
      link.cancel.store(1);
      return;
    }
    ClosePortGone(link);
  }
}

void FinishPendingClose(LinkContext& link) {
  if (link.closePending) ClosePortGone(link);
}

}  // namespace korvane
