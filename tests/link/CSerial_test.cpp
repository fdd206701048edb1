#include "link/CSerial.h"

#include <gtest/gtest.h>
#include <termios.h>

#include <chrono>
#include <thread>

#include "PseudoTerminal.h"

namespace korvane {
namespace {

using test::PseudoTerminal;
using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point t) { return std::chrono::duration<double>(Clock::now() - t).count(); }

struct CSerialTest : ::testing::Test {
  PseudoTerminal pty;
  CSerial port;
  std::atomic<int> cancel{0};
  uint8_t buffer[64] = {};
  uint32_t got = 0;

  void SetUp() override {
    ASSERT_TRUE(pty.Ok());
    ASSERT_EQ(port.Open(pty.slave), 0);
  }

  termios Settings() const {
    termios tio{};
    const int fd = ::open(pty.slave.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ::tcgetattr(fd, &tio);
    ::close(fd);
    return tio;
  }
};

TEST_F(CSerialTest, OpenCloseAndTheCodesCallersRelyOn) {
  EXPECT_TRUE(port.IsOpen());
  EXPECT_EQ(port.EventMask(), kSerialDefaultMask);
  EXPECT_EQ(port.Open(pty.slave), kSerialAlreadyOpen);
  EXPECT_TRUE(port.IsOpen()) << "a second open leaves the port as it was";
  EXPECT_EQ(port.SetupReadTimeouts(2, 0), kSerialBadArgument);
  port.Close();
  EXPECT_FALSE(port.IsOpen());
  uint32_t written = 0;
  EXPECT_EQ(port.Write(buffer, 1, written), kSerialClosed);
  EXPECT_EQ(port.Read(cancel, buffer, 1, got, 1), kSerialClosed);
  EXPECT_EQ(port.Purge(), kSerialClosed);
  EXPECT_EQ(port.Setup(57600, 8, 0, 0), kSerialClosed);
  EXPECT_EQ(port.Open("/dev/korvane-no-such-port"), ENOENT);
  EXPECT_FALSE(port.IsOpen());
}

TEST_F(CSerialTest, SetupSetsTheLineAndChecksParityOnlyWithParity) {
  ASSERT_EQ(port.Setup(57600, 8, 2, 0), 0);
  termios tio = Settings();
  EXPECT_EQ(cfgetospeed(&tio), B57600);
  // A pseudo-terminal keeps eight bits without parity whatever it is told,
  // so only the settings it keeps are looked at.
  EXPECT_TRUE(tio.c_iflag & INPCK);

  ASSERT_EQ(port.Setup(9600, 7, 0, 2), 0);
  tio = Settings();
  EXPECT_EQ(cfgetospeed(&tio), B9600);
  EXPECT_FALSE(tio.c_iflag & INPCK);
  EXPECT_TRUE(tio.c_cflag & CSTOPB);

  EXPECT_EQ(port.Setup(12345, 8, 0, 0), EINVAL);
  EXPECT_EQ(port.Setup(57600, 9, 0, 0), EINVAL);
  EXPECT_EQ(port.Setup(57600, 8, 5, 0), EINVAL);
  EXPECT_EQ(port.LastError(), EINVAL);
}

TEST_F(CSerialTest, ReadReturnsAsSoonAsTheBytesArrive) {
  std::thread sender([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(120));
    pty.Send("ab");
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    pty.Send("c");
  });
  const auto start = Clock::now();
  EXPECT_EQ(port.Read(cancel, buffer, 3, got, 10), 0);
  const double took = SecondsSince(start);
  sender.join();
  EXPECT_EQ(got, 3u);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), 3), "abc");
  EXPECT_LT(took, 2.0) << "the read waits for bytes, not for its time-out";
}

