#pragma once
// The frame layer: seals and sends requests, hunts for and verifies answers,
// keeps the sequence counter and resynchronises when the programmer asks.
// Every failure becomes a LinkError code; nothing is retried here.
#include <atomic>
#include <cstdint>

#include "link/IByteChannel.h"
#include "link/ProtocolFrame.h"

namespace korvane {

// Answer time-outs, in the port's units (20 polls of 50 ms each).
constexpr int kAnswerTimeout = 10;
constexpr int kBurnConfigTimeout = 3;

class FrameLink {
 public:
  // The link works on the port, the shared cancel flag and the sequence
  // counter that live in the link context; it keeps none of its own.
  FrameLink(IByteChannel& port, const std::atomic<int>& cancel, uint16_t& sequence)
      : port_(port), cancel_(cancel), sequence_(sequence) {}

  // Builds a request with the current sequence number and sends it.
  int SendRequest(uint8_t command, const uint8_t* payload, uint32_t n, bool moreFollows, bool toChip);
  // Sends a request frame filled in host order; the caller's frame is left as it is.
  int SendFrame(const ProtocolFrame& frame);
  // Reads frames until one with a nonzero status or one answering expected arrives.
  int ReadAnswer(ProtocolFrame& frame, uint8_t expected, int timeout);
  // Reads exactly one valid frame and returns its status.
  int ReadFrame(ProtocolFrame& frame, int timeout);
  // ReadAnswer for ReadBlock; copies at most room payload bytes to destination.
  int ReadBlockAnswer(uint8_t* destination, uint32_t room, uint32_t& count);
  // A request without payload, then frames until one answers it.
  int Exchange(uint8_t command);

  uint16_t Sequence() const { return sequence_; }

 private:
  int ReadOneFrame(ProtocolFrame& frame, int timeout);

  IByteChannel& port_;
  const std::atomic<int>& cancel_;
  uint16_t& sequence_;
  int resyncDepth_ = 0;
};

}  // namespace korvane
