#pragma once
// The device operations the runner performs. Everything the program knows
// about a kind (its message key, its target, what it is for and the areas it
// moves) stands in the one table below; the runner, the front ends and the
// result routing ask it instead of listing kinds by number.
#include <cstdint>
#include <optional>

#include "link/LinkArea.h"

namespace korvane {

enum OperationKind : int {
  kOpReadToolConfig = 1,
  kOpWriteToolConfig = 2,
  kOpWriteToolCode = 3,
  kOpReadChipConfig = 4,
  kOpWriteChipConfig = 5,
  kOpWriteChipCode = 6,
  kOpFirmwareUpdate = 7,
  kOpReadToolCodeFlash = 8,
  kOpReadChipCodeFlash = 9,
  kOpWriteToolCodeFlash = 10,
  kOpWriteChipCodeFlash = 11,
  kOpReadToolConfFlash = 12,
  kOpReadChipConfFlash = 13,
  kOpWriteToolConfFlash = 14,
  kOpWriteChipConfFlash = 15,
  kOpReadToolOptionFlash = 16,
  kOpReadChipOptionFlash = 17,
  kOpWriteToolOptionFlash = 18,
  kOpWriteChipOptionFlash = 19,
  kOpReadBurnConfig = 20,
  kOpWriteBurnConfig = 21,
  kOpCompareChecksums = 22,
  kOpReadToolInfo = 23,
  kOpReadChipInfo = 24,
};

// What an operation is for, as bits: one kind may serve several. Writing
// the code area with its option bytes is both the download of code alone
// and the hex window's write of the code area.
enum class OpDirection : uint8_t {
  None = 0,               // sends nothing (the firmware update is refused, the burn configuration read does nothing)
  ReadConfig = 1 << 0,    // the conf area read back into the items, the device's information shown
  Download = 1 << 1,      // the project's image written, then its areas named for burning
  ReadArea = 1 << 2,      // one area read as it stands (into the hex window)
  WriteArea = 1 << 3,     // one area written as it stands (from the hex window)
  Compare = 1 << 4,       // the PC's checksums against the programmer's, as the check mask asks
  ReadInfo = 1 << 5,      // the programmer's information record
  WriteBurnConfig = 1 << 6,  // the burn configuration the user chose
};

constexpr OpDirection operator|(OpDirection a, OpDirection b) {
  return static_cast<OpDirection>(static_cast<uint8_t>(a) | static_cast<uint8_t>(b));
}

struct OperationInfo {
  int kind;
  const char* key;                   // the language key naming the kind
  std::optional<TargetKind> target;  // none for the kinds that send nothing
  OpDirection directions;
  AreaSet areas;                     // the areas it moves; a comparison's come from its check mask

