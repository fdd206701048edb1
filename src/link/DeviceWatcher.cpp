#include "link/DeviceWatcher.h"

#include <sys/stat.h>

#include <filesystem>

#include "link/DevicePresence.h"

namespace korvane {

DeviceWatcher::DeviceWatcher(std::string sysTtyDir) : dir_(std::move(sysTtyDir)), known_(Present()) {}

std::map<std::string, DeviceWatcher::Identity> DeviceWatcher::Present() const {
  namespace fs = std::filesystem;
  std::map<std::string, Identity> devices;
  std::error_code ec;
  for (fs::directory_iterator it(dir_, ec), end; !ec && it != end; it.increment(ec)) {
    std::error_code exists;
    if (!fs::exists(it->path() / "device", exists)) continue;
    // The entry is a link to the device's folder in sysfs; its folder is
    // the one made anew when the device is.
    struct stat st {};
    if (::stat(it->path().c_str(), &st) != 0) continue;
    devices[it->path().filename().string()] = {static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino),
                                               static_cast<int64_t>(st.st_ctim.tv_sec),
                                               static_cast<int64_t>(st.st_ctim.tv_nsec)};
  }
  return devices;
}

std::vector<uint32_t> DeviceWatcher::Poll() {
  const std::map<std::string, Identity> now = Present();
  std::vector<uint32_t> events;
  for (const auto& [name, identity] : known_) {
    auto it = now.find(name);
    if (it == now.end() || it->second != identity) events.push_back(kDeviceRemoveComplete);
  }
  for (const auto& [name, identity] : now) {
    auto it = known_.find(name);
    if (it == known_.end() || it->second != identity) events.push_back(kDeviceArrival);
  }
  known_ = now;
  return events;
}

}  // namespace korvane
