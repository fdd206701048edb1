#include "link/CSerial.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <chrono>
#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace korvane {

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kPollMs = 50;
// A write that makes no progress for this long has lost its device; failing
// beats blocking the operation for ever.
constexpr int kWriteStallMs = 5000;

// With the low-latency flag USB serial adapters pass received bytes on at once instead of after
// their latency timer (often 16 ms per answer). Drivers that do not know the
// request, and pseudo-terminals, stay as they are: that is no error.
void SetLowLatency(int fd) {
  serial_struct serial{};
  if (::ioctl(fd, TIOCGSERIAL, &serial) != 0 || (serial.flags & ASYNC_LOW_LATENCY)) return;
  serial.flags |= ASYNC_LOW_LATENCY;
  ::ioctl(fd, TIOCSSERIAL, &serial);
}

bool SpeedFor(uint32_t baud, speed_t& speed) {
  static const struct {
    uint32_t baud;
    speed_t speed;
  } kSpeeds[] = {
      {50, B50}, {75, B75}, {110, B110}, {134, B134}, {150, B150}, {200, B200}, {300, B300},
      {600, B600}, {1200, B1200}, {1800, B1800}, {2400, B2400}, {4800, B4800}, {9600, B9600},
      {19200, B19200}, {38400, B38400}, {57600, B57600}, {115200, B115200}, {230400, B230400},
      {460800, B460800}, {500000, B500000}, {576000, B576000}, {921600, B921600},
      {1000000, B1000000}, {1152000, B1152000}, {1500000, B1500000}, {2000000, B2000000},
      {2500000, B2500000}, {3000000, B3000000}, {3500000, B3500000}, {4000000, B4000000},
  };
  for (const auto& s : kSpeeds)
    if (s.baud == baud) {
      speed = s.speed;
      return true;
    }
  return false;
}

}  // namespace

std::string SerialDevicePath(const std::string& name) {
  if (name.find('/') != std::string::npos) return name;
  return "/dev/" + name;
}

CSerial::~CSerial() {
  if (IsOpen()) Close();
}

bool CSerial::Reopen(const PortSettings& settings) {
  Close();
  if (Open(settings.portName, 0, 0, false) != 0) return false;
  return Setup(settings.baudRate, settings.dataBits, settings.parity, settings.stopBits) == 0;
}

int CSerial::Open(const std::string& name, uint32_t, uint32_t, bool) {
  lastError_ = 0;
  if (IsOpen()) return Fail(kSerialAlreadyOpen);
  if (name.empty()) return Fail(ENOENT);
  const std::string path = SerialDevicePath(name);
  const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return Fail(errno);

  termios tio{};
  if (::tcgetattr(fd, &tio) != 0) {
    const int error = errno;
    ::close(fd);
    return Fail(error);
  }
  // No other program may open the port behind our back. Devices that do not
  // know the request (some pseudo-terminals) are used all the same.
  ::ioctl(fd, TIOCEXCL);
  SetLowLatency(fd);

  // Raw bytes both ways; the receiver is on and modem lines are ignored, so
  // adapters without them work like the ones that have them.
  ::cfmakeraw(&tio);
  tio.c_cflag |= CLOCAL | CREAD;
  tio.c_cc[VMIN] = 0;
  tio.c_cc[VTIME] = 0;
  if (::tcsetattr(fd, TCSANOW, &tio) != 0) {
    const int error = errno;
    ::close(fd);
    return Fail(error);
  }
  // Raise DTR and RTS for adapters that power the programmer from them; a
  // device without modem lines refuses, which is not an error.
  int lines = TIOCM_DTR | TIOCM_RTS;
  ::ioctl(fd, TIOCMBIS, &lines);

  fd_ = fd;
  path_ = path;
  SetMask(kSerialDefaultMask);
  SetupReadTimeouts(0, kSerialMaxInterval);
  lastError_ = 0;
  return 0;
}

void CSerial::Close() {
  lastError_ = 0;
  readAheadBegin_ = readAheadEnd_ = 0;
  if (fd_ >= 0) {
    ::ioctl(fd_, TIOCNXCL);
    ::close(fd_);
  }
  fd_ = -1;
  path_.clear();
}

int CSerial::Setup(uint32_t baud, uint32_t dataBits, uint32_t parity, uint32_t stopBits) {
  lastError_ = 0;
  if (!IsOpen()) return Fail(kSerialClosed);
  termios tio{};
  if (::tcgetattr(fd_, &tio) != 0) return Fail(errno);

  speed_t speed;
  if (!SpeedFor(baud, speed)) return Fail(EINVAL);
  ::cfsetispeed(&tio, speed);
  ::cfsetospeed(&tio, speed);

  tcflag_t size;
  switch (dataBits) {
    case 5: size = CS5; break;
    case 6: size = CS6; break;
    case 7: size = CS7; break;
    case 8: size = CS8; break;
    default: return Fail(EINVAL);
  }
  tio.c_cflag = (tio.c_cflag & ~CSIZE) | size;

  tio.c_cflag &= ~(PARENB | PARODD | CMSPAR);
  switch (parity) {
    case 0: break;
    case 1: tio.c_cflag |= PARENB | PARODD; break;
    case 2: tio.c_cflag |= PARENB; break;
    case 3: tio.c_cflag |= PARENB | CMSPAR | PARODD; break;
    case 4: tio.c_cflag |= PARENB | CMSPAR; break;
    default: return Fail(EINVAL);
  }
  if (parity != 0)
    tio.c_iflag |= INPCK;
  else
    tio.c_iflag &= ~INPCK;

  // termios has no one and a half stop bits.
  switch (stopBits) {
    case 0: tio.c_cflag &= ~CSTOPB; break;
    case 2: tio.c_cflag |= CSTOPB; break;
    default: return Fail(EINVAL);
  }
  if (::tcsetattr(fd_, TCSANOW, &tio) != 0) return Fail(errno);
  return 0;
}

