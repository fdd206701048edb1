#pragma once
// What the system knows of the adapter behind a serial port, so that a user
// with several programmers plugged in can tell them apart: maker and model,
// the USB serial number, and the stable /dev/serial/by-id/ name that keeps
// naming the same adapter whichever socket it is plugged into.
#include <string>

namespace korvane {

struct SerialPortInfo {
  std::string path;        // the device path as listed (/dev/ttyUSB0)
  std::string vendor;      // the adapter's maker, when known
  std::string model;       // the adapter's product name, when known
  std::string serial;      // the USB serial number, when the adapter has one
  std::string stablePath;  // /dev/serial/by-id/..., when udev made one
};

// Looks up the port at path (a device path or a link to one). byIdDir is where
// the stable names live; tests point it elsewhere. A pseudo-terminal or a port
// unknown to udev gets only its path (and its stable name when one links to it).
SerialPortInfo DescribeSerialPort(const std::string& path, const std::string& byIdDir = "/dev/serial/by-id");

// "maker model, serial S": what is known, for a list beside the path; empty
// when nothing is.
std::string AdapterSummary(const SerialPortInfo& info);

}  // namespace korvane
