#pragma once
// How the programmer's identity and memory state are written into the log.
#include <cstdint>
#include <string>
#include <vector>

#include "link/LinkContext.h"

namespace korvane {

// Lines 1..10: the two versions, chip and function type, the three checksums
// and the three sizes, each built from a looked-up key.
std::vector<std::string> DeviceInfoLines(const CoreContext& core, const uint8_t version[2],
                                         const DeviceInfoRecord& record);
// Lines 3, 4, 8, 9 and 10: the identity and sizes of a chip that does not match.
std::vector<std::string> ChipMismatchLines(const CoreContext& core, const DeviceInfoRecord& record);

// Each line logged in blue with a time stamp.
void ShowDeviceInfo(LinkContext& link, const uint8_t version[2], const DeviceInfoRecord& record);
void ShowChipMismatch(LinkContext& link, const DeviceInfoRecord& record);

}  // namespace korvane
