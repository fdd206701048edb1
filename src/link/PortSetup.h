#pragma once
// Opening the port with settings, the five persisted port settings, and the
// list of serial devices present.
#include <string>
#include <vector>

#include "link/IniFile.h"
#include "link/LinkContext.h"

namespace korvane {

// The persisted settings as texts, with their defaults. Each lives in its own
// section under the key "Value".
struct PortSettingsText {
  std::string port;
  std::string baudrate = "57600";
  std::string databit = "8";
  std::string parity = "0";
  std::string stopbit = "0";
};

PortSettingsText LoadPortSettings(const IniFile& settings);
void StorePortSettings(IniFile& settings, const PortSettingsText& text);
// The numbers behind the texts (ParseNumber, 0 when a text is empty).
PortSettings ParsePortSettings(const PortSettingsText& text);

// Stores the settings in link, then Close, Open and Setup. False when Open
// fails, or when Setup fails (the port then stays open as it was).
bool OpenPort(LinkContext& link, const PortSettings& settings);

// Remembers mainWindow as link's view and opens the stored port, showing
// "SELECT_PORT_NOTREADY", "Dev-Connected" or "Dev-Disconnect" in its status text.
bool OpenPortFromSettings(LinkContext& link, ILinkView* mainWindow, const PortSettingsText& stored);

// The serial devices under /sys/class/tty that have a device behind them and
// can be opened right now, as /dev paths in natural order (ttyS2 before ttyS10).
std::vector<std::string> ListComPorts();

// For a port that could not be opened with error: when it was refused for
// lack of permission, a sentence naming the device's group and the command
// that adds the user to it; otherwise empty.
std::string PortAccessHint(const std::string& portName, int error);

// Natural order of names: digit runs compare by their value.
bool NaturalLess(const std::string& a, const std::string& b);

}  // namespace korvane
