// Condition and trigger texts from outside, applied to a small loaded tree:
// each input line is one text, given in turn to a chosen item as its
// enable, disable or default condition and to an item or option as its
// trigger; then the tree is refreshed and shown in the grid, the conditions
// are judged clause by clause, and each trigger runs as a commit runs it.
#include <vector>

#include "FuzzSupport.h"
#include "core/eval/Conditions.h"
#include "core/eval/GridModel.h"
#include "core/eval/ItemBehaviours.h"
#include "core/eval/Triggers.h"
#include "core/model/ChipDescription.h"
#include "core/model/CoreContext.h"

namespace korvane::fuzz {
namespace {

// Every kind of item the texts can name: groups, edit values, a list whose
// options carry triggers, a ulist whose options carry items, a bound count,
// a hidden group and a setable one.
const char* kTree = R"~(<?xml version="1.0"?>
<config name="FZ">
  <F chipType="1" funcType="0" fill="0xFF" confStart="0x100" confEnd="0x1FF">
    <item name="power" addr="0x100" size="1">
      <item name="mode" list="1" sbit="0" ebit="1" trigger="volt(5)"><item name="Off" value="0"/>
        <item name="On" value="1" trigger="enable(volt,amps)update(all)"/><item name="Eco" value="2" trigger="valid(count)"/></item>
      <item name="volt" edit="1" number="1" max="20" min="1" addr="0x101" default="9" defaultCondition="mode(1)"
        enableCondition="mode(1,2)"/>
      <item name="amps" edit="1" hex="1" addr="0x102" size="2" disableCondition="mode(0)"/>
    </item>
    <item name="ports" addr="0x110" size="1">
      <item name="count" edit="1" number="1" sbit="0" ebit="2" value="2"/>
      <item name="list" maxcountbind="count"><item name="p1" edit="1" addr="0x111" size="1"/>
        <item name="p2" edit="1" addr="0x112" size="1"/><item name="p3" edit="1" addr="0x113" size="1"/></item>
      <item name="kind" ulist="1" addr="0x114" size="1"><item name="A" value="1"><item name="a1" edit="1" addr="0x115" size="1"/></item>
        <item name="B" value="2"><item name="b1" edit="1" signed="1" addr="0x116" size="1" inheritTrigger="1"/></item></item>
    </item>
    <item name="hidden" visible="0"><item name="h" edit="1" addr="0x120" size="4"/></item>
    <item name="s" setable="1" inheritCondition="0"><item name="s1" edit="1" addr="0x124" size="1" bin="1"/></item>
  </F>
</config>)~";

struct SilentHost : IGridHost {
  void PostWarning(const std::string&) override {}
};

void Collect(ConfigItem* item, std::vector<ConfigItem*>& out) {
  out.push_back(item);
  for (auto& child : item->children) Collect(child.get(), out);
}

}  // namespace
}  // namespace korvane::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace korvane;
  static CoreContext* ctx = [] {
    auto* c = new CoreContext;
    InstallItemBehaviours(*c);
    return c;
  }();
  static fuzz::MemoryFile* file = [] {
    auto* f = new fuzz::MemoryFile("tree");
    f->Set(fuzz::kTree);
    return f;
  }();

  ChipDescription desc(*ctx);
  if (!desc.OpenDescription(file->Path(), nullptr)) return 0;
  std::vector<ConfigItem*> items;
  fuzz::Collect(desc.root.get(), items);

  fuzz::InputReader in(data, size);
  std::vector<std::pair<ConfigItem*, std::string>> triggers;
  for (int texts = 0; texts < 8; ++texts) {
    const uint8_t choice = in.Byte();
    ConfigItem& item = *items[choice % items.size()];
    const std::string text = in.Line();
    switch ((choice / items.size()) % 4) {
      case 0: item.enableCondition = text; break;
      case 1: item.disableCondition = text; break;
      case 2: item.defaultCondition = text; break;
      default:
        item.trigger = text;
        triggers.emplace_back(&item, text);
    }
    for (const ConditionClause& clause : ParseConditions(text)) {
      ClauseHolds(item, clause, ClauseRule::Enable);
      ClauseHolds(item, clause, ClauseRule::Default);
    }
  }

  Refresh(*desc.root, *ctx);
  fuzz::SilentHost host;
  GridModel grid(desc, &host);
  ShowItemInGrid(desc, desc.root->children[0].get(), grid);
  for (auto& [item, text] : triggers) {
    ParseTrigger(text);
    // As a commit runs it: the changed item is left alone by the enables.
    ConfigItem* const parent = item->parent;
    ConfigItem* changed = parent && (parent->list || parent->ulist) ? parent : item;
    ctx->changingItem = changed;
    ApplyTrigger(*changed, *ctx);
    ctx->changingItem = nullptr;
  }
  UpdateEnable(*desc.root, *ctx);
  grid.Clear();
  return 0;
}
