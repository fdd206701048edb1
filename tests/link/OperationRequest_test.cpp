#include "link/OperationRequest.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "core/files/CodeFile.h"
#include "link/OperationKind.h"
#include "support/TestChip.h"

namespace korvane {
namespace {

// Raw bytes for one area land at the area's start, never more than the area
// holds and never past the image; everything else is blank.
TEST(OperationRequest, PlacedBytesKeepToTheAreaAndTheImage) {
  AreaLayout layout;
  layout.confStart = 0x8000;
  layout.confSize = 0x200;
  layout.optionStart = kImageSize - 0x10;  // an option area the loader would have clamped
  layout.optionSize = 0x100;
  const struct {
    AreaKind area;
    int64_t available;
    uint32_t placed;
  } cases[] = {
      {AreaKind::Conf, 0x100, 0x100},
      {AreaKind::Conf, 3000, 0x200},
      {AreaKind::Conf, 0, 0},
      {AreaKind::Conf, -1, 0},
      {AreaKind::Option, 0x100, 0x10},
  };
  for (const auto& c : cases) {
    OperationRequest request = AreaWriteRequest(TargetKind::Tool, c.area);
    uint32_t asked = 0;
    const uint32_t n = PlaceAreaBytes(request, layout, c.area, c.available, [&](uint8_t* destination, uint32_t count) {
      asked += count;
      std::fill(destination, destination + count, 0x5A);
      return count;
    });
    EXPECT_EQ(n, c.placed) << c.available;
    EXPECT_EQ(asked, c.placed);
    EXPECT_EQ(request.writeLength[LinkAreaOf(c.area)], c.placed);
    ASSERT_EQ(request.image.size(), kImageSize);
    EXPECT_EQ(std::count(request.image.begin(), request.image.end(), 0x5A), static_cast<long>(c.placed));
    EXPECT_EQ(std::count(request.image.begin(), request.image.end(), kBlankByte),
              static_cast<long>(kImageSize - c.placed));
  }
}

// A write of the code area also writes and burns the option area: the
// option bytes that go with it are the project's, never blank ones, and
// without a project nothing is to start.
TEST(OperationRequest, CodeGoesOutWithTheProjectsOptionBytes) {
  test::Installation chip;
  auto windowBytes = [](OperationRequest& request, const AreaLayout& layout, AreaKind area) {
    PlaceAreaBytes(request, layout, area, 0x40, [](uint8_t* destination, uint32_t count) {
      std::fill(destination, destination + count, 0x5A);
      return count;
    });
  };

  // No description: refused with its own message, before anything else.
  OperationRequest refused = AreaWriteRequest(TargetKind::Tool, AreaKind::Code);
  windowBytes(refused, chip.ctx.layout, AreaKind::Code);
  EXPECT_FALSE(AddProjectOptionBytes(refused, chip.desc));
  ASSERT_EQ(chip.box.shown.size(), 1u);
  EXPECT_EQ(chip.box.shown[0].text, "Code goes with the project's option bytes");
  EXPECT_EQ(refused.writeLength[kLinkAreaOption], 0u);

  ASSERT_TRUE(chip.desc.NewDescription("TCHIP", "PB1", nullptr));
  const AreaLayout& layout = chip.ctx.layout;
  OperationRequest request = AreaWriteRequest(TargetKind::Chip, AreaKind::Code);
  windowBytes(request, layout, AreaKind::Code);
  ASSERT_TRUE(AddProjectOptionBytes(request, chip.desc));
  EXPECT_EQ(request.codePath, GetCodeFilePath(chip.desc));
  EXPECT_EQ(request.writeLength[kLinkAreaCode], 0x40u) << "the window's code stays as it was";
  EXPECT_EQ(request.image[0x3F], 0x5A);
  EXPECT_EQ(request.writeLength[kLinkAreaOption], layout.optionSize);
  // The code file's option words, completed with their complements; the rest of the area as prepared.
  const std::vector<uint8_t> option(request.image.begin() + layout.optionStart,
                                    request.image.begin() + layout.optionStart + layout.optionSize);
  EXPECT_EQ(std::vector<uint8_t>(option.begin(), option.begin() + 8),
            (std::vector<uint8_t>{0x5A, 0x3C, 0xA5, 0xC3, 0x01, 0x02, 0xFE, 0xFD}));
  EXPECT_TRUE(std::equal(option.begin(), option.end(), chip.ctx.image.bytes.begin() + layout.optionStart));

  // The other areas go out as placed, and a missing code file stops the code.
  for (AreaKind area : {AreaKind::Conf, AreaKind::Option}) {
    OperationRequest other = AreaWriteRequest(TargetKind::Tool, area);
    windowBytes(other, layout, area);
    const OperationRequest before = other;
    EXPECT_TRUE(AddProjectOptionBytes(other, chip.desc));
    EXPECT_EQ(other.image, before.image);
    EXPECT_EQ(other.writeLength[kLinkAreaOption], before.writeLength[kLinkAreaOption]);
  }
  OperationRequest missing = AreaWriteRequest(TargetKind::Tool, AreaKind::Code);
  missing.codePath = chip.Chips() + "none.hex";
  windowBytes(missing, layout, AreaKind::Code);
  EXPECT_FALSE(AddProjectOptionBytes(missing, chip.desc));
  EXPECT_EQ(chip.box.shown.back().text, "Cannot read " + missing.codePath);
}

TEST(OperationRequest, TheCommandsRequestsNameTheirKindsAndAreas) {
  EXPECT_EQ(AreaWriteRequest(TargetKind::Chip, AreaKind::Code).kind, kOpWriteChipCodeFlash);
  EXPECT_EQ(AreaWriteRequest(TargetKind::Chip, AreaKind::Code).Areas(), kSelectCode | kSelectOption);
  EXPECT_EQ(AreaReadRequest(TargetKind::Tool, AreaKind::Option).kind, kOpReadToolOptionFlash);
  EXPECT_EQ(AreaReadRequest(TargetKind::Tool, AreaKind::Option).selection, static_cast<uint32_t>(kFlashOption));
  EXPECT_EQ(AreaCompareRequest(AreaKind::Option).checkMask, 4u);
  EXPECT_EQ(ChecksumRequest({false, true, ""}).Areas(), kSelectCode | kSelectOption);
  EXPECT_EQ(DownloadRequest({TargetKind::Chip, true, false, "x.hex"}).kind, kOpWriteChipConfig);
  EXPECT_EQ(DownloadRequest({TargetKind::Chip, true, false, "x.hex"}).codePath, "x.hex");
  BurnConfigRecord burn;
  burn.bytes[0] = 5;
  EXPECT_EQ(BurnConfigRequest(burn).burnConfig.bytes[0], 5);
  EXPECT_EQ(DeviceInfoRequest(TargetKind::Chip).kind, kOpReadChipInfo);
}

}  // namespace
}  // namespace korvane
