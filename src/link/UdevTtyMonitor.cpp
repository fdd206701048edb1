// The udev monitor of the tty subsystem: arrivals and removals as udev
// announces them, at once, instead of at the next look of the poll.
#include "link/TtyEventSource.h"

#if KORVANE_HAVE_LIBUDEV
#include <libudev.h>
#include <unistd.h>
#endif

namespace korvane {

#if KORVANE_HAVE_LIBUDEV
namespace {

// udevd's control socket: without it a monitor would wait for events that
// never come (a container, a chroot).
constexpr const char* kUdevControl = "/run/udev/control";

class UdevTtyMonitor : public ITtyEventSource {
 public:
  UdevTtyMonitor(udev* context, udev_monitor* monitor) : udev_(context), monitor_(monitor) {}
  ~UdevTtyMonitor() override {
    udev_monitor_unref(monitor_);
    udev_unref(udev_);
  }
  UdevTtyMonitor(const UdevTtyMonitor&) = delete;
  UdevTtyMonitor& operator=(const UdevTtyMonitor&) = delete;

  int Descriptor() const override { return udev_monitor_get_fd(monitor_); }

  std::vector<uint32_t> ReadEvents() override {
    std::vector<uint32_t> events;
    // The monitor's descriptor does not block: null means nothing more waits.
    while (udev_device* device = udev_monitor_receive_device(monitor_)) {
      const char* action = udev_device_get_action(device);
      // Only devices with a node are ports (not the tty class's other entries).
      if (action && udev_device_get_devnode(device))
        if (const uint32_t code = DeviceChangeForAction(action)) events.push_back(code);
      udev_device_unref(device);
    }
    return events;
  }

 private:
  udev* udev_;
  udev_monitor* monitor_;
};

}  // namespace

std::unique_ptr<ITtyEventSource> OpenUdevTtyMonitor(std::string* why) {
  if (::access(kUdevControl, F_OK) != 0) {
    if (why) *why = std::string("udev is not running (no ") + kUdevControl + ")";
    return nullptr;
  }
  udev* context = udev_new();
  if (!context) {
    if (why) *why = "no udev";
    return nullptr;
  }
  udev_monitor* monitor = udev_monitor_new_from_netlink(context, "udev");
  if (!monitor || udev_monitor_filter_add_match_subsystem_devtype(monitor, "tty", nullptr) < 0 ||
      udev_monitor_enable_receiving(monitor) < 0) {
    if (why) *why = "the udev monitor cannot be set up";
    if (monitor) udev_monitor_unref(monitor);
    udev_unref(context);
    return nullptr;
  }
  return std::make_unique<UdevTtyMonitor>(context, monitor);
}

#else

std::unique_ptr<ITtyEventSource> OpenUdevTtyMonitor(std::string* why) {
  if (why) *why = "built without libudev";
  return nullptr;
}

#endif

}  // namespace korvane
