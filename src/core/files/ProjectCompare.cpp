#include "core/files/ProjectCompare.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>

#include "core/eval/ItemBehaviours.h"
#include "core/files/ImagePreparation.h"
#include "core/model/ChipDescription.h"
#include "core/model/CoreContext.h"
#include "core/text/TextFormat.h"

namespace korvane {

namespace {

// The image of the project's items as a download of the conf area prepares it.
bool PrepareItems(ChipDescription& desc) { return PrepareImage(desc, true, std::string(), false); }

void CollectValueItems(const ConfigItem& item, std::vector<const ConfigItem*>& out) {
  if (item.IsValueItem()) out.push_back(&item);
  for (const auto& child : item.children) CollectValueItems(*child, out);
}

bool SameField(const ConfigItem& a, const ConfigItem& b) {
  return a.name == b.name && a.addr == b.addr && a.size == b.size && a.sbit == b.sbit && a.ebit == b.ebit &&
         (a.edit != 0) == (b.edit != 0) && (a.list != 0) == (b.list != 0) && (a.ulist != 0) == (b.ulist != 0) &&
         a.children.size() == b.children.size();
}

bool SameAreas(const AreaLayout& a, const AreaLayout& b) {
  return a.fill == b.fill && a.codeStart == b.codeStart && a.codeSize == b.codeSize && a.confStart == b.confStart &&
         a.confSize == b.confSize && a.optionStart == b.optionStart && a.optionSize == b.optionSize;
}

}  // namespace

std::optional<ConfigComparison> CompareWithDevice(ChipDescription& desc, const uint8_t* data, uint32_t size,
                                                  uint32_t address) {
  if (!desc.HasTree() || !PrepareItems(desc)) return std::nullopt;
  CoreContext& ctx = desc.Context();
  // The device's bytes in an image of their own, where the fields find them.
  std::vector<uint8_t> device(kImageSize, ctx.layout.fill);
  const uint32_t start = std::min(address, kImageSize);
  const uint32_t n = data ? std::min(size, kImageSize - start) : 0;
  if (n) std::memcpy(device.data() + start, data, n);
  const ComparedImages images{ctx.image.bytes.data(), device.data(), kImageSize, start, n};
  return CompareConfig(*desc.root, images,
                       [&ctx](const ConfigItem& item, uint32_t raw) { return RawValueText(item, raw, ctx); });
}

std::string LayoutMismatch(const ChipDescription& a, const ChipDescription& b) {
  if (!a.HasTree() || !b.HasTree()) return "no item tree is loaded";
  const CoreContext &ca = a.Context(), &cb = b.Context();
  if (ca.chipKind.chipType != cb.chipKind.chipType || ca.chipKind.funcType != cb.chipKind.funcType)
    return StrFormat("chip type 0x%X, function type 0x%X against chip type 0x%X, function type 0x%X",
                     ca.chipKind.chipType, ca.chipKind.funcType, cb.chipKind.chipType, cb.chipKind.funcType);
  if (!SameAreas(ca.layout, cb.layout)) return "the code, conf or option areas lie differently";
  std::vector<const ConfigItem*> itemsA, itemsB;
  CollectValueItems(*a.root, itemsA);
  CollectValueItems(*b.root, itemsB);
  for (size_t i = 0; i < std::min(itemsA.size(), itemsB.size()); ++i)
    if (!SameField(*itemsA[i], *itemsB[i]))
      return itemsA[i]->name == itemsB[i]->name ? "the items differ, first at '" + itemsA[i]->name + "'"
                                                : "the items differ, first at '" + itemsA[i]->name + "' against '" +
                                                      itemsB[i]->name + "'";
  if (itemsA.size() != itemsB.size())
    return StrFormat("one has %zu value items, the other %zu", itemsA.size(), itemsB.size());
  return std::string();
}

ConfigComparison CompareProjects(ChipDescription& a, ChipDescription& b) {
  if (!a.HasTree() || !b.HasTree() || !PrepareItems(a)) return {};
  // The two may share one context, whose image the second preparation reuses.
  const std::vector<uint8_t> imageA = a.Context().image.bytes;
  if (!PrepareItems(b)) return {};
  const ComparedImages images{imageA.data(), b.Context().image.bytes.data(), kImageSize, 0, kImageSize};
  // Same layout: the value items pair up in tree order.
  std::vector<const ConfigItem*> itemsA, itemsB;
  CollectValueItems(*a.root, itemsA);
  CollectValueItems(*b.root, itemsB);
  std::unordered_map<const ConfigItem*, const ConfigItem*> counterpart;
  for (size_t i = 0; i < std::min(itemsA.size(), itemsB.size()); ++i) counterpart[itemsA[i]] = itemsB[i];
  return CompareConfig(*a.root, images, [&counterpart](const ConfigItem& item, uint32_t) {
    auto it = counterpart.find(&item);
    return it == counterpart.end() ? std::string() : ItemValueText(*it->second);
  });
}

}  // namespace korvane
