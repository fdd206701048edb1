#pragma once
// Where the loaded chip keeps its three areas, and what kind of chip it is.
#include <cstdint>
#include <string>

namespace korvane {

enum class AreaKind { Code, Conf, Option };

// Bytes in the image of the chip's whole address space. Only the fuzzing
// build makes it smaller (KORVANE_IMAGE_SIZE), so that every run prepares its
// images quickly; every bound in the program follows this constant.
#ifndef KORVANE_IMAGE_SIZE
#define KORVANE_IMAGE_SIZE 0x500000
#endif
constexpr uint32_t kImageSize = KORVANE_IMAGE_SIZE;

struct AreaLayout {
  uint8_t fill = 0;
  uint32_t codeStart = 0;
  uint32_t codeSize = 0;
  uint32_t confStart = 0;
  uint32_t confSize = 0;
  uint32_t optionStart = 0;
  uint32_t optionSize = 0;
  std::string defaultValues;

  uint32_t Start(AreaKind k) const {
    return k == AreaKind::Code ? codeStart : k == AreaKind::Conf ? confStart : optionStart;
  }
  uint32_t Size(AreaKind k) const { return k == AreaKind::Code ? codeSize : k == AreaKind::Conf ? confSize : optionSize; }
};

struct ChipKind {
  uint32_t chipType = 0;
  uint32_t funcType = 0;
};

// An area given by its start and its inclusive end, as a description writes
// it, clamped to the image: a start beyond the image or an end below the start
// gives an empty area, and no area reaches past the image's last byte.
void ClampArea(int64_t start, int64_t end, uint32_t& outStart, uint32_t& outSize);

}  // namespace korvane
