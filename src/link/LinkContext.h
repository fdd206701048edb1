#pragma once
// Everything a device operation needs, in one object the front end creates
// once and hands by reference: the port, the core records, the transfer copy
// and lengths, the flags shared with the worker and the port settings.
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

  std::atomic<int> kind{0};
  std::vector<uint8_t> transferCopy;  // copy of the image that writes send and compares checksum
  std::string message;                // the message of the last recorded result
  std::atomic<int> result{0};

  std::thread worker;
  std::atomic<int> userCancel{0};
  std::atomic<int> cancel{0};
  std::atomic<int> waiting{0};
  uint16_t sequence = 0;

  uint32_t selection = 0;
  uint32_t checkMask = 0;  // bit 0 conf, bit 1 code, bit 2 option
  uint32_t readSize[3] = {};
  uint32_t compareMismatch = 0;  // areas of the last compare that differed, as checkMask bits
  uint32_t writeLength[3] = {};
  PortSettings settings;
  BurnConfigRecord burnConfig;

  // The pause after every operation before the progress dialog is asked to
  // close, so that the user sees the bar at its end. Tests shorten it.
  int epiloguePauseMs = 500;

  // A removal seen while the worker runs: the port is closed once it has ended.
  bool closePending = false;

  FrameLink Frames() { return FrameLink(*channel, cancel, sequence); }
  bool PortOpen() const { return channel->IsOpen(); }
  uint32_t TransferCopySize() const { return static_cast<uint32_t>(transferCopy.size()); }

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
