#include "link/PortSetup.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <filesystem>
#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/text/ParseNumber.h"
#include "core/text/TextFormat.h"
#include "link/LinkReport.h"

namespace korvane {

PortSettingsText LoadPortSettings(const IniFile& settings) {
  PortSettingsText text;
  text.port = settings.Get("Port", "Value", text.port);
  text.baudrate = settings.Get("Baudrate", "Value", text.baudrate);
  text.databit = settings.Get("Databit", "Value", text.databit);
  text.parity = settings.Get("Parity", "Value", text.parity);
  text.stopbit = settings.Get("Stopbit", "Value", text.stopbit);
  return text;
}

void StorePortSettings(IniFile& settings, const PortSettingsText& text) {
  settings.Set("Port", "Value", text.port);
  settings.Set("Baudrate", "Value", text.baudrate);
  settings.Set("Databit", "Value", text.databit);
  settings.Set("Parity", "Value", text.parity);
  settings.Set("Stopbit", "Value", text.stopbit);
}

PortSettings ParsePortSettings(const PortSettingsText& text) {
  PortSettings settings;
  settings.portName = text.port;
  settings.baudRate = static_cast<uint32_t>(ParseNumber(text.baudrate, 0));
  settings.dataBits = static_cast<uint32_t>(ParseNumber(text.databit, 0));
  settings.parity = static_cast<uint32_t>(ParseNumber(text.parity, 0));
  settings.stopBits = static_cast<uint32_t>(ParseNumber(text.stopbit, 0));
  return settings;
}

bool OpenPort(LinkContext& link, const PortSettings& settings) {
  link.settings = settings;
  link.port.Close();
  if (link.port.Open(settings.portName, 0, 0, false) != 0) return false;
  return link.port.Setup(settings.baudRate, settings.dataBits, settings.parity, settings.stopBits) == 0;
}

bool OpenPortFromSettings(LinkContext& link, ILinkView* mainWindow, const PortSettingsText& stored) {
  link.view = mainWindow;
  if (stored.port.empty()) {
    Report(link, link.core.LookupText("SELECT_PORT_NOTREADY"), kColourFailure, true, false, false);
    return false;
  }
  if (OpenPort(link, ParsePortSettings(stored))) {
    Report(link, FormatText(link.core.LookupText("Dev-Connected"), stored.port), kColourSuccess, true, false, false);
    return true;
  }
  Report(link, FormatText(link.core.LookupText("Dev-Disconnect"), stored.port), kColourFailure, true, false, false);
  const std::string hint = PortAccessHint(stored.port, link.port.LastError());
  if (!hint.empty()) Report(link, hint, kColourFailure, false, true, true);
  return false;
}

std::string PortAccessHint(const std::string& portName, int error) {
  if (error != EACCES && error != EPERM) return {};
  const std::string path = SerialDevicePath(portName);
  struct stat st{};
  std::string groupName = "dialout";  // the usual owner of serial ports
  if (::stat(path.c_str(), &st) == 0) {
    const struct group* g = ::getgrgid(st.st_gid);
    groupName = g ? g->gr_name : std::to_string(st.st_gid);
  }
  return "permission denied on " + path + ": it belongs to the group " + groupName + "; join it with \"sudo usermod -aG " +
         groupName + " $USER\", then log in again";
}

bool NaturalLess(const std::string& a, const std::string& b) {
  size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    if (std::isdigit(static_cast<unsigned char>(a[i])) && std::isdigit(static_cast<unsigned char>(b[j]))) {
      size_t ie = i, je = j;
      while (ie < a.size() && std::isdigit(static_cast<unsigned char>(a[ie]))) ++ie;
      while (je < b.size() && std::isdigit(static_cast<unsigned char>(b[je]))) ++je;
      // Compare digit runs by value: strip leading zeros, then length, then digits.
      size_t is = i, js = j;
      while (is + 1 < ie && a[is] == '0') ++is;
      while (js + 1 < je && b[js] == '0') ++js;
      if (ie - is != je - js) return ie - is < je - js;
      const int c = a.compare(is, ie - is, b, js, je - js);
      if (c != 0) return c < 0;
      i = ie;
      j = je;
      continue;
    }
    if (a[i] != b[j]) return a[i] < b[j];
    ++i;
    ++j;
  }
  return a.size() - i < b.size() - j;
}

std::vector<std::string> ListComPorts() {
  namespace fs = std::filesystem;
  std::vector<std::string> names;
  std::error_code ec;
  for (fs::directory_iterator it("/sys/class/tty", ec), end; !ec && it != end; it.increment(ec)) {
    std::error_code exists;
    if (!fs::exists(it->path() / "device", exists)) continue;
    names.push_back(it->path().filename().string());
  }
  std::sort(names.begin(), names.end(), NaturalLess);
  std::vector<std::string> ports;
  for (const std::string& name : names) {
    const std::string path = "/dev/" + name;
    // Serial drivers refuse to open a port without hardware behind it, so
    // what opens now is what a user can pick.
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) continue;
    ::close(fd);
    ports.push_back(path);
  }
  return ports;
}

}  // namespace korvane
