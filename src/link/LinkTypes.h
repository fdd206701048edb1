#pragma once
// The vocabulary of the programmer link: commands, result codes, the two
// records exchanged with the programmer. The areas are in LinkArea.h.
#include <cstdint>
#include <memory>
#include <vector>

namespace korvane {

// Command codes carried in byte 4 of every frame.
enum LinkCommand : uint8_t {
  kCmdResync = 0,
  kCmdBegin = 1,
  kCmdEnd = 2,
  kCmdReadBlock = 3,
  kCmdWriteBlock = 4,
  kCmdReadVersion = 5,
  kCmdReadInfo = 6,
  kCmdWriteInfo = 7,
  kCmdReadBurnConfig = 8,
  kCmdWriteBurnConfig = 9,
  kCmdReadChecksum = 10,
};

// Result codes of the link beyond the programmer's own status bytes (1..255).
enum LinkError : int {
  kLinkOk = 0,
  kLinkResyncStatus = 3,         // the programmer asked for a resynchronisation
  kLinkPortNotOpen = 1001,
  kLinkWriteFailed = 1002,
  kLinkNoAnswer = 1003,
  kLinkBadCheck = 1004,
  kLinkCancelled = 1005,
  kLinkNoData = 1007,
  kLinkNoFirmwareUpdate = 1008,
  kLinkBurnConfigUnreadable = 1009,  // heads a message only, never a result
  kLinkChipMismatch = 1010,
};

enum class TargetKind { Tool, Chip };

// The programmer's information record: eight 32-bit fields, big-endian on the
// wire, host order here.
struct DeviceInfoRecord {
  enum Field { ChipType = 0, FuncType, CodeChecksum, ConfChecksum, OptionChecksum, CodeLength, ConfLength, OptionLength };
  uint32_t field[8] = {};
};

// Byte 0 is the burn mask (selector bits); bytes 1..8 are the programmer's own
// and are carried through unchanged. Travels as held in memory.
struct BurnConfigRecord {
  uint8_t bytes[9] = {};
  uint8_t Mask() const { return bytes[0]; }
};

// One area read from the device, handed to the front end, which owns it.
struct ReadResult {
  std::vector<uint8_t> data;
  uint32_t size = 0;
  uint32_t address = 0;
  explicit ReadResult(uint32_t bytes) : data(bytes, 0), size(bytes) {}
};

// The device kind named by a function type id, shown as it stands.
const char* DeviceKindName(uint32_t funcType);

}  // namespace korvane
