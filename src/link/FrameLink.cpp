#include "link/FrameLink.h"

#include "link/LinkTypes.h"

namespace korvane {

namespace {

// A programmer that answers every resynchronisation with another request for
// one would otherwise nest exchanges without end; past this depth the status
// is handed up as it is.
constexpr int kMaxResyncDepth = 4;

}  // namespace

int FrameLink::SendRequest(uint8_t command, const uint8_t* payload, uint32_t n, bool moreFollows, bool toChip) {
  ProtocolFrame frame;
  if (n > kMaxPayload) n = kMaxPayload;
  frame.bytes[0] = kRequestStart;
  frame.SetLength(static_cast<uint16_t>(n + kFrameOverhead));
  frame.bytes[3] = 0x01;
  frame.bytes[4] = command;
  frame.SetSequence(sequence_);
  if (payload && n) std::memcpy(frame.Payload(), payload, n);
  uint8_t flags = 0;
  if (moreFollows) flags |= kFlagMoreFollows;
  if (toChip) flags |= kFlagToChip;
  frame.bytes[8] = flags;
  return SendFrame(frame);
}

int FrameLink::SendFrame(const ProtocolFrame& frame) {
  if (!port_.IsOpen()) return kLinkPortNotOpen;
  ProtocolFrame wire = frame;
  uint32_t length = wire.Length();
  if (length < kFrameOverhead || length > kFrameBufferSize) return kLinkWriteFailed;
  RequestToWire(wire.bytes);
  wire.bytes[length - 1] = FrameCheckByte(wire.bytes, length);
  uint32_t written = 0;
  if (port_.Write(wire.bytes, length, written) != 0 || written < length) return kLinkWriteFailed;
  ++sequence_;
  return kLinkOk;
}

int FrameLink::ReadOneFrame(ProtocolFrame& frame, int timeout) {
  frame.Clear();
  if (!port_.IsOpen()) return kLinkPortNotOpen;
  if (cancel_.load()) return kLinkCancelled;

  // Hunt for the start byte; noise is dropped a byte at a time.
  for (;;) {
    uint32_t got = 0;
    if (port_.Read(cancel_, frame.bytes, 1, got, timeout) != 0 || got != 1) return kLinkNoAnswer;
    if (cancel_.load()) return kLinkCancelled;
    if (frame.bytes[0] == kAnswerStart) break;
  }

  uint32_t got = 0;
  if (port_.Read(cancel_, frame.bytes + 1, 2, got, timeout) != 0 || got != 2) return kLinkNoAnswer;
  if (cancel_.load()) return kLinkCancelled;
  const uint32_t length = ReadBe16(frame.bytes + 1);
  // A length that cannot be a frame is never used to read into the buffer:
  // whatever follows is junk, so it is thrown away with the rest of the line.
  if (length < kFrameOverhead || length > kFrameBufferSize) {
    port_.Purge();
    return kLinkNoAnswer;
  }

  const uint32_t body = length - 3;
  got = 0;
  if (port_.Read(cancel_, frame.bytes + 3, body, got, timeout) != 0 || got != body) return kLinkNoAnswer;
  if (cancel_.load()) return kLinkCancelled;

  if (FrameCheckByte(frame.bytes, length) != frame.bytes[length - 1]) {
    port_.Purge();
    return kLinkBadCheck;
  }

  ++sequence_;
  AnswerToHost(frame.bytes);

  if (frame.Status() == kLinkResyncStatus && resyncDepth_ < kMaxResyncDepth) {
    sequence_ = 0;
    ++resyncDepth_;
    const int resync = Exchange(kCmdResync);
    --resyncDepth_;
    if (resync != kLinkOk) return resync;
  }
  return frame.Status();
}

int FrameLink::ReadFrame(ProtocolFrame& frame, int timeout) { return ReadOneFrame(frame, timeout); }

int FrameLink::ReadAnswer(ProtocolFrame& frame, uint8_t expected, int timeout) {
  for (;;) {
    const int status = ReadOneFrame(frame, timeout);
    if (status != kLinkOk) return status;
    if (frame.Command() == expected) return kLinkOk;
  }
}

int FrameLink::ReadBlockAnswer(uint8_t* destination, uint32_t room, uint32_t& count) {
  count = 0;
  ProtocolFrame frame;
  const int result = ReadAnswer(frame, kCmdReadBlock, kAnswerTimeout);
  if (result != kLinkOk) return result;
  uint32_t n = frame.PayloadLength();
  if (n > room) n = room;
  if (destination && n) std::memcpy(destination, frame.Payload(), n);
  count = destination ? n : 0;
  return kLinkOk;
}

int FrameLink::Exchange(uint8_t command) {
  const int sent = SendRequest(command, nullptr, 0, false, false);
  if (sent != kLinkOk) return sent;
  ProtocolFrame frame;
  for (;;) {
    const int status = ReadOneFrame(frame, kAnswerTimeout);
    if (status != kLinkOk) return status;
    if (frame.Command() == command) return kLinkOk;
  }
}

}  // namespace korvane