// Whatever one read(2) took beyond the bytes asked for is handed to the next
// reads in order; a purge or a close drops it with the rest of the line.
TEST_F(CSerialTest, BytesReadAheadComeNextAndGoWithAPurge) {
  pty.Send("abcdefgh");
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  std::string taken;
  for (uint32_t count : {1u, 2u, 4u}) {
    ASSERT_EQ(port.Read(cancel, buffer, count, got, 1), 0);
    ASSERT_EQ(got, count);
    taken.append(reinterpret_cast<char*>(buffer), count);
  }
  EXPECT_EQ(taken, "abcdefg");
  ASSERT_EQ(port.Purge(), 0);
  pty.Send("XY");
  ASSERT_EQ(port.Read(cancel, buffer, 2, got, 1), 0);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), got), "XY") << "the 'h' read ahead went with the purge";

  // Bytes that came before a hang-up are still read; only then does it fail.
  pty.Send("123");
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  ASSERT_EQ(port.Read(cancel, buffer, 1, got, 1), 0);
  pty.HangUp();
  ASSERT_EQ(port.Read(cancel, buffer, 2, got, 1), 0);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), got), "23");
  EXPECT_NE(port.Read(cancel, buffer, 1, got, 1), 0);
}

TEST_F(CSerialTest, AShortReadEndsWhenThePollsRunOut) {
  pty.Send("xy");
  const auto start = Clock::now();
  EXPECT_EQ(port.Read(cancel, buffer, 3, got, 1), 0);
  EXPECT_EQ(got, 2u);
  EXPECT_GT(SecondsSince(start), 0.9);
  EXPECT_LT(SecondsSince(start), 2.0);
  EXPECT_EQ(port.Read(cancel, buffer, 3, got, 0), 0);
  EXPECT_EQ(got, 0u);
}

TEST_F(CSerialTest, ACancelEndsTheWaitAtOnce) {
  std::thread canceller([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    cancel = 1;
  });
  const auto start = Clock::now();
  EXPECT_EQ(port.Read(cancel, buffer, 3, got, 10), -1);
  canceller.join();
  EXPECT_EQ(got, 0u);
  EXPECT_LT(SecondsSince(start), 1.0);
}

TEST_F(CSerialTest, AHangUpFailsTheReadAndTheAliveCheck) {
  EXPECT_EQ(port.CheckAlive(), 0);
  pty.HangUp();
  const auto start = Clock::now();
  EXPECT_NE(port.Read(cancel, buffer, 3, got, 10), 0);
  EXPECT_LT(SecondsSince(start), 1.0);
  EXPECT_NE(port.CheckAlive(), 0);
  EXPECT_TRUE(port.IsOpen()) << "closing is the owner's decision";
}

TEST_F(CSerialTest, WritePurgeAndReopen) {
  uint32_t written = 0;
  const uint8_t out[3] = {1, 2, 3};
  ASSERT_EQ(port.Write(out, 3, written), 0);
  EXPECT_EQ(written, 3u);
  uint8_t in[3] = {};
  ASSERT_EQ(::read(pty.master, in, 3), 3);
  EXPECT_EQ(in[2], 3);

  pty.Send("junk");
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  ASSERT_EQ(port.Purge(), 0);
  EXPECT_EQ(port.Read(cancel, buffer, 1, got, 0), 0);
  EXPECT_EQ(got, 0u);

  PortSettings settings;
  settings.portName = pty.slave;
  EXPECT_TRUE(port.Reopen(settings));
  settings.baudRate = 1234;
  EXPECT_FALSE(port.Reopen(settings));
  settings.portName = "/dev/korvane-no-such-port";
  EXPECT_FALSE(port.Reopen(settings));
  EXPECT_FALSE(port.IsOpen());
}

TEST(SerialDevicePath, BareNamesLiveUnderDev) {
  EXPECT_EQ(SerialDevicePath("ttyUSB0"), "/dev/ttyUSB0");
  EXPECT_EQ(SerialDevicePath("/tmp/link"), "/tmp/link");
}

}  // namespace
}  // namespace korvane
