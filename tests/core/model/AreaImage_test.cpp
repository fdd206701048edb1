#include <gtest/gtest.h>

#include "core/model/AreaImage.h"
#include "core/model/CMemoryAccess.h"
#include "core/model/ConfigItem.h"

namespace korvane {
namespace {

struct Geometry {
  int32_t addr;
  uint32_t size;
  int32_t sbit, ebit;
};
Geometry Field(int32_t addr, uint32_t size, int32_t sbit, int32_t ebit) { return {addr, size, sbit, ebit}; }

// A value item with just the field geometry given.
struct FieldItem : ConfigItem {
  explicit FieldItem(const Geometry& s) {
    addr = s.addr;
    size = s.size;
    sbit = s.sbit;
    ebit = s.ebit;
    edit = 1;
  }
};

TEST(Fields, WriteAndReadBackThroughBitRanges) {
  struct Case {
    Geometry field;
    std::vector<uint8_t> before;
    uint32_t value;
    std::vector<uint8_t> after;
    uint32_t readBack;
  } cases[] = {
      {Field(0, 1, 4, 7), {0x35}, 0x0A, {0xA5}, 0x0A},
      {Field(0, 1, 4, 6), {0xFF}, 2, {0xAF}, 2},
      {Field(0, 1, 4, 6), {0xFF}, 9, {0x9F}, 1},               // 9 AND 7
      {Field(0, 1, 0, 2), {0x00}, 0x1F, {0x07}, 7},            // three bits keep 0x7
      {Field(0, 2, -1, -1), {0, 0}, 0x1234, {0x34, 0x12}, 0x1234},
      {Field(0, 4, 0, 31), {0, 0, 0, 0}, 0xDEADBEEF, {0xEF, 0xBE, 0xAD, 0xDE}, 0xDEADBEEF},
      {Field(0, 1, 3, -1), {0x00}, 0x1AB, {0xAB}, 0xAB},      // no valid range: the whole byte
      {Field(0, 2, 9, 2), {0x11, 0x22}, 0xBEEF, {0xEF, 0xBE}, 0xBEEF},  // sbit > ebit: whole word
      {Field(1, 1, 0, 7), {0x00, 0x00}, 0xFD, {0x00, 0xFD}, 0xFD},
      {Field(0, 1, 6, 10), {0x00}, 0xFF, {0xC0}, 0x03},        // bits past the byte simply vanish
      // Ranges wider than the 32-bit word, whose width does not fit in 32
      // bits either, are the whole word: the value is stored, not lost.
      {Field(0, 4, 0, 0x7FFFFFFF), {0, 0, 0, 0}, 7, {7, 0, 0, 0}, 7},
      {Field(0, 4, INT32_MIN, INT32_MAX), {9, 9, 9, 9}, 0x01020304, {4, 3, 2, 1}, 0x01020304},
      {Field(0, 1, INT32_MIN, 0x7FFFFFFF), {0xFF}, 0x12, {0x12}, 0x12},
      {Field(0, 2, 4, 40), {0x0F, 0x00}, 0xABC, {0xCF, 0xAB}, 0xABC},   // clipped to bits 4..31
      {Field(0, 1, -3, 2), {0xF0}, 0xFF, {0xF7}, 0x07},                  // clipped to bits 0..2
      {Field(0, 1, 40, 47), {0x00}, 0x5A, {0x5A}, 0x5A},                 // no bit of the word: the word
  };
  for (auto& c : cases) {
    std::vector<uint8_t> image = c.before;
    const FieldItem item(c.field);
    WriteField(item, c.value, image.data(), static_cast<uint32_t>(image.size()));
    EXPECT_EQ(image, c.after);
    EXPECT_EQ(ReadField(item, image.data(), static_cast<uint32_t>(image.size())), c.readBack);
  }
}

TEST(Fields, OtherSizesAndFieldsOutsideTheImageAreLeftAlone) {
  std::vector<uint8_t> image(8, 0x55);
  const auto before = image;
  for (const Geometry& s : {Field(0, 3, -1, -1), Field(6, 4, 0, 31), Field(-1, 1, 0, 7), Field(8, 1, 0, 7),
                        Field(0x7FFFFFFF, 4, 0, 31)}) {
    const FieldItem f(s);
    WriteField(f, 0, image.data(), 8);
    EXPECT_EQ(ReadField(f, image.data(), 8), 0u);
  }
  EXPECT_EQ(image, before);
}

TEST(DefaultValues, ParsesBothEntryFormsAndSkipsEmptyOnes) {
  const auto p = ParseDefaultValues("10=5A,,12(0:3)=7,12(0:3), zz ,7F=");
  ASSERT_EQ(p.size(), 5u);
  EXPECT_EQ(p[0].addr, 0x10);
  EXPECT_EQ(p[0].sbit, -1);
  EXPECT_EQ(p[0].value, 0x5A);
  EXPECT_EQ(p[1].addr, 0x12);
  EXPECT_EQ(p[1].sbit, 0);
  EXPECT_EQ(p[1].ebit, 3);
  EXPECT_EQ(p[1].value, 7);
  EXPECT_EQ(p[2].value, -1);  // no value part
  EXPECT_EQ(p[3].addr, -1);   // nothing readable
  EXPECT_EQ(p[4].addr, 0x7F);
  EXPECT_EQ(p[4].value, -1);
  EXPECT_TRUE(ParseDefaultValues("").empty());
  EXPECT_TRUE(ParseDefaultValues(",,,").empty());
}

TEST(DefaultValues, PatchesBytesAndBitRangesInsideTheImage) {
  AreaImage image;
  AreaLayout layout;
  image.bytes[0x20] = 0x05;
  image.bytes[0x21] = 0x00;
  layout.defaultValues = "20(4:7)=A,21=FF,4FFFFF=12,500000=1,FFFFFFFF=2,22(0:40)=3";
  ApplyDefaultValues(image, layout);
  EXPECT_EQ(image.bytes[0x20], 0xA5);
  EXPECT_EQ(image.bytes[0x21], 0xFF);
  EXPECT_EQ(image.bytes[0x4FFFFF], 0x12);
  EXPECT_EQ(image.bytes[0x22], 0x03);
  EXPECT_EQ(image.patches.size(), 6u);

  // A range whose width overflows 32 bits patches the whole byte instead of
  // silently nothing; a reversed range names no bits and changes nothing.
  image.bytes[0x10] = 0x00;
  image.bytes[0x11] = 0x00;
  image.bytes[0x12] = 0x66;
  layout.defaultValues = "0010(-2147483648:2147483647)=1,0011(0:2147483647)=2,0012(5:2)=FF";
  ApplyDefaultValues(image, layout);
  EXPECT_EQ(image.bytes[0x10], 0x01);
  EXPECT_EQ(image.bytes[0x11], 0x02);
  EXPECT_EQ(image.bytes[0x12], 0x66);
  layout.defaultValues.clear();
  ApplyDefaultValues(image, layout);
  EXPECT_TRUE(image.patches.empty());
}

TEST(OptionBytes, ComplementsBytesTwoAndThreeOfEveryWord) {
  AreaImage image;
  AreaLayout layout;
  layout.optionStart = 0x10000;
  const uint8_t given[] = {0x5A, 0x3C, 0x00, 0x00, 0x01, 0x02, 0x00, 0x00};
  std::copy(std::begin(given), std::end(given), image.bytes.begin() + 0x10000);
  image.optionLength = 8;
  ComplementOptionBytes(image, layout);
  const std::vector<uint8_t> got(image.bytes.begin() + 0x10000, image.bytes.begin() + 0x10008);
  EXPECT_EQ(got, (std::vector<uint8_t>{0x5A, 0x3C, 0xA5, 0xC3, 0x01, 0x02, 0xFE, 0xFD}));

  // An option area at the very end of the image: nothing is written past it.
  layout.optionStart = kImageSize - 2;
  image.optionLength = 16;
  ComplementOptionBytes(image, layout);
  EXPECT_EQ(image.bytes.size(), kImageSize);

  // A word whose last byte lies past the image still gets the complement
  // that fits: each byte is guarded on its own.
  layout.optionStart = kImageSize - 7;
  image.optionLength = 8;
  const uint8_t last[] = {0x11, 0x22, 0x00, 0x00, 0x33, 0x44, 0x00};
  std::copy(std::begin(last), std::end(last), image.bytes.end() - 7);
  ComplementOptionBytes(image, layout);
  EXPECT_EQ(std::vector<uint8_t>(image.bytes.end() - 7, image.bytes.end()),
            (std::vector<uint8_t>{0x11, 0x22, 0xEE, 0xDD, 0x33, 0x44, 0xCC}));
}

TEST(CMemoryAccess, StartsWithTwoBlocksAndReportsBlockZero) {
  CMemoryAccess m;
  int32_t first = -7, last = -7;
  EXPECT_EQ(m.GetRange(&first, &last), 1);
  EXPECT_EQ(first, 0);
  EXPECT_EQ(last, 0xF3FF);
  EXPECT_EQ(m.GetRange(nullptr, &last), 1);
  EXPECT_EQ((*m.Block(1))[0], 1);
  EXPECT_EQ(m.AccessFlags(), 3);
  m.SetBlock(0x200, 0, nullptr);
  m.GetRange(&first, &last);
  EXPECT_EQ(last, 0x1FF);
  m.SetBlock(0, 0, nullptr);
  m.GetRange(&first, &last);
  EXPECT_EQ(last, -1);  // an empty block 0 means no data
}

TEST(CMemoryAccess, ReadAndWriteStayInsideBlocksAndTheWindow) {
  CMemoryAccess m;
  std::vector<uint8_t> data(0x10000);
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i);
  m.SetBlock(0x100, 0, data.data());
  uint8_t out[0x200] = {};
  EXPECT_EQ(m.Read(0, 0xF0, out, 0x40), 0x10u);
  EXPECT_EQ(out[0], 0xF0);
  EXPECT_EQ(m.Read(0, 0x100, out, 4), 0u);
  EXPECT_EQ(m.Read(0, 0x101, out, 4), 0u);
  EXPECT_EQ(m.Read(9, 0, out, 4), 0u);
  EXPECT_EQ(m.Read(0, 0, nullptr, 4), 0u);
  EXPECT_EQ(m.Write(0, 0xFC, data.data(), 0x10), 4u);
  EXPECT_EQ(m.Write(0, 0x100, data.data(), 1), 0u);
  EXPECT_EQ(m.Write(5, 0, data.data(), 1), 0u);

  m.SetBlock(0x10000, 0, data.data());  // a block larger than the window
  EXPECT_EQ(m.Write(0, 0xF3F0, data.data(), 0x100), 0x10u);
  EXPECT_EQ(m.Write(0, 0xF400, data.data(), 1), 0u);
  EXPECT_EQ(m.Read(0, 0xF400, out, 1), 0u);
  EXPECT_EQ(m.Read(0, 0xF3FF, out, 0x100), 0x100u);  // reads the block, not only the window

  m.SetBlock(4, 7, nullptr);  // a new key is appended
  ASSERT_NE(m.Block(7), nullptr);
  EXPECT_EQ(m.Block(7)->size(), 4u);
}

}  // namespace
}  // namespace korvane
