#pragma once
// Serial devices arriving and leaving as the system announces them, read from
// a descriptor the window's event loop watches. The udev monitor is the real
// source; LineTtyEventSource stands in for it where a test writes the events.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace korvane {

class ITtyEventSource {
 public:
  virtual ~ITtyEventSource() = default;
  // Readable when events are waiting.
  virtual int Descriptor() const = 0;
  // The events waiting, as WM_DEVICECHANGE codes: arrival 0x8000 for a device
  // added, removal-complete 0x8004 for one removed; other actions give none.
  virtual std::vector<uint32_t> ReadEvents() = 0;
};

// The code of a udev action ("add", "remove"); 0 for actions that are no
// arrival or removal ("change", "bind", ...).
uint32_t DeviceChangeForAction(const std::string& action);

// Reads lines "ACTION DEVNODE" from a descriptor it owns (a pipe's reading end).
class LineTtyEventSource : public ITtyEventSource {
 public:
  explicit LineTtyEventSource(int fd);
  ~LineTtyEventSource() override;
  LineTtyEventSource(const LineTtyEventSource&) = delete;
  LineTtyEventSource& operator=(const LineTtyEventSource&) = delete;

  int Descriptor() const override { return fd_; }
  std::vector<uint32_t> ReadEvents() override;

 private:
  int fd_;
  std::string pending_;  // a line not yet complete
};

// The udev monitor of the tty subsystem; null when there is no udev (a
// container, a build without libudev), with why saying so.
std::unique_ptr<ITtyEventSource> OpenUdevTtyMonitor(std::string* why);

}  // namespace korvane
