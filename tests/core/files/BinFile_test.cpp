#include "core/files/BinFile.h"

#include <gtest/gtest.h>

#include "support/TempDir.h"
#include "support/WriteLimit.h"
#include "core/model/CMemoryAccess.h"

namespace korvane {
namespace {

TEST(BinFile, ExportAfterImportWritesTheSameBytes) {
  test::TempDir dir;
  std::string bytes(1000, '\0');
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7);
  test::WriteText(dir / "in.bin", bytes);
  CMemoryAccess source;
  ASSERT_TRUE(ImportBinFile(dir / "in.bin", source));
  int32_t first = -5, last = -5;
  source.GetRange(&first, &last);
  EXPECT_EQ(first, 0);
  EXPECT_EQ(last, 999);
  ASSERT_TRUE(ExportBinFile(dir / "out.bin", *source.Block(0)));
  EXPECT_EQ(test::ReadText(dir / "out.bin"), bytes);
}

TEST(BinFile, BlocksLargerThanTheWindowGoOutWhole) {
  test::TempDir dir;
  const std::string bytes(0x12000, 'k');
  test::WriteText(dir / "in.bin", bytes);
  CMemoryAccess source;
  ASSERT_TRUE(ImportBinFile(dir / "in.bin", source));
  ASSERT_TRUE(ExportBinFile(dir / "out.bin", *source.Block(0)));
  EXPECT_EQ(test::ReadText(dir / "out.bin"), bytes);
}

TEST(BinFile, EmptyFilesAndFailures) {
  test::TempDir dir;
  test::WriteText(dir / "empty.bin", "");
  CMemoryAccess source;
  ASSERT_TRUE(ImportBinFile(dir / "empty.bin", source));
  ASSERT_NE(source.Block(0), nullptr);
  EXPECT_EQ(source.Block(0)->size(), 0u);
  test::WriteText(dir / "out.bin", "old");
  ASSERT_TRUE(ExportBinFile(dir / "out.bin", *source.Block(0)));
  EXPECT_EQ(test::ReadText(dir / "out.bin"), "") << "an empty window writes an empty file";

  source.SetBlock(4, 0, reinterpret_cast<const uint8_t*>("abcd"));
  EXPECT_FALSE(ImportBinFile(dir / "missing.bin", source));
  EXPECT_FALSE(ImportBinFile(dir.Path(), source)) << "a folder";
  EXPECT_EQ(source.Block(0)->size(), 4u) << "a failed import keeps the block";
  EXPECT_FALSE(ExportBinFile(dir / "no/such/out.bin", *source.Block(0)));
}

// A full disk or a target the rename cannot replace fails the export and
// leaves the file that was there whole.
TEST(BinFile, AnInterruptedExportKeepsTheOldFile) {
  test::TempDir dir;
  const std::string old(300, 'o');
  test::WriteText(dir / "out.bin", old);
  CMemoryAccess source;
  source.SetBlock(0x2000, 0, nullptr);
  {
    test::ScopedWriteLimit full(100);
    EXPECT_FALSE(ExportBinFile(dir / "out.bin", *source.Block(0)));
  }
  EXPECT_EQ(test::ReadText(dir / "out.bin"), old);
  std::filesystem::create_directories(dir / "taken/x");
  EXPECT_FALSE(ExportBinFile(dir / "taken", *source.Block(0)));
  EXPECT_EQ(test::FolderEntries(dir.Path()), (std::vector<std::string>{"out.bin", "taken"}));
}

}  // namespace
}  // namespace korvane
