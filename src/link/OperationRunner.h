#pragma once
// The operation runner: one device operation at a time on a worker thread,
// each kind a fixed sequence of transactions opened and closed the same way,
// with progress, time-stamped log lines and one final message.
//
// The front end drives it: the desktop application opens its progress dialog
// and calls StartWorker from the dialog, WaitWorker when the dialog closes and
// then FinalReport; the command line calls RunOperationBlocking.
#include <functional>

#include "link/LinkContext.h"

namespace korvane {

// The information record of the running operation and the version bytes.
struct OperationRecord {
  DeviceInfoRecord info;
  uint8_t version[2] = {};
};

// Shows "SELECT_PORT_NOTREADY" when the port is needed and closed, "NewNotify"
// when a description is needed and none is loaded; true when neither applies.
bool PortReady(LinkContext& link, bool needDescription, bool needPort, bool descriptionLoaded);

// The whole operation of link.request, on the calling thread (the worker's body).
void RunOperation(LinkContext& link);
// The first and last steps of every sequence that opens the programmer.
void OpenOperation(LinkContext& link, int kind, bool showInfo, OperationRecord& record);
void CloseOperation(LinkContext& link, int kind, OperationRecord& record);

// Clears the flags and the result, hands the request to the link and starts
// the worker on it. False, the link's request untouched, when an earlier
// worker is still running (it was not waited for to the end).
bool StartWorker(LinkContext& link, OperationRequest request);
// Sets cancel and waits up to 10 s for a running worker; false when it did not end.
bool StopWorker(LinkContext& link);
// Sets waiting and cancel and waits for the worker, calling pump between turns
// of 100 ms (at most 100 of them); closes the port if a removal asked for it.
bool WaitWorker(LinkContext& link, const std::function<void()>& pump = {});

// For front ends without a dialog: starts the request, waits for it to end
// however long it runs (every transaction has its time-outs), logs the final
// message and returns the result. A closed port shows the port message and
// gives 1001.
int RunOperationBlocking(LinkContext& link, OperationRequest request);

}  // namespace korvane
