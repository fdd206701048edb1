#pragma once
// Everything a device operation needs, in one object a front end creates for
// each programmer and hands by reference: the port, the core records, the
// request of the running operation, what the worker found, the flags shared
// with the worker and the port settings.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "core/model/CoreContext.h"
#include "link/CSerial.h"
#include "link/FrameLink.h"
#include "link/ILinkView.h"
#include "link/LinkArea.h"
#include "link/OperationRequest.h"
#include "link/LinkTypes.h"

namespace korvane {

struct LinkContext {
  explicit LinkContext(CoreContext& coreContext) : core(coreContext) {}
  ~LinkContext();
  LinkContext(const LinkContext&) = delete;
  LinkContext& operator=(const LinkContext&) = delete;

  CSerial port;
  IByteChannel* channel = &port;  // the port, unless a test puts another channel in its place
  CoreContext& core;              // layout, chip kind, image, texts, message boxes
  ILinkView* view = nullptr;      // the main window and its progress dialog; null shows nothing

  // The running operation's request, or the last one's. The start hands it
  // over before the worker begins; only the worker reads it while it runs.
  OperationRequest request;
  std::string message;  // the message of the last recorded result
  std::atomic<int> result{0};

  std::thread worker;
  std::atomic<int> userCancel{0};
  std::atomic<int> cancel{0};
  std::atomic<int> waiting{0};
  uint16_t sequence = 0;

  // What the worker found: the area sizes the programmer reported (by
  // LinkArea), the areas of the last comparison that differed (CheckBit)
  // and its checksums.
  uint32_t readSize[3] = {};
  uint32_t compareMismatch = 0;
  // The figures of the last comparison, by LinkArea: both checksums of each
  // area whose programmer checksum was read.
  struct ComparedSums {
    bool read = false;
    uint32_t pc = 0;
    uint32_t device = 0;
  };
  ComparedSums compared[3];
  PortSettings settings;

  // The pause after every operation before the progress dialog is asked to
  // close, so that the user sees the bar at its end. Tests shorten it.
  int epiloguePauseMs = 500;

  // A removal seen while the worker runs: the port is closed once it has ended.
  bool closePending = false;
  // An arrival seen while that close waits: the device may be back, so the
  // port is reopened right after the close.
  bool reopenPending = false;

  FrameLink Frames() { return FrameLink(*channel, cancel, sequence); }
  bool PortOpen() const { return channel->IsOpen(); }

  // The worker's end, as the UI thread sees it.
  bool WorkerRunning() const { return worker.joinable() && !workerDone_.load(); }
  void MarkWorkerDone();
  // Waits up to ms for the worker to end; true when it has (or none runs).
  bool WaitWorkerFor(int ms);
  void ResetWorkerDone() { workerDone_.store(false); }

 private:
  std::mutex workerLock_;
  std::condition_variable workerEnded_;
  std::atomic<bool> workerDone_{true};
};

}  // namespace korvane
