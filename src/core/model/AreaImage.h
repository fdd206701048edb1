#pragma once
// The image of the chip's address space, item fields inside images, the
// description's fixed patches and the option complement rule.
#include <cstdint>
#include <string>
#include <vector>

#include "core/model/AreaLayout.h"

namespace korvane {

struct ConfigItem;

// One entry of defaultValues; -1 where the entry gave nothing.
struct DefaultPatch {
  int32_t addr = -1;
  int32_t sbit = -1;
  int32_t ebit = -1;
  int32_t value = -1;
};

// "ADDR=VALUE" or "ADDR(SBIT:EBIT)=VALUE" entries separated by ","; empty
// entries are skipped.
std::vector<DefaultPatch> ParseDefaultValues(const std::string& text);

// size zero bytes for an image. A large image has its pages mapped in one
// step where the system offers it, so that first touching 5 MiB costs no
// page fault for each of its 1280 pages.
std::vector<uint8_t> MakeImageBytes(size_t size);

struct AreaImage {
  std::vector<uint8_t> bytes = MakeImageBytes(kImageSize);  // byte n holds chip address n
  uint32_t limit = kImageSize;
  uint32_t codeLength = 0;    // code length of the last code-file load, a multiple of 512
  uint32_t optionLength = 0;  // option bytes of the last code-file load
  std::vector<DefaultPatch> patches;
};

// Reads the item's field from an image of limit bytes: the size-byte
// little-endian word at addr, shifted and masked by a valid bit range. A field
// of another size, or one not wholly inside the image, reads as 0.
uint32_t ReadField(const ConfigItem& item, const uint8_t* image, uint32_t limit);

// Writes value into the item's field; bits outside a valid range keep their
// contents. Fields of another size, or not wholly inside the image, are not written.
void WriteField(const ConfigItem& item, uint32_t value, uint8_t* image, uint32_t limit);

// True when a size-byte field at addr lies wholly inside an image of limit bytes.
bool FieldInside(int64_t addr, uint32_t size, uint32_t limit);

// The bits of the 32-bit word that a field's range covers: the value sits at
// bit `shift` and is `width` bits wide (1..32). The range is clipped to bits
// 0..31, its width worked out in 64 bits, so no pair of 32-bit bit numbers
// can overflow it. A range that is not valid (a bound missing, or sbit above
// ebit), or that names no bit of the word at all, stands for the whole word.
// Encoder, decoder and the grid's input range all go by this one rule.
struct BitSpan {
  int32_t shift = 0;
  int32_t width = 32;
  uint32_t Mask() const { return width >= 32 ? 0xFFFFFFFFu : (1u << width) - 1; }
};
BitSpan FieldBitSpan(int32_t sbit, int32_t ebit);

// Mask of bits sbit..ebit counted from bit 0 (the mask of FieldBitSpan).
uint32_t BitMask(int32_t sbit, int32_t ebit);

// Rebuilds image.patches from layout.defaultValues and applies them.
void ApplyDefaultValues(AreaImage& image, const AreaLayout& layout);

// Bytes 2 and 3 of every option word become the complements of bytes 0 and 1,
// for each word below optionLength (inside the image only).
void ComplementOptionBytes(AreaImage& image, const AreaLayout& layout);

}  // namespace korvane
