#include "link/DeviceWatcher.h"

#include <sys/stat.h>

#include <filesystem>

#include "link/DevicePresence.h"

namespace korvane {

DeviceWatcher::DeviceWatcher(std::string sysTtyDir) : dir_(std::move(sysTtyDir)), known_(Present()) {}

std::map<std::string, std::string> DeviceWatcher::Present() const {
  namespace fs = std::filesystem;
  std::map<std::string, std::string> devices;
  std::error_code ec;
  for (fs::directory_iterator it(dir_, ec), end; !ec && it != end; it.increment(ec)) {
    // The system makes the entry anew for every plugging: its inode and
    // change time tell a replug under the same name.
    struct stat st{};
    if (::stat((it->path() / "device").c_str(), &st) != 0) continue;
    devices[it->path().filename().string()] = std::to_string(st.st_ino) + ':' + std::to_string(st.st_ctim.tv_sec) +
                                               '.' + std::to_string(st.st_ctim.tv_nsec);
  }
  return devices;
}

std::vector<uint32_t> DeviceWatcher::Poll() {
  const std::map<std::string, std::string> now = Present();
  std::vector<uint32_t> events;
  for (const auto& [name, identity] : known_) {
    auto found = now.find(name);
    if (found == now.end() || found->second != identity) events.push_back(kDeviceRemoveComplete);
  }
  for (const auto& [name, identity] : now) {
    auto found = known_.find(name);
    if (found == known_.end() || found->second != identity) events.push_back(kDeviceArrival);
  }
  known_ = now;
  return events;
}

}  // namespace korvane
