#include <gtest/gtest.h>

#include <functional>

#include "core/model/ConfigItem.h"

namespace korvane {
namespace {

struct Parsed {
  pugi::xml_document doc;
  std::unique_ptr<ConfigItem> root;
  explicit Parsed(const char* xml) {
    EXPECT_TRUE(doc.load_string(xml));
    root = std::make_unique<ConfigItem>();
    root->root = root.get();
    root->children.push_back(ParseItem(doc.first_child(), root.get()));
    BuildNameIndex(*root);
  }
  ConfigItem* operator[](const char* name) { return FindItem(nullptr, root.get(), name); }
};

TEST(ParseItem, InheritsAddressAndSizeAndMakesUpTheDescription) {
  Parsed p(R"~(<F><item name="g" addr="0x20"><item name="grp" size="2">
              <item name="v" addr="0x10" edit="1"/><item name="w" edit="1"/></item>
              <item name="odd" size="3" edit="1"/></item></F>)~");
  ConfigItem* g = p["g"];
  EXPECT_EQ(g->descript, "addr=0x0020");
  ConfigItem* v = p["v"];
  EXPECT_EQ(v->size, 2u);
  EXPECT_EQ(v->sbit, 0);
  EXPECT_EQ(v->ebit, 15);
  EXPECT_EQ(v->descript, "addr=0x0010 size=2 (bit0~bit15)");
  ConfigItem* w = p["w"];
  EXPECT_EQ(w->addr, 0x20);  // from the nearest ancestor with an address
  EXPECT_EQ(w->depth, 4);
  ConfigItem* odd = p["odd"];
  EXPECT_EQ(odd->sbit, -1);
  EXPECT_EQ(odd->ebit, -1);
  EXPECT_EQ(odd->descript, "");
}

TEST(ParseItem, MadeUpDescriptionsFollowBitsAndSize) {
  Parsed p(R"~(<F><item name="a" addr="1" sbit="2" ebit="5" size="1"/><item name="b" addr="1" sbit="2" ebit="5"/>
              <item name="c" addr="1" size="4"/><item name="d" addr="1" sbit="3"/><item name="e" descript="mine" addr="1"/></F>)~");
  EXPECT_EQ(p["a"]->descript, "addr=0x0001 size=1 (bit2~bit5)");
  EXPECT_EQ(p["b"]->descript, "addr=0x0001 (bit2~bit5)");
  EXPECT_EQ(p["c"]->descript, "addr=0x0001 size=4 (bit0~bit31)");  // a group: no default bits
  EXPECT_EQ(p["d"]->descript, "addr=0x0001");
  EXPECT_EQ(p["e"]->descript, "mine");
}

TEST(ParseItem, ValueItemsGainADisableAttributeGroupsDoNot) {
  Parsed p(R"~(<F><item name="v" edit="1"/><item name="w" list="1" disable="0"/><item name="g"/></F>)~");
  EXPECT_EQ(p["v"]->disable, 1);
  EXPECT_STREQ(p["v"]->element.attribute("disable").value(), "1");
  EXPECT_EQ(p["w"]->disable, 0);
  EXPECT_EQ(p["g"]->disable, 0);
  EXPECT_FALSE(p["g"]->element.attribute("disable"));
}

TEST(ParseItem, FlagsNumbersAndTexts) {
  Parsed p(R"~(<F><item name="n" edit="1" max="100" value=" 5 " default="7" fill="0x1FF" size="2" addr="4"
                    inExpression="value*10" outExpression="value/10" signed="1" hex="1" bin="1" data="1"
                    visible="0" setable="1" readonly="1" maxcountbind="cnt" index="3"/>
              <item name="same" edit="1" max="4" min="4" number="0"/><item caption="only caption"/><item/></F>)~");
  ConfigItem* n = p["n"];
  EXPECT_EQ(n->number, 1);  // max differs from min
  EXPECT_EQ(n->max, 100);
  EXPECT_EQ(n->value, " 5 ");
  EXPECT_EQ(n->loadedValue, " 5 ");
  EXPECT_EQ(n->defaultValue, "7");
  EXPECT_EQ(n->hasFill, 1);
  EXPECT_EQ(n->fill, 0x1FF);
  EXPECT_EQ(n->caption, "n");
  EXPECT_EQ(n->isSigned + n->hex + n->bin + n->data + n->setable + n->readonly, 6);
  EXPECT_EQ(n->visible, 0);
  EXPECT_EQ(n->index, 3);
  EXPECT_EQ(n->maxcountbind, "cnt");
  EXPECT_EQ(n->boundCount, kNoBound);
  EXPECT_EQ(n->inheritCondition, 1);
  EXPECT_EQ(p["same"]->number, 0);
  const auto& kids = p.root->children[0]->children;
  EXPECT_EQ(kids[2]->caption, "only caption");
  EXPECT_EQ(kids[3]->caption, "");
  EXPECT_EQ(kids[3]->name, "");
}

TEST(ParseItem, TriggersAndConditionsInherit) {
  Parsed p(R"~(<F><item name="top" trigger="t0" enableCondition="a(1)" defaultCondition="d(1)">
                <item name="mid" inheritTrigger="1" trigger="own" disableCondition="b(2)">
                  <item name="low" inheritTrigger="1"/></item>
                <item name="stop" inheritCondition="0" enableCondition="s(1)">
                  <item name="below"/></item></item></F>)~");
  EXPECT_EQ(p["mid"]->trigger, "t0");  // replaced by the nearest ancestor not inheriting
  EXPECT_EQ(p["low"]->trigger, "t0");
  EXPECT_EQ(p["mid"]->enableCondition, "a(1)");
  EXPECT_EQ(p["low"]->disableCondition, "b(2)");
  EXPECT_EQ(p["low"]->defaultCondition, "d(1)");
  EXPECT_EQ(p["stop"]->enableCondition, "s(1)");  // its own stay
  EXPECT_EQ(p["stop"]->defaultCondition, "");
  EXPECT_EQ(p["below"]->enableCondition, "");     // the walk ends at inheritCondition 0
}

TEST(ParseItem, ChildrenAreTheFirstItemElementAndEverythingAfterIt) {
  Parsed p(R"~(<F><note name="skipped"/><item name="a"/><other name="b"/>text<item name="c"/></F>)~");
  const auto& kids = p.root->children[0]->children;
  ASSERT_EQ(kids.size(), 3u);
  EXPECT_EQ(kids[0]->name, "a");
  EXPECT_EQ(kids[1]->name, "b");
  EXPECT_EQ(kids[2]->name, "c");
  EXPECT_EQ(p["skipped"], nullptr);
}

TEST(FindItem, IndexAgreesWithTheDepthFirstWalk) {
  Parsed p(R"~(<F><item name="x"><item name="dup" value="deep"/></item><item name="dup" value="late"/>
              <item name="y"><item name="z"/></item></F>)~");
  EXPECT_EQ(p["dup"]->value, "deep");  // parent before children, children in order
  ConfigItem* y = p["y"];
  EXPECT_EQ(FindItem(y, nullptr, "z")->name, "z");  // a subtree search without an index
  EXPECT_EQ(FindItem(y, nullptr, "x"), nullptr);
  EXPECT_EQ(FindItem(nullptr, nullptr, "x"), nullptr);
  EXPECT_EQ(FindItem(nullptr, p.root.get(), "nope"), nullptr);
  EXPECT_EQ(FindItem(nullptr, p.root.get(), "Y"), nullptr);  // case-sensitive
  // Every name of the tree: index and walk agree.
  std::function<void(ConfigItem*)> check = [&](ConfigItem* it) {
    EXPECT_EQ(FindItem(nullptr, it, it->name), [&] {
      std::function<ConfigItem*(ConfigItem*)> walk = [&](ConfigItem* n) -> ConfigItem* {
        if (n->name == it->name) return n;
        for (auto& c : n->children)
          if (ConfigItem* f = walk(c.get())) return f;
        return nullptr;
      };
      return walk(p.root.get());
    }());
    for (auto& c : it->children) check(c.get());
  };
  check(p.root.get());
}

TEST(ClearGridRows, EmptiesTheWholeSubtree) {
  Parsed p(R"~(<F><item name="a"><item name="b"/></item></F>)~");
  auto* row = reinterpret_cast<GridRow*>(0x1);
  p["a"]->gridRow = row;
  p["b"]->gridRow = row;
  ClearGridRows(p.root.get());
  EXPECT_EQ(p["a"]->gridRow, nullptr);
  EXPECT_EQ(p["b"]->gridRow, nullptr);
}

TEST(ParseItem, DeepNestingStopsInsteadOfExhaustingTheStack) {
  std::string xml = "<F>";
  for (int i = 0; i < 5000; ++i) xml += "<item name=\"n\">";
  for (int i = 0; i < 5000; ++i) xml += "</item>";
  xml += "</F>";
  Parsed p(xml.c_str());
  int depth = 0;
  for (ConfigItem* it = p.root.get(); !it->children.empty(); it = it->children[0].get()) ++depth;
  EXPECT_EQ(depth, kMaxItemDepth);
}

}  // namespace
}  // namespace korvane
