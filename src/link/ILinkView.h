#pragma once
// What the operation runner needs of a front end: the log panel, the status
// text, the progress bar and the two ways device data reaches the main window.
// The desktop application puts its progress dialog and main window behind
// it; the command line prints to stderr. Every call but the status text may
// come from the worker thread.
#include <memory>
#include <string>

#include "link/LinkTypes.h"

namespace korvane {

// Windows colour values 0x00BBGGRR.
constexpr unsigned kColourInfo = 0xFF0000;     // blue: operation names, information lines
constexpr unsigned kColourSuccess = 0xC80000;  // dark blue: success lines
constexpr unsigned kColourFailure = 0x0000FF;  // red: failure lines

class ILinkView {
 public:
  virtual ~ILinkView() = default;

  // One line of the log panel; with stamped the view puts LogTimeStamp() in
  // front of it (the panel's own rule).
  virtual void AppendLog(const std::string& text, unsigned colour, bool stamped) = 0;
  virtual void SetStatusText(const std::string& text, unsigned colour) = 0;

  // The progress bar of the running operation; a view without one returns 0
  // and ignores SetProgress. The runner only ever moves it forward.
  virtual int ProgressValue() = 0;
  virtual void SetProgress(int value) = 0;

  // An area read from the device; ownership passes to the view (posted).
  virtual void PostReadResult(int kind, std::unique_ptr<ReadResult> result) = 0;
  // The information record of kinds 23 and 24; returns once it has been shown,
  // the record stays with the caller (sent).
  virtual void SendDeviceInfo(int kind, const DeviceInfoRecord& record) = 0;
  // The worker has finished its operation (the progress dialog may close).
  virtual void OperationEnded() = 0;

  // Whether every line that reports a device failure carries its result
  // code beside the text, for the scripts that read it.
  virtual bool ShowsResultCodes() const { return false; }
};

// "[YYYY-MM-DD hh:mm:ss] " in local time, closing space included.
std::string LogTimeStamp();

}  // namespace korvane
