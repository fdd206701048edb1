#pragma once
// The single-frame transactions of the command set and the block transfers
// that move a whole area 256 bytes at a time. Each makes one attempt and
// returns a result code: 0, the programmer's status, or a LinkError.
#include <cstdint>

#include "link/LinkContext.h"

namespace korvane {

constexpr uint32_t kBlockSize = 256;

int ReadVersion(LinkContext& link, uint8_t version[2]);
// Fills record from the programmer and fits its lengths to the loaded layout:
// conf and option lengths become the layout's, the code length the smaller of
// the programmer's and the layout's (the layout's when the programmer says 0).
int ReadInfo(LinkContext& link, DeviceInfoRecord& record, bool toChip);
// A null record sends 32 zero bytes.
int WriteInfo(LinkContext& link, const DeviceInfoRecord* record, bool toChip);
// Runs outside any operation: clears the cancel flags and the result first.
int ReadBurnConfig(LinkContext& link, BurnConfigRecord& record);
int WriteBurnConfig(LinkContext& link, const BurnConfigRecord& record);
int ReadChecksum(LinkContext& link, uint8_t selector, uint32_t start, uint32_t length, uint32_t& checksum);

// Reads length bytes of an area into destination (which holds length bytes),
// raising progress to 10 + share x scale block by block.
int ReadArea(LinkContext& link, uint8_t selector, uint32_t start, bool toChip, uint32_t length, double scale,
             uint8_t* destination);
// Writes length bytes from source; available is how many bytes can be read
// from source, so that the last block's tail past the area comes from the
// image when it is there and is the fill byte where the image ends.
int WriteArea(LinkContext& link, uint8_t selector, uint32_t start, bool toChip, uint32_t length, int base,
              double scale, const uint8_t* source, uint32_t available);

// The progress value after k acknowledged blocks of a transfer of length bytes.
int TransferProgress(int base, double scale, uint32_t k, uint32_t length);

}  // namespace korvane
