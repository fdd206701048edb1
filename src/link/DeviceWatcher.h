#pragma once
// Notices serial devices coming and going by comparing the devices present
// under /sys/class/tty from one look to the next: by name and by identity,
// so that a device unplugged and plugged back between two looks, under the
// same name, still counts as gone and come. The front end looks about
// once a second (a timer on its UI thread) and hands every event it gets to
// OnDeviceChange.
#include <cstdint>
#include <map>
#include <string>
#include <tuple>
#include <vector>

namespace korvane {

class DeviceWatcher {
 public:
  // sysTtyDir is where the tty class lives; tests point it elsewhere.
  explicit DeviceWatcher(std::string sysTtyDir = "/sys/class/tty");

  // One arrival (0x8000) for every device that came since the last look and
  // one removal (0x8004) for every device that left; removals first. A name
  // that now stands for another device counts as both.
  std::vector<uint32_t> Poll();

 private:
  // A device's entry as the file system knows it (device and inode numbers
  // of its folder, and when it was made): a new device under an old name
  // gets a new entry, and a reused inode number a new change time.
  using Identity = std::tuple<uint64_t, uint64_t, int64_t, int64_t>;
  std::map<std::string, Identity> Present() const;

  std::string dir_;
  std::map<std::string, Identity> known_;
};

}  // namespace korvane
