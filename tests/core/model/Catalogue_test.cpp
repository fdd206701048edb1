#include "core/model/Catalogue.h"

#include <gtest/gtest.h>

#include "support/TestChip.h"
#include "support/TempDir.h"

namespace korvane {
namespace {

TEST(SupportList, SplitsAtCommasThenSemicolons) {
  using V = std::vector<std::string>;
  EXPECT_EQ(ParseSupportList("PB1, ADP2"), (V{"PB1", "ADP2"}));
  EXPECT_EQ(ParseSupportList("PB1;ADP2"), (V{"PB1", "ADP2"}));
  EXPECT_EQ(ParseSupportList("PB1,ADP2;HUB3"), (V{"PB1", "ADP2", "HUB3"}));
  EXPECT_EQ(ParseSupportList("PB1;ADP2,HUB3"), (V{"PB1;ADP2", "HUB3"}));
  EXPECT_EQ(ParseSupportList(" , PB1,,; "), (V{"PB1"}));
  EXPECT_EQ(ParseSupportList(""), V{});
}

// Records the tree as indented lines "caption" with the entry's name.
struct RecordingTree : ITreeControl {
  struct N {
    std::string text;
    N* parent;
    void* data = nullptr;
    bool expanded = false;
    int depth = 0;
  };
  std::vector<std::unique_ptr<N>> nodes;
  Node InsertNode(const std::string& text, Node parent) override {
    auto* p = static_cast<N*>(parent);
    nodes.push_back(std::make_unique<N>(N{text, p, nullptr, false, p ? p->depth + 1 : 0}));
    return nodes.back().get();
  }
  void SetNodeData(Node node, void* data) override { static_cast<N*>(node)->data = data; }
  void Expand(Node node) override { static_cast<N*>(node)->expanded = true; }
  std::vector<std::string> Lines() const {
    std::vector<std::string> out;
    for (const auto& n : nodes) {
      auto* e = static_cast<CatalogueEntry*>(n->data);
      out.push_back(std::string(n->depth * 2, ' ') + n->text + (e && e->supported ? " *" : ""));
    }
    return out;
  }
};

class CatalogueTest : public testing::Test, public test::Installation {};

TEST_F(CatalogueTest, ShowsTheSupportedFunctionsUnderTheirCategories) {
  // The support list names a category, an unknown name and a function twice.
  test::WriteText(Chips() + "OTHER.xml",
                      R"(<config name="OTHER" support="HUB3,adapter,ADP3,NOPE,HUB3;PB1"><PB1/></config>)");
  Catalogue catalogue;
  RecordingTree tree;
  catalogue.LoadCatalogue(ctx, "OTHER", &tree);
  EXPECT_EQ(tree.Lines(), (std::vector<std::string>{"Devices", "  Hub", "    Hub three *", "  Adapter",
                                                    "    Adapter three *", "  Power Bank", "    Bank one *"}));
  for (const auto& n : tree.nodes) EXPECT_EQ(n->expanded, n->depth < 2) << n->text;
  ASSERT_EQ(catalogue.Supported().size(), 3u);
  EXPECT_EQ(catalogue.Supported()[0]->parent->name, "hub");
  EXPECT_EQ(catalogue.Supported()[2]->descript, "first bank");
  EXPECT_EQ(catalogue.Caption(), "Devices");
  EXPECT_EQ(catalogue.Entries().size(), 1 + 3 + 4u);
}

TEST_F(CatalogueTest, MissingFilesGiveAnEmptyTreeOrOnlyTheTop) {
  Catalogue catalogue;
  RecordingTree tree;
  catalogue.LoadCatalogue(ctx, "NOCHIP", &tree);
  EXPECT_EQ(tree.Lines(), std::vector<std::string>{"Devices"});
  std::filesystem::remove(dir / "xml/orvik/device.xml");
  RecordingTree empty;
  catalogue.LoadCatalogue(ctx, "TCHIP", &empty);
  EXPECT_TRUE(empty.nodes.empty());
  EXPECT_TRUE(catalogue.Entries().empty());
}

TEST_F(CatalogueTest, ListsTheChipDescriptions) {
  test::WriteText(Chips() + "SECOND.xml", "<config/>");
  test::WriteText(Chips() + "notes.txt", "");
  auto names = ListChipNames(ctx);
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"SECOND", "TCHIP"}));
  ctx.baseDir = dir / "nowhere/";
  EXPECT_TRUE(ListChipNames(ctx).empty());
}

}  // namespace
}  // namespace korvane
