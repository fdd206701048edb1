#include "link/DeviceWatcher.h"

#include <filesystem>

#include "link/DevicePresence.h"

namespace korvane {

DeviceWatcher::DeviceWatcher(std::string sysTtyDir) : dir_(std::move(sysTtyDir)), known_(Present()) {}

std::set<std::string> DeviceWatcher::Present() const {
  namespace fs = std::filesystem;
  std::set<std::string> names;
  std::error_code ec;
  for (fs::directory_iterator it(dir_, ec), end; !ec && it != end; it.increment(ec)) {
    std::error_code exists;
    if (fs::exists(it->path() / "device", exists)) names.insert(it->path().filename().string());
  }
  return names;
}

std::vector<uint32_t> DeviceWatcher::Poll() {
  const std::set<std::string> now = Present();
  std::vector<uint32_t> events;
  for (const std::string& name : known_)
    if (!now.count(name)) events.push_back(kDeviceRemoveComplete);
  for (const std::string& name : now)
    if (!known_.count(name)) events.push_back(kDeviceArrival);
  known_ = now;
  return events;
}

}  // namespace korvane
