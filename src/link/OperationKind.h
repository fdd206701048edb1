#pragma once
// The device operations the runner performs, their message keys, their
// target and the areas they touch.
#include <cstdint>

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

// The language key naming the kind; "COMMAND_UNKNOWN_REQ" for any other value.
const char* OperationKey(int kind);

// Every ReadInfo, WriteInfo, ReadBlock and WriteBlock of these carries the chip flag.
bool IsChipOperation(int kind);

// The kinds that end by writing the information record back.
bool IsWriteOperation(int kind);

// The write kinds addressed to the tool, which stamp the loaded chip's identity.
bool IsToolWriteOperation(int kind);

}  // namespace korvane
