#include "core/files/HexExport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

#include "FilesTestUtil.h"
#include "support/TestChip.h"
#include "support/TempDir.h"
#include "support/WriteLimit.h"
#include "core/files/CodeFile.h"
#include "core/files/ImagePreparation.h"
#include "core/files/PcChecksums.h"

namespace korvane {
namespace {
using test::ParseStrictHex;

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find("\r\n", pos);
    lines.push_back(text.substr(pos, end - pos));
    pos = end + 2;
  }
  return lines;
}

TEST(HexRecords, BuildTheDesignedLines) {
  const uint8_t bytes[] = {1, 2, 3, 4};
  EXPECT_EQ(MakeDataRecord(4, 0x0010, bytes), ":0400100001020304E2\r\n");
  EXPECT_EQ(MakeAddressRecord(0), ":020000040000FA\r\n");
  EXPECT_EQ(MakeAddressRecord(0x10000), ":020000040001F9\r\n");
  EXPECT_EQ(MakeAddressRecord(0x12345678), ":025678041234E6\r\n") << "offset field = low 16 bits";
  const uint8_t ff[16] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
  EXPECT_EQ(MakeDataRecord(16, 0xFFF0, ff), ":10FFF000FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF11\r\n");
}

// An image laid out like a small chip, filled with varied bytes.
struct ExportImage : testing::Test {
  CoreContext ctx;
  void SetUp() override {
    std::mt19937 random(7);
    for (auto& b : ctx.image.bytes) b = static_cast<uint8_t>(random());
    ctx.layout.codeStart = 0;
    ctx.layout.codeSize = 0x8000;
    ctx.layout.confStart = 0x400;
    ctx.layout.confSize = 0x200;
    ctx.layout.optionStart = 0x10000;
    ctx.layout.optionSize = 0x100;
    ctx.image.codeLength = 0x200;
    ctx.image.optionLength = 6;
    ctx.chipKind = {0x1234, 0x21};
  }
  // Every byte the file names equals the image's. Code records go out
  // before the information block is put in, so where the code reaches it
  // the image as it was before the export counts.
  void ExpectFileMatchesImage(const test::StrictHex& hex, const std::vector<uint8_t>* before = nullptr) {
    ASSERT_TRUE(hex.ok) << hex.error;
    for (const auto& [address, value] : hex.bytes) {
      const bool block = address >= ImageInfoBlock::kAddress && address < ImageInfoBlock::kAddress + 24;
      const auto& image = before && block ? *before : ctx.image.bytes;
      ASSERT_EQ(value, image.at(address)) << std::hex << address;
    }
  }
};

TEST_F(ExportImage, CodeAndConfGiveTheDesignedRecordSequence) {
  const auto lines = Lines(BuildHexText(ctx, true, true));
  ASSERT_EQ(lines.size(), 1 + 32 + 32 + 34 + 1 + 1 + 1u);
  EXPECT_EQ(lines[0], ":020000040000FA");
  EXPECT_EQ(lines[1].substr(0, 9), ":10000000");
  EXPECT_EQ(lines[32].substr(0, 9), ":1001F000");
  EXPECT_EQ(lines[33].substr(0, 9), ":10020000") << "filler from the end of the code";
  EXPECT_EQ(lines[64].substr(0, 9), ":1003F000");
  EXPECT_EQ(lines[65].substr(0, 9), ":10040000") << "conf part";
  EXPECT_EQ(lines[98].substr(0, 9), ":10061000") << "34 records, whatever confSize is";
  EXPECT_EQ(lines[99], ":020000040001F9");
  EXPECT_EQ(lines[100].substr(0, 9), ":06000000") << "a short last option record";
  EXPECT_EQ(lines[101], ":00000001FF");
  ExpectFileMatchesImage(ParseStrictHex(BuildHexText(ctx, true, true)));
}

TEST_F(ExportImage, ConfOnlyHoldsTheFirstLineConfRecordsAndTheEnd) {
  const auto lines = Lines(BuildHexText(ctx, false, true));
  ASSERT_EQ(lines.size(), 1 + 34 + 1u);
  EXPECT_EQ(lines[1].substr(0, 9), ":10040000");
  EXPECT_EQ(lines.back(), ":00000001FF");
}

TEST_F(ExportImage, NoOptionBytesLeaveTheAddressRecordAlone) {
  ctx.image.optionLength = 0;
  const auto lines = Lines(BuildHexText(ctx, true, false));
  ASSERT_EQ(lines.size(), 1 + 32 + 32 + 1 + 1u);
  EXPECT_EQ(lines[65], ":020000040001F9");
}

