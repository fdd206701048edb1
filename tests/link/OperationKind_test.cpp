#include "link/OperationKind.h"

#include <gtest/gtest.h>

namespace korvane {
namespace {

// The kinds the commands start, found by what they are for.
TEST(OperationKind, TheCommandsFindTheirKinds) {
  const struct {
    OpDirection direction;
    TargetKind target;
    AreaSet areas;
    int kind;
  } cases[] = {
      {OpDirection::ReadConfig, TargetKind::Tool, kSelectConf, kOpReadToolConfig},
      {OpDirection::ReadConfig, TargetKind::Chip, kSelectConf, kOpReadChipConfig},
      {OpDirection::Download, TargetKind::Tool, ChosenAreas(true, true), kOpWriteToolCode},
      {OpDirection::Download, TargetKind::Chip, ChosenAreas(true, false), kOpWriteChipConfig},
      {OpDirection::Download, TargetKind::Tool, ChosenAreas(false, true), kOpWriteToolCodeFlash},
      {OpDirection::ReadArea, TargetKind::Tool, kSelectConf, kOpReadToolConfFlash},
      {OpDirection::ReadArea, TargetKind::Chip, kSelectCode, kOpReadChipCodeFlash},
      {OpDirection::ReadArea, TargetKind::Tool, kSelectOption, kOpReadToolOptionFlash},
      {OpDirection::WriteArea, TargetKind::Chip, kSelectConf, kOpWriteChipConfFlash},
      {OpDirection::WriteArea, TargetKind::Tool, WithOptionBytes(kSelectCode), kOpWriteToolCodeFlash},
      {OpDirection::WriteArea, TargetKind::Chip, kSelectOption, kOpWriteChipOptionFlash},
      {OpDirection::ReadInfo, TargetKind::Chip, kNoAreas, kOpReadChipInfo},
      {OpDirection::WriteArea, TargetKind::Tool, kSelectCode, 0},  // code never goes alone
      {OpDirection::Download, TargetKind::Tool, kNoAreas, 0},
  };
  for (const auto& c : cases) EXPECT_EQ(FindOperation(c.direction, c.target, c.areas), c.kind) << c.kind;
}

TEST(OperationKind, KeysTargetsAndWritesOfTheTable) {
  EXPECT_STREQ(OperationKey(kOpReadChipInfo), "COMMAND_READ_CHIP_INFO_REQ");
  for (int unknown : {0, 25, -1}) EXPECT_STREQ(OperationKey(unknown), "COMMAND_UNKNOWN_REQ");
  std::vector<int> chip, writes, toolWrites;
  for (int kind = 0; kind <= 25; ++kind) {
    if (IsChipOperation(kind)) chip.push_back(kind);
    if (IsWriteOperation(kind)) writes.push_back(kind);
    if (IsToolWriteOperation(kind)) toolWrites.push_back(kind);
  }
  EXPECT_EQ(chip, (std::vector<int>{4, 5, 6, 9, 11, 13, 15, 17, 19, 24}));
  EXPECT_EQ(writes, (std::vector<int>{2, 3, 5, 6, 10, 11, 14, 15, 18, 19}));
  EXPECT_EQ(toolWrites, (std::vector<int>{2, 3, 10, 14, 18}));
}

// The spellings of the areas: the selector and burn mask order code, conf,
// option; the check mask orders conf, code, option.
TEST(LinkArea, MasksConvertAndCodeBringsItsOptionBytes) {
  EXPECT_EQ(CheckMaskOf(ChosenAreas(true, true)), 7u);
  EXPECT_EQ(CheckMaskOf(ChosenAreas(true, false)), 1u);
  EXPECT_EQ(CheckMaskOf(ChosenAreas(false, true)), 6u);
  for (uint32_t mask = 0; mask < 8; ++mask) EXPECT_EQ(CheckMaskOf(AreasOfCheckMask(mask)), mask);
  EXPECT_EQ(BurnMask(true, false), 5);
  EXPECT_EQ(BurnMask(false, true), 2);
  EXPECT_TRUE(BurnsCode(7));
  EXPECT_FALSE(BurnsCode(1)) << "code without its option bytes is not offered as burning";
  EXPECT_TRUE(BurnsConf(2));
  for (int flash = kFlashConf; flash <= kFlashOption; ++flash) EXPECT_EQ(FlashKindOf(AreaOfFlashKind(flash)), flash);
  EXPECT_EQ(CheckBitOf(AreaOfFlashKind(kFlashOption)), kCheckOption);
}

}  // namespace
}  // namespace korvane
