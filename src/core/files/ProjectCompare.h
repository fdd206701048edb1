#pragma once
// The project's items compared with the conf bytes a device returned, or
// with another project of the same chip: each side's image is prepared the
// way a download prepares it (without the code file), and the item
// comparison does the rest. Neither project is changed beyond what preparing
// its image does (defaults whose conditions hold, as at every download).
#include <cstdint>
#include <optional>
#include <string>

#include "core/eval/ConfigCompare.h"

namespace korvane {

class ChipDescription;

// Against size bytes a device returned for a read at address; the device's
// side shows what a read-back would put in the items. Only fields wholly
// inside what was read are compared. Nothing when no description with items
// is loaded.
std::optional<ConfigComparison> CompareWithDevice(ChipDescription& desc, const uint8_t* data, uint32_t size,
                                                  uint32_t address);

// Why two projects cannot be compared item by item: another chip or function
// type, other areas, or other items (names, fields or kinds); empty when
// they can.
std::string LayoutMismatch(const ChipDescription& a, const ChipDescription& b);

// Project a against project b (of the same layout) over the whole image; the
// other side's text is b's value of the item of the same name.
ConfigComparison CompareProjects(ChipDescription& a, ChipDescription& b);

}  // namespace korvane
