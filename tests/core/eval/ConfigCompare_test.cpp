// The item comparison: which items differ between two images, by the bits of
// their fields; the text a raw number gives an item, worked out without
// changing it; and whether a value fits its field.
#include <vector>

#include "EvalFixture.h"
#include "core/eval/ConfigCompare.h"
#include "core/model/AreaImage.h"
#include "core/text/TextFormat.h"

namespace korvane {
namespace {

using test::EvalTree;

const char* kItems = R"~(<fn name="fn">
  <item name="grp" caption="Group" addr="0x10" size="1" fill="0x00">
    <item name="lo" caption="Low" edit="1" sbit="0" ebit="3" value="5"/>
    <item name="hi" caption="High" list="1" sbit="4" ebit="5" index="1">
      <item name="zero" value="0"/><item name="one" value="1"/><item name="two" value="2"/>
    </item>
  </item>
  <item name="tenth" edit="1" addr="0x11" size="1" inExpression="value*10" outExpression="value/10" value="120"/>
  <item name="hx" edit="1" addr="0x12" size="2" hex="1" value="0x1234"/>
  <item name="mode" ulist="1" addr="0x14" size="1" index="0">
    <item name="A" value="0"><item name="a1" edit="1" addr="0x15" size="1" value="1"/></item>
    <item name="B" value="1"><item name="b1" edit="1" addr="0x15" size="1" value="2"/></item>
  </item>
  <item name="far" edit="1" addr="0x40" size="1" value="9"/>
</fn>)~";

struct Images {
  std::vector<uint8_t> project = std::vector<uint8_t>(0x80, 0xFF);
  std::vector<uint8_t> other;
};

Images Encode(EvalTree& t) {
  Images im;
  EncodeItems(&t.Function(), im.project.data(), 0x80, true, t.ctx);
  im.other = im.project;
  return im;
}

ConfigComparison Compare(EvalTree& t, Images& im, uint32_t start = 0x10, uint32_t size = 0x20) {
  return CompareConfig(*t.desc.root, {im.project.data(), im.other.data(), 0x80, start, size},
                       [&t](const ConfigItem& item, uint32_t raw) { return RawValueText(item, raw, t.ctx); });
}

std::vector<std::string> Lines(const ConfigComparison& c) {
  std::vector<std::string> lines;
  for (const ItemDifference& d : c.items) lines.push_back(d.item->name + ": " + d.projectText + " -> " + d.otherText);
  for (const ByteRange& r : c.unowned) lines.push_back(StrFormat("0x%X-0x%X", r.first, r.last));
  return lines;
}

TEST(ConfigCompare, TheSameBytesDifferInNothing) {
  EvalTree t(kItems);
  Images im = Encode(t);
  const ConfigComparison c = Compare(t, im);
  EXPECT_FALSE(c.Differs());
  // Another spelling of the same number is the same value.
  t.Item("hx").value = "1234";
  EXPECT_FALSE(Compare(t, im).Differs());
}

TEST(ConfigCompare, ItemsDifferByTheBitsOfTheirFieldsInTreeOrder) {
  EvalTree t(kItems);
  Images im = Encode(t);
  im.other[0x10] = 0x27;  // lo 7, hi two
  im.other[0x11] = 13;    // shown as 130
  im.other[0x12] = 0x78;  // hx 0x1278
  EXPECT_EQ(Lines(Compare(t, im)), (std::vector<std::string>{"lo: 5 -> 7", "hi: one -> two", "tenth: 120 -> 130",
                                                             "hx: 0x1234 -> 0x1278"}));
  // Nothing of the project changed on the way.
  EXPECT_EQ(t.Item("lo").value, "5");
  EXPECT_EQ(t.Item("hi").index, 1);
}

TEST(ConfigCompare, BitsNoFieldCoversAreReportedAsRanges) {
  EvalTree t(kItems);
  Images im = Encode(t);
  im.other[0x10] ^= 0x80;  // bit 7 of the group's byte: the fill's, no item's
  im.other[0x16] = 0x00;   // beside the ulist's option items
  im.other[0x17] = 0x00;
  im.other[0x19] = 0x00;
  EXPECT_EQ(Lines(Compare(t, im)), (std::vector<std::string>{"0x10-0x10", "0x16-0x17", "0x19-0x19"}));
}

TEST(ConfigCompare, AUlistIsComparedWithItsSelectedOptionsItemsOnly) {
  EvalTree t(kItems);
  Images im = Encode(t);
  im.other[0x14] = 1;     // the device chose B
  im.other[0x15] = 2;     // and B's item holds 2 where A's held 1
  EXPECT_EQ(Lines(Compare(t, im)), (std::vector<std::string>{"mode: A -> B", "a1: 1 -> 2"}));
}

TEST(ConfigCompare, OnlyFieldsInsideTheComparedStretchCount) {
  EvalTree t(kItems);
  Images im = Encode(t);
  im.other[0x40] = 1;  // far lies outside 0x10..0x2F
  EXPECT_FALSE(Compare(t, im).Differs());
  im.other[0x13] = 0x00;  // hx's high byte: a stretch ending at 0x12 cuts hx off
  EXPECT_FALSE(Compare(t, im, 0x10, 3).Differs());
  EXPECT_EQ(Lines(Compare(t, im, 0x10, 0x40)), (std::vector<std::string>{"hx: 0x1234 -> 0x0034", "far: 9 -> 1"}));
}

TEST(RawValueText, IsWhatSetRawValueLeavesTheItemShowing) {
  struct Case {
    const char* name;
    uint32_t raw;
  };
  const Case cases[] = {{"lo", 9}, {"hi", 2}, {"hi", 3}, {"tenth", 7}, {"hx", 0xBEEF}, {"mode", 1}, {"mode", 5}};
  for (const Case& c : cases) {
    EvalTree t(kItems);
    ConfigItem& item = t.Item(c.name);
    const std::string predicted = RawValueText(item, c.raw, t.ctx);
    const std::string valueBefore = item.value;
    DecodeRawValue(item, c.raw, t.ctx);
    EXPECT_EQ(item.value, valueBefore) << c.name << ": the decode alone changes nothing";
    SetRawValue(item, c.raw, t.ctx);
    EXPECT_EQ(ItemValueText(item), predicted) << c.name << " " << c.raw;
  }
}

TEST(ValueFitsField, ByTheFieldsBitsAfterItsExpression) {
  struct Case {
    const char* attributes;
    bool fits;
  };
  const Case cases[] = {
      {R"(size="1" value="255")", true},
      {R"(size="1" value="256")", false},
      {R"(size="1" value="-128")", true},
      {R"(size="1" value="-129")", false},
      {R"(size="1" sbit="0" ebit="3" value="15")", true},
      {R"(size="1" sbit="0" ebit="3" value="16")", false},
      {R"(size="4" value="4294967295")", true},
      {R"(size="4" value="4294967296")", false},
      {R"(size="4" hex="1" value="0x1FFFFFFFF")", false},
      {R"(size="1" outExpression="value/10" value="2550")", true},
      {R"(size="1" outExpression="value/10" value="2560")", false},
      {R"(size="3" value="99999999")", true},  // no word of its own: nothing to hold
  };
  for (const Case& c : cases) {
    EvalTree t(std::string(R"(<fn name="fn"><item name="v" edit="1" addr="0" )") + c.attributes + "/></fn>");
    EXPECT_EQ(ValueFitsField(t.Item("v"), t.ctx), c.fits) << c.attributes;
  }
}

}  // namespace
}  // namespace korvane
