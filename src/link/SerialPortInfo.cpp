#include "link/SerialPortInfo.h"

#include <filesystem>

#if KORVANE_HAVE_LIBUDEV
#include <libudev.h>
#endif

namespace korvane {

namespace fs = std::filesystem;

namespace {

#if KORVANE_HAVE_LIBUDEV
std::string Text(const char* value) { return value ? std::string(value) : std::string(); }

// The USB device's own strings come from sysfs and need no udev daemon; the
// names from udev's hardware database fill in what the adapter leaves out.
void AskUdev(const std::string& deviceName, SerialPortInfo& info) {
  udev* context = udev_new();
  if (!context) return;
  if (udev_device* tty = udev_device_new_from_subsystem_sysname(context, "tty", deviceName.c_str())) {
    if (udev_device* usb = udev_device_get_parent_with_subsystem_devtype(tty, "usb", "usb_device")) {
      info.vendor = Text(udev_device_get_sysattr_value(usb, "manufacturer"));
      info.model = Text(udev_device_get_sysattr_value(usb, "product"));
      info.serial = Text(udev_device_get_sysattr_value(usb, "serial"));
    }
    if (info.vendor.empty()) info.vendor = Text(udev_device_get_property_value(tty, "ID_VENDOR_FROM_DATABASE"));
    if (info.model.empty()) info.model = Text(udev_device_get_property_value(tty, "ID_MODEL_FROM_DATABASE"));
    if (info.serial.empty()) info.serial = Text(udev_device_get_property_value(tty, "ID_SERIAL_SHORT"));
    udev_device_unref(tty);
  }
  udev_unref(context);
}
#else
void AskUdev(const std::string&, SerialPortInfo&) {}
#endif

}  // namespace

SerialPortInfo DescribeSerialPort(const std::string& path, const std::string& byIdDir) {
  SerialPortInfo info;
  info.path = path;
  std::error_code ec;
  const fs::path device = fs::canonical(path, ec);
  if (ec) return info;
  for (const fs::directory_entry& entry : fs::directory_iterator(byIdDir, ec)) {
    std::error_code linkError;
    if (fs::canonical(entry.path(), linkError) == device && !linkError) {
      info.stablePath = entry.path().string();
      break;
    }
  }
  AskUdev(device.filename().string(), info);
  return info;
}

std::string AdapterSummary(const SerialPortInfo& info) {
  std::string text = info.vendor;
  if (!info.model.empty()) text += (text.empty() ? "" : " ") + info.model;
  if (!info.serial.empty()) text += (text.empty() ? "serial " : ", serial ") + info.serial;
  return text;
}

}  // namespace korvane
