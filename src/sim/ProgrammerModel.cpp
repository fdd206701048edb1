#include "sim/ProgrammerModel.h"

#include <algorithm>
#include <cstring>

#include "core/files/ChecksumCrc32.h"
#include "core/model/AreaLayout.h"
#include "link/ProtocolFrame.h"

namespace korvane {

namespace {

constexpr uint32_t kPage = 256;
// Bytes a noisy line puts in front of an answer; never the answer's start byte.
const uint8_t kNoise[] = {0x00, 0x13, 0x55, 0xFE, 0x37, 0x0A, 0x80};

}  // namespace

std::optional<FaultPlan> ParseFault(const std::string& text) {
  static const struct {
    const char* name;
    FaultKind kind;
  } kKinds[] = {{"noise", FaultKind::Noise},     {"badcheck", FaultKind::BadCheck}, {"resync", FaultKind::Resync},
                {"status", FaultKind::Status},   {"silence", FaultKind::Silence},   {"hangup", FaultKind::Hangup},
                {"flip", FaultKind::Flip}};
  const size_t colon = text.find(':');
  const std::string name = text.substr(0, colon);
  FaultPlan fault;
  bool known = false;
  for (const auto& k : kKinds)
    if (name == k.name) {
      fault.kind = k.kind;
      known = true;
    }
  if (!known) return std::nullopt;
  if (colon != std::string::npos) {
    const std::string rest = text.substr(colon + 1);
    const size_t second = rest.find(':');
    try {
      fault.command = std::stoi(rest.substr(0, second));
      if (second != std::string::npos) fault.nth = std::stoi(rest.substr(second + 1));
    } catch (...) {
      return std::nullopt;
    }
    if (fault.command < 0 || fault.command > 255 || fault.nth < 1) return std::nullopt;
  }
  return fault;
}

std::vector<uint8_t> BuildAnswer(uint8_t command, uint16_t sequence, uint8_t status, const uint8_t* payload,
                                 uint32_t n) {
  if (n > kMaxPayload) n = kMaxPayload;
  const uint32_t length = n + kFrameOverhead;
  std::vector<uint8_t> frame(length, 0);
  frame[0] = kAnswerStart;
  WriteBe16(&frame[1], static_cast<uint16_t>(length));
  frame[3] = 0x01;
  frame[4] = command;
  WriteBe16(&frame[5], sequence);
  frame[7] = status;
  if (payload && n) std::memcpy(&frame[9], payload, n);
  frame[length - 1] = FrameCheckByte(frame.data(), length);
  return frame;
}

ProgrammerModel::ProgrammerModel(uint32_t chipType, uint32_t funcType) {
  for (DeviceInfoRecord& record : info_) {
    record.field[DeviceInfoRecord::ChipType] = chipType;
    record.field[DeviceInfoRecord::FuncType] = funcType;
  }
  const uint8_t burn[9] = {0x07, 0x5A, 0x01, 0x00, 0x00, 0x10, 0x20, 0x30, 0x40};
  std::memcpy(burn_.bytes, burn, sizeof burn);
}

ProgrammerModel::Memory& ProgrammerModel::MemoryOf(TargetKind target, uint8_t selector) {
  return memories_[(target == TargetKind::Chip) * 8 + selector];
}

const ProgrammerModel::Memory* ProgrammerModel::FindMemory(TargetKind target, uint8_t selector) const {
  auto it = memories_.find((target == TargetKind::Chip) * 8 + selector);
  return it == memories_.end() ? nullptr : &it->second;
}

uint8_t ProgrammerModel::Byte(TargetKind target, uint8_t selector, uint32_t address) const {
  const Memory* memory = FindMemory(target, selector);
  if (!memory) return 0xFF;
  auto it = memory->find(address / kPage);
  return it == memory->end() ? 0xFF : it->second[address % kPage];
}

void ProgrammerModel::SetByte(TargetKind target, uint8_t selector, uint32_t address, uint8_t value) {
  Page& page = MemoryOf(target, selector)[address / kPage];
  if (page.empty()) page.assign(kPage, 0xFF);
  page[address % kPage] = value;
}

uint32_t ProgrammerModel::Checksum(TargetKind target, uint8_t selector, uint32_t start, uint32_t length) const {
  // Nothing lies beyond the chip's address space; a wild length must not
  // make the emulator allocate gigabytes.
  if (start >= kImageSize) length = 0;
  length = std::min(length, kImageSize - std::min(start, kImageSize));
  std::vector<uint8_t> bytes(length);
  for (uint32_t i = 0; i < length; ++i) bytes[i] = Byte(target, selector, start + i);
  return ChecksumCrc32(bytes.data(), length);
}

void ProgrammerModel::Feed(const uint8_t* data, size_t n, std::vector<ModelReply>& replies) {
  pending_.insert(pending_.end(), data, data + n);
  size_t at = 0;
  for (;;) {
    while (at < pending_.size() && pending_[at] != kRequestStart) ++at;
    if (pending_.size() - at < 3) break;
    const uint32_t length = ReadBe16(&pending_[at + 1]);
    if (length < kFrameOverhead || length > kFrameBufferSize) {
      ++at;
      continue;
    }
    if (pending_.size() - at < length) break;
    const uint8_t* frame = &pending_[at];
    if (FrameCheckByte(frame, length) == frame[length - 1]) replies.push_back(Answer(frame, length));
    at += length;
  }
  pending_.erase(pending_.begin(), pending_.begin() + static_cast<long>(at));
}

ModelReply ProgrammerModel::Answer(const uint8_t* request, uint32_t length) {
  const uint8_t command = request[4];
  const uint16_t sequence = ReadBe16(request + 5);
  const uint8_t flags = request[8];
  const uint8_t* p = request + 9;
  const uint32_t n = length - kFrameOverhead;
  const TargetKind target = (flags & kFlagToChip) ? TargetKind::Chip : TargetKind::Tool;
  seen.push_back({command, flags, std::vector<uint8_t>(p, p + n)});

  ModelReply reply;
  reply.command = command;
  bool noise = false;
  const FaultPlan* hit = nullptr;
  for (FaultPlan& fault : faults_) {
    if (fault.command >= 0 && fault.command != command) continue;
    if (fault.kind == FaultKind::Noise) {
      noise = true;
      continue;
    }
    if (fault.fired || hit) continue;
    if (++fault.seen == fault.nth) {
      fault.fired = true;
      hit = &fault;
    }
  }
  if (noise) reply.bytes.assign(std::begin(kNoise), std::end(kNoise));
  auto answer = [&](uint8_t status, const uint8_t* payload, uint32_t count) {
    std::vector<uint8_t> flipped;
    if (hit && hit->kind == FaultKind::Flip && payload && count) {
      flipped.assign(payload, payload + count);
      flipped[0] = static_cast<uint8_t>(~flipped[0]);
      payload = flipped.data();
    }
    std::vector<uint8_t> frame = BuildAnswer(command, sequence, status, payload, count);
    if (hit && hit->kind == FaultKind::BadCheck) frame.back() ^= 0x5A;
    reply.bytes.insert(reply.bytes.end(), frame.begin(), frame.end());
    return reply;
  };

  if (hit) {
    switch (hit->kind) {
      case FaultKind::Silence: return ModelReply{{}, false, command};
      case FaultKind::Hangup: return ModelReply{{}, true, command};
      case FaultKind::Resync: return answer(kLinkResyncStatus, nullptr, 0);
      case FaultKind::Status: return answer(kFaultStatus, nullptr, 0);
      default: break;
    }
  }

  switch (command) {
    case kCmdResync:
    case kCmdBegin:
    case kCmdEnd:
      return answer(0, nullptr, 0);
    case kCmdReadBlock: {
      if (n < 9) return answer(kUnknownCommandStatus, nullptr, 0);
      const uint8_t selector = p[0];
      const uint32_t address = ReadBe32(p + 1);
      uint32_t count = ReadBe32(p + 5);
      if (count > kMaxPayload) count = kMaxPayload;
      std::vector<uint8_t> bytes(count);
      for (uint32_t i = 0; i < count; ++i) bytes[i] = Byte(target, selector, address + i);
      return answer(0, bytes.data(), count);
    }
    case kCmdWriteBlock: {
      if (n < 21) return answer(kUnknownCommandStatus, nullptr, 0);
      const uint8_t selector = p[0];
      const uint32_t areaStart = ReadBe32(p + 1);
      const uint32_t areaLength = ReadBe32(p + 5);
      const uint32_t checksum = ReadBe32(p + 9);
      const uint32_t address = ReadBe32(p + 13);
      uint32_t count = ReadBe32(p + 17);
      if (count > n - 21) count = n - 21;
      // Only the area's own bytes are stored; the tail of the last block is padding.
      for (uint32_t i = 0; i < count; ++i) {
        const uint64_t a = uint64_t(address) + i;
        if (a >= areaStart && a < uint64_t(areaStart) + areaLength) SetByte(target, selector, uint32_t(a), p[21 + i]);
      }
      if (!(flags & kFlagMoreFollows) && Checksum(target, selector, areaStart, areaLength) != checksum)
        return answer(kChecksumStatus, nullptr, 0);
      return answer(0, nullptr, 0);
    }
    case kCmdReadVersion:
      return answer(0, version, 2);
    case kCmdReadInfo: {
      uint8_t bytes[32];
      const DeviceInfoRecord& record = Info(target);
      for (int i = 0; i < 8; ++i) WriteBe32(bytes + 4 * i, record.field[i]);
      return answer(0, bytes, sizeof bytes);
    }
    case kCmdWriteInfo: {
      if (n < 32) return answer(kUnknownCommandStatus, nullptr, 0);
      DeviceInfoRecord& record = Info(target);
      for (int i = 0; i < 8; ++i) record.field[i] = ReadBe32(p + 4 * i);
      return answer(0, nullptr, 0);
    }
    case kCmdReadBurnConfig:
      return answer(0, burn_.bytes, sizeof burn_.bytes);
    case kCmdWriteBurnConfig:
      if (n >= sizeof burn_.bytes) std::memcpy(burn_.bytes, p, sizeof burn_.bytes);
      return answer(0, nullptr, 0);
    case kCmdReadChecksum: {
      if (n < 9) return answer(kUnknownCommandStatus, nullptr, 0);
      uint8_t bytes[4];
      WriteBe32(bytes, Checksum(TargetKind::Tool, p[0], ReadBe32(p + 1), ReadBe32(p + 5)));
      return answer(0, bytes, sizeof bytes);
    }
    default:
      return answer(kUnknownCommandStatus, nullptr, 0);
  }
}

}  // namespace korvane