TEST_F(ExportImage, InformationBlockCarriesKindsChecksumsAndCodeLength) {
  ctx.layout.confStart = 0xEC00;
  BuildHexText(ctx, true, true);
  const uint8_t* b = ctx.image.bytes.data();
  auto be = [&](uint32_t at) {
    return uint32_t{b[at]} << 24 | uint32_t{b[at + 1]} << 16 | uint32_t{b[at + 2]} << 8 | b[at + 3];
  };
  EXPECT_EQ(be(0xEE00), 0x1234u);
  EXPECT_EQ(be(0xEE04), 0x21u);
  EXPECT_EQ(be(0xEE08), test::BitwiseCrc(b, 0x200));
  EXPECT_EQ(be(0xEE10), 0x200u);
  EXPECT_EQ(be(0xEE14), test::BitwiseCrc(b + 0x10000, 6));
  // The conf checksum was taken before the block went in.
  EXPECT_EQ(be(0xEE0C), test::BitwiseCrc(b + 0xEC00, 0x200)) << "block lies outside a 512-byte conf area";
  // The last two conf records carry the block.
  const auto lines = Lines(BuildHexText(ctx, false, true));
  EXPECT_EQ(lines[33].substr(0, 9 + 8), ":10EE0000" + std::string("00001234"));
}

// With a code area that does not start at 0 the two code checksums part:
// the PC's (the checksum list, the comparison) starts at codeStart, the
// information block's at address 0, which is what the programmer checks
// the exported file against.
TEST_F(ExportImage, CodeAwayFromZeroKeepsEachCodeChecksumToItsOwnStart) {
  ctx.layout.codeStart = 0x100;
  ctx.layout.confStart = 0xEC00;
  const uint8_t* b = ctx.image.bytes.data();
  ASSERT_NE(test::BitwiseCrc(b, 0x200), test::BitwiseCrc(b + 0x100, 0x200)) << "the test needs them apart";
  EXPECT_EQ(ComputePcChecksums(ctx).code, test::BitwiseCrc(b + 0x100, 0x200));
  BuildHexText(ctx, true, true);
  const uint32_t block = uint32_t{b[0xEE08]} << 24 | uint32_t{b[0xEE09]} << 16 | uint32_t{b[0xEE0A]} << 8 | b[0xEE0B];
  EXPECT_EQ(block, test::BitwiseCrc(b, 0x200));
}

TEST_F(ExportImage, CodeBeyond64KiBGetsExtendedAddressRecordsInsteadOfWrapping) {
  ctx.layout.codeSize = 0x40000;
  ctx.image.codeLength = 0x10200;
  ctx.layout.confStart = 0x20000;
  ctx.layout.optionStart = 0x30000;
  const std::vector<uint8_t> before = ctx.image.bytes;
  const auto hex = ParseStrictHex(BuildHexText(ctx, true, true));
  ExpectFileMatchesImage(hex, &before);
  for (uint32_t a = 0; a < 0x20000; ++a) ASSERT_TRUE(hex.bytes.count(a)) << std::hex << a;
  EXPECT_TRUE(hex.bytes.count(0x20000 + 543));
  EXPECT_TRUE(hex.bytes.count(0x30005));
}

TEST_F(ExportImage, ConfAbove64KiBEndsTheFillerAtConfStart) {
  ctx.layout.confStart = 0x18000;
  ctx.layout.optionStart = 0x20000;
  const std::vector<uint8_t> before = ctx.image.bytes;
  const auto hex = ParseStrictHex(BuildHexText(ctx, true, true));
  ExpectFileMatchesImage(hex, &before);
  EXPECT_EQ(hex.bytes.rbegin()->first, 0x20005u);
  EXPECT_EQ(hex.bytes.size(), 0x18000u + 544 + 6);
}

TEST_F(ExportImage, AreasAtTheImageEndStopAtIt) {
  ctx.layout.confStart = kImageSize - 0x100;
  ctx.layout.confSize = 0x100;
  ctx.layout.optionStart = kImageSize - 2;
  ctx.layout.optionSize = 2;
  ctx.image.optionLength = 2;
  ctx.image.codeLength = 0;
  const auto hex = ParseStrictHex(BuildHexText(ctx, false, true));
  ExpectFileMatchesImage(hex);
  EXPECT_EQ(hex.bytes.size(), 0x100u);
}

TEST_F(ExportImage, AnyLayoutTheLoaderCanProduceGivesWellFormedRecords) {
  std::mt19937 random(3);
  const std::vector<uint8_t> before = ctx.image.bytes;
  for (int round = 0; round < 6; ++round) {
    ctx.image.bytes = before;
    auto area = [&](uint32_t& start, uint32_t& size) {
      start = static_cast<uint32_t>(random() % (kImageSize + 1));
      size = static_cast<uint32_t>(random() % (kImageSize - start + 1));
    };
    area(ctx.layout.codeStart, ctx.layout.codeSize);
    area(ctx.layout.confStart, ctx.layout.confSize);
    area(ctx.layout.optionStart, ctx.layout.optionSize);
    ctx.layout.codeStart &= ~0xFu;  // code and option areas start on record boundaries in practice
    ctx.layout.optionStart &= 0xFFFF0000u;
    ctx.image.codeLength = static_cast<uint32_t>(random() % 0x800) * 0x200;
    ctx.image.optionLength = static_cast<uint32_t>(random() % 0x300);
    // Areas may overlap, and then so do their records.
    const auto hex = ParseStrictHex(BuildHexText(ctx, round % 3 != 1, round % 3 != 2), true);
    ASSERT_TRUE(hex.ok) << hex.error << " in round " << round;
  }
}

