#include "link/DevicePresence.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "LinkFixture.h"
#include "PseudoTerminal.h"
#include "support/TempDir.h"
#include "link/DeviceInfoLines.h"
#include "link/DeviceWatcher.h"
#include "link/TtyEventSource.h"
#include "link/OperationKind.h"
#include "link/OperationRunner.h"
#include "link/PortSetup.h"

namespace korvane {
namespace {

using test::PseudoTerminal;
using test::RecordingView;

// The port is reached through a symlink, the way a udev rule or the emulator
// names it, so that a new device can take the old name.
struct DevicePresenceTest : ::testing::Test {
  CoreContext core;
  LinkContext link{core};
  RecordingView view;
  std::unique_ptr<PseudoTerminal> pty = std::make_unique<PseudoTerminal>();
  test::TempDir temp;
  std::string name = temp / "programmer";

  DevicePresenceTest() {
    test::SetTestLayout(core);
    link.view = &view;
    link.epiloguePauseMs = 0;
    Point();
    PortSettings settings;
    settings.portName = name;
    EXPECT_TRUE(OpenPort(link, settings));
  }
  ~DevicePresenceTest() override { ::unlink(name.c_str()); }

  void Point() {
    ::unlink(name.c_str());
    ASSERT_EQ(::symlink(pty->slave.c_str(), name.c_str()), 0);
  }
};

TEST_F(DevicePresenceTest, UnplugAndPlugBack) {
  OnDeviceChange(link, kDeviceRemoveComplete);
  EXPECT_TRUE(link.port.IsOpen()) << "another device left; ours still answers";
  EXPECT_TRUE(view.log.empty());

  pty->HangUp();
  OnDeviceChange(link, kDeviceRemoveComplete);
  EXPECT_FALSE(link.port.IsOpen());
  ASSERT_EQ(view.log.size(), 1u);
  EXPECT_EQ(view.log[0].text, "Device offline");
  EXPECT_EQ(view.log[0].colour, kColourFailure);
  EXPECT_TRUE(view.log[0].stamped);
  ASSERT_EQ(view.status.size(), 1u);
  EXPECT_EQ(view.status[0].text, "Disconnected " + name);
  EXPECT_EQ(view.status[0].colour, kColourFailure);

  OnDeviceChange(link, kDeviceArrival);  // nothing there yet
  EXPECT_FALSE(link.port.IsOpen());
  EXPECT_EQ(view.log.size(), 1u);

  pty = std::make_unique<PseudoTerminal>();
  Point();
  OnDeviceChange(link, 0x0007);  // other events are ignored
  EXPECT_FALSE(link.port.IsOpen());
  OnDeviceChange(link, kDeviceArrival);
  EXPECT_TRUE(link.port.IsOpen());
  EXPECT_EQ(view.log.back().text, "Device online");
  EXPECT_EQ(view.log.back().colour, kColourInfo);
  EXPECT_EQ(view.status.back().text, "Connected " + name);
  EXPECT_EQ(view.status.back().colour, kColourInfo);
}

TEST_F(DevicePresenceTest, ARemovalNeverClosesThePortUnderTheWorker) {
  pty->HangUp();
  link.epiloguePauseMs = 400;  // the worker is still running when the removal comes
  ASSERT_TRUE(StartWorker(link, DeviceInfoRequest(TargetKind::Tool)));
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  ASSERT_TRUE(link.WorkerRunning());
  OnDeviceChange(link, kDeviceRemoveComplete);
  EXPECT_TRUE(link.port.IsOpen()) << "the close waits for the operation";
  EXPECT_TRUE(link.closePending);
  ASSERT_TRUE(WaitWorker(link));
  EXPECT_FALSE(link.port.IsOpen());
  EXPECT_NE(link.result, 0) << "the operation on the lost port failed";
  EXPECT_EQ(view.log.back().text, "Device offline");
}

// Unplugged and plugged back while an operation runs: the close waits for
// the worker, and the arrival seen meanwhile reopens the port after it when
// the device is there again.
TEST_F(DevicePresenceTest, APlugBackDuringTheOperationReopensAfterTheDeferredClose) {
  for (const bool back : {true, false}) {
    SCOPED_TRACE(back ? "device back" : "device still away");
    if (!link.port.IsOpen()) {
      Point();
      ASSERT_TRUE(link.port.Reopen(link.settings));
    }
    view.log.clear();
    pty->HangUp();
    link.epiloguePauseMs = 400;
    ASSERT_TRUE(StartWorker(link, DeviceInfoRequest(TargetKind::Tool)));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    ASSERT_TRUE(link.WorkerRunning());
    OnDeviceChange(link, kDeviceRemoveComplete);
    ASSERT_TRUE(link.closePending);
    pty = std::make_unique<PseudoTerminal>();
    if (back) Point();
    else ::unlink(name.c_str());
    OnDeviceChange(link, kDeviceArrival);
    EXPECT_TRUE(link.closePending) << "the close still waits for the worker";
    ASSERT_TRUE(WaitWorker(link));
    EXPECT_EQ(link.port.IsOpen(), back);
    std::vector<std::string> lines;
    for (const auto& line : view.log)
      if (line.text.starts_with("Device ")) lines.push_back(line.text);
    EXPECT_EQ(lines, back ? (std::vector<std::string>{"Device offline", "Device online"})
                          : (std::vector<std::string>{"Device offline"}));
    EXPECT_FALSE(link.reopenPending);
    if (back) {
      // The reopened port is the new device's: what is written reaches it.
      uint32_t written = 0;
      ASSERT_EQ(link.port.Write(reinterpret_cast<const uint8_t*>("k"), 1, written), 0);
      pollfd p{pty->master, POLLIN, 0};
      ASSERT_EQ(::poll(&p, 1, 1000), 1);
      char c = 0;
      EXPECT_EQ(::read(pty->master, &c, 1), 1);
      EXPECT_EQ(c, 'k');
    }
  }
}

TEST(DeviceInfoLines, FormatsOfTheInformationLines) {
  CoreContext core;
  test::SetTestLayout(core);
  DeviceInfoRecord record;
  record.field[0] = 0x1234;
  record.field[1] = 9;
  record.field[2] = 0xDEADBEEF;
  record.field[3] = 0xC0FFEE;
  record.field[4] = 1;
  record.field[5] = 0x10000;
  record.field[6] = 0x800;
  record.field[7] = 0x180;
  const uint8_t version[2] = {0x12, 0x34};
  EXPECT_EQ(DeviceInfoLines(core, version, record),
            (std::vector<std::string>{" Software:1.2", " Hardware:3.4", " Chip type:0x00001234",
                                      " Function type:0x00000009 (Unknown Type)", " Conf checksum:0x00C0FFEE",
                                      " Code checksum:0xDEADBEEF", " Option checksum:0x00000001",
                                      " Conf size:0x00000800 (2.0 K)", " Code size:0x00010000 (64.0 K)",
                                      " Option size:0x00000180 (0.4 K)"}));
  EXPECT_EQ(ChipMismatchLines(core, record),
            (std::vector<std::string>{" Chip type:0x00001234", " Function type:0x00000009 (Unknown Type)",
                                      " Conf size:0x00000800 (2.0 K)", " Code size:0x00010000 (64.0 K)",
                                      " Option size:0x00000180 (0.4 K)"}));
  for (uint32_t id = 0; id < 5; ++id) EXPECT_STRNE(DeviceKindName(id), "Unknown Type");
}

TEST(OperationKinds, KeysAndTargets) {
  EXPECT_STREQ(OperationKey(7), "COMMAND_FIREWARE_UPDATE_REQ");
  EXPECT_STREQ(OperationKey(24), "COMMAND_READ_CHIP_INFO_REQ");
  EXPECT_STREQ(OperationKey(0), "COMMAND_UNKNOWN_REQ");
  EXPECT_STREQ(OperationKey(25), "COMMAND_UNKNOWN_REQ");
  std::string chip;
  for (int k = 0; k <= 25; ++k)
    if (IsChipOperation(k)) chip += std::to_string(k) + " ";
  EXPECT_EQ(chip, "4 5 6 9 11 13 15 17 19 24 ");
}

}  // namespace
}  // namespace korvane