  constexpr bool Serves(OpDirection direction) const {
    return (static_cast<uint8_t>(directions) & static_cast<uint8_t>(direction)) != 0;
  }
  // Reads hand one area to the front end.
  constexpr bool Reads() const { return Serves(OpDirection::ReadConfig) || Serves(OpDirection::ReadArea); }
  // Writes end by writing the information record back.
  constexpr bool Writes() const { return Serves(OpDirection::Download) || Serves(OpDirection::WriteArea); }
  // The areas of a download are named for burning once they are written.
  constexpr bool Burns() const { return Serves(OpDirection::Download); }
  constexpr bool ToChip() const { return target == TargetKind::Chip; }
  // The areas as check-mask bits.
  constexpr uint32_t CheckMask() const { return CheckMaskOf(areas); }
};

// The table's own short names, so that each row reads on one line.
namespace op_table {
constexpr std::optional<TargetKind> kTool = TargetKind::Tool, kChip = TargetKind::Chip, kNoTarget = std::nullopt;
constexpr OpDirection kNothing = OpDirection::None, kReadConfig = OpDirection::ReadConfig,
                      kDownload = OpDirection::Download, kReadArea = OpDirection::ReadArea,
                      kWriteArea = OpDirection::WriteArea, kCompare = OpDirection::Compare,
                      kReadInfo = OpDirection::ReadInfo, kWriteBurn = OpDirection::WriteBurnConfig;
constexpr AreaSet kConf = kSelectConf, kCode = kSelectCode, kOption = kSelectOption,
                  kCodeOption = WithOptionBytes(kSelectCode);

// Row k - 1 is kind k.
inline constexpr OperationInfo kRows[] = {
    // clang-format off
    {kOpReadToolConfig,       "COMMAND_READ_TOOL_CONFIG_REQ",        kTool,     kReadConfig, kConf},
    {kOpWriteToolConfig,      "COMMAND_WRITE_TOOL_CONFIG_REQ",       kTool,     kDownload,   kConf},
    {kOpWriteToolCode,        "COMMAND_WRITE_TOOL_CODE_REQ",         kTool,     kDownload,   kAllAreas},
    {kOpReadChipConfig,       "COMMAND_READ_CHIP_CONFIG_REQ",        kChip,     kReadConfig, kConf},
    {kOpWriteChipConfig,      "COMMAND_WRITE_CHIP_CONFIG_REQ",       kChip,     kDownload,   kConf},
    {kOpWriteChipCode,        "COMMAND_WRITE_CHIP_CODE_REQ",         kChip,     kDownload,   kAllAreas},
    {kOpFirmwareUpdate,       "COMMAND_FIREWARE_UPDATE_REQ",         kNoTarget, kNothing,    kNoAreas},
    {kOpReadToolCodeFlash,    "COMMAND_READ_TOOL_CODE_FLASH_REQ",    kTool,     kReadArea,   kCode},
    {kOpReadChipCodeFlash,    "COMMAND_READ_CHIP_CODE_FLASH_REQ",    kChip,     kReadArea,   kCode},
    {kOpWriteToolCodeFlash,   "COMMAND_WRITE_TOOL_CODE_FLASH_REQ",   kTool,     kDownload | kWriteArea, kCodeOption},
    {kOpWriteChipCodeFlash,   "COMMAND_WRITE_CHIP_CODE_FLASH_REQ",   kChip,     kDownload | kWriteArea, kCodeOption},
    {kOpReadToolConfFlash,    "COMMAND_READ_TOOL_CONF_FLASH_REQ",    kTool,     kReadArea,   kConf},
    {kOpReadChipConfFlash,    "COMMAND_READ_CHIP_CONF_FLASH_REQ",    kChip,     kReadArea,   kConf},
    {kOpWriteToolConfFlash,   "COMMAND_WRITE_TOOL_CONF_FLASH_REQ",   kTool,     kWriteArea,  kConf},
    {kOpWriteChipConfFlash,   "COMMAND_WRITE_CHIP_CONF_FLASH_REQ",   kChip,     kWriteArea,  kConf},
    {kOpReadToolOptionFlash,  "COMMAND_READ_TOOL_OPTION_FLASH_REQ",  kTool,     kReadArea,   kOption},
    {kOpReadChipOptionFlash,  "COMMAND_READ_CHIP_OPTION_FLASH_REQ",  kChip,     kReadArea,   kOption},
    {kOpWriteToolOptionFlash, "COMMAND_WRITE_TOOL_OPTION_FLASH_REQ", kTool,     kWriteArea,  kOption},
    {kOpWriteChipOptionFlash, "COMMAND_WRITE_CHIP_OPTION_FLASH_REQ", kChip,     kWriteArea,  kOption},
    {kOpReadBurnConfig,       "COMMAND_READ_BURN_CONF_REQ",          kNoTarget, kNothing,    kNoAreas},
    {kOpWriteBurnConfig,      "COMMAND_WRITE_BURN_CONF_REQ",         kTool,     kWriteBurn,  kNoAreas},
    {kOpCompareChecksums,     "COMMAND_READ_CHECK_REQ",              kTool,     kCompare,    kNoAreas},
    {kOpReadToolInfo,         "COMMAND_READ_TOOL_INFO_REQ",          kTool,     kReadInfo,   kNoAreas},
    {kOpReadChipInfo,         "COMMAND_READ_CHIP_INFO_REQ",          kChip,     kReadInfo,   kNoAreas},
    // clang-format on
};
}  // namespace op_table

inline constexpr const auto& kOperations = op_table::kRows;

// The row of kind; null for a kind the table does not know.
constexpr const OperationInfo* OperationInfoOf(int kind) {
  constexpr int count = static_cast<int>(sizeof(kOperations) / sizeof(kOperations[0]));
  return kind >= 1 && kind <= count ? &kOperations[kind - 1] : nullptr;
}

// The kind that serves direction for target on exactly areas; 0 when none does.
constexpr int FindOperation(OpDirection direction, TargetKind target, AreaSet areas = kNoAreas) {
  for (const OperationInfo& op : kOperations)
    if (op.Serves(direction) && op.target == target && op.areas == areas) return op.kind;
  return 0;
}

// The language key naming the kind; "COMMAND_UNKNOWN_REQ" for any other value.
const char* OperationKey(int kind);

// Every ReadInfo, WriteInfo, ReadBlock and WriteBlock of these carries the chip flag.
bool IsChipOperation(int kind);

// The kinds that end by writing the information record back.
bool IsWriteOperation(int kind);

// The write kinds addressed to the tool, which stamp the loaded chip's identity.
bool IsToolWriteOperation(int kind);

// Whether kind serves direction; false for kinds the table does not know.
bool OperationServes(int kind, OpDirection direction);

}  // namespace korvane
