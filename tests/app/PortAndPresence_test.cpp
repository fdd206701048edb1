// The serial port in the application: opened with the stored settings at
// start, the settings dialog, the programmer unplugged and plugged in again,
// and the emulator of a demonstration run.
#include <filesystem>
#include <fstream>

#include <unistd.h>

#include <QComboBox>

#include "DeviceFixture.h"
#include "app/AppMessages.h"
#include "app/AppSettings.h"
#include "app/MainDeviceCommands.h"
#include "app/SimulatorProcess.h"
#include "core/text/TextFormat.h"
#include "link/DevicePresence.h"
#include "link/IniFile.h"
#include "link/PortSetup.h"
#include "link/TtyEventSource.h"

namespace korvane {
namespace {

using test::DeviceFixture;

class PortTest : public DeviceFixture {
 protected:
  static QComboBox* Combo(CDuiDialog& d, const char* name) {
    return qobject_cast<QComboBox*>(d.FindControl(name)->Widget());
  }
  static std::string Status(CDuiDialog& main) { return main.FindControl("txtStatusbar")->GetText(); }
  static uint32_t StatusColour(CDuiDialog& main) { return main.FindControl("txtStatusbar")->TextColor(); }
  void Send(CDuiHandlerMain& main, uint32_t event) { main.MainDialog()->SendMessage(WM_DEVICECHANGE, event, 0); }

  static constexpr uint32_t kArgbBlue = 0xFF0000FF, kArgbDarkBlue = 0xFF0000C8, kArgbRed = 0xFFFF0000;
};

TEST_F(PortTest, TheStoredPortOpensAtTheStart) {
  struct Case {
    const char* port;  // "sim" for the emulator's
    const char* key;
    uint32_t colour;
    bool open;
  };
  const Case cases[] = {{"sim", "Dev-Connected", kArgbDarkBlue, true},
                        {"", "SELECT_PORT_NOTREADY", kArgbRed, false},
                        {"/dev/korvane-no-such-port", "Dev-Disconnect", kArgbRed, false}};
  ASSERT_TRUE(sim->Start());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.key);
    const std::string port = std::string(c.port) == "sim" ? sim->Link() : c.port;
    StoreSetting("Port", port);
    passes = 0;
    Run({[&](CDuiHandlerMain& main, CDuiDialog& d) {
          const std::string text = Text(c.key);
          EXPECT_EQ(Status(d), text.find("%s") != std::string::npos ? FormatText(text, port) : text);
          EXPECT_EQ(StatusColour(d), c.colour);
          EXPECT_EQ(main.Context().link.PortOpen(), c.open);
        }},
        DeviceOptions());
  }
}

TEST_F(PortTest, TheDialogOffersAnAbsentStoredPortAndShowsTheStoredValues) {
  StoreSetting("Port", "/dev/korvane-unplugged");
  StoreSetting("Parity", "2");
  StoreSetting("Stopbit", "2");
  StoreSetting("Databit", "7");
  StoreSetting("Baudrate", "250000");
  play["dlg_select_com"] = [&](CDuiDialog& d) {
    QComboBox* serial = Combo(d, "SerialComb");
    EXPECT_TRUE(serial->isEditable()) << "any device path may be typed";
    EXPECT_GE(serial->count(), 1);
    EXPECT_EQ(serial->itemText(serial->count() - 1).toStdString(), "/dev/korvane-unplugged");
    EXPECT_EQ(serial->currentIndex(), serial->count() - 1);
    EXPECT_EQ(Combo(d, "ParityComb")->currentText().toStdString(), Text("UI_PARITY_EVEN"));
    EXPECT_EQ(Combo(d, "StopBitComb")->currentText().toStdString(), "2");
    EXPECT_EQ(Combo(d, "DatabitComb")->currentText().toStdString(), "7");
    EXPECT_EQ(Combo(d, "BaudrateComb")->currentText().toStdString(), "250000") << "a value the skin lacks is kept";
    return Cancel(d);
  };
  Run({[&](CDuiHandlerMain& main, CDuiDialog&) { main.MainDialog()->SendMessage(UM_PORT_SETTINGS, 0, 0); }},
      DeviceOptions());
  EXPECT_EQ(opened, std::vector<std::string>{"dlg_select_com"});
  EXPECT_EQ(StoredSetting("Port"), "/dev/korvane-unplugged");
}

