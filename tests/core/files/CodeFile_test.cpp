#include "core/files/CodeFile.h"

#include <gtest/gtest.h>

#include "support/TestChip.h"
#include "support/TempDir.h"

namespace korvane {
namespace {
using test::Installation;

class CodeFileTest : public testing::Test, public Installation {};

TEST_F(CodeFileTest, PathIsEmptyWithoutADescription) { EXPECT_EQ(GetCodeFilePath(desc), ""); }

TEST_F(CodeFileTest, PathPrefersTheProjectsOwnFileOverTheInstalledOne) {
  ASSERT_TRUE(desc.NewDescription("TCHIP", "PB1", nullptr));
  EXPECT_EQ(GetCodeFilePath(desc), Chips() + "TCHIP.hex");

  const std::string project = dir / "work/a.xml";
  test::WriteText(project, test::kTestChipXml);
  ASSERT_TRUE(desc.OpenDescription(project, nullptr));
  EXPECT_EQ(GetCodeFilePath(desc), Chips() + "TCHIP.hex") << "no a.hex yet";
  test::WriteText(dir / "work/a.hex", "");
  EXPECT_EQ(GetCodeFilePath(desc), dir / "work/a.hex");
}

TEST_F(CodeFileTest, CopyBesideNeverOverwrites) {
  ASSERT_TRUE(desc.NewDescription("TCHIP", "PB1", nullptr));
  EXPECT_FALSE(CopyCodeFileBeside(desc, dir / "p/new.xml")) << "no such folder yet";
  std::filesystem::create_directories(dir / "p");
  EXPECT_TRUE(CopyCodeFileBeside(desc, dir / "p/new.xml"));
  EXPECT_EQ(test::ReadText(dir / "p/new.hex"), test::kTestChipHex);
  test::WriteText(dir / "p/keep.hex", "mine");
  EXPECT_TRUE(CopyCodeFileBeside(desc, dir / "p/keep.xml"));
  EXPECT_EQ(test::ReadText(dir / "p/keep.hex"), "mine");
}

TEST_F(CodeFileTest, LoadSetsLengthsAndAppliesPatchesAndComplements) {
  ASSERT_TRUE(desc.NewDescription("TCHIP", "PB1", nullptr));
  ASSERT_TRUE(LoadCodeFile(ctx, Chips() + "TCHIP.hex", true));
  const auto& b = ctx.image.bytes;
  EXPECT_EQ(ctx.image.codeLength, 0x200u);  // 0x20 bytes of data, whole pages
  EXPECT_EQ(ctx.image.optionLength, 8u);    // up to the last option byte written
  EXPECT_EQ(b[0x01], 0x11);
  EXPECT_EQ(b[0x1F], 0x00);
  EXPECT_EQ(b[0x20], 0xAF) << "20(4:7)=A over 0xFF";
  EXPECT_EQ(b[0x21], 0x5A);
  EXPECT_EQ(b[0x40], 0xFF);
  // Option words: bytes 2 and 3 complement bytes 0 and 1.
  EXPECT_EQ(b[0x10002], 0xA5);
  EXPECT_EQ(b[0x10003], 0xC3);
  EXPECT_EQ(b[0x10006], 0xFE);
  EXPECT_EQ(b[0x10007], 0xFD);
  EXPECT_TRUE(box.shown.empty());
}

TEST_F(CodeFileTest, FailuresAreShownOnlyWithNotify) {
  ASSERT_TRUE(desc.NewDescription("TCHIP", "PB1", nullptr));
  EXPECT_FALSE(LoadCodeFile(ctx, dir / "missing.hex", false));
  EXPECT_TRUE(box.shown.empty());
  EXPECT_FALSE(LoadCodeFile(ctx, dir / "missing.hex", true));
  ASSERT_EQ(box.shown.size(), 1u);
  EXPECT_EQ(box.shown[0].text, "Cannot read " + (dir / "missing.hex"));
  EXPECT_EQ(box.shown[0].type, unsigned{MB_OK | MB_ICONERROR});

  EXPECT_FALSE(LoadCodeFile(ctx, dir.Path(), true)) << "a folder is not a code file";

  const std::string big = dir / "big.hex";
  test::WriteText(big, std::string(kMaxCodeFileSize + 1, '\n'));
  EXPECT_FALSE(LoadCodeFile(ctx, big, true));
  EXPECT_EQ(box.shown.back().text, "Too long: " + big);
  test::WriteText(big, std::string(kMaxCodeFileSize, '\n'));
  EXPECT_TRUE(LoadCodeFile(ctx, big, true)) << "exactly the limit is read";
}

}  // namespace
}  // namespace korvane
