#pragma once
// The programmer as the emulator plays it: it takes request bytes off the
// line, keeps separate memories of the tool and of the chip inside it for
// each area, and answers every request the way the programmer does, with
// faults on demand for testing the link.
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "link/LinkTypes.h"

namespace korvane {

enum class FaultKind { Noise, BadCheck, Resync, Status, Silence, Hangup, Flip };

// A fault hits requests with the given command (any when -1); all but noise
// fire once, on the nth such request.
struct FaultPlan {
  FaultKind kind = FaultKind::Noise;
  int command = -1;
  int nth = 1;
  int seen = 0;
  bool fired = false;
};

// "noise", "badcheck", "resync", "status", "silence", "hangup" or "flip",
// optionally followed by ":COMMAND" and ":N". A flip answers as usual, but
// with the first byte of the answer's data inverted: a memory cell that does
// not hold what was written, a checksum read wrong.
std::optional<FaultPlan> ParseFault(const std::string& text);

// The error status the "status" fault answers with.
constexpr uint8_t kFaultStatus = 0x21;
// The status of a block write whose area checksum does not match what arrived.
constexpr uint8_t kChecksumStatus = 0x22;
// The status of a command the programmer does not know.
constexpr uint8_t kUnknownCommandStatus = 0x7F;

// What the line does after a request: the answer bytes (with any noise in
// front), or nothing, or a hang-up.
struct ModelReply {
  std::vector<uint8_t> bytes;
  bool hangup = false;
  uint8_t command = 0;
};

class ProgrammerModel {
 public:
  ProgrammerModel(uint32_t chipType, uint32_t funcType);

  void AddFault(const FaultPlan& fault) { faults_.push_back(fault); }

  // Takes bytes from the line and appends a reply for every complete request.
  // Malformed bytes are skipped; a request with a wrong check byte is ignored.
  void Feed(const uint8_t* data, size_t n, std::vector<ModelReply>& replies);
  // Forgets a partly received request (the line was reopened).
  void ResetLine() { pending_.clear(); }

  // Direct access for tests and for the emulator's start-up state.
  uint8_t Byte(TargetKind target, uint8_t selector, uint32_t address) const;
  void SetByte(TargetKind target, uint8_t selector, uint32_t address, uint8_t value);
  uint32_t Checksum(TargetKind target, uint8_t selector, uint32_t start, uint32_t length) const;
  DeviceInfoRecord& Info(TargetKind target) { return info_[target == TargetKind::Chip]; }
  BurnConfigRecord& BurnConfig() { return burn_; }
  uint8_t version[2] = {0x21, 0x13};

  // Every request seen, as command and flags, for tests.
  struct Seen {
    uint8_t command;
    uint8_t flags;
    std::vector<uint8_t> payload;
  };
  std::vector<Seen> seen;

 private:
  using Page = std::vector<uint8_t>;
  using Memory = std::map<uint32_t, Page>;  // 256-byte pages by address / 256

  ModelReply Answer(const uint8_t* request, uint32_t length);
  Memory& MemoryOf(TargetKind target, uint8_t selector);
  const Memory* FindMemory(TargetKind target, uint8_t selector) const;

  DeviceInfoRecord info_[2];
  BurnConfigRecord burn_;
  std::map<int, Memory> memories_;  // by target * 8 + selector
  std::vector<FaultPlan> faults_;
  std::vector<uint8_t> pending_;
};

// An answer frame in wire order.
std::vector<uint8_t> BuildAnswer(uint8_t command, uint16_t sequence, uint8_t status, const uint8_t* payload,
                                 uint32_t n);

}  // namespace korvane
