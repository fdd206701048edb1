#pragma once
// One frame of the programmer link in its fixed 521-byte buffer, with the
// header accessors, the check byte and the payload byte-order table.
//
// In memory a frame is in host order: the length and sequence fields and the
// converted payload fields hold native integers. Only the copy that goes out
// and the bytes that come in are in wire order (most significant byte first).
#include <cstdint>
#include <cstring>

namespace korvane {

constexpr uint32_t kFrameBufferSize = 521;
constexpr uint32_t kFrameOverhead = 10;  // header (9) and check byte (1)
constexpr uint32_t kMaxPayload = kFrameBufferSize - kFrameOverhead;
constexpr uint8_t kRequestStart = 0x55;
constexpr uint8_t kAnswerStart = 0xAA;
constexpr uint8_t kFlagToChip = 0x01;
constexpr uint8_t kFlagMoreFollows = 0x08;

struct ProtocolFrame {
  uint8_t bytes[kFrameBufferSize] = {};

  void Clear() { std::memset(bytes, 0, sizeof bytes); }

  uint16_t Length() const { return Native16(1); }
  void SetLength(uint16_t length) { SetNative16(1, length); }
  uint8_t Command() const { return bytes[4]; }
  uint16_t Sequence() const { return Native16(5); }
  void SetSequence(uint16_t sequence) { SetNative16(5, sequence); }
  uint8_t Status() const { return bytes[7]; }
  uint8_t Flags() const { return bytes[8]; }
  uint8_t* Payload() { return bytes + 9; }
  const uint8_t* Payload() const { return bytes + 9; }
  // Payload bytes of a frame of the stored length; 0 below the overhead.
  uint32_t PayloadLength() const { return Length() >= kFrameOverhead ? Length() - kFrameOverhead : 0; }

  // A native 32-bit payload field at a payload offset.
  uint32_t PayloadWord(uint32_t offset) const {
    uint32_t v;
    std::memcpy(&v, bytes + 9 + offset, 4);
    return v;
  }
  void SetPayloadWord(uint32_t offset, uint32_t value) { std::memcpy(bytes + 9 + offset, &value, 4); }

 private:
  uint16_t Native16(uint32_t at) const {
    uint16_t v;
    std::memcpy(&v, bytes + at, 2);
    return v;
  }
  void SetNative16(uint32_t at, uint16_t v) { std::memcpy(bytes + at, &v, 2); }
};

// Exclusive OR of bytes 0 .. length-2.
uint8_t FrameCheckByte(const uint8_t* bytes, uint32_t length);

// Converts the header fields and the listed payload fields of a request copy
// from host to wire order.
void RequestToWire(uint8_t* bytes);
// Converts an answer that arrived in wire order to host order.
void AnswerToHost(uint8_t* bytes);

// Big-endian helpers for the wire side.
inline uint16_t ReadBe16(const uint8_t* p) { return static_cast<uint16_t>((p[0] << 8) | p[1]); }
inline uint32_t ReadBe32(const uint8_t* p) {
  return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | uint32_t(p[3]);
}
inline void WriteBe16(uint8_t* p, uint16_t v) {
  p[0] = uint8_t(v >> 8);
  p[1] = uint8_t(v);
}
inline void WriteBe32(uint8_t* p, uint32_t v) {
  p[0] = uint8_t(v >> 24);
  p[1] = uint8_t(v >> 16);
  p[2] = uint8_t(v >> 8);
  p[3] = uint8_t(v);
}

}  // namespace korvane
