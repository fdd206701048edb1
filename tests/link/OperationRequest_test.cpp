#include "link/OperationRequest.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "link/OperationKind.h"

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
