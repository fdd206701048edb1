#include "core/model/AreaImage.h"

#include <sys/mman.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>

#include "core/model/ConfigItem.h"

namespace korvane {

std::vector<DefaultPatch> ParseDefaultValues(const std::string& text) {
  std::vector<DefaultPatch> patches;
  size_t pos = 0;
  while (pos <= text.size()) {
    size_t comma = text.find(',', pos);
    if (comma == std::string::npos) comma = text.size();
    const std::string entry = text.substr(pos, comma - pos);
    pos = comma + 1;
    if (entry.empty()) continue;
    DefaultPatch p;
    unsigned addr = 0, value = 0;
    int sbit = -1, ebit = -1;
    int filled;
    if (entry.find('(') != std::string::npos) {
      filled = std::sscanf(entry.c_str(), "%X(%d:%d)=%X", &addr, &sbit, &ebit, &value);
      if (filled >= 1) p.addr = static_cast<int32_t>(addr);
      if (filled >= 2) p.sbit = sbit;
      if (filled >= 3) p.ebit = ebit;
      if (filled >= 4) p.value = static_cast<int32_t>(value);
    } else {
      filled = std::sscanf(entry.c_str(), "%X=%X", &addr, &value);
      if (filled >= 1) p.addr = static_cast<int32_t>(addr);
      if (filled >= 2) p.value = static_cast<int32_t>(value);
    }
    patches.push_back(p);
  }
  return patches;
}

std::vector<uint8_t> MakeImageBytes(size_t size) {
  std::vector<uint8_t> bytes;
  bytes.reserve(size);
#ifdef MADV_POPULATE_WRITE
  // One call maps every page of a fresh large buffer, instead of a page fault
  // for each of its pages on first touch. Only whole pages inside the buffer;
  // a system without the call leaves the faults to happen as usual.
  const uintptr_t page = 4096;
  const uintptr_t begin = (reinterpret_cast<uintptr_t>(bytes.data()) + page - 1) & ~(page - 1);
  const uintptr_t end = (reinterpret_cast<uintptr_t>(bytes.data()) + size) & ~(page - 1);
  if (size >= (uintptr_t{1} << 20) && end > begin)
    (void)::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_POPULATE_WRITE);
#endif
  bytes.resize(size, 0);
  return bytes;
}

bool FieldInside(int64_t addr, uint32_t size, uint32_t limit) {
  return addr >= 0 && addr + static_cast<int64_t>(size) <= static_cast<int64_t>(limit);
}

BitSpan FieldBitSpan(int32_t sbit, int32_t ebit) {
  if (sbit == -1 || ebit == -1 || sbit > ebit) return {};
  const int64_t low = std::max<int64_t>(sbit, 0);
  const int64_t high = std::min<int64_t>(ebit, 31);
  if (low > high) return {};
  return {static_cast<int32_t>(low), static_cast<int32_t>(high - low + 1)};
}

uint32_t BitMask(int32_t sbit, int32_t ebit) { return FieldBitSpan(sbit, ebit).Mask(); }

namespace {

uint32_t LoadWord(const uint8_t* p, uint32_t size) {
  uint32_t w = 0;
  for (uint32_t i = 0; i < size; ++i) w |= static_cast<uint32_t>(p[i]) << (8 * i);
  return w;
}

void StoreWord(uint8_t* p, uint32_t size, uint32_t w) {
  for (uint32_t i = 0; i < size; ++i) p[i] = static_cast<uint8_t>(w >> (8 * i));
}

bool HasField(const ConfigItem& item, uint32_t limit) {
  return (item.size == 1 || item.size == 2 || item.size == 4) && FieldInside(item.addr, item.size, limit);
}

}  // namespace

uint32_t ReadField(const ConfigItem& item, const uint8_t* image, uint32_t limit) {
  if (!image || !HasField(item, limit)) return 0;
  const uint32_t word = LoadWord(image + item.addr, item.size);
  const BitSpan bits = FieldBitSpan(item.sbit, item.ebit);
  return (word >> bits.shift) & bits.Mask();
}

void WriteField(const ConfigItem& item, uint32_t value, uint8_t* image, uint32_t limit) {
  if (!image || !HasField(item, limit)) return;
  uint8_t* p = image + item.addr;
  const BitSpan bits = FieldBitSpan(item.sbit, item.ebit);
  const uint32_t mask = bits.Mask() << bits.shift;
  const uint32_t word = (LoadWord(p, item.size) & ~mask) | ((value << bits.shift) & mask);
  StoreWord(p, item.size, word);
}

void ApplyDefaultValues(AreaImage& image, const AreaLayout& layout) {
  image.patches = ParseDefaultValues(layout.defaultValues);
  for (const DefaultPatch& p : image.patches) {
    if (p.addr == -1 || static_cast<uint32_t>(p.addr) >= kImageSize || static_cast<uint32_t>(p.addr) >= image.bytes.size())
      continue;
    uint8_t& byte = image.bytes[static_cast<uint32_t>(p.addr)];
    if (p.sbit == -1 || p.ebit == -1) {
      byte = static_cast<uint8_t>(p.value);
    } else if (p.sbit <= p.ebit) {  // a reversed range names no bits and changes nothing
      const BitSpan bits = FieldBitSpan(p.sbit, p.ebit);
      const uint32_t mask = bits.Mask() << bits.shift;
      byte = static_cast<uint8_t>((byte & ~mask) | ((static_cast<uint32_t>(p.value) << bits.shift) & mask));
    }
  }
}

void ComplementOptionBytes(AreaImage& image, const AreaLayout& layout) {
  const uint64_t end = image.bytes.size();
  // Each byte is guarded on its own: a word cut by the end of the image
  // still gets the complement that fits.
  for (uint64_t off = 0; off < image.optionLength; off += 4) {
    const uint64_t at = uint64_t{layout.optionStart} + off;
    if (at + 2 >= end) break;
    image.bytes[at + 2] = static_cast<uint8_t>(~image.bytes[at]);
    if (at + 3 < end) image.bytes[at + 3] = static_cast<uint8_t>(~image.bytes[at + 1]);
  }
}

}  // namespace korvane
