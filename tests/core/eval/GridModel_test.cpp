#include "core/eval/GridModel.h"

#include <gtest/gtest.h>

#include <functional>

#include "EvalFixture.h"
#include "core/eval/Triggers.h"
#include "core/model/ProjectFile.h"
#include "support/TempDir.h"

namespace korvane {
namespace {

using test::EvalTree;
using test::RecordingHost;
using test::RowCaptions;

struct GridTree : EvalTree {
  RecordingHost host;
  GridModel grid{desc, &host};
  explicit GridTree(const std::string& xml) : EvalTree(xml, true) {
    ctx.language.LoadFromXml(R"~(<language name="en-us"><text key="MAXMIN_Value_Notify">Range: </text></language>)~");
  }
  void Show(const std::string& name) { ShowItemInGrid(desc, &Item(name), grid); }
};

struct InputCase {
  const char* attrs;
  const char* validChars;
  int maxLength;
  int64_t rangeMin;
  int64_t rangeMax;
};

class InputSetup : public ::testing::TestWithParam<InputCase> {};

TEST_P(InputSetup, ByFlag) {
  const InputCase& c = GetParam();
  GridTree t(std::string("<fn name=\"fn\"><item name=\"v\" edit=\"1\" addr=\"0\" disable=\"0\" ") + c.attrs + "/></fn>");
  t.Show("fn");
  GridRow* row = t.Item("v").gridRow;
  ASSERT_NE(row, nullptr);
  EXPECT_EQ(row->validChars, c.validChars) << c.attrs;
  EXPECT_EQ(row->EffectiveMaxLength(), c.maxLength) << c.attrs;
  EXPECT_EQ(row->rangeMin, c.rangeMin) << c.attrs;
  EXPECT_EQ(row->rangeMax, c.rangeMax) << c.attrs;
  EXPECT_TRUE(row->allowTyping);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, InputSetup,
    ::testing::Values(
        InputCase{"size=\"1\" number=\"1\" sbit=\"3\" ebit=\"3\"", "0123456789", 10, 0, 1},
        InputCase{"size=\"1\" number=\"1\" sbit=\"0\" ebit=\"3\"", "0123456789", 10, 0, 15},
        InputCase{"size=\"1\" signed=\"1\" sbit=\"0\" ebit=\"3\"", "-0123456789", 10, -8, 7},
        InputCase{"size=\"1\" number=\"1\" signed=\"1\"", "-0123456789", 10, -128, 127},
        // The range follows the bits the encoder stores, however wide the description's range.
        InputCase{"size=\"4\" number=\"1\" sbit=\"0\" ebit=\"0x7FFFFFFF\"", "0123456789", 10, 0, 0xFFFFFFFFll},
        InputCase{"size=\"4\" signed=\"1\" sbit=\"-2147483648\" ebit=\"2147483647\"", "-0123456789", 10,
                  INT32_MIN, INT32_MAX},
        InputCase{"size=\"4\" number=\"1\" sbit=\"4\" ebit=\"40\"", "0123456789", 10, 0, 0xFFFFFFF},
        InputCase{"size=\"4\" number=\"1\"", "0123456789", 10, 0, 0xFFFFFFFFll},
        InputCase{"size=\"1\" max=\"100\" min=\"10\" sbit=\"0\" ebit=\"1\"", "0123456789", 10, 10, 100},
        InputCase{"size=\"3\" number=\"1\"", "0123456789", 10, 0, 0},
        InputCase{"size=\"1\" hex=\"1\"", "0123456789abcdefABCDEFxX", 4, 0, 0xFF},
        InputCase{"size=\"2\" hex=\"1\"", "0123456789abcdefABCDEFxX", 6, 0, 0xFFFF},
        InputCase{"size=\"4\" hex=\"1\"", "0123456789abcdefABCDEFxX", 10, 0, 0xFFFFFFFFll},
        InputCase{"size=\"1\" bin=\"1\"", "01", 100, 0, 0},
        InputCase{"size=\"1\" data=\"1\"", "0123456789abcdefABCDEF ", 100, 0, 0},
        InputCase{"size=\"1\"", "", 100, 0, 0}));

struct RangeCase {
  const char* attrs;
  const char* typed;
  const char* shown;      // the row's and the item's value afterwards
  const char* warning;    // empty: none
};

class RangeCheck : public ::testing::TestWithParam<RangeCase> {};

TEST_P(RangeCheck, AtTheEndOfEditing) {
  const RangeCase& c = GetParam();
  GridTree t(std::string("<fn name=\"fn\"><item name=\"v\" edit=\"1\" addr=\"0\" disable=\"0\" ") + c.attrs + "/></fn>");
  t.Show("fn");
  t.grid.CommitValue(*t.Item("v").gridRow, c.typed);
  EXPECT_EQ(t.Item("v").gridRow->Value(), c.shown) << c.typed;
  EXPECT_EQ(t.Item("v").value, c.shown) << c.typed;
  EXPECT_EQ(t.Attr("v", "value"), c.shown) << c.typed;
  if (*c.warning) {
    ASSERT_EQ(t.host.warnings.size(), 1u) << c.typed;
    EXPECT_EQ(t.host.warnings[0], std::string("Range: ") + c.warning);
  } else {
    EXPECT_TRUE(t.host.warnings.empty()) << c.typed;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RangeCheck,
    ::testing::Values(RangeCase{"size=\"1\" number=\"1\" sbit=\"3\" ebit=\"3\"", "1", "1", ""},
                      RangeCase{"size=\"1\" number=\"1\" sbit=\"3\" ebit=\"3\"", "2", "1", "0 ~ 1!"},
                      RangeCase{"size=\"1\" number=\"1\" sbit=\"0\" ebit=\"3\"", "20", "15", "0 ~ 15!"},
                      RangeCase{"size=\"1\" signed=\"1\" sbit=\"0\" ebit=\"3\"", "-8", "-8", ""},
                      RangeCase{"size=\"1\" signed=\"1\" sbit=\"0\" ebit=\"3\"", "-9", "7", "-8 ~ 7!"},
                      RangeCase{"size=\"1\" hex=\"1\"", "ff", "0xFF", ""},
                      RangeCase{"size=\"1\" hex=\"1\"", "1ff", "0xFF", "0 ~ 255!"},
                      RangeCase{"size=\"2\" hex=\"1\"", "0x12", "0x0012", ""},
                      RangeCase{"size=\"1\" hex=\"1\"", "-1", "0x00", ""},  // no sign in hexadecimal
                      RangeCase{"size=\"2\" hex=\"1\"", "+5", "0x0000", ""},
                      RangeCase{"size=\"1\" max=\"100\" min=\"10\"", "5", "100", "10 ~ 100!"},
                      RangeCase{"size=\"1\" bin=\"1\"", "101", "101", ""}));

TEST(GridModel, CommitUpdatesItemElementFlagsAndRunsTheTrigger) {
  GridTree t(R"~(<fn name="fn">
    <item name="e" edit="1" addr="0" size="1" disable="0" trigger="disable(o)"/>
    <item name="o" edit="1" addr="1" size="1" disable="0"/>
    <item name="l" list="1" addr="2" size="1" disable="0">
      <item name="l0" value="5"/><item name="hidden" visible="0" value="6"/><item name="l2" value="7"/>
    </item>
  </fn>)~");
  t.Show("fn");
  ASSERT_EQ(t.desc.modified, 0);
  t.desc.checksumDirty = 0;
  GridRow* e = t.Item("e").gridRow;
  EXPECT_FALSE(e->IsModified());
  t.grid.CommitValue(*e, "12");
  EXPECT_EQ(t.desc.modified, 1);
  EXPECT_EQ(t.desc.checksumDirty, 1);
  EXPECT_EQ(t.Attr("e", "value"), "12");  // added by the commit
  EXPECT_TRUE(e->IsModified());
  EXPECT_EQ(t.Item("o").disable, 1);
  EXPECT_FALSE(t.Item("o").gridRow->IsEnabled());
  EXPECT_EQ(t.ctx.changingItem, nullptr);
  EXPECT_EQ(t.host.relayouts, 1);
  // A hidden option is not offered; the third child keeps its position 2.
  GridRow* l = t.Item("l").gridRow;
  EXPECT_EQ(l->options, (std::vector<std::string>{"l0", "l2"}));
  EXPECT_FALSE(l->allowTyping);
  t.grid.CommitValue(*l, "l2");
  EXPECT_EQ(t.Item("l").index, 2);
  EXPECT_EQ(t.Attr("l", "index"), "2");
  t.grid.CommitValue(*l, "nothing");
  EXPECT_EQ(t.Item("l").index, 2);
}

TEST(GridModel, HiddenItemsAndBoundCounts) {
  GridTree t(R"~(<fn name="fn">
    <item name="n" edit="1" addr="0" size="1" value="2" disable="0" trigger="update(g)"/>
    <item name="g" maxcountbind="n"><item name="a" edit="1" addr="1" size="1"/><item name="b" edit="1" addr="2" size="1"/>
      <item name="c" edit="1" addr="3" size="1"/><item name="d" edit="1" addr="4" size="1"/><item name="e" edit="1" addr="5" size="1"/></item>
    <item name="hid" edit="1" addr="6" size="1" visible="0"/>
  </fn>)~");
  t.Show("fn");
  EXPECT_EQ(RowCaptions(t.grid), (std::vector<std::string>{"fn", "  n", "  g", "    a", "    b"}));
  EXPECT_EQ(t.Item("hid").gridRow, nullptr);
  t.grid.CommitValue(*t.Item("n").gridRow, "4");
  EXPECT_EQ(t.Item("g").gridRow->SubRowCount(), 4u);
  t.grid.CommitValue(*t.Item("n").gridRow, "1");
  EXPECT_EQ(t.Item("g").gridRow->SubRowCount(), 1u);
  EXPECT_EQ(t.Item("b").gridRow, nullptr);  // the removed row is no longer the item's
}

const char* kUlistXml = R"~(<fn name="fn">
  <item name="grp">
    <item name="first" edit="1" addr="0" size="1" disable="0"/>
    <item name="u" ulist="1" addr="1" size="1" disable="0" value="o0">
      <item name="o0"><item name="p0a" edit="1" addr="2" size="1"/><item name="p0b" edit="1" addr="3" size="1"/></item>
      <item name="o1"><item name="p1a" edit="1" addr="4" size="1"/>
        <item name="iu" ulist="1" addr="5" size="1" value="i0" disable="0">
          <item name="i0"><item name="q" edit="1" addr="6" size="1"/></item><item name="i1"/></item></item>
    </item>
    <item name="last" edit="1" addr="7" size="1"/>
  </item>
</fn>)~";

TEST(GridModel, UlistRowsFollowTheSelectedOptionUnderAGroup) {
  GridTree t(kUlistXml);
  t.Show("grp");
  EXPECT_EQ(RowCaptions(t.grid), (std::vector<std::string>{"grp", "  first", "  u", "  p0a", "  p0b", "  last"}));
  ConfigItem* p0a = &t.Item("p0a");
  t.grid.CommitValue(*t.Item("u").gridRow, "o1");
  EXPECT_EQ(t.Item("u").index, 1);
  EXPECT_EQ(RowCaptions(t.grid), (std::vector<std::string>{"grp", "  first", "  u", "  p1a", "  iu", "  q", "  last"}));
  EXPECT_EQ(p0a->gridRow, nullptr);
  // Going back removes the nested ulist's option rows as well.
  t.grid.CommitValue(*t.Item("u").gridRow, "o0");
  EXPECT_EQ(RowCaptions(t.grid), (std::vector<std::string>{"grp", "  first", "  u", "  p0a", "  p0b", "  last"}));
  EXPECT_EQ(t.Item("q").gridRow, nullptr);
}

TEST(GridModel, UlistRowsFollowTheSelectedOptionAtTheTopLevel) {
  GridTree t(kUlistXml);
  t.Show("u");
  EXPECT_EQ(RowCaptions(t.grid), (std::vector<std::string>{"u", "p0a", "p0b"}));
  t.grid.CommitValue(*t.Item("u").gridRow, "o1");
  EXPECT_EQ(RowCaptions(t.grid), (std::vector<std::string>{"u", "p1a", "iu", "q"}));
  EXPECT_EQ(t.Item("o0").loadedValue, "0");  // positions stand in for missing option values
  EXPECT_EQ(t.Item("o1").loadedValue, "1");
}

TEST(GridModel, DescriptionShowsTheEncodedWord) {
  GridTree t(R"~(<fn name="fn">
    <item name="w" addr="0x10" size="2" descript="word">
      <item name="lo" edit="1" sbit="0" ebit="7" value="0x34" descript="low"/>
      <item name="hi" edit="1" sbit="8" ebit="15" value="0x12"/>
    </item>
    <item name="odd" edit="1" addr="0x20" size="3" descript="odd"/>
    <item name="nowhere" edit="1" size="2" descript="none"/>
  </fn>)~");
  t.Show("fn");
  GridRow& lo = *t.Item("lo").gridRow;
  t.grid.OnChangeSelection(&lo);
  EXPECT_EQ(lo.description, "low\ndata=0x1234");
  t.grid.OnChangeSelection(t.Item("odd").gridRow);
  EXPECT_EQ(t.Item("odd").gridRow->description, "odd\n");
  t.grid.OnChangeSelection(t.Item("nowhere").gridRow);  // a word without an address shows no data
  EXPECT_EQ(t.Item("nowhere").gridRow->description, "none\n");
  EXPECT_EQ(t.ctx.scratch.size(), kImageSize);
}

TEST(GridModel, SelectionAndTheCommandLineSet) {
  GridTree t(R"~(<fn name="fn">
    <item name="s" setable="1">
      <item name="inner"><item name="v" edit="1" addr="0" size="1" number="1" disable="0"/></item>
    </item>
    <item name="off" edit="1" addr="1" size="1" disable="1"/>
    <item name="l" list="1" addr="2" size="1" disable="0"><item name="A"/><item name="B"/></item>
    <item name="hidden" visible="0"><item name="h" edit="1" addr="3" size="1" disable="0"/></item>
  </fn>)~");
  EXPECT_EQ(NearestTreeNode(t.Item("v")), &t.Item("s"));
  SetValueProblem problem;
  EXPECT_TRUE(SetItemValue(t.desc, t.grid, t.Item("v"), "200", &problem));
  EXPECT_EQ(t.Item("v").value, "200");
  EXPECT_EQ(t.desc.currentItem, &t.Item("s"));
  EXPECT_TRUE(SetItemValue(t.desc, t.grid, t.Item("v"), "300", &problem));
  EXPECT_EQ(t.Item("v").value, "255");  // the range check ran
  EXPECT_EQ(t.host.warnings.size(), 1u);
  EXPECT_FALSE(SetItemValue(t.desc, t.grid, t.Item("v"), "12a", &problem));
  EXPECT_EQ(problem, SetValueProblem::NotTypable);
  EXPECT_FALSE(SetItemValue(t.desc, t.grid, t.Item("off"), "1", &problem));
  EXPECT_EQ(problem, SetValueProblem::Disabled);
  EXPECT_FALSE(SetItemValue(t.desc, t.grid, t.Item("l"), "C", &problem));
  EXPECT_EQ(problem, SetValueProblem::NoSuchOption);
  EXPECT_TRUE(SetItemValue(t.desc, t.grid, t.Item("l"), "B", &problem));
  EXPECT_EQ(t.Item("l").index, 1);
  EXPECT_FALSE(SetItemValue(t.desc, t.grid, t.Item("h"), "1", &problem));
  EXPECT_EQ(problem, SetValueProblem::NoRow);
  EXPECT_FALSE(SetItemValue(t.desc, t.grid, t.Item("inner"), "1", &problem));

  ShowItemInGrid(t.desc, t.desc.root.get(), t.grid);
  EXPECT_EQ(t.desc.currentItem, nullptr);
  EXPECT_TRUE(t.grid.Rows().empty());
  EXPECT_EQ(t.Item("l").gridRow, nullptr);
}

// The command line commits exactly as the grid: a value the row already
// shows commits nothing (no trigger, no modified flag), and the end of
// editing still checks the range.
TEST(GridModel, TheCommandLineSetCommitsNothingThatIsUnchanged) {
  GridTree t(R"~(<fn name="fn">
    <item name="l" list="1" addr="0" size="1" index="1" disable="0">
      <item name="A" value="0" trigger="enable(o)"/><item name="B" value="1" trigger="disable(o)"/>
    </item>
    <item name="o" edit="1" addr="1" size="1" disable="0"/>
    <item name="v" edit="1" addr="2" size="1" number="1" value="300" disable="0"/>
  </fn>)~");
  SetValueProblem problem;
  ASSERT_TRUE(SetItemValue(t.desc, t.grid, t.Item("l"), "B", &problem));
  EXPECT_EQ(t.desc.modified, 0);
  EXPECT_EQ(t.Item("o").disable, 0) << "the trigger of B did not run";
  ASSERT_TRUE(SetItemValue(t.desc, t.grid, t.Item("v"), "300", &problem));
  EXPECT_EQ(t.desc.modified, 0);
  EXPECT_EQ(t.Item("v").value, "255") << "the range check ran";
  EXPECT_EQ(t.host.warnings.size(), 1u);

  ASSERT_TRUE(SetItemValue(t.desc, t.grid, t.Item("l"), "A", &problem));
  EXPECT_EQ(t.desc.modified, 1);
  ASSERT_TRUE(SetItemValue(t.desc, t.grid, t.Item("l"), "B", &problem));
  EXPECT_EQ(t.Item("o").disable, 1) << "a change runs the trigger";
}

// A value the grid accepts reaches the image and reads back from it, however
// wide a range the description gives: grid, encoder and decoder agree.
TEST(GridModel, ACommittedValueReachesTheImageWhateverTheBitRange) {
  for (const char* range : {R"(sbit="0" ebit="0x7FFFFFFF")", R"(sbit="-2147483648" ebit="2147483647")",
                            R"(sbit="0" ebit="31")"}) {
    GridTree t(std::string(R"(<fn name="fn"><item name="x" edit="1" number="1" addr="0" size="4" disable="0" )") +
               range + "/></fn>");
    SetValueProblem problem = SetValueProblem::None;
    ASSERT_TRUE(SetItemValue(t.desc, t.grid, t.Item("x"), "7", &problem)) << range;
    EXPECT_EQ(t.Item("x").value, "7") << range;
    EXPECT_TRUE(t.host.warnings.empty()) << range;
    uint8_t image[4] = {0xEE, 0xEE, 0xEE, 0xEE};
    EncodeItems(t.desc.root.get(), image, sizeof image, true, t.ctx);
    EXPECT_EQ(std::vector<uint8_t>(image, image + 4), (std::vector<uint8_t>{7, 0, 0, 0})) << range;
    image[0] = 9;
    t.grid.Clear();
    DecodeItems(t.desc.root.get(), image, sizeof image, t.ctx);
    EXPECT_EQ(t.Item("x").value, "9") << range;
  }
}

TEST(GridModel, ReadsFireTriggersOnlyForShownLists) {
  GridTree t(R"~(<fn name="fn">
    <item name="l" list="1" addr="0" size="1" disable="0"><item name="A" value="0"/><item name="B" value="1" trigger="disable(o)"/></item>
    <item name="o" edit="1" addr="1" size="1" disable="0"/>
  </fn>)~");
  SetRawValue(t.Item("l"), 1, t.ctx);
  EXPECT_EQ(t.Item("o").disable, 0);
  t.Show("fn");
  t.Item("l").index = 0;
  SetRawValue(t.Item("l"), 1, t.ctx);
  EXPECT_EQ(t.Item("o").disable, 1);
  EXPECT_EQ(t.Item("l").gridRow->Value(), "B");
  EXPECT_EQ(t.ctx.changingItem, nullptr);
}

// Option texts follow index, a position among all children, also when an
// option before it is hidden from the drop-down list.
TEST(GridModel, ReadsAndForcesShowTheOptionOfTheIndex) {
  GridTree t(R"~(<fn name="fn">
    <item name="l" list="1" addr="0" size="1" disable="0">
      <item name="A" value="0"/><item name="hidden" visible="0" value="1"/><item name="C" value="2"/>
    </item>
    <item name="e" edit="1" addr="1" size="1" trigger="l(2)"/>
  </fn>)~");
  t.Show("fn");
  SetRawValue(t.Item("l"), 2, t.ctx);
  EXPECT_EQ(t.Item("l").index, 2);
  EXPECT_EQ(t.Item("l").gridRow->Value(), "C");
  t.grid.CommitValue(*t.Item("l").gridRow, "A");
  EXPECT_EQ(t.Item("l").index, 0);
  ForceValue(t.Item("l"), {"2"});
  EXPECT_EQ(t.Item("l").value, "C");
  EXPECT_EQ(t.Item("l").gridRow->Value(), "C");
}

TEST(GridModel, RegistersInTheContext) {
  EvalTree t("<fn name=\"fn\"/>");
  {
    GridModel grid(t.desc, nullptr);
    EXPECT_EQ(t.ctx.grid, &grid);
  }
  EXPECT_EQ(t.ctx.grid, nullptr);
}

}  // namespace
}  // namespace korvane

