#pragma once
// Rebuilding the chip image from the loaded description, and taking
// configuration bytes read from a device back into the items.
#include <cstdint>
#include <string>

namespace korvane {

class ChipDescription;

// Size of the read-back image: configuration reads land below this address.
constexpr uint32_t kReadBackImageSize = 0x10000;

// Fills context.image with the fill byte, loads the code file at codePath
// unless skipCode (patches and option complements included), refills the conf
// area and encodes every item. With notify set, failures are shown. False when
// no description with an item tree is loaded or the code file cannot be loaded.
bool PrepareImage(ChipDescription& desc, bool skipCode, const std::string& codePath, bool notify);

// Copies the part of data (size bytes read at address) that lies below
// kReadBackImageSize into readBackImage and decodes the whole read-back image
// into the items. Marks the project modified and its checksums dirty.
void ReadBack(ChipDescription& desc, uint8_t* readBackImage, const uint8_t* data, uint32_t size, uint32_t address);

}  // namespace korvane
