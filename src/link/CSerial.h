#pragma once
// The serial port on POSIX termios. A name is a device path (/dev/ttyUSB0, a
// pseudo-terminal, a symlink to one) or a bare name under /dev (ttyUSB0).
//
// The codes callers rely on are kept: 6 for an operation on a closed port,
// 1247 for opening one already open, 0x80070057 for a bad time-out mode; any
// other failure returns errno.
#include <atomic>
#include <cstdint>
#include <string>

#include "link/IByteChannel.h"

namespace korvane {

constexpr int kSerialClosed = 6;
constexpr int kSerialAlreadyOpen = 1247;
constexpr int kSerialBadArgument = static_cast<int>(0x80070057u);
constexpr uint32_t kSerialDefaultMask = 0x00C1;
constexpr uint32_t kSerialMaxInterval = 0xFFFFFFFFu;

// Parity codes: 0 none, 1 odd, 2 even, 3 mark, 4 space. Stop-bit codes: 0 one,
// 1 one and a half, 2 two.
struct PortSettings {
  std::string portName;
  uint32_t baudRate = 57600;
  uint32_t dataBits = 8;
  uint32_t parity = 0;
  uint32_t stopBits = 0;
};

class CSerial : public IByteChannel {
 public:
  CSerial() = default;
  CSerial(const CSerial&) = delete;
  CSerial& operator=(const CSerial&) = delete;
  ~CSerial() override;

  // Close, then Open and Setup with the given settings; true when both succeed.
  virtual bool Reopen(const PortSettings& settings);
  // Opens the device for exclusive use in raw mode; the queue sizes and
  // overlapped operation of other systems have no meaning here.
  virtual int Open(const std::string& name, uint32_t inQueue = 0, uint32_t outQueue = 0, bool overlapped = false);
  virtual void Close();
  // Sets speed, byte size, parity (with input parity checking exactly when
  // parity is not 0) and stop bits; other line settings keep their values.
  virtual int Setup(uint32_t baud, uint32_t dataBits, uint32_t parity, uint32_t stopBits);
  virtual int SetMask(uint32_t mask);
  // Mode 0 sets the interval, mode 1 the maximum; reads never block either way.
  virtual int SetupReadTimeouts(int mode, uint32_t interval);
  int Write(const uint8_t* data, uint32_t count, uint32_t& written) override;
  // Polls 20 x timeout times; each poll is a 50 ms window in which arriving
  // bytes are taken as soon as they come, so the read returns the moment count
  // bytes are in, and the cancel flag is looked at on every wake-up.
  int Read(const std::atomic<int>& cancel, uint8_t* buffer, uint32_t count, uint32_t& got, int timeout) override;

  int Purge() override;
  // 0 while the device still answers: its settings can be read and it has not hung up.
  int CheckAlive();

  bool IsOpen() const override { return fd_ >= 0; }
  int LastError() const { return lastError_; }
  uint32_t EventMask() const { return eventMask_; }
  const std::string& DevicePath() const { return path_; }

 private:
  int Fail(int error) { return lastError_ = error; }
  // Moves up to count bytes read ahead into out; returns how many.
  uint32_t TakeReadAhead(uint8_t* out, uint32_t count);

  int fd_ = -1;
  // Written by the worker's reads, read by the window's thread.
  std::atomic<int> lastError_{0};
  // Bytes read from the device ahead of the caller: one read(2) takes all
  // that has arrived, so a frame's start, length and body usually come from
  // one system call instead of three.
  uint8_t readAhead_[4096];
  uint32_t readAheadBegin_ = 0;
  uint32_t readAheadEnd_ = 0;
  uint32_t eventMask_ = 0;
  uint32_t readInterval_ = 0;
  std::string path_;
};

// The device path a port name stands for.
std::string SerialDevicePath(const std::string& name);

}  // namespace korvane
