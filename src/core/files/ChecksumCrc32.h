#pragma once
// The one checksum of memory areas: CRC-32/MPEG-2 (polynomial 0x04C11DB7,
// initial value 0xFFFFFFFF, not reflected, no final XOR). Keeps no state.
#include <cstdint>

namespace korvane {

// A length of 0 or less gives 0xFFFFFFFF.
uint32_t ChecksumCrc32(const uint8_t* data, int64_t length);

}  // namespace korvane
