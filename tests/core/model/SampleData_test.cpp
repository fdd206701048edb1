// The chips we ship load completely and carry the attributes their items are
// written to exercise.
#include <gtest/gtest.h>

#include <filesystem>

#include "core/model/ChipDescription.h"
#include "core/model/CoreContext.h"
#include "core/text/XmlLoader.h"
#include "support/RecordingMessageBox.h"

namespace korvane {
namespace {

struct SampleTest : ::testing::Test {
  SampleTest() : desc(ctx) {
    ctx.baseDir = std::string(KORVANE_SOURCE_DIR) + "/data/";
    ctx.messageBox = &box;
  }
  ConfigItem* Item(const char* name) { return FindItem(nullptr, desc.root.get(), name); }
  CoreContext ctx;
  test::RecordingMessageBox box;
  ChipDescription desc;
};

void CheckFieldsInside(ConfigItem* item, int& valueItems) {
  if (item->IsValueItem() && item->addr != -1) {
    ++valueItems;
    EXPECT_TRUE(FieldInside(item->addr, item->size, kImageSize)) << item->name;
  }
  for (auto& c : item->children) CheckFieldsInside(c.get(), valueItems);
}

TEST_F(SampleTest, EveryFunctionOfEveryChipLoads) {
  int functions = 0;
  for (const char* chip : {"KV3102", "KV5210", "KV7400"}) {
    pugi::xml_document doc;
    ASSERT_TRUE(LoadXmlFile(doc, ctx.ChipsDir() + chip + ".xml", nullptr)) << chip;
    for (pugi::xml_node f = doc.child("config").first_child(); f; f = f.next_sibling()) {
      ASSERT_TRUE(desc.NewDescription(chip, f.name(), nullptr));
      ASSERT_TRUE(desc.HasTree()) << chip << "/" << f.name();
      ++functions;
      EXPECT_NE(ctx.chipKind.chipType, 0u);
      EXPECT_GT(ctx.layout.confSize, 0u);
      EXPECT_EQ(ctx.layout.optionStart % 0x10000, 0u);  // option areas sit on 64 KiB boundaries
      int valueItems = 0;
      CheckFieldsInside(desc.root.get(), valueItems);
      EXPECT_GT(valueItems, 0) << f.name();
    }
  }
  EXPECT_EQ(functions, 10);
  EXPECT_TRUE(box.shown.empty());
}

TEST_F(SampleTest, ThePowerBankChipExercisesTheItemAttributes) {
  ASSERT_TRUE(desc.NewDescription("KV3102", "PB_2C1A", nullptr));
  EXPECT_EQ(ctx.chipKind.chipType, 0x3102u);
  EXPECT_EQ(ctx.layout.confStart, 0xEC00u);
  EXPECT_EQ(ctx.layout.confSize, 0x200u);
  EXPECT_EQ(ctx.layout.optionStart, 0x10000u);
  EXPECT_EQ(ctx.layout.defaultValues, "0040=A5,,0042(4:7)=3,0043(0:3)=C");
  const struct {
    const char* name;
    bool (*holds)(const ConfigItem&);
  } checks[] = {
      {"ledMode", [](const ConfigItem& i) { return i.list != 0 && i.children.size() >= 2; }},
      {"portCRole", [](const ConfigItem& i) { return i.ulist != 0; }},
      {"pdoList", [](const ConfigItem& i) { return i.maxcountbind == "pdoCount"; }},
      {"tempOffset", [](const ConfigItem& i) { return i.isSigned != 0; }},
      {"chipId", [](const ConfigItem& i) { return i.hex != 0 && i.readonly != 0; }},
      {"portMask", [](const ConfigItem& i) { return i.bin != 0; }},
      {"serialTag", [](const ConfigItem& i) { return i.data != 0; }},
      {"factoryLock", [](const ConfigItem& i) { return i.visible == 0; }},
      {"advanced", [](const ConfigItem& i) { return i.setable != 0; }},
      {"ovpLevel", [](const ConfigItem& i) { return i.defaultCondition == "protMode(0)"; }},
      {"ppsSettings", [](const ConfigItem& i) { return i.inheritCondition == 0; }},
      {"batteryCfg", [](const ConfigItem& i) { return i.hasFill != 0 && i.size > 0; }},
      {"afcDelay", [](const ConfigItem& i) { return !i.inExpression.empty() && !i.outExpression.empty(); }},
      {"scpCurr", [](const ConfigItem& i) { return !i.disableCondition.empty(); }},
  };
  for (const auto& c : checks) {
    ConfigItem* it = Item(c.name);
    ASSERT_NE(it, nullptr) << c.name;
    EXPECT_TRUE(c.holds(*it)) << c.name;
  }
}

TEST_F(SampleTest, TheCatalogueHoldsTheFiveCategories) {
  pugi::xml_document doc;
  ASSERT_TRUE(LoadXmlFile(doc, ctx.CatalogueFile(), nullptr));
  std::vector<std::string> captions;
  for (pugi::xml_node d = doc.child("config").child("device"); d; d = d.next_sibling("device"))
    captions.push_back(d.attribute("caption").value());
  EXPECT_EQ(captions, (std::vector<std::string>{"Power Bank", "Adapter", "Car Charge", "Hub", "Emarker"}));
}

}  // namespace
}  // namespace korvane
