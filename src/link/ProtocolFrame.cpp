#include "link/ProtocolFrame.h"

#include <initializer_list>

#include "link/LinkTypes.h"

namespace korvane {

namespace {

// Which 32-bit payload fields travel most significant byte first, by command,
// and the frame length below which a frame is left alone.
struct OrderRule {
  uint8_t command;
  uint16_t minLength;
  std::initializer_list<uint8_t> offsets;
};

const OrderRule kRequestRules[] = {
    {kCmdReadBlock, 19, {1, 5}},
    {kCmdWriteBlock, 31, {1, 5, 9, 13, 17}},
    {kCmdWriteInfo, 42, {0, 4, 8, 12, 16, 20, 24, 28}},
    {kCmdReadChecksum, 19, {1, 5}},
};

const OrderRule kAnswerRules[] = {
    {kCmdReadInfo, 42, {0, 4, 8, 12, 16, 20, 24, 28}},
    {kCmdReadChecksum, 14, {0}},
};

uint16_t Native16(const uint8_t* p) {
  uint16_t v;
  std::memcpy(&v, p, 2);
  return v;
}

void SetNative16(uint8_t* p, uint16_t v) { std::memcpy(p, &v, 2); }

template <size_t N>
const OrderRule* FindRule(const OrderRule (&rules)[N], uint8_t command) {
  for (const OrderRule& rule : rules)
    if (rule.command == command) return &rule;
  return nullptr;
}

}  // namespace

uint8_t FrameCheckByte(const uint8_t* bytes, uint32_t length) {
  uint8_t check = 0;
  for (uint32_t i = 0; i + 1 < length; ++i) check ^= bytes[i];
  return check;
}

void RequestToWire(uint8_t* bytes) {
  const uint16_t length = Native16(bytes + 1);
  if (const OrderRule* rule = FindRule(kRequestRules, bytes[4]); rule && length >= rule->minLength) {
    for (uint8_t offset : rule->offsets) {
      uint32_t v;
      std::memcpy(&v, bytes + 9 + offset, 4);
      WriteBe32(bytes + 9 + offset, v);
    }
  }
  WriteBe16(bytes + 1, length);
  WriteBe16(bytes + 5, Native16(bytes + 5));
}

void AnswerToHost(uint8_t* bytes) {
  const uint16_t length = ReadBe16(bytes + 1);
  SetNative16(bytes + 1, length);
  SetNative16(bytes + 5, ReadBe16(bytes + 5));
  if (bytes[7] != 0) return;  // error answers carry their payload unconverted
  if (const OrderRule* rule = FindRule(kAnswerRules, bytes[4]); rule && length >= rule->minLength) {
    for (uint8_t offset : rule->offsets) {
      const uint32_t v = ReadBe32(bytes + 9 + offset);
      std::memcpy(bytes + 9 + offset, &v, 4);
    }
  }
}

}  // namespace korvane