namespace korvane {
namespace {

TEST(DeviceWatcher, ReportsDevicesThatCameAndWent) {
  namespace fs = std::filesystem;
  const test::TempDir temp;
  const fs::path dir = temp.Path();
  fs::create_directories(dir / "ttyS0" / "device");
  fs::create_directories(dir / "tty1");  // a console, no device behind it
  DeviceWatcher watcher(dir.string());
  EXPECT_TRUE(watcher.Poll().empty());
  fs::create_directories(dir / "ttyUSB0" / "device");
  EXPECT_EQ(watcher.Poll(), (std::vector<uint32_t>{kDeviceArrival}));
  EXPECT_TRUE(watcher.Poll().empty());
  fs::remove_all(dir / "ttyUSB0");
  fs::create_directories(dir / "ttyACM0" / "device");
  EXPECT_EQ(watcher.Poll(), (std::vector<uint32_t>{kDeviceRemoveComplete, kDeviceArrival}));

  // Unplugged and plugged back between two looks: the name is the same, the
  // device is another. (The old entry is kept aside until the new one exists,
  // so that the new one cannot be given the old one's number.)
  fs::rename(dir / "ttyACM0", dir / "gone");
  fs::create_directories(dir / "ttyACM0" / "device");
  fs::remove_all(dir / "gone");
  EXPECT_EQ(watcher.Poll(), (std::vector<uint32_t>{kDeviceRemoveComplete, kDeviceArrival}));
  EXPECT_TRUE(watcher.Poll().empty());
  // The same with the old entry gone first: its inode number may come back.
  fs::remove_all(dir / "ttyACM0");
  std::this_thread::sleep_for(std::chrono::milliseconds(2));
  fs::create_directories(dir / "ttyACM0" / "device");
  EXPECT_EQ(watcher.Poll(), (std::vector<uint32_t>{kDeviceRemoveComplete, kDeviceArrival}));
  EXPECT_TRUE(watcher.Poll().empty());
}

TEST(TtyEventSource, OnlyAdditionsAndRemovalsAreDeviceChanges) {
  EXPECT_EQ(DeviceChangeForAction("add"), 0x8000u);
  EXPECT_EQ(DeviceChangeForAction("remove"), 0x8004u);
  for (const char* other : {"change", "bind", "unbind", "move", "online", ""}) EXPECT_EQ(DeviceChangeForAction(other), 0u);
}

}  // namespace
}  // namespace korvane
