#pragma once
// The three memory areas as the link speaks of them. The core names them
// AreaKind; the link also numbers them as an index into the per-area
// lengths, as the selector byte of block and checksum requests (whose bits
// also make the burn mask and the area sets of the operation table), as a
// bit of the check mask (which orders them differently, conf first), as the
// area dialog's choice, and as the fields of the information record that
// carry their length and checksum. All of it stands in one table here, and
// every other spelling is converted from it.
#include <cstdint>

#include "core/model/AreaLayout.h"
#include "link/LinkTypes.h"

namespace korvane {

// Index of an area in the per-area lengths (readSize, writeLength).
enum LinkArea { kLinkAreaCode = 0, kLinkAreaConf = 1, kLinkAreaOption = 2 };

// The byte that names an area in block and checksum requests, and its bit in
// the burn mask.
enum AreaSelector : uint8_t { kSelectCode = 1, kSelectConf = 2, kSelectOption = 4 };

// A set of areas, as selector bits.
using AreaSet = uint8_t;
constexpr AreaSet kNoAreas = 0;
constexpr AreaSet kAllAreas = kSelectCode | kSelectConf | kSelectOption;

// The bits of the check mask of a checksum comparison.
enum CheckBit : uint32_t { kCheckConf = 1, kCheckCode = 2, kCheckOption = 4 };

// The area dialog's numbering of its choice.
enum FlashKind : int { kFlashConf = 0, kFlashCode = 1, kFlashOption = 2 };

struct AreaFacts {
  AreaKind area;
  LinkArea index;
  AreaSelector selector;
  CheckBit checkBit;
  FlashKind flashKind;
  DeviceInfoRecord::Field lengthField;
  DeviceInfoRecord::Field checksumField;
};

// In the order a full download sends them and a comparison checks them.
inline constexpr AreaFacts kAreaFacts[] = {
    {AreaKind::Conf, kLinkAreaConf, kSelectConf, kCheckConf, kFlashConf, DeviceInfoRecord::ConfLength,
     DeviceInfoRecord::ConfChecksum},
    {AreaKind::Code, kLinkAreaCode, kSelectCode, kCheckCode, kFlashCode, DeviceInfoRecord::CodeLength,
     DeviceInfoRecord::CodeChecksum},
    {AreaKind::Option, kLinkAreaOption, kSelectOption, kCheckOption, kFlashOption, DeviceInfoRecord::OptionLength,
     DeviceInfoRecord::OptionChecksum},
};

constexpr const AreaFacts& FactsOf(AreaKind area) {
  for (const AreaFacts& facts : kAreaFacts)
    if (facts.area == area) return facts;
  return kAreaFacts[0];
}

constexpr AreaSelector SelectorOf(AreaKind area) { return FactsOf(area).selector; }
constexpr LinkArea LinkAreaOf(AreaKind area) { return FactsOf(area).index; }
constexpr CheckBit CheckBitOf(AreaKind area) { return FactsOf(area).checkBit; }
constexpr FlashKind FlashKindOf(AreaKind area) { return FactsOf(area).flashKind; }

// The area of the dialog's choice; anything but code and option is conf.
constexpr AreaKind AreaOfFlashKind(int flashKind) {
  for (const AreaFacts& facts : kAreaFacts)
    if (facts.flashKind == flashKind) return facts.area;
  return AreaKind::Conf;
}

constexpr bool Contains(AreaSet areas, AreaKind area) { return (areas & SelectorOf(area)) != 0; }

// The first area of the set in table order; conf for an empty set.
constexpr AreaKind FirstArea(AreaSet areas) {
  for (const AreaFacts& facts : kAreaFacts)
    if (areas & facts.selector) return facts.area;
  return AreaKind::Conf;
}

constexpr uint32_t CheckMaskOf(AreaSet areas) {
  uint32_t mask = 0;
  for (const AreaFacts& facts : kAreaFacts)
    if (areas & facts.selector) mask |= facts.checkBit;
  return mask;
}

constexpr AreaSet AreasOfCheckMask(uint32_t mask) {
  AreaSet areas = kNoAreas;
  for (const AreaFacts& facts : kAreaFacts)
    if (mask & facts.checkBit) areas |= facts.selector;
  return areas;
}

// Code is never written, compared as a download or burnt without its option
// bytes: a set with the code area gains the option area.
constexpr AreaSet WithOptionBytes(AreaSet areas) {
  return (areas & kSelectCode) ? static_cast<AreaSet>(areas | kSelectOption) : areas;
}

// The areas of a choice of conf and code, as the download, comparison and
// burn dialogs offer them: code brings its option bytes.
constexpr AreaSet ChosenAreas(bool conf, bool code) {
  return WithOptionBytes(static_cast<AreaSet>((conf ? kSelectConf : 0) | (code ? kSelectCode : 0)));
}

// The burn mask of a choice of code and conf, and back: code counts as
// chosen only when its option bytes burn too.
constexpr uint8_t BurnMask(bool code, bool conf) { return ChosenAreas(conf, code); }
constexpr bool BurnsCode(uint8_t mask) {
  return (mask & WithOptionBytes(kSelectCode)) == WithOptionBytes(kSelectCode);
}
constexpr bool BurnsConf(uint8_t mask) { return (mask & kSelectConf) != 0; }

}  // namespace korvane
