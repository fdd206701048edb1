#include "core/files/PcChecksums.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include "FilesTestUtil.h"
#include "support/TestChip.h"
#include "support/TempDir.h"
#include "core/files/CodeFile.h"
#include "core/text/TextFormat.h"

namespace korvane {
namespace {

struct CountingView : IChecksumView {
  bool bar = true;
  int refreshes = 0;
  std::string barText = "old";
  std::vector<std::string> cells = std::vector<std::string>(kChecksumRows);
  bool HasChecksumBar() const override { return bar; }
  void SetChecksumBar(const std::string& text) override { barText = text; }
  void ClearPcColumn() override {
    ++refreshes;
    cells.assign(kChecksumRows, "");
  }
  void SetPcCell(int row, const std::string& text) override { cells.at(static_cast<size_t>(row)) = text; }
};

class ChecksumTest : public testing::Test, public test::Installation {
 protected:
  CountingView view;
  void SetUp() override { ASSERT_TRUE(desc.NewDescription("TCHIP", "PB1", nullptr)); }
};

TEST_F(ChecksumTest, CodeChecksumCoversTheRoundedCodeLength) {
  test::WriteText(Chips() + "TCHIP.hex", ":1000000000112233445566778899AABBCCDDEEFFF8\r\n:00000001FF\r\n");
  RefreshChecksums(desc, GetCodeFilePath(desc), view);
  std::vector<uint8_t> code(512, 0xFF);
  for (int i = 0; i < 16; ++i) code[i] = static_cast<uint8_t>(i * 0x11);
  code[0x20] = 0xAF;  // the fixed patches of the description
  code[0x21] = 0x5A;
  const PcChecksums s = ComputePcChecksums(ctx);
  EXPECT_EQ(s.code, test::BitwiseCrc(code.data(), code.size()));
  EXPECT_EQ(s.conf, test::BitwiseCrc(ctx.image.bytes.data() + 0xEC00, 0x200));
  EXPECT_EQ(s.option, test::BitwiseCrc(ctx.image.bytes.data() + 0x10000, 0x100)) << "over optionSize";
  EXPECT_EQ(view.cells[kRowCode], StrFormat("0x%08X", s.code));
  EXPECT_EQ(view.cells[kRowConfSize], "512 Byte");
  EXPECT_EQ(view.cells[kRowCodeSize], "512 Byte");
  EXPECT_EQ(view.cells[kRowOptionSize], "256 Byte");
  EXPECT_EQ(view.barText, StrFormat("Conf: 0x%08X   Code: 0x%08X", s.conf, s.code));
}

TEST_F(ChecksumTest, AFailedRefreshEmptiesTheColumnAndKeepsTheBar) {
  RefreshChecksums(desc, dir / "missing.hex", view);
  EXPECT_EQ(view.refreshes, 1);
  EXPECT_EQ(view.barText, "old");
  EXPECT_EQ(view.cells[kRowConf], "");
  EXPECT_TRUE(box.shown.empty()) << "silent";
  view.bar = false;
  RefreshChecksums(desc, GetCodeFilePath(desc), view);
  EXPECT_EQ(view.refreshes, 1) << "no bar: nothing happens";
}

TEST_F(ChecksumTest, PollRefreshesOnlyWhenDirtyOrTheFileChanged) {
  CodeFileSnapshot stored;
  desc.checksumDirty = 1;
  EXPECT_TRUE(PollCodeFile(desc, stored, view));
  EXPECT_EQ(desc.checksumDirty, 0);
  // The refresh read the file, which may have moved its access time once.
  PollCodeFile(desc, stored, view);
  const int settled = view.refreshes;
  EXPECT_FALSE(PollCodeFile(desc, stored, view));
  EXPECT_FALSE(PollCodeFile(desc, stored, view));
  EXPECT_EQ(view.refreshes, settled) << "unchanged file, clean flag: no image prepared";

  const struct timespec times[2] = {{0, UTIME_OMIT}, {1234567, 89}};
  ASSERT_EQ(::utimensat(AT_FDCWD, GetCodeFilePath(desc).c_str(), times, 0), 0);
  EXPECT_TRUE(PollCodeFile(desc, stored, view)) << "a touched file";
  desc.checksumDirty = 1;
  EXPECT_TRUE(PollCodeFile(desc, stored, view));
}

TEST(CodeFileSnapshotTest, EmptyOrMissingPathsGiveZero) {
  EXPECT_EQ(TakeCodeFileSnapshot(""), CodeFileSnapshot{});
  EXPECT_EQ(TakeCodeFileSnapshot("/no/such/file.hex"), CodeFileSnapshot{});
  test::TempDir dir;
  test::WriteText(dir / "a.hex", "12345");
  const CodeFileSnapshot s = TakeCodeFileSnapshot(dir / "a.hex");
  EXPECT_EQ(s.size, 5u);
  EXPECT_TRUE(S_ISREG(s.mode));
}

}  // namespace
}  // namespace korvane