TEST_F(PortTest, APortThatCannotBeOpenedKeepsTheDialogTheLinkAndTheProfile) {
  ASSERT_TRUE(sim->Start());
  StoreSetting("Port", sim->Link());
  StoreSetting("Baudrate", "115200");
  const std::string bad = logDir.filePath("no-such-tty").toStdString();
  const std::string other = logDir.filePath("other").toStdString();
  std::error_code ec;
  std::filesystem::create_symlink(sim->Link(), other, ec);
  ASSERT_FALSE(ec);
  Run({[&](CDuiHandlerMain& main, CDuiDialog& mainDialog) {
        LinkContext& link = main.Context().link;
        ASSERT_TRUE(link.PortOpen());
        play["dlg_select_com"] = [&](CDuiDialog& d) {
          Combo(d, "SerialComb")->setEditText(QString::fromStdString(bad));
          Combo(d, "ParityComb")->setCurrentIndex(1);
          EXPECT_EQ(ClickOk(d), 0) << "the dialog stays open";
          EXPECT_EQ(boxes.back().text, FormatText(Text("OpenComPortError"), bad));
          EXPECT_EQ(StoredSetting("Port"), sim->Link());
          EXPECT_EQ(StoredSetting("Parity"), "");
          EXPECT_TRUE(link.PortOpen()) << "the port in use stays in use";
          EXPECT_EQ(link.settings.portName, sim->Link());
          // Another name of the programmer opens.
          Combo(d, "SerialComb")->setEditText(QString::fromStdString(other));
          Combo(d, "ParityComb")->setCurrentIndex(0);
          return ClickOk(d);
        };
        main.MainDialog()->SendMessage(UM_PORT_SETTINGS, 0, 0);
        EXPECT_EQ(Status(mainDialog), FormatText(Text("Dev-Connected"), other));
        EXPECT_EQ(StatusColour(mainDialog), kArgbDarkBlue);
        EXPECT_EQ(link.settings.portName, other);
        EXPECT_EQ(link.settings.baudRate, 115200u);
      }},
      DeviceOptions());
  EXPECT_EQ(boxes.size(), 1u);
  EXPECT_EQ(StoredSetting("Port"), other);
  EXPECT_EQ(StoredSetting("Parity"), "0");
  EXPECT_EQ(StoredSetting("Baudrate"), "115200");
}

TEST_F(PortTest, TheCommandLineReadsThePortTheApplicationStored) {
  AppSettings settings;
  settings.WriteString("Port", "/dev/ttyUSB7");
  settings.WriteString("Baudrate", "115200");
  EXPECT_EQ(std::filesystem::path(settings.FileName()).filename(), std::filesystem::path(SettingsFilePath()).filename());
  IniFile ini;
  ASSERT_TRUE(ini.Load(settings.FileName()));
  const PortSettingsText text = LoadPortSettings(ini);
  EXPECT_EQ(text.port, "/dev/ttyUSB7");
  EXPECT_EQ(text.baudrate, "115200");
}

