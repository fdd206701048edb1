#include "core/eval/Triggers.h"

#include <random>

#include <gtest/gtest.h>

#include "EvalFixture.h"

namespace korvane {
namespace {

using test::EvalTree;

// A switch list whose option "go" carries the trigger under test, and the
// items it acts on.
std::string TriggerTree(const std::string& trigger, const std::string& extra = "") {
  return R"~(<fn name="fn">
    <item name="sw" list="1" addr="0" size="1" index="1"><item name="idle"/><item name="go" trigger=")~" +
         trigger + R"~("/></item>
    <item name="mode" list="1" addr="1" size="1" index="2" disable="0">
      <item name="m0" value="0"/><item name="m1" value="1"/><item name="m2" value="2" trigger="disable(b)"/>
    </item>
    <item name="a" edit="1" addr="2" size="1" value="1"/>
    <item name="b" edit="1" addr="3" size="1" value="2"/>
    <item name="c" edit="1" addr="4" size="1" value="3" disable="0"/>
    <item name="x" edit="1" addr="5" size="1" value="4" default="44" defaultCondition="mode(1)"/>
    <item name="y" edit="1" addr="6" size="1" value="5" default="55" defaultCondition="sw(1)"/>
    <item name="g"><item name="ga" edit="1" addr="7" size="1" value="6"/>
      <item name="gl" list="1" addr="8" size="1" index="1"><item name="l0"/><item name="l1"/></item>
      <item name="gu" ulist="1" addr="9" size="1" index="1"><item name="u0"/><item name="u1"/></item></item>
    )~" + extra + "</fn>";
}

int Fire(EvalTree& t, const std::string& name) {
  ConfigItem& item = t.Item(name);
  t.ctx.changingItem = &item;
  const int r = ApplyTrigger(item, t.ctx);
  t.ctx.changingItem = nullptr;
  return r;
}

TEST(ParseTrigger, SortsKeywordsAndClauses) {
  const TriggerLists l = ParseTrigger("enable(a,b)disable(c),update(all,x)valid(v)mode(1,2)Enable(q)enable(d)");
  EXPECT_EQ(l.enableList, (std::vector<std::string>{"a", "b", "d"}));
  EXPECT_EQ(l.disableList, (std::vector<std::string>{"c"}));
  EXPECT_EQ(l.updateList, (std::vector<std::string>{"all", "x"}));
  EXPECT_EQ(l.validList, (std::vector<std::string>{"v"}));
  ASSERT_EQ(l.clauses.size(), 2u);
  EXPECT_EQ(l.clauses[0].clauseName, "mode");
  EXPECT_EQ(l.clauses[1].clauseName, "Enable");  // keywords are lower case only
}

TEST(ApplyTrigger, EnablesAndDisablesRespectingConditions) {
  EvalTree t(TriggerTree("enable(a,b)disable(c)"));
  t.Item("a").enableCondition = "mode(0)";
  EXPECT_EQ(Fire(t, "sw"), 1);
  EXPECT_EQ(t.Item("a").disable, 1);  // its own condition decides
  EXPECT_EQ(t.Item("b").disable, 0);
  EXPECT_EQ(t.Item("c").disable, 1);
}

TEST(ApplyTrigger, DisableRunsAfterEnable) {
  EvalTree t(TriggerTree("disable(c)enable(c)"));
  Fire(t, "sw");
  EXPECT_EQ(t.Item("c").disable, 1);
}

TEST(ApplyTrigger, ForcedValuesAreInPlaceBeforeTheRefresh) {
  EvalTree t(TriggerTree("update(x)mode(1)"));
  GridModel grid(t.desc, nullptr);
  grid.AddRow(&t.Function(), nullptr, false);
  Fire(t, "sw");
  EXPECT_EQ(t.Item("mode").index, 1);
  EXPECT_EQ(t.Item("mode").gridRow->Value(), "m1");
  EXPECT_EQ(t.Item("x").value, "44");
  EXPECT_EQ(t.Item("y").value, "5");  // not listed under update
  // The forced item's own trigger ('disable(b)' on m2) never fires.
  EXPECT_EQ(t.Item("b").disable, 1);
  t.Item("b").disable = 0;
  t.Item("mode").index = 0;
  t.Item("sw").children[1]->trigger = "mode(2)";
  Fire(t, "sw");
  EXPECT_EQ(t.Item("mode").index, 2);
  EXPECT_EQ(t.Item("b").disable, 0);
}

TEST(ApplyTrigger, ForceKeepsAnAllowedValue) {
  EvalTree t(TriggerTree("mode(1,2)a(1,7)b(9)g(1)nosuch(1)"));
  Fire(t, "sw");
  EXPECT_EQ(t.Item("mode").index, 2);
  EXPECT_EQ(t.Item("a").value, "1");
  EXPECT_EQ(t.Item("b").value, "9");
  EXPECT_EQ(t.Attr("b", "value"), "9");
}

TEST(ApplyTrigger, UpdateAllRefreshesTheWholeTree) {
  EvalTree t(TriggerTree("update(all)"));
  t.Item("mode").index = 1;
  Fire(t, "sw");
  EXPECT_EQ(t.Item("x").value, "44");
  EXPECT_EQ(t.Item("y").value, "55");
}

TEST(ApplyTrigger, EnableAllSparesTheChangedItem) {
  EvalTree t(TriggerTree("enable(all)"));
  t.Item("sw").disable = 1;
  t.Item("c").enableCondition = "mode(0)";
  Fire(t, "sw");
  EXPECT_EQ(t.Item("sw").disable, 1);
  EXPECT_EQ(t.Item("a").disable, 0);
  EXPECT_EQ(t.Item("ga").disable, 0);
  EXPECT_EQ(t.Item("c").disable, 1);
}

TEST(ApplyTrigger, ValidResetsWhenTheChangedTextReadsZero) {
  for (auto [text, resets] : {std::pair{"0", true}, {"5", false}, {"0x05", true}, {" -0", true}, {"Off", true}}) {
    EvalTree t(R"~(<fn name="fn"><item name="e" edit="1" addr="0" size="1" trigger="valid(a,g,nosuch)"/>)~" +
               TriggerTree("").substr(std::string("<fn name=\"fn\">").size()));
    t.Item("e").value = text;
    Fire(t, "e");
    EXPECT_EQ(t.Item("a").value, resets ? "0" : "1") << text;
    EXPECT_EQ(t.Item("ga").value, resets ? "0" : "6") << text;
    EXPECT_EQ(t.Item("gl").index, resets ? 0 : 1) << text;
    EXPECT_EQ(t.Item("gu").index, 1) << text;  // ulists are never reset
  }
}

TEST(ApplyTrigger, NoOptionSelectedRunsNothing) {
  EvalTree t(TriggerTree("disable(c)"));
  t.Item("sw").index = 5;
  EXPECT_EQ(Fire(t, "sw"), 0);
  EXPECT_EQ(t.Item("c").disable, 0);
}

TEST(ApplyTrigger, RandomTextsNeverFail) {
  EvalTree t(TriggerTree(""));
  std::mt19937 rng(42);
  const std::vector<std::string> words = {"enable", "disable", "update", "valid", "all", "mode", "a", "g",
                                          "(", ")", ",", "1", "0", "x"};
  for (int round = 0; round < 300; ++round) {
    std::string text;
    for (int i = 0, n = static_cast<int>(rng() % 30); i < n; ++i)
      text += rng() % 6 == 0 ? std::string(1, static_cast<char>(rng() & 0xFF)) : words[rng() % words.size()];
    t.Item("sw").index = 1;
    t.Item("sw").children[1]->trigger = text;
    Fire(t, "sw");
  }
}

}  // namespace
}  // namespace korvane
