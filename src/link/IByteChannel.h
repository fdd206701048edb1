#pragma once
// The three port operations the frame layer needs. The serial port provides
// them; tests put a scripted channel in its place.
#include <atomic>
#include <cstdint>

namespace korvane {

class IByteChannel {
 public:
  virtual ~IByteChannel() = default;
  virtual bool IsOpen() const = 0;
  // Writes count bytes; 0 with written set on success, anything else a failure.
  virtual int Write(const uint8_t* data, uint32_t count, uint32_t& written) = 0;
  // Reads up to count bytes within 20 x timeout polls of 50 ms. 0 with got set
  // (possibly short when the polls ran out), -1 as soon as cancel is seen set,
  // another nonzero value when the port fails.
  virtual int Read(const std::atomic<int>& cancel, uint8_t* buffer, uint32_t count, uint32_t& got, int timeout) = 0;
  // Discards everything pending in both directions.
  virtual int Purge() = 0;
};

}  // namespace korvane
