#pragma once
// Notices serial devices coming and going by comparing the devices present
// under /sys/class/tty from one look to the next. The front end looks about
// once a second (a timer on its UI thread) and hands every event it gets to
// OnDeviceChange. A device unplugged and plugged back between two looks is
// told by its device entry being a new one: a removal and an arrival.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace korvane {

class DeviceWatcher {
 public:
  // sysTtyDir is where the tty class lives; tests point it elsewhere.
  explicit DeviceWatcher(std::string sysTtyDir = "/sys/class/tty");

  // One arrival (0x8000) for every device that came since the last look and
  // one removal (0x8004) for every device that left; removals first.
  std::vector<uint32_t> Poll();

 private:
  // Each device's entry by name, with what tells one plugging from the next.
  std::map<std::string, std::string> Present() const;

  std::string dir_;
  std::map<std::string, std::string> known_;
};

}  // namespace korvane