TEST_F(PortTest, UnpluggingWhileIdleClosesThePortAndPluggingInReopensIt) {
  RunWithSim([&](CDuiHandlerMain& main, CDuiDialog& d) {
    LinkContext& link = main.Context().link;
    const std::string port = sim->Link();
    ASSERT_TRUE(link.PortOpen());
    // Another device comes and goes: nothing changes.
    Send(main, kDeviceRemoveComplete);
    Send(main, kDeviceArrival);
    Send(main, 0x0007);
    EXPECT_TRUE(link.PortOpen());
    EXPECT_TRUE(LogLines(main).empty());

    sim->Stop();
    Send(main, kDeviceRemoveComplete);
    EXPECT_FALSE(link.PortOpen());
    EXPECT_EQ(LogLines(main).back(), Text("DEV_OFFLINE_EVENT"));
    EXPECT_EQ(LineColour(main, Text("DEV_OFFLINE_EVENT")), kRed);
    EXPECT_EQ(Status(d), FormatText(Text("Dev-Disconnect"), port));
    EXPECT_EQ(StatusColour(d), kArgbRed);

    Send(main, kDeviceArrival);  // something else arrived; the programmer is still away
    EXPECT_FALSE(link.PortOpen());
    ASSERT_TRUE(sim->Start());
    Send(main, kDeviceArrival);
    EXPECT_TRUE(link.PortOpen());
    EXPECT_EQ(LogLines(main).back(), Text("DEV_ONLINE_EVENT"));
    EXPECT_EQ(LineColour(main, Text("DEV_ONLINE_EVENT")), kBlue);
    EXPECT_EQ(Status(d), FormatText(Text("Dev-Connected"), port));
    EXPECT_EQ(StatusColour(d), kArgbBlue);
    // And it answers again: the burn options are read and offered.
    play["dlg_burn_option"] = [](CDuiDialog& dialog) { return Cancel(dialog); };
    Click(main, "burnoption");
    EXPECT_EQ(opened, std::vector<std::string>{"dlg_burn_option"});
  });
}

TEST_F(PortTest, UnpluggingDuringATransferEndsItWithAnErrorAndClosesThePortAfterwards) {
  RunWithSim(
      [&](CDuiHandlerMain& main, CDuiDialog&) {
        ASSERT_TRUE(LoadChip(main));
        LinkContext& link = main.Context().link;
        bool openWhileRunning = false;
        play["dlg_select_download_type"] = Choose({"Tool", "ConfArea", "CodeArea"});
        play["dlg_process"] = [&](CDuiDialog& d) {
          CDuiControl* progress = d.FindControl("ProgressCtrl");
          EXPECT_TRUE(test::PumpUntil([&] { return progress->GetProgress() >= 25; }, 20000));
          // Without the window thread the worker soon waits at its next
          // progress step, still holding the port, when the removal arrives.
          std::this_thread::sleep_for(std::chrono::milliseconds(400));
          sim->Stop();
          Send(main, kDeviceRemoveComplete);
          openWhileRunning = link.port.IsOpen();
          EXPECT_TRUE(test::PumpUntil([&] { return d.Finished(); }, 5000));
          return d.Result();
        };
        Click(main, "config");
        EXPECT_TRUE(openWhileRunning) << "never closed under the worker";
        EXPECT_FALSE(link.PortOpen());
        EXPECT_NE(link.result.load(), 0);
        const auto lines = LogLines(main);
        ASSERT_GE(lines.size(), 2u);
        EXPECT_EQ(lines.back().rfind(Text("COMMAND_WRITE_TOOL_CODE_REQ"), 0), 0u) << lines.back();
        EXPECT_EQ(LineColour(main, lines.back()), kRed);
        EXPECT_TRUE(HasLine(main, Text("DEV_OFFLINE_EVENT")));
      },
      {"--baud", "19200"});
}

TEST_F(PortTest, TheWatcherNoticesTheProgrammerLeaving) {
  const std::filesystem::path devices = logDir.filePath("devices").toStdString();
  std::filesystem::create_directories(devices / "ttyUSB9");
  std::ofstream((devices / "ttyUSB9" / "device").string()) << "";
  AppOptions options = DeviceOptions();
  options.deviceWatchDir = devices.string();
  ASSERT_TRUE(sim->Start());
  StoreSetting("Port", sim->Link());
  Run({[&](CDuiHandlerMain& main, CDuiDialog&) {
        LinkContext& link = main.Context().link;
        ASSERT_TRUE(link.PortOpen());
        sim->Stop();
        std::filesystem::remove_all(devices / "ttyUSB9");
        EXPECT_TRUE(test::PumpUntil([&] { return !link.PortOpen(); }, 3000));
        EXPECT_TRUE(HasLine(main, Text("DEV_OFFLINE_EVENT")));
      }},
      options);
}

