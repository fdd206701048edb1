#pragma once
// A small item tree built from inline XML, with the context, description
// and (on demand) grid that the behaviours work against.
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/eval/GridModel.h"
#include "core/eval/ItemBehaviours.h"
#include "core/model/ChipDescription.h"
#include "core/model/ConfigItem.h"
#include "core/model/CoreContext.h"

namespace korvane::test {

class RecordingHost : public IGridHost {
 public:
  void PostWarning(const std::string& text) override { warnings.push_back(text); }
  void Relayout() override { ++relayouts; }
  std::vector<std::string> warnings;
  int relayouts = 0;
};

struct EvalTree {
  CoreContext ctx;
  ChipDescription desc{ctx};

  // xml is the content of <config>; its first element is the function.
  explicit EvalTree(const std::string& xml, bool refresh = false) {
    InstallItemBehaviours(ctx);
    desc.document.load_string(("<config name=\"chip\">" + xml + "</config>").c_str());
    desc.loaded = 1;
    desc.root = std::make_unique<ConfigItem>();
    ConfigItem& r = *desc.root;
    r.root = &r;
    r.name = "chip";
    r.element = desc.document.child("config");
    r.children.push_back(ParseItem(r.element.first_child(), &r));
    BuildNameIndex(r);
    if (refresh) Refresh(r, ctx);
  }

  ConfigItem& Item(const std::string& name) {
    ConfigItem* item = FindItem(nullptr, desc.root.get(), name);
    EXPECT_NE(item, nullptr) << name;
    return *item;
  }
  ConfigItem& Function() { return *desc.root->children[0]; }
  std::string Attr(const std::string& name, const char* attr) {
    return Item(name).element.attribute(attr).value();
  }
};

// The captions of the rows in display order, sub-rows indented by two spaces.
inline std::vector<std::string> RowCaptions(const GridModel& grid) {
  std::vector<std::string> out;
  for (GridRow* row : grid.AllRows()) {
    std::string indent;
    for (GridRow* p = row->Parent(); p; p = p->Parent()) indent += "  ";
    out.push_back(indent + row->caption);
  }
  return out;
}

}  // namespace korvane::test
