#include "core/eval/ItemBehaviours.h"

#include <random>

#include <gtest/gtest.h>

#include "EvalFixture.h"
#include "core/eval/Conditions.h"
#include "core/model/AreaImage.h"

namespace korvane {
namespace {

using test::EvalTree;

const char* kRoundTripXml = R"~(
<fn name="fn">
  <item name="g" addr="0x10" size="2" fill="0xFF">
    <item name="lo" edit="1" sbit="0" ebit="3" value="5"/>
    <item name="mid" edit="1" sbit="4" ebit="9" value="-3" signed="1"/>
    <item name="top" list="1" sbit="10" ebit="11" index="2">
      <item name="A" value="0"/><item name="B" value="1"/><item name="C" value="2"/>
    </item>
  </item>
  <item name="volt" edit="1" addr="0x20" size="2" value="5000" inExpression="value*10" outExpression="value/10"/>
  <item name="h" edit="1" hex="1" addr="0x22" size="1" value="3C"/>
  <item name="mode" ulist="1" addr="0x23" size="1" index="1">
    <item name="off" value="0"/>
    <item name="on" value="1"><item name="level" edit="1" addr="0x24" size="4" value="123456"/></item>
  </item>
  <item name="far" edit="1" addr="0x3FE" size="4" value="7"/>
</fn>)~";

TEST(EncodeDecode, FieldsShareWordsAndRoundTrip) {
  EvalTree a(kRoundTripXml);
  std::vector<uint8_t> image(0x400, 0);
  EncodeItems(a.desc.root.get(), image.data(), 0x400, true, a.ctx);
  // g: fill 0xFFFF, then lo=5, mid=-3 (6 bits 0x3D), top=2 in bits 10..11, bits 12..15 keep the fill.
  EXPECT_EQ(image[0x10] | image[0x11] << 8, 0xF000 | 2 << 10 | 0x3D << 4 | 5);
  EXPECT_EQ(image[0x20] | image[0x21] << 8, 500);  // outExpression
  EXPECT_EQ(image[0x22], 0x3C);                    // hex text without a prefix
  EXPECT_EQ(image[0x23], 1);
  EXPECT_EQ(image[0x24] | image[0x25] << 8 | image[0x26] << 16, 123456);
  EXPECT_EQ(image[0x3FE], 0);  // a word reaching past the limit is not written

  EvalTree b(kRoundTripXml);
  for (const char* name : {"lo", "mid", "volt", "h", "level"}) b.Item(name).value = "0";
  b.Item("top").index = 0;
  b.Item("mode").index = 0;
  DecodeItems(b.desc.root.get(), image.data(), 0x400, b.ctx);
  EXPECT_EQ(b.Item("lo").value, "5");
  EXPECT_EQ(b.Item("mid").value, "61");  // read back as the unsigned bits
  EXPECT_EQ(b.Item("top").index, 2);
  EXPECT_EQ(b.Item("volt").value, "5000");
  EXPECT_EQ(b.Item("h").value, "0x3C");
  EXPECT_EQ(b.Item("mode").index, 1);
  EXPECT_EQ(b.Item("mode").value, "on");
  EXPECT_EQ(b.Item("level").value, "123456");
  EXPECT_EQ(b.Attr("top", "index"), "2");  // existing attributes are mirrored
  EXPECT_EQ(b.Attr("lo", "value"), "5");

  std::vector<uint8_t> again(0x400, 0);
  EncodeItems(b.desc.root.get(), again.data(), 0x400, true, b.ctx);
  EXPECT_EQ(again, image);
}

struct FieldCase {
  const char* attrs;
  uint8_t before;
  uint8_t after;
};

class FieldWrites : public ::testing::TestWithParam<FieldCase> {};

TEST_P(FieldWrites, StoreTheRawValue) {
  const FieldCase& c = GetParam();
  EvalTree t(std::string("<fn name=\"fn\"><item name=\"x\" edit=\"1\" addr=\"0\" size=\"1\" ") + c.attrs + "/></fn>");
  uint8_t image[4] = {c.before, 0, 0, 0};
  EncodeItems(&t.Item("x"), image, sizeof image, false, t.ctx);
  EXPECT_EQ(image[0], c.after) << c.attrs;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FieldWrites,
    ::testing::Values(FieldCase{"sbit=\"4\" ebit=\"6\" value=\"2\"", 0xFF, 0xAF},
                      FieldCase{"sbit=\"4\" ebit=\"6\" value=\"9\"", 0xFF, 0x9F},
                      FieldCase{"value=\"-3\"", 0, 0xFD}, FieldCase{"hex=\"1\" value=\"1F\"", 0, 0x1F},
                      FieldCase{"value=\"0x10\"", 0, 16}, FieldCase{"value=\"10H\"", 0, 16},
                      FieldCase{"value=\"10\"", 0, 10}, FieldCase{"sbit=\"3\" value=\"300\"", 0, 0x2C},
                      FieldCase{"value=\"55\" outExpression=\"value/10\"", 0, 5},
                      FieldCase{"value=\"1\" outExpression=\"value/0\"", 0, 1}));

TEST(SetRawValue, ExpressionsAndTextFormats) {
  EvalTree t(R"~(<fn name="fn">
    <item name="d" edit="1" addr="0" size="1" inExpression="value*10" value="0"/>
    <item name="x" edit="1" addr="1" size="1" hex="1" inExpression="value*10" value="0"/>
    <item name="w" edit="1" addr="2" size="4" value="0"/>
    <item name="nobits" edit="1" addr="6" size="3" value="keep"/>
  </fn>)~");
  SetRawValue(t.Item("d"), 5, t.ctx);
  SetRawValue(t.Item("x"), 5, t.ctx);
  SetRawValue(t.Item("w"), 0xFFFFFFFFu, t.ctx);
  SetRawValue(t.Item("nobits"), 5, t.ctx);
  EXPECT_EQ(t.Item("d").value, "50");
  EXPECT_EQ(t.Item("x").value, "0x32");
  EXPECT_EQ(t.Item("w").value, "-1");
  EXPECT_EQ(t.Item("nobits").value, "keep");  // no valid bit range: nothing changes
}

TEST(SetRawValue, ListsMatchOptionsTextually) {
  EvalTree t(R"~(<fn name="fn">
    <item name="l" list="1" addr="0" size="1">
      <item name="zero" value="0"/><item name="one" value="1"/><item name="two" value="2"/>
    </item>
    <item name="hexopt" list="1" addr="1" size="1">
      <item name="a" value="0"/><item name="b" value="0x02"/>
    </item>
    <item name="u" ulist="1" addr="2" size="1"><item name="p"/><item name="q"/></item>
  </fn>)~");
  ConfigItem& l = t.Item("l");
  SetRawValue(l, 2, t.ctx);
  EXPECT_EQ(l.index, 2);
  EXPECT_EQ(l.value, "2");
  SetRawValue(l, 7, t.ctx);
  EXPECT_EQ(l.index, 0);
  SetRawValue(t.Item("hexopt"), 2, t.ctx);
  EXPECT_EQ(t.Item("hexopt").index, 0);
  // A ulist whose options carry no value text: every read selects the first
  // option, and its encoding writes the option's position.
  ConfigItem& u = t.Item("u");
  u.index = 1;
  SetRawValue(u, 1, t.ctx);
  EXPECT_EQ(u.index, 0);
  EXPECT_EQ(u.value, "p");
  u.index = 1;
  uint8_t image[4] = {};
  EncodeItems(&u, image, 4, false, t.ctx);
  EXPECT_EQ(image[2], 1);
}

TEST(ParseNumber64, Forms) {
  EXPECT_EQ(ParseNumber64(" 1F ", true, 9), 0x1F);
  EXPECT_EQ(ParseNumber64("0x1F", true, 9), 0x1F);
  EXPECT_EQ(ParseNumber64("0x10", false, 9), 16);
  EXPECT_EQ(ParseNumber64("10h", false, 9), 16);
  EXPECT_EQ(ParseNumber64("-12", false, 9), -12);
  EXPECT_EQ(ParseNumber64("4294967296", false, 9), 4294967296LL);
  EXPECT_EQ(ParseNumber64("", false, 9), 9);
  EXPECT_EQ(ParseNumber64("abc", false, 9), 0);
  EXPECT_EQ(ParseNumber64("12abc", false, 9), 12);
  // A hexadecimal value has no sign: reading stops at the first character
  // that is not a hexadecimal digit.
  EXPECT_EQ(ParseNumber64("-1", true, 9), 0);
  EXPECT_EQ(ParseNumber64("+5", true, 9), 0);
  EXPECT_EQ(ParseNumber64("-0x10", false, 9), 0);
  EXPECT_EQ(ParseNumber64("-10h", false, 9), 0);
  EXPECT_EQ(ParseNumber64("0x", true, 9), 0);
  EXPECT_EQ(ParseNumber64("0xG", true, 9), 0);
  EXPECT_EQ(ParseNumber64("ffffffffffffffffff", true, 9), -1) << "saturates";
}

TEST(Conditions, ParseRules) {
  auto c = ParseConditions("a(1),b(2)c (3,,4,)d()e(");
  ASSERT_EQ(c.size(), 4u);
  EXPECT_EQ(c[0].clauseName, "a");
  EXPECT_EQ(c[1].clauseName, "b");
  EXPECT_EQ(c[2].clauseName, "c ");
  EXPECT_EQ(c[2].clauseValues, (std::vector<std::string>{"3", "", "4"}));
  EXPECT_TRUE(c[3].clauseValues.empty());
  EXPECT_EQ(ParseConditions("a(1), b(2)")[1].clauseName, " b");

  std::string many;
  for (int i = 0; i < 150; ++i) many += "x(" + std::string(150, ',') + ")";
  auto capped = ParseConditions(many);
  EXPECT_EQ(capped.size(), kMaxClauses);
  EXPECT_EQ(capped[0].clauseValues.size(), kMaxClauseValues);
}

TEST(Conditions, RandomTextsNeverFail) {
  EvalTree t(R"~(<fn name="fn"><item name="m" list="1" addr="0" size="1" enableCondition="m(1)">
    <item name="a" value="0"/><item name="b" value="1"/></item></fn>)~");
  std::mt19937 rng(7);
  const std::string alphabet = "(),m01 all";
  for (int round = 0; round < 500; ++round) {
    std::string text;
    for (int i = 0, n = static_cast<int>(rng() % 80); i < n; ++i)
      text += rng() % 5 == 0 ? static_cast<char>(rng() & 0xFF) : alphabet[rng() % alphabet.size()];
    ConfigItem& m = t.Item("m");
    m.enableCondition = text;
    m.disableCondition = text;
    m.defaultCondition = text;
    m.trigger = text;
    UpdateEnable(m, t.ctx);
    SetEnable(m, true, "all", t.ctx);
    Refresh(m, t.ctx);
  }
}

// Items found by condition clauses: the first of a name in depth-first
// order, the same with the root's index as by walking the tree.
TEST(FindItem, IndexGivesTheFirstDepthFirstMatch) {
  EvalTree t(R"~(<fn name="fn">
    <item name="g1"><item name="g2"><item name="dup" edit="1" value="deep"/></item></item>
    <item name="dup" edit="1" value="shallow"/>
    <item name="g3"><item name="dup" edit="1" value="last"/></item>
  </fn>)~");
  ConfigItem* indexed = FindItem(nullptr, t.desc.root.get(), "dup");
  ASSERT_NE(indexed, nullptr);
  EXPECT_EQ(indexed->value, "deep");
  t.desc.root->nameIndex.reset();
  EXPECT_EQ(FindItem(nullptr, t.desc.root.get(), "dup"), indexed);
}

TEST(ApplyDefault, HoldsOnlyUnderItsCondition) {
  EvalTree t(R"~(<fn name="fn">
    <item name="mode" list="1" addr="0" size="1" index="0"><item name="a"/><item name="b"/><item name="c"/></item>
    <item name="txt" edit="1" addr="1" size="1" value="on"/>
    <item name="v" edit="1" addr="2" size="1" value="3" default="9" defaultCondition="mode(1,2)"/>
    <item name="w" edit="1" addr="3" size="1" value="3" default="9" defaultCondition="txt(on)nosuch(4)"/>
    <item name="grp" edit="1" addr="4" size="1" value="3" default="9" defaultCondition="fn(1)"/>
    <item name="nocond" edit="1" addr="5" size="1" value="3" default="9"/>
    <item name="sel" list="1" addr="6" size="1" default="2" defaultCondition="txt()"><item name="p"/><item name="q"/><item name="r"/></item>
  </fn>)~");
  ConfigItem& v = t.Item("v");
  EXPECT_EQ(ApplyDefault(v), 1);
  EXPECT_EQ(v.value, "3");
  t.Item("mode").index = 2;
  uint8_t image[8] = {};
  EncodeItems(t.desc.root.get(), image, sizeof image, true, t.ctx);
  EXPECT_EQ(v.value, "9");
  EXPECT_EQ(image[2], 9);
  EXPECT_EQ(ApplyDefault(t.Item("w")), 0);       // edit text compared exactly; missing item holds
  EXPECT_EQ(ApplyDefault(t.Item("grp")), 1);     // a group with values never holds
  EXPECT_EQ(ApplyDefault(t.Item("nocond")), 1);
  EXPECT_EQ(ApplyDefault(t.Item("sel")), 0);     // no values: holds
  EXPECT_EQ(t.Item("sel").index, 2);
  EXPECT_EQ(t.Attr("sel", "index"), "");         // not mirrored: the element had no index
}

// The enable decision: E is the enable list, D the disable list, the switch
// item's index decides them.
struct EnableCase {
  const char* enable;
  const char* disable;
  int switchIndex;
  int before;
  int after;
};

class UpdateEnableTable : public ::testing::TestWithParam<EnableCase> {};

TEST_P(UpdateEnableTable, Decides) {
  const EnableCase& c = GetParam();
  EvalTree t(std::string(R"~(<fn name="fn"><item name="sw" list="1" addr="0" size="1"><item name="off"/><item name="on"/></item>
    <item name="t" edit="1" addr="1" size="1" enableCondition=")~") + c.enable + "\" disableCondition=\"" + c.disable + "\"/></fn>");
  t.Item("sw").index = c.switchIndex;
  ConfigItem& item = t.Item("t");
  item.disable = c.before;
  UpdateEnable(*t.desc.root, t.ctx);
  EXPECT_EQ(item.disable, c.after) << c.enable << " / " << c.disable;
  EXPECT_EQ(t.Attr("t", "disable"), c.after != c.before ? std::to_string(c.after) : "1");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UpdateEnableTable,
    ::testing::Values(EnableCase{"", "", 1, 0, 0}, EnableCase{"", "", 1, 1, 1},
                      EnableCase{"sw(1)", "", 1, 1, 0}, EnableCase{"sw(1)", "", 0, 0, 1},
                      EnableCase{"", "sw(1)", 0, 0, 1}, EnableCase{"", "sw(1)", 1, 0, 1},
                      EnableCase{"sw(1)", "sw(1)", 1, 1, 1}, EnableCase{"sw(1)", "sw(1)", 1, 0, 0},
                      EnableCase{"sw(1)", "sw(0)", 1, 1, 0}, EnableCase{"nosuch(3)", "", 0, 1, 0},
                      EnableCase{"fn(2)", "", 0, 1, 0},
                      // texts that hold no clause count as no condition at all
                      EnableCase{"sw", "", 1, 0, 0}, EnableCase{"sw(1", "", 1, 0, 0},
                      EnableCase{"", "sw", 0, 1, 1}, EnableCase{"sw", "sw(1", 1, 0, 0}));

TEST(UpdateEnable, ReadonlyAndUlistOptions) {
  EvalTree t(R"~(<fn name="fn">
    <item name="ro" edit="1" addr="0" size="1" readonly="1" disable="0"/>
    <item name="u" ulist="1" addr="1" size="1" disable="0">
      <item name="o1"><item name="inner" edit="1" addr="2" size="1" disable="0" enableCondition="u(1)"/></item>
    </item>
    <item name="e" edit="1" addr="3" size="1" disable="0">
      <item name="under" edit="1" addr="4" size="1" disable="0" enableCondition="u(1)"/>
    </item>
  </fn>)~");
  t.desc.document.child("config").first_child().child("item").remove_attribute("disable");
  UpdateEnable(*t.desc.root, t.ctx);
  EXPECT_EQ(t.Item("ro").disable, 0);             // the field is left alone
  EXPECT_EQ(t.Attr("ro", "disable"), "1");        // the attribute is added
  EXPECT_EQ(t.Item("inner").disable, 1);          // options of a ulist are visited
  EXPECT_EQ(t.Item("under").disable, 0);          // children of an edit value are not
}

struct SetEnableCase {
  bool enable;
  const char* changedName;
  const char* enableCond;
  const char* disableCond;
  int before;
  int after;
};

class SetEnableTable : public ::testing::TestWithParam<SetEnableCase> {};

TEST_P(SetEnableTable, Decides) {
  const SetEnableCase& c = GetParam();
  EvalTree t(std::string(R"~(<fn name="fn"><item name="sw" list="1" addr="0" size="1" index="0"><item name="off"/><item name="on"/></item>
    <item name="t" edit="1" addr="1" size="1" enableCondition=")~") + c.enableCond + "\" disableCondition=\"" + c.disableCond + "\"/></fn>");
  ConfigItem& item = t.Item("t");
  item.disable = c.before;
  SetEnable(item, c.enable, c.changedName, t.ctx);
  EXPECT_EQ(item.disable, c.after);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SetEnableTable,
    ::testing::Values(SetEnableCase{true, "", "", "", 1, 0}, SetEnableCase{false, "", "", "", 0, 1},
                      SetEnableCase{true, "", "sw(1)", "", 0, 1},        // conditions decide, not the flag
                      SetEnableCase{false, "", "sw(0)", "", 1, 0},
                      SetEnableCase{true, "all", "all(1)sw(1)", "", 1, 0},  // the changed name holds at once
                      SetEnableCase{true, "", "all(1)sw(1)", "", 0, 1},
                      SetEnableCase{true, "all", "sw(1)all(1)", "", 0, 1},  // a failing clause before it decides
                      SetEnableCase{true, "all", "sw(0)", "all(1)sw(1)", 1, 1},
                      SetEnableCase{true, "", "sw(0)", "all(1)sw(1)", 1, 0},
                      // texts that hold no clause: the flag decides, as without conditions
                      SetEnableCase{true, "", "sw", "", 1, 0}, SetEnableCase{false, "", "sw(1", "", 0, 1},
                      SetEnableCase{true, "", "", "sw", 1, 0}));

TEST(SetEnable, LeavesTheChangingItemAndReadonlyRows) {
  EvalTree t(R"~(<fn name="fn">
    <item name="g"><item name="a" edit="1" addr="0" size="1" disable="1"/></item>
    <item name="ro" edit="1" addr="1" size="1" readonly="1" disable="0"/>
  </fn>)~");
  t.ctx.changingItem = &t.Item("g");
  SetEnable(*t.desc.root, true, "all", t.ctx);
  EXPECT_EQ(t.Item("a").disable, 1);
  t.ctx.changingItem = nullptr;
  SetEnable(*t.desc.root, true, "all", t.ctx);
  EXPECT_EQ(t.Item("a").disable, 0);
  EXPECT_EQ(t.Attr("a", "disable"), "0");
  EXPECT_EQ(t.Item("ro").disable, 0);
  SetEnable(t.Item("ro"), false, "", t.ctx);
  EXPECT_EQ(t.Item("ro").disable, 1);
  EXPECT_EQ(t.Attr("ro", "disable"), "1");
}

TEST(Refresh, BoundCountsFollowTheirItem) {
  for (auto [count, expected] : {std::pair{"3", 3}, {"0", 0}, {"7", 7}}) {
    EvalTree t(std::string(R"~(<fn name="fn"><item name="n" edit="1" addr="0" size="1" value=")~") + count + R"~("/>
      <item name="g" maxcountbind="n"><item name="a"/><item name="b"/><item name="c"/><item name="d"/><item name="e"/></item>
      <item name="lost" maxcountbind="nosuch"/></fn>)~", true);
    EXPECT_EQ(t.Item("g").boundCount, expected);
    EXPECT_EQ(t.Item("lost").boundCount, kNoBound);
  }
}

TEST(InstallItemBehaviours, LoadsRefreshTheTree) {
  EvalTree t(R"~(<fn name="fn"><item name="v" edit="1" addr="0" size="1" value="1" default="5" defaultCondition="nosuch(1)"/></fn>)~");
  ASSERT_TRUE(t.ctx.refreshTree);
  t.ctx.refreshTree(*t.desc.root);
  EXPECT_EQ(t.Item("v").value, "5");
}

}  // namespace
}  // namespace korvane
