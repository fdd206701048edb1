#include "link/DevicePresence.h"

#include "core/text/TextFormat.h"
#include "link/LinkReport.h"

namespace korvane {

namespace {

void ClosePortGone(LinkContext& link) {
  link.closePending = false;
  link.port.Close();
  ReportLog(link, link.core.LookupText("DEV_OFFLINE_EVENT"), kColourFailure);
  Report(link, FormatText(link.core.LookupText("Dev-Disconnect"), link.settings.portName), kColourFailure, true,
         false, false);
}

}  // namespace

void OnDeviceChange(LinkContext& link, uint32_t event) {
  if (event == kDeviceArrival) {
    if (link.port.IsOpen() || link.closePending) return;
    if (!link.port.Reopen(link.settings)) return;
    ReportLog(link, link.core.LookupText("DEV_ONLINE_EVENT"), kColourInfo);
    Report(link, FormatText(link.core.LookupText("Dev-Connected"), link.settings.portName), kColourInfo, true, false,
           false);
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
