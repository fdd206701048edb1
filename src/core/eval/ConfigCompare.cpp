#include "core/eval/ConfigCompare.h"

#include <algorithm>

#include "core/eval/ItemBehaviours.h"
#include "core/model/AreaImage.h"
#include "core/model/ConfigItem.h"

namespace korvane {

namespace {

struct Walk {
  const ComparedImages& images;
  const OtherValueText& otherText;
  std::vector<uint8_t> owned;  // per byte of the stretch, the bits some field covers
  ConfigComparison result;
};

bool HasWord(const ConfigItem& item) { return item.size == 1 || item.size == 2 || item.size == 4; }

// The field lies wholly inside the compared stretch (and so inside both images).
bool FieldInStretch(const ConfigItem& item, const ComparedImages& images) {
  if (!HasWord(item) || item.addr < 0) return false;
  const int64_t first = item.addr, end = first + item.size;
  return first >= images.start && end <= int64_t{images.start} + images.size && end <= images.limit;
}

// The bits of the item's little-endian word that its field uses.
uint32_t FieldWordMask(const ConfigItem& item) {
  const uint32_t word = item.size == 4 ? 0xFFFFFFFFu : (1u << (8 * item.size)) - 1;
  if (!item.HasValidBitRange()) return word;
  if (item.sbit >= 32) return 0;
  return (BitMask(item.sbit, item.ebit) << item.sbit) & word;
}

void MarkOwned(const ConfigItem& item, Walk& walk) {
  const uint32_t mask = FieldWordMask(item);
  const uint32_t offset = static_cast<uint32_t>(item.addr) - walk.images.start;
  for (uint32_t i = 0; i < item.size; ++i) walk.owned[offset + i] |= static_cast<uint8_t>(mask >> (8 * i));
}

void CompareItem(const ConfigItem& item, Walk& walk) {
  if (!item.IsValueItem() || !FieldInStretch(item, walk.images)) return;
  MarkOwned(item, walk);
  const uint32_t mine = ReadField(item, walk.images.project, walk.images.limit);
  const uint32_t theirs = ReadField(item, walk.images.other, walk.images.limit);
  if (mine != theirs) walk.result.items.push_back({&item, ItemValueText(item), walk.otherText(item, theirs)});
}

// Tree order, as a read-back decodes: a ulist's items are those of its
// selected option.
void WalkItems(const ConfigItem& item, Walk& walk) {
  CompareItem(item, walk);
  if (item.ulist) {
    if (const ConfigItem* option = item.Child(item.index))
      for (const auto& child : option->children) WalkItems(*child, walk);
    return;
  }
  for (const auto& child : item.children) WalkItems(*child, walk);
}

void CollectUnowned(Walk& walk) {
  const ComparedImages& im = walk.images;
  const uint64_t end = std::min<uint64_t>(uint64_t{im.start} + im.size, im.limit);
  bool open = false;
  for (uint64_t a = im.start; a < end; ++a) {
    const uint8_t differs = static_cast<uint8_t>((im.project[a] ^ im.other[a]) & ~walk.owned[a - im.start]);
    if (differs && !open) walk.result.unowned.push_back({static_cast<uint32_t>(a), static_cast<uint32_t>(a)});
    if (differs) walk.result.unowned.back().last = static_cast<uint32_t>(a);
    open = differs != 0;
  }
}

}  // namespace

ConfigComparison CompareConfig(const ConfigItem& root, const ComparedImages& images, const OtherValueText& otherText) {
  Walk walk{images, otherText, std::vector<uint8_t>(images.size, 0), {}};
  if (!images.project || !images.other || images.start >= images.limit) return {};
  WalkItems(root, walk);
  CollectUnowned(walk);
  return std::move(walk.result);
}

}  // namespace korvane