namespace korvane {
namespace {

// A ulist saved and reopened shows the option its image encodes, whatever
// changed its index: a commit in the grid, a read from the device, a
// trigger's forced value or a default. A project whose value and index
// disagree (written before they were kept together) opens on the option the
// index names, the one that is encoded.
struct UlistProject : testing::Test {
  test::TempDir dir;
  CoreContext ctx;
  test::RecordingHost host;
  std::unique_ptr<ChipDescription> desc = std::make_unique<ChipDescription>(ctx);
  std::unique_ptr<GridModel> grid = std::make_unique<GridModel>(*desc, &host);

  UlistProject() { InstallItemBehaviours(ctx); }

  static std::string Xml(const char* mode) {
    return std::string(R"~(<?xml version="1.0"?>
<config name="U">
	<fn chipType="1" funcType="0" confStart="0" confEnd="0xFF">
		<item name="grp" caption="Group">
			<item name="sw" caption="Switch" list="1" addr="3" size="1" index="0" disable="0">
				<item name="keep" value="0"/><item name="force" value="1" trigger="mode(1)"/>
			</item>
			)~") + mode + R"~(
				<item name="pd" caption="PD" value="0"><item name="pdv" caption="PD volts" edit="1" addr="1" size="1" value="5" disable="0"/></item>
				<item name="qc" caption="QC" value="1"><item name="qcv" caption="QC volts" edit="1" addr="2" size="1" value="9" disable="0"/></item>
			</item>
		</item>
	</fn>
</config>
)~";
  }
  static constexpr const char* kMode = R"(<item name="mode" caption="Mode" ulist="1" addr="0" size="1" index="0" value="pd" disable="0">)";

