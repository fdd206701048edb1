#include "core/files/ImagePreparation.h"

#include <gtest/gtest.h>

#include "support/TestChip.h"
#include "support/TempDir.h"
#include "core/files/CodeFile.h"

namespace korvane {
namespace {

class PrepareTest : public testing::Test, public test::Installation {
 protected:
  void SetUp() override { ASSERT_TRUE(desc.NewDescription("TCHIP", "PB1", nullptr)); }
};

TEST_F(PrepareTest, BuildsFillCodePatchesOptionsAndItems) {
  ctx.image.bytes.assign(kImageSize, 0x42);  // nothing of an earlier image survives
  ASSERT_TRUE(PrepareImage(desc, false, GetCodeFilePath(desc), true));
  const auto& b = ctx.image.bytes;
  EXPECT_EQ(b[0x01], 0x11);
  EXPECT_EQ(b[0x21], 0x5A);
  EXPECT_EQ(b[0x10003], 0xC3);
  EXPECT_EQ(b[0xEC00], 5) << "item value";
  EXPECT_EQ(b[0xEC01], 0xFF) << "conf area refilled";
  EXPECT_EQ(b[kImageSize - 1], 0xFF);
  EXPECT_EQ(ctx.image.codeLength, 0x200u);
}

TEST_F(PrepareTest, SkippingCodeLeavesTheFillAndTheLastCodeLength) {
  ASSERT_TRUE(PrepareImage(desc, false, GetCodeFilePath(desc), false));
  ASSERT_TRUE(PrepareImage(desc, true, "", false));
  EXPECT_EQ(ctx.image.bytes[0x01], 0xFF);
  EXPECT_EQ(ctx.image.bytes[0x10000], 0xFF);
  EXPECT_EQ(ctx.image.codeLength, 0x200u) << "kept from the last load";
}

TEST_F(PrepareTest, ConfAreaOverlappingCodeIsRefilledBeforeTheItems) {
  ctx.layout.confStart = 0x10;
  ctx.layout.confSize = 0x8;
  ASSERT_TRUE(PrepareImage(desc, false, GetCodeFilePath(desc), false));
  EXPECT_EQ(ctx.image.bytes[0x0F], 0xFF) << "code byte 0xFF";
  EXPECT_EQ(ctx.image.bytes[0x10], 0xFF);
  EXPECT_EQ(ctx.image.bytes[0x17], 0xFF);
  EXPECT_EQ(ctx.image.bytes[0x18], 0x77);
}

TEST_F(PrepareTest, FailuresAreShownWhenAsked) {
  EXPECT_FALSE(PrepareImage(desc, false, dir / "none.hex", false));
  EXPECT_TRUE(box.shown.empty());
  EXPECT_FALSE(PrepareImage(desc, false, dir / "none.hex", true));
  EXPECT_EQ(box.shown.back().text, "Cannot read " + (dir / "none.hex"));
  desc.ClearDescription();
  EXPECT_FALSE(PrepareImage(desc, true, "", true));
  EXPECT_EQ(box.shown.back().text, "Open or create a project first");
  EXPECT_EQ(ctx.image.bytes[0xEC00], 0xFF) << "filled all the same";
}

TEST_F(PrepareTest, ReadBackCopiesBelow64KiBAndDecodes) {
  std::vector<uint8_t> readBack(kReadBackImageSize, 0);
  std::vector<uint8_t> data(0x100, 0x33);
  desc.modified = 0;
  ReadBack(desc, readBack.data(), data.data(), 0x100, 0xFFC0);
  EXPECT_EQ(readBack[0xFFBF], 0);
  EXPECT_EQ(readBack[0xFFC0], 0x33);
  EXPECT_EQ(readBack[0xFFFF], 0x33);
  EXPECT_EQ(desc.modified, 1);
  EXPECT_EQ(desc.checksumDirty, 1);

  // Two reads of different parts: the second decode sees both.
  const uint8_t volt = 9, amps[2] = {0x34, 0x12};
  ReadBack(desc, readBack.data(), &volt, 1, 0xEC00);
  ReadBack(desc, readBack.data(), amps, 2, 0xEC02);
  EXPECT_EQ(FindItem(nullptr, desc.root.get(), "volt")->value, "9");
  EXPECT_EQ(FindItem(nullptr, desc.root.get(), "amps")->value, "4660");

  ReadBack(desc, readBack.data(), data.data(), 0x100, 0x10000);  // wholly beyond: dropped
  desc.ClearDescription();
  ReadBack(desc, readBack.data(), data.data(), 0x10, 0);
  EXPECT_EQ(readBack[0], 0) << "no tree: nothing copied";
}

}  // namespace
}  // namespace korvane
