#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include <cerrno>
#include <grp.h>
#include <sys/stat.h>

#include "link/IniFile.h"
#include "link/PortSetup.h"
#include "link/SerialPortInfo.h"
#include "support/TempDir.h"

namespace korvane {
namespace {

namespace fs = std::filesystem;

TEST(IniFile, ReadsWhatTheDesktopSettingsWrite) {
  IniFile ini;
  ASSERT_TRUE(ini.Parse(
      "[General]\nlanguage=2052\n\n[Port]\nValue=/dev/ttyUSB0\n\n[Baudrate]\nValue = 115200 \r\n"
      "[Odd]\nValue=\"a, b; c\"\nQuote=\"say \\\"hi\\\"\"\nAt=@@home\n; a comment\n"));
  EXPECT_EQ(ini.Get("Port", "Value", ""), "/dev/ttyUSB0");
  EXPECT_EQ(ini.Get("Baudrate", "Value", ""), "115200");
  EXPECT_EQ(ini.Get("Odd", "Value", ""), "a, b; c");
  EXPECT_EQ(ini.Get("Odd", "Quote", ""), "say \"hi\"");
  EXPECT_EQ(ini.Get("Odd", "At", ""), "@home");
  EXPECT_EQ(ini.Get("General", "language", ""), "2052");
  EXPECT_EQ(ini.Get("Parity", "Value", "0"), "0");
  EXPECT_FALSE(ini.Has("Parity", "Value"));
}

TEST(IniFile, WritesValuesBackSoTheyReadTheSame) {
  IniFile ini;
  const std::string values[] = {"", "plain", " padded ", "a,b", "x=y", "semi;colon", "back\\slash", "@at", "q\"uote"};
  int i = 0;
  for (const std::string& v : values) ini.Set("S", "k" + std::to_string(i++), v);
  IniFile again;
  ASSERT_TRUE(again.Parse(ini.Serialise()));
  i = 0;
  for (const std::string& v : values) EXPECT_EQ(again.Get("S", "k" + std::to_string(i++), "?"), v) << v;
}

TEST(IniFile, SavingKeepsWhatOthersStored) {
  const test::TempDir temp;
  const fs::path dir = temp.Path();
  const std::string path = (dir / "Korvane" / "Korvane.conf").string();
  IniFile missing;
  EXPECT_TRUE(missing.Load(path)) << "no file yet is an empty settings file";

  {
    fs::create_directories(dir / "Korvane");
    std::ofstream(path) << "[General]\nbackground=3\n[Port]\nValue=old\n";
  }
  IniFile ini;
  ASSERT_TRUE(ini.Load(path));
  PortSettingsText text = LoadPortSettings(ini);
  EXPECT_EQ(text.port, "old");
  EXPECT_EQ(text.baudrate, "57600");
  text.port = "/dev/ttyACM0";
  text.parity = "2";
  StorePortSettings(ini, text);
  ASSERT_TRUE(ini.Save(path));

  IniFile back;
  ASSERT_TRUE(back.Load(path));
  EXPECT_EQ(back.Get("General", "background", ""), "3");
  EXPECT_EQ(LoadPortSettings(back).port, "/dev/ttyACM0");
  EXPECT_EQ(back.Get("Parity", "Value", ""), "2");
  EXPECT_EQ(back.Get("Stopbit", "Value", ""), "0");
}

TEST(IniFile, TheSettingsFileFollowsTheConfigHome) {
  const char* saved = std::getenv("XDG_CONFIG_HOME");
  const std::string keep = saved ? saved : "";
  ::setenv("XDG_CONFIG_HOME", "/tmp/cfg", 1);
  EXPECT_EQ(SettingsFilePath(), "/tmp/cfg/Korvane/Korvane.ini");
  ::unsetenv("XDG_CONFIG_HOME");
  const char* home = std::getenv("HOME");
  if (home) {
    EXPECT_EQ(SettingsFilePath(), std::string(home) + "/.config/Korvane/Korvane.ini");
  }
  if (saved) ::setenv("XDG_CONFIG_HOME", keep.c_str(), 1);
}

TEST(PortSettings, TextsBecomeNumbersTheWayDescriptionsDo) {
  PortSettingsText text;
  text.port = "ttyUSB1";
  text.baudrate = "0x1C200";
  text.databit = "";
  text.parity = "2";
  text.stopbit = "2";
  const PortSettings s = ParsePortSettings(text);
  EXPECT_EQ(s.portName, "ttyUSB1");
  EXPECT_EQ(s.baudRate, 115200u);
  EXPECT_EQ(s.dataBits, 0u);
  EXPECT_EQ(s.parity, 2u);
  EXPECT_EQ(s.stopBits, 2u);
}

TEST(PortSettings, PortsAreListedInNaturalOrder) {
  EXPECT_TRUE(NaturalLess("ttyS2", "ttyS10"));
  EXPECT_FALSE(NaturalLess("ttyS10", "ttyS2"));
  EXPECT_TRUE(NaturalLess("ttyACM0", "ttyS0"));
  EXPECT_TRUE(NaturalLess("ttyUSB", "ttyUSB0"));
  EXPECT_FALSE(NaturalLess("ttyUSB1", "ttyUSB1"));
  const auto ports = ListComPorts();
  EXPECT_TRUE(std::is_sorted(ports.begin(), ports.end(), NaturalLess));
  for (const std::string& p : ports) EXPECT_EQ(p.rfind("/dev/", 0), 0u);
}

// A port refused for lack of permission names the device's group and the
// command that grants it; other failures add nothing.
TEST(PortSettings, APermissionRefusalNamesTheDevicesGroupAndHowToJoinIt) {
  test::TempDir dir;
  const std::string device = dir.File("ttyUSB7", "");
  struct stat st{};
  ASSERT_EQ(::stat(device.c_str(), &st), 0);
  const struct group* g = ::getgrgid(st.st_gid);
  ASSERT_NE(g, nullptr);
  const std::string groupName = g->gr_name;
  for (int error : {EACCES, EPERM}) {
    const std::string hint = PortAccessHint(device, error);
    EXPECT_NE(hint.find(device), std::string::npos) << hint;
    EXPECT_NE(hint.find("group " + groupName), std::string::npos) << hint;
    EXPECT_NE(hint.find("sudo usermod -aG " + groupName + " $USER"), std::string::npos) << hint;
  }
  EXPECT_EQ(PortAccessHint(device, ENOENT), "");
  EXPECT_EQ(PortAccessHint(device, EBUSY), "");
  // A device that is gone still gets the usual group named.
  EXPECT_NE(PortAccessHint(dir / "gone", EACCES).find("sudo usermod -aG dialout $USER"), std::string::npos);
}

// The stable name is the by-id link that leads to the port, however the port
// was named; a port nothing links to has none.
TEST(SerialPortInfo, TheStableNameIsTheLinkThatLeadsToThePort) {
  test::TempDir dir;
  const std::string device = dir.File("ttyUSB7", "");
  const std::string other = dir.File("ttyUSB8", "");
  const fs::path byId = dir / "by-id";
  fs::create_directories(byId);
  fs::create_symlink(other, byId / "usb-Orvik_Bench_Programmer_B2-if00-port0");
  fs::create_symlink(device, byId / "usb-Orvik_Bench_Programmer_A1-if00-port0");
  fs::create_symlink(device, dir / "programmer");
  for (const std::string& name : {device, dir / "programmer"}) {
    const SerialPortInfo info = DescribeSerialPort(name, byId.string());
    EXPECT_EQ(info.path, name);
    EXPECT_EQ(info.stablePath, (byId / "usb-Orvik_Bench_Programmer_A1-if00-port0").string());
  }
  EXPECT_EQ(DescribeSerialPort(dir.File("ttyUSB9", ""), byId.string()).stablePath, "");
  EXPECT_EQ(DescribeSerialPort(dir / "gone", byId.string()).stablePath, "");
  EXPECT_EQ(DescribeSerialPort(device, dir / "no-by-id").stablePath, "");
}

TEST(SerialPortInfo, TheSummaryShowsWhatIsKnown) {
  struct Case {
    SerialPortInfo info;
    const char* summary;
  };
  const Case cases[] = {
      {{"/dev/ttyUSB0", "Orvik", "Bench Programmer", "A1", ""}, "Orvik Bench Programmer, serial A1"},
      {{"/dev/ttyUSB0", "", "Bench Programmer", "", ""}, "Bench Programmer"},
      {{"/dev/ttyUSB0", "Orvik", "", "", ""}, "Orvik"},
      {{"/dev/ttyUSB0", "", "", "A1", ""}, "serial A1"},
      {{"/dev/pts/3", "", "", "", ""}, ""},
  };
  for (const Case& c : cases) EXPECT_EQ(AdapterSummary(c.info), c.summary);
}

}  // namespace
}  // namespace korvane