int CSerial::SetMask(uint32_t mask) {
  lastError_ = 0;
  if (!IsOpen()) return Fail(kSerialClosed);
  eventMask_ = mask;
  return 0;
}

int CSerial::SetupReadTimeouts(int mode, uint32_t interval) {
  lastError_ = 0;
  if (!IsOpen()) return Fail(kSerialClosed);
  switch (mode) {
    case 0: readInterval_ = interval; return 0;
    case 1: readInterval_ = kSerialMaxInterval; return 0;
    default: return Fail(kSerialBadArgument);
  }
}

int CSerial::Write(const uint8_t* data, uint32_t count, uint32_t& written) {
  lastError_ = 0;
  written = 0;
  if (!IsOpen()) return Fail(kSerialClosed);
  while (written < count) {
    const ssize_t n = ::write(fd_, data + written, count - written);
    if (n > 0) {
      written += static_cast<uint32_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) return Fail(errno);
    pollfd p{fd_, POLLOUT, 0};
    const int ready = ::poll(&p, 1, kWriteStallMs);
    if (ready < 0 && errno == EINTR) continue;
    if (ready < 0) return Fail(errno);
    if (ready == 0) return Fail(ETIMEDOUT);
    if (p.revents & (POLLERR | POLLHUP | POLLNVAL)) return Fail(EIO);
  }
  return 0;
}

int CSerial::Read(const std::atomic<int>& cancel, uint8_t* buffer, uint32_t count, uint32_t& got, int timeout) {
  lastError_ = 0;
  got = 0;
  if (!IsOpen()) return Fail(kSerialClosed);
  const int polls = 20 * timeout;
  if (polls <= 0 || count == 0) return 0;

  uint32_t have = 0;
  bool hungUp = false;
  for (int poll = 0; poll < polls; ++poll) {
    const auto windowEnd = Clock::now() + std::chrono::milliseconds(kPollMs);
    for (;;) {
      if (cancel.load()) return -1;
      have += TakeReadAhead(buffer + have, count - have);
      if (have >= count) {
        got = count;
        return 0;
      }
      // In raw mode without a minimum count a read returns 0 when nothing is
      // waiting; only together with a hang-up seen by poll(2) is that the end.
      const ssize_t n = ::read(fd_, readAhead_, sizeof readAhead_);
      if (n > 0) {
        readAheadBegin_ = 0;
        readAheadEnd_ = static_cast<uint32_t>(n);
        continue;
      }
      if (n < 0 && errno == EINTR) continue;
      if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) return Fail(errno);
      if (hungUp) return Fail(EIO);

      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(windowEnd - Clock::now()).count();
      if (left <= 0) break;
      pollfd p{fd_, POLLIN, 0};
      const int ready = ::poll(&p, 1, static_cast<int>(left));
      if (ready < 0 && errno != EINTR) return Fail(errno);
      if (ready > 0 && (p.revents & (POLLERR | POLLNVAL))) return Fail(EIO);
      if (ready > 0 && (p.revents & POLLHUP)) hungUp = true;  // drain what is left, then fail
    }
  }
  got = have;
  return 0;
}

uint32_t CSerial::TakeReadAhead(uint8_t* out, uint32_t count) {
  const uint32_t n = std::min(count, readAheadEnd_ - readAheadBegin_);
  std::memcpy(out, readAhead_ + readAheadBegin_, n);
  readAheadBegin_ += n;
  return n;
}

int CSerial::Purge() {
  lastError_ = 0;
  readAheadBegin_ = readAheadEnd_ = 0;
  if (!IsOpen()) return Fail(kSerialClosed);
  if (::tcflush(fd_, TCIOFLUSH) != 0) return Fail(errno);
  return 0;
}

int CSerial::CheckAlive() {
  lastError_ = 0;
  if (!IsOpen()) return Fail(kSerialClosed);
  termios tio{};
  if (::tcgetattr(fd_, &tio) != 0) return Fail(errno);
  pollfd p{fd_, 0, 0};
  if (::poll(&p, 1, 0) < 0) return Fail(errno);
  if (p.revents & (POLLHUP | POLLERR | POLLNVAL)) return Fail(EIO);
  return 0;
}

}  // namespace korvane