// Reads the exported file back with two independent HEX readers.
TEST_F(ExportImage, OtherReadersSeeTheImageAtEveryExportedAddress) {
  test::TempDir dir;
  ctx.layout.confStart = 0xEC00;
  const std::string hexPath = dir / "out.hex";
  test::WriteText(hexPath, BuildHexText(ctx, true, true));
  const auto ours = ParseStrictHex(test::ReadText(hexPath));
  ExpectFileMatchesImage(ours);

  const std::string data = test::ReadWithSrecCat(hexPath, dir.Path());
  ASSERT_FALSE(data.empty()) << "srec_cat (package srecord) could not read " << hexPath;
  for (const auto& [address, value] : ours.bytes) {
    ASSERT_LT(address, data.size());
    ASSERT_EQ(static_cast<uint8_t>(data[address]), value) << std::hex << address;
  }
  std::map<uint32_t, uint8_t> theirs;
  ASSERT_TRUE(test::ReadWithIntelHex(hexPath, dir.Path(), theirs)) << "python3-intelhex is not installed";
  EXPECT_EQ(theirs, ours.bytes);
}

class ExportFile : public testing::Test, public test::Installation {};

TEST_F(ExportFile, WritesThePreparedImageAndReportsSuccess) {
  ASSERT_TRUE(desc.NewDescription("TCHIP", "PB1", nullptr));
  const std::string out = dir / "out.hex";
  test::WriteText(out, std::string(100000, 'x'));
  ASSERT_TRUE(ExportHex(desc, true, true, GetCodeFilePath(desc), out));
  ASSERT_EQ(box.shown.size(), 1u);
  EXPECT_EQ(box.shown[0].text, "Exported");
  const auto hex = ParseStrictHex(test::ReadText(out));
  ASSERT_TRUE(hex.ok) << hex.error;
  EXPECT_EQ(hex.bytes.at(0x01), 0x11);
  EXPECT_EQ(hex.bytes.at(0xEC00), 5) << "the item's value";
  EXPECT_EQ(hex.bytes.at(0x10002), 0xA5);
}

TEST_F(ExportFile, ReportsWhatCannotBeWrittenOrLoaded) {
  EXPECT_FALSE(ExportHex(desc, true, true, "", dir / "x.hex"));
  EXPECT_EQ(box.shown.back().text, "Open or create a project first");
  ASSERT_TRUE(desc.NewDescription("TCHIP", "PB1", nullptr));
  EXPECT_FALSE(ExportHex(desc, true, true, dir / "none.hex", dir / "x.hex"));
  EXPECT_EQ(box.shown.back().text, "Cannot read " + (dir / "none.hex"));
  EXPECT_FALSE(std::filesystem::exists(dir / "x.hex"));
  EXPECT_FALSE(ExportHex(desc, false, true, "", dir / "no/such/folder.hex"));
  EXPECT_EQ(box.shown.back().text, "Cannot write " + (dir / "no/such/folder.hex"));
}

// A full disk half-way through, or a target the rename cannot replace: the
// failure is shown with the path and the HEX file that was there stays whole.
TEST_F(ExportFile, AnInterruptedExportKeepsTheOldFile) {
  ASSERT_TRUE(desc.NewDescription("TCHIP", "PB1", nullptr));
  const std::string out = dir / "out.hex";
  const std::string old = ":020000040000FA\r\n:00000001FF\r\n";
  test::WriteText(out, old);
  {
    test::ScopedWriteLimit full(1000);
    EXPECT_FALSE(ExportHex(desc, true, true, GetCodeFilePath(desc), out));
  }
  EXPECT_EQ(box.shown.back().text, "Cannot write " + out);
  EXPECT_EQ(test::ReadText(out), old);
  std::filesystem::create_directories(dir / "taken.hex/x");
  EXPECT_FALSE(ExportHex(desc, true, true, GetCodeFilePath(desc), dir / "taken.hex"));
  EXPECT_EQ(box.shown.back().text, "Cannot write " + (dir / "taken.hex"));
  EXPECT_TRUE(std::filesystem::is_directory(dir / "taken.hex/x"));
}

}  // namespace
}  // namespace korvane
