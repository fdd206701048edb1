#include "link/TtyEventSource.h"

#include <fcntl.h>
#include <unistd.h>

#include "link/DevicePresence.h"

namespace korvane {

uint32_t DeviceChangeForAction(const std::string& action) {
  if (action == "add") return kDeviceArrival;
  if (action == "remove") return kDeviceRemoveComplete;
  return 0;
}

LineTtyEventSource::LineTtyEventSource(int fd) : fd_(fd) {
  if (fd_ >= 0) ::fcntl(fd_, F_SETFL, ::fcntl(fd_, F_GETFL) | O_NONBLOCK);
}

LineTtyEventSource::~LineTtyEventSource() {
  if (fd_ >= 0) ::close(fd_);
}

std::vector<uint32_t> LineTtyEventSource::ReadEvents() {
  char buffer[512];
  ssize_t got;
  while ((got = ::read(fd_, buffer, sizeof buffer)) > 0) pending_.append(buffer, static_cast<size_t>(got));
  std::vector<uint32_t> events;
  size_t end;
  while ((end = pending_.find('\n')) != std::string::npos) {
    const std::string line = pending_.substr(0, end);
    pending_.erase(0, end + 1);
    if (const uint32_t code = DeviceChangeForAction(line.substr(0, line.find(' ')))) events.push_back(code);
  }
  return events;
}

}  // namespace korvane
