#include <sys/resource.h>

#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "core/model/ChipDescription.h"
#include "core/model/CoreContext.h"
#include "support/RecordingMessageBox.h"
#include "support/FakeTree.h"
#include "support/TempDir.h"

namespace korvane {
namespace {
using test::FakeTree;
using test::RecordingMessageBox;
using test::TempDir;

class ChipDescriptionTest : public ::testing::Test {
 protected:
  ChipDescriptionTest() : desc(ctx) {
    ctx.language.LoadFromXml(
        R"~(<language name="t"><text key="ReadFileError">cannot read %s</text><text key="MessageBoxTitle">T</text></language>)~");
    ctx.messageBox = &box;
    ctx.baseDir = dir.Path() + "/";
  }
  TempDir dir;
  CoreContext ctx;
  RecordingMessageBox box;
  ChipDescription desc;
};

const char* kTwoFunctions = R"~(<?xml version="1.0"?>
<config name="KV1" caption="" descript="demo chip" select="B">
  <A chipType="0x11" funcType="1" fill="0x1FF" codeEnd="7FFFH" confStart="0x100"><item name="a1" edit="1"/></A>
  <B chipType="0x22" funcType="3" fill="0xAA" codeStart="0x100" confStart="0xEC00" confEnd="0xEDFF"
     optionStart="0X10000" optionEnd="0x1000F" defaultValues="10=5A,,12(0:3)=7">
    <item name="g" caption="Group"><item name="b1" edit="1"/><item name="hidden" visible="0"><item name="under"/></item>
      <item name="s" setable="1"><item name="s1"/></item></item>
  </B>
</config>)~";

TEST_F(ChipDescriptionTest, OpenUsesTheSelectedFunctionAndPublishesItsLayout) {
  FakeTree tree;
  int refreshed = 0;
  ctx.refreshTree = [&](ConfigItem& r) { refreshed += &r == desc.root.get(); };
  ASSERT_TRUE(desc.OpenDescription(dir.File("p.xml", kTwoFunctions), &tree));
  EXPECT_EQ(refreshed, 1);
  EXPECT_EQ(desc.functionName, "B");
  EXPECT_EQ(desc.chipName, "KV1");
  EXPECT_EQ(desc.modified, 0);
  EXPECT_EQ(desc.checksumDirty, 1);
  EXPECT_EQ(desc.loaded, 1);
  EXPECT_EQ(desc.path, dir.Path("p.xml"));
  EXPECT_EQ(ctx.chipKind.chipType, 0x22u);
  EXPECT_EQ(ctx.chipKind.funcType, 3u);
  EXPECT_EQ(ctx.layout.fill, 0xAA);
  EXPECT_EQ(ctx.layout.codeStart, 0x100u);
  EXPECT_EQ(ctx.layout.codeSize, 0x100u);  // default end 0x1FF
  EXPECT_EQ(ctx.layout.confStart, 0xEC00u);
  EXPECT_EQ(ctx.layout.confSize, 0x200u);
  EXPECT_EQ(ctx.layout.optionStart, 0x10000u);
  EXPECT_EQ(ctx.layout.optionSize, 0x10u);
  EXPECT_EQ(ctx.layout.defaultValues, "10=5A,,12(0:3)=7");
  ConfigItem& root = *desc.root;
  EXPECT_EQ(root.caption, "KV1");  // empty caption shows the name
  EXPECT_EQ(root.descript, "demo chip");
  EXPECT_EQ(root.depth, 0);
  EXPECT_EQ(root.root, &root);
  ASSERT_EQ(root.children.size(), 1u);
  EXPECT_EQ(root.children[0]->depth, 1);
  EXPECT_EQ(root.children[0]->element.name(), std::string("B"));
  // The tree: root, function (no name, so no caption), group, b1, setable s
  // without its child; hidden items absent.
  std::vector<std::string> texts;
  for (const auto& n : tree.nodes) texts.push_back(n.text);
  ASSERT_EQ(texts, (std::vector<std::string>{"KV1", "", "Group", "b1", "s"}));
  EXPECT_TRUE(tree.Find("KV1")->expanded);
  EXPECT_TRUE(tree.nodes[1].expanded);         // depth 1
  EXPECT_FALSE(tree.Find("Group")->expanded);  // depth 2
  EXPECT_EQ(tree.Find("b1")->parent, 2);
  EXPECT_EQ(tree.Find("KV1")->data, desc.root.get());
  EXPECT_TRUE(box.shown.empty());
}

TEST_F(ChipDescriptionTest, OpenFallsBackToTheFirstFunctionAndDefaults) {
  struct Case {
    const char* select;
  } cases[] = {{""}, {" select=\"NOPE\""}};
  for (const Case& c : cases) {
    const std::string xml = std::string("<config name=\"K\"") + c.select +
                            "><First/><Second chipType=\"5\"/></config>";
    ASSERT_TRUE(desc.OpenDescription(dir.File("f.xml", xml), nullptr));
    EXPECT_EQ(desc.functionName, "First");
    EXPECT_EQ(ctx.chipKind.chipType, 0u);
    EXPECT_EQ(ctx.layout.codeStart, 0u);
    EXPECT_EQ(ctx.layout.codeSize, 0x200u);
    EXPECT_EQ(ctx.layout.confSize, 0x200u);
    EXPECT_EQ(ctx.layout.optionSize, 0x200u);
  }
}

TEST_F(ChipDescriptionTest, OpenReportsFilesItCannotUse) {
  const std::string cases[] = {
      dir.Path("missing.xml"),
      dir.File("bad.xml", "<config name=\"x\"><A></config>"),
      dir.File("noconfig.xml", "<other/>"),
      dir.File("nochild.xml", "<config name=\"x\">just text</config>"),
  };
  ctx.layout.codeStart = 0x1234;  // a failed load keeps the last layout
  for (const std::string& file : cases) {
    box.shown.clear();
    EXPECT_FALSE(desc.OpenDescription(file, nullptr)) << file;
    ASSERT_EQ(box.shown.size(), 1u) << file;
    EXPECT_EQ(box.shown[0].text, "cannot read " + file);
    EXPECT_EQ(box.shown[0].caption, "T");
    EXPECT_EQ(box.shown[0].type, MB_OK | MB_ICONERROR);
    EXPECT_EQ(desc.root, nullptr);
    EXPECT_EQ(ctx.layout.codeStart, 0x1234u);
  }
}

// Files past the loader's limits are refused with a message naming the
// limit, in bounded time and memory: a 100 MB file is never read, and a
// nesting 100 000 deep never reaches the recursive item code.
TEST_F(ChipDescriptionTest, OpenRefusesFilesBeyondTheLimitsWithTheirOwnMessage) {
  ctx.language.LoadFromXml(R"~(<language name="t"><text key="MessageBoxTitle">T</text>
    <text key="DescriptionTooLargeError">too large %s</text><text key="DescriptionTooDeepError">too deep %s</text>
    </language>)~");
  auto nested = [](int depth) {
    std::string text = "<config name=\"x\"><F>";
    for (int i = 2; i < depth; ++i) text += "<item name=\"i\">";
    for (int i = 2; i < depth; ++i) text += "</item>";
    return text + "</F></config>";
  };
  const std::string huge = dir.Path("huge.xml");
  {
    std::ofstream(huge) << "<config name=\"x\"><F><item name=\"a\"/>";
  }
  std::filesystem::resize_file(huge, 100'000'000);  // sparse: nothing is written
  const std::string atLimit = dir.File("limit.xml", std::string(kMaxXmlFileSize - 40, ' ') + "<config name=\"x\"><F/></config>");

  struct rusage before {};
  ::getrusage(RUSAGE_SELF, &before);
  const std::pair<std::string, std::string> refused[] = {
      {huge, "too large " + huge},
      {dir.File("deep.xml", nested(100'000)), "too deep " + dir.Path("deep.xml")},
      {dir.File("deeper.xml", nested(kMaxXmlDepth + 1)), "too deep " + dir.Path("deeper.xml")},
  };
  for (const auto& [file, message] : refused) {
    box.shown.clear();
    EXPECT_FALSE(desc.OpenDescription(file, nullptr)) << file;
    ASSERT_EQ(box.shown.size(), 1u) << file;
    EXPECT_EQ(box.shown[0].text, message);
    EXPECT_EQ(desc.root, nullptr);
    EXPECT_EQ(desc.document.first_child(), pugi::xml_node());
  }
  struct rusage after {};
  ::getrusage(RUSAGE_SELF, &after);
  EXPECT_LT(after.ru_maxrss - before.ru_maxrss, 64 * 1024) << "KiB more at the peak";

  ASSERT_TRUE(desc.OpenDescription(dir.File("deepest.xml", nested(kMaxXmlDepth)), nullptr));
  const ConfigItem* item = desc.root.get();
  int depth = 0;
  while (!item->children.empty()) item = item->children[0].get(), ++depth;
  EXPECT_EQ(depth, kMaxXmlDepth - 1);  // the function and the items below config
  EXPECT_TRUE(desc.OpenDescription(atLimit, nullptr));
}

TEST(XmlLoader, MeasuresNestingWithoutRecursion) {
  pugi::xml_document doc;
  ASSERT_TRUE(doc.load_string("<a><b><c/>text</b><d><e><f/></e></d><!-- x --></a>"));
  EXPECT_EQ(ElementDepth(doc, 100), 4);
  EXPECT_EQ(ElementDepth(doc.child("a"), 100), 3);
  EXPECT_EQ(ElementDepth(doc, 2), 3);  // stops once past the limit
  EXPECT_EQ(ElementDepth(pugi::xml_document(), 10), 0);
}

TEST_F(ChipDescriptionTest, NewLoadsTheInstalledChipByName) {
  dir.File("xml/orvik/chips/KV9.xml", kTwoFunctions);
  ASSERT_TRUE(desc.NewDescription("KV9", "A", nullptr));
  EXPECT_EQ(desc.functionName, "A");
  EXPECT_EQ(desc.chipName, "KV9");  // the name asked for, not config's
  EXPECT_EQ(desc.path, "");
  EXPECT_EQ(ctx.layout.fill, 0xFF);
  EXPECT_EQ(ctx.layout.codeSize, 0x8000u);
  EXPECT_EQ(ctx.layout.confStart, 0x100u);
  EXPECT_EQ(ctx.layout.confSize, 0x100u);
  ASSERT_NE(desc.root, nullptr);

  // A function the file lacks: loaded, no tree.
  ASSERT_TRUE(desc.NewDescription("KV9", "Z", nullptr));
  EXPECT_EQ(desc.root, nullptr);
  EXPECT_EQ(desc.functionName, "Z");
  EXPECT_FALSE(desc.HasTree());
  EXPECT_TRUE(box.shown.empty());

  EXPECT_FALSE(desc.NewDescription("NOCHIP", "A", nullptr));
  ASSERT_EQ(box.shown.size(), 1u);
  EXPECT_EQ(box.shown[0].text, "cannot read " + ctx.ChipsDir() + "NOCHIP.xml");
}

TEST_F(ChipDescriptionTest, ACopyIsTheProjectAsLoadedInAContextOfItsOwn) {
  ASSERT_TRUE(desc.OpenDescription(dir.File("p.xml", kTwoFunctions), nullptr));
  FindItem(nullptr, desc.root.get(), "b1")->element.append_attribute("value") = "7";
  CoreContext other;
  ChipDescription copy(other);
  ASSERT_TRUE(copy.LoadCopyOf(desc));
  EXPECT_EQ(copy.functionName, "B") << "the function in use, not the first";
  EXPECT_EQ(copy.chipName, "KV1");
  EXPECT_EQ(copy.path, desc.path);
  EXPECT_EQ(other.chipKind.chipType, 0x22u);
  EXPECT_EQ(other.layout.confStart, 0xEC00u);
  ConfigItem* b1 = FindItem(nullptr, copy.root.get(), "b1");
  ASSERT_NE(b1, nullptr);
  EXPECT_EQ(b1->value, "7") << "the values the project's document holds";
  b1->value = "8";
  b1->element.attribute("value") = "8";
  EXPECT_EQ(desc.document.child("config").child("B").child("item").child("item").attribute("value").as_string(),
            std::string("7"))
      << "the copy's document is its own";
  ChipDescription nothing(other);
  EXPECT_FALSE(nothing.LoadCopyOf(ChipDescription(ctx)));
}

TEST_F(ChipDescriptionTest, ClearDropsEverything) {
  ASSERT_TRUE(desc.OpenDescription(dir.File("p.xml", kTwoFunctions), nullptr));
  desc.currentItem = desc.root.get();
  desc.modified = 1;
  desc.ClearDescription();
  EXPECT_EQ(desc.root, nullptr);
  EXPECT_EQ(desc.currentItem, nullptr);
  EXPECT_EQ(desc.loaded, 0);
  EXPECT_EQ(desc.modified, 0);
  EXPECT_EQ(desc.checksumDirty, 0);
  EXPECT_TRUE(desc.chipName.empty() && desc.functionName.empty() && desc.path.empty());
  EXPECT_FALSE(desc.document.first_child());
}

TEST_F(ChipDescriptionTest, AreasOutsideTheImageAreClamped) {
  struct Case {
    const char* attrs;
    uint32_t start, size;
  } cases[] = {
      {R"~(codeStart="0x4FFF00" codeEnd="0x600000")~", 0x4FFF00, 0x100},  // reaches beyond the image
      {R"~(codeStart="0x300")~", 0x300, 0},                                // end below start
      {R"~(codeStart="0x900000" codeEnd="0x900010")~", 0x500000, 0},       // starts beyond
      {R"~(codeStart="0xFFFFFFFF" codeEnd="0xFFFFFFFF")~", 0x500000, 0},
      {R"~(codeEnd="-5")~", 0, 0x500000},  // an end read as 0xFFFFFFFB: the whole image
  };
  for (const Case& c : cases) {
    const std::string xml = std::string("<config name=\"K\"><A ") + c.attrs + "/></config>";
    ASSERT_TRUE(desc.OpenDescription(dir.File("c.xml", xml), nullptr)) << c.attrs;
    EXPECT_EQ(ctx.layout.codeStart, c.start) << c.attrs;
    EXPECT_EQ(ctx.layout.codeSize, c.size) << c.attrs;
  }
}

TEST(AddTreeItems, SkipsNothingForTheRootAndRespectsVisibleAndSetable) {
  pugi::xml_document doc;
  ASSERT_TRUE(doc.load_string(R"~(<F><item name="a" visible="0"><item name="a1"/></item><item name="b"/></F>)~"));
  ConfigItem root;
  root.root = &root;
  root.visible = 0;  // ignored for the root
  root.setable = 1;
  root.caption = "R";
  root.children.push_back(ParseItem(doc.first_child(), &root));
  root.children[0]->caption = "F";
  FakeTree tree;
  AddTreeItems(&root, nullptr, tree);
  AddTreeItems(nullptr, nullptr, tree);
  std::vector<std::string> texts;
  for (const auto& n : tree.nodes) texts.push_back(n.text);
  EXPECT_EQ(texts, (std::vector<std::string>{"R", "F", "b"}));
}

}  // namespace
}  // namespace korvane
