#pragma once
// Which settings differ between the project's encoded items and another
// image of the same chip (the bytes a device holds, another project's
// items): item by item, by the bits each item's field holds, so that two
// spellings of one value never count as a difference and a changed bit never
// goes unnoticed. Bytes that differ where no item has a field are reported as
// address ranges. Nothing here changes an item.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace korvane {

struct ConfigItem;

// Two images of the whole address space (byte n holds address n), and the
// stretch of them that is compared: fields lying wholly inside it, and its
// bytes.
struct ComparedImages {
  const uint8_t* project = nullptr;
  const uint8_t* other = nullptr;
  uint32_t limit = 0;  // bytes in each image
  uint32_t start = 0;
  uint32_t size = 0;
};

struct ItemDifference {
  const ConfigItem* item = nullptr;
  std::string projectText;  // the item's value as the user reads it
  std::string otherText;    // the other side's value of the item
};

// Inclusive addresses.
struct ByteRange {
  uint32_t first = 0;
  uint32_t last = 0;
};

struct ConfigComparison {
  std::vector<ItemDifference> items;  // in tree order
  std::vector<ByteRange> unowned;     // differing bytes no field covers, in address order
  bool Differs() const { return !items.empty() || !unowned.empty(); }
};

// The other side's text for item, whose field holds raw there.
using OtherValueText = std::function<std::string(const ConfigItem& item, uint32_t raw)>;

// Walks root's value items as a read-back decodes them (a ulist only into its
// selected option's items): an item differs when its field's bits differ.
// The project's image must hold root's items encoded.
ConfigComparison CompareConfig(const ConfigItem& root, const ComparedImages& images, const OtherValueText& otherText);

}  // namespace korvane