  ConfigItem& Item(const char* name) { return *FindItem(nullptr, desc->root.get(), name); }
  bool Open(const std::string& path) {
    grid.reset();  // the rows first: they point at the old items
    desc = std::make_unique<ChipDescription>(ctx);
    grid = std::make_unique<GridModel>(*desc, &host);
    return desc->OpenDescription(path, nullptr);
  }
  std::vector<std::string> Rows() {
    ShowItemInGrid(*desc, &Item("grp"), *grid);
    return RowCaptions(*grid);
  }
  // Saves, reopens, and gives the rows the reopened project shows.
  std::vector<std::string> ReopenedRows() {
    const std::string path = dir.Path() + "/saved.xml";
    EXPECT_TRUE(SaveProject(*desc, path));
    EXPECT_TRUE(Open(path));
    return Rows();
  }
};

const std::vector<std::string> kQcRows = {"Group", "  Switch", "  Mode", "  QC volts"};

TEST_F(UlistProject, EveryWayTheIndexChangesSurvivesSaveAndReopen) {
  const std::string path = dir.Path() + "/u.xml";
  const struct {
    const char* what;
    const char* mode;
    std::function<void(UlistProject&)> change;
  } cases[] = {
      {"a commit in the grid", kMode,
       [](UlistProject& p) {
         p.Rows();
         p.grid->CommitValue(*p.Item("mode").gridRow, "qc");
       }},
      {"a read from the device", kMode,
       [](UlistProject& p) {
         const uint8_t image[4] = {1, 0, 0, 0};
         ClearGridRows(p.desc->root.get());
         p.grid->Clear();
         DecodeItems(p.desc->root.get(), image, sizeof image, p.ctx);
       }},
      {"a trigger's forced value", kMode,
       [](UlistProject& p) {
         p.Rows();
         p.grid->CommitValue(*p.Item("sw").gridRow, "force");
       }},
      {"a default under its condition",
       R"~(<item name="mode" caption="Mode" ulist="1" addr="0" size="1" index="0" value="pd" disable="0" default="1" defaultCondition="sw(1)">)~",
       [](UlistProject& p) {
         p.Item("sw").index = 1;
         Refresh(*p.desc->root, p.ctx);
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    test::WriteText(path, Xml(c.mode));
    ASSERT_TRUE(Open(path));
    ASSERT_EQ(Item("mode").index, 0);
    c.change(*this);
    EXPECT_EQ(Item("mode").index, 1);
    EXPECT_EQ(std::string(Item("mode").element.attribute("value").value()), "qc") << "changed in the same step";
    EXPECT_EQ(ReopenedRows(), kQcRows);
    EXPECT_EQ(Item("mode").index, 1);
    EXPECT_EQ(Item("mode").value, "qc");
  }
}

TEST_F(UlistProject, AnOlderProjectOpensOnTheOptionItsIndexNames) {
  const std::string path = dir.Path() + "/old.xml";
  test::WriteText(path, Xml(R"(<item name="mode" caption="Mode" ulist="1" addr="0" size="1" index="1" value="pd" disable="0">)"));
  ASSERT_TRUE(Open(path));
  EXPECT_EQ(Item("mode").value, "qc");
  EXPECT_EQ(Rows(), kQcRows);
  // Edits go to the rows the image encodes.
  ASSERT_NE(Item("qcv").gridRow, nullptr);
  grid->CommitValue(*Item("qcv").gridRow, "12");
  uint8_t image[4] = {};
  EncodeItems(desc->root.get(), image, sizeof image, true, ctx);
  EXPECT_EQ(image[0], 1);
  EXPECT_EQ(image[2], 12);
}

}  // namespace
}  // namespace korvane