// Without udev the poll takes over, silently but for one line in the log file.
TEST_F(PortTest, WithoutUdevThePollTakesOverAndTheLogFileSaysSoOnce) {
  const std::filesystem::path devices = logDir.filePath("devices").toStdString();
  std::filesystem::create_directories(devices / "ttyUSB9");
  std::ofstream((devices / "ttyUSB9" / "device").string()) << "";
  AppOptions options = DeviceOptions();
  options.deviceWatchDir = devices.string();
  options.ttyEventSource = [] { return std::unique_ptr<ITtyEventSource>(); };
  ASSERT_TRUE(sim->Start());
  StoreSetting("Port", sim->Link());
  Run({[&](CDuiHandlerMain& main, CDuiDialog&) {
        LinkContext& link = main.Context().link;
        ASSERT_TRUE(link.PortOpen());
        EXPECT_FALSE(main.Device()->WatchesDeviceEvents());
        EXPECT_TRUE(boxes.empty());
        sim->Stop();
        std::filesystem::remove_all(devices / "ttyUSB9");
        EXPECT_TRUE(test::PumpUntil([&] { return !link.PortOpen(); }, 3000));
      }},
      options);
  std::ifstream log(logDir.filePath("korvane.log").toStdString());
  const std::string text((std::istreambuf_iterator<char>(log)), {});
  size_t lines = 0;
  for (size_t at = text.find("by polling"); at != std::string::npos; at = text.find("by polling", at + 1)) ++lines;
  EXPECT_EQ(lines, 1u) << text;
}

// udev's announcements (here a stand-in reading them from a pipe) reach the
// window at once: no poll runs, a removal closes the port and a replug under
// the same name reopens it.
TEST_F(PortTest, UdevEventsCloseAndReopenThePortAtOnce) {
  int pipeFds[2];
  ASSERT_EQ(::pipe(pipeFds), 0);
  const int writeEnd = pipeFds[1];
  AppOptions options = DeviceOptions();
  options.deviceWatchDir.clear();
  bool sourceMade = false;
  options.ttyEventSource = [&] {
    sourceMade = true;
    return std::make_unique<LineTtyEventSource>(pipeFds[0]);
  };
  auto announce = [&](const std::string& line) {
    ASSERT_EQ(::write(writeEnd, line.data(), line.size()), static_cast<ssize_t>(line.size()));
  };
  ASSERT_TRUE(sim->Start());
  StoreSetting("Port", sim->Link());
  Run({[&](CDuiHandlerMain& main, CDuiDialog&) {
        LinkContext& link = main.Context().link;
        ASSERT_TRUE(link.PortOpen());
        EXPECT_TRUE(main.Device()->WatchesDeviceEvents());
        sim->Stop();
        announce("change /dev/ttyUSB3\n");  // neither arrival nor removal
        test::Pump();
        announce("remove /dev/ttyUSB3\n");
        EXPECT_TRUE(test::PumpUntil([&] { return !link.PortOpen(); }, 2000));
        EXPECT_TRUE(HasLine(main, Text("DEV_OFFLINE_EVENT")));
        ASSERT_TRUE(sim->Start());
        announce("add /dev/tty");  // a line in two pieces
        test::Pump();
        announce("USB3\n");
        EXPECT_TRUE(test::PumpUntil([&] { return link.PortOpen(); }, 2000));
        EXPECT_TRUE(HasLine(main, Text("DEV_ONLINE_EVENT")));
      }},
      options);
  EXPECT_TRUE(sourceMade);
  ::close(writeEnd);
}

TEST(SimulatorProcess, RunsTheEmulatorOnAPortOfItsOwnAndTidiesUp) {
  SimulatorProcess simulator;
  std::string error;
  ASSERT_TRUE(simulator.Start(std::string(KORVANE_BIN_DIR) + "/korvane-sim", {"--chip-type", "0x3102"}, &error))
      << error;
  const std::string port = simulator.Port();
  EXPECT_TRUE(std::filesystem::is_symlink(port));
  const std::filesystem::path dir = std::filesystem::path(port).parent_path();
  CoreContext core;
  LinkContext link(core);
  EXPECT_TRUE(OpenPort(link, PortSettings{port}));
  link.port.Close();
  simulator.Stop();
  EXPECT_FALSE(std::filesystem::exists(dir));
  EXPECT_FALSE(simulator.Start("/no/such/korvane-sim", {}, &error));
  EXPECT_NE(error.find("/no/such/korvane-sim"), std::string::npos) << error;
}

}  // namespace
}  // namespace korvane
