// The project's items against a device's conf bytes and against another
// project, and whether two projects can be compared at all.
#include <gtest/gtest.h>

#include <cstring>

#include "core/eval/ItemBehaviours.h"
#include "core/files/ImagePreparation.h"
#include "core/files/ProjectCompare.h"
#include "support/TestChip.h"

namespace korvane {
namespace {

struct Loaded : test::Installation {
  explicit Loaded(const char* function = "PB1") {
    InstallItemBehaviours(ctx);
    EXPECT_TRUE(desc.NewDescription("TCHIP", function, nullptr));
  }
  ConfigItem& Item(const char* name) { return *FindItem(nullptr, desc.root.get(), name); }
  // The conf area as a download would send it.
  std::vector<uint8_t> Conf() {
    EXPECT_TRUE(PrepareImage(desc, true, "", false));
    const auto* at = ctx.image.bytes.data() + ctx.layout.confStart;
    return std::vector<uint8_t>(at, at + ctx.layout.confSize);
  }
};

std::optional<ConfigComparison> AgainstDevice(Loaded& p, const std::vector<uint8_t>& conf) {
  return CompareWithDevice(p.desc, conf.data(), static_cast<uint32_t>(conf.size()), p.ctx.layout.confStart);
}

TEST(CompareWithDevice, FindsTheItemsAndLooseBytesTheDeviceHoldsOtherwise) {
  Loaded p;
  std::vector<uint8_t> device = p.Conf();
  ASSERT_TRUE(AgainstDevice(p, device));
  EXPECT_FALSE(AgainstDevice(p, device)->Differs());

  device[0] = 12;        // volt
  device[0x20] = 0x5A;   // a byte no item has
  device[0x21] = 0x5B;
  const auto c = AgainstDevice(p, device);
  ASSERT_EQ(c->items.size(), 1u);
  EXPECT_EQ(c->items[0].item->name, "volt");
  EXPECT_EQ(c->items[0].projectText, "5");
  EXPECT_EQ(c->items[0].otherText, "12");
  ASSERT_EQ(c->unowned.size(), 1u);
  EXPECT_EQ(c->unowned[0].first, 0xEC20u);
  EXPECT_EQ(c->unowned[0].last, 0xEC21u);
  EXPECT_EQ(p.Item("volt").value, "5") << "the project keeps its value";
  EXPECT_EQ(p.desc.modified, 0);
}

TEST(CompareWithDevice, ComparesOnlyWhatWasRead) {
  Loaded p;
  std::vector<uint8_t> device = p.Conf();
  device.resize(2);  // amps at 0xEC02 was not read
  device[0] = 7;
  const auto c = AgainstDevice(p, device);
  ASSERT_EQ(c->items.size(), 1u);
  EXPECT_EQ(c->items[0].item->name, "volt");
  EXPECT_TRUE(c->unowned.empty());
}

TEST(CompareWithDevice, NeedsItems) {
  test::Installation none;
  const uint8_t byte = 0;
  EXPECT_FALSE(CompareWithDevice(none.desc, &byte, 1, 0));
}

TEST(CompareProjects, ListsTheItemsWithTheOtherProjectsValues) {
  Loaded a, b;
  b.Item("volt").value = "9";
  b.Item("amps").value = "0x0BB8";  // 3000 in another spelling
  a.Item("amps").value = "3000";
  ASSERT_EQ(LayoutMismatch(a.desc, b.desc), "");
  const ConfigComparison c = CompareProjects(a.desc, b.desc);
  ASSERT_EQ(c.items.size(), 1u);
  EXPECT_EQ(c.items[0].item->name, "volt");
  EXPECT_EQ(c.items[0].otherText, "9");
  EXPECT_TRUE(c.unowned.empty());
  // The same value again: nothing differs.
  b.Item("volt").value = "5";
  EXPECT_FALSE(CompareProjects(a.desc, b.desc).Differs());
}

TEST(LayoutMismatch, NamesWhatKeepsTwoProjectsApart) {
  Loaded pb, adp("ADP2");
  EXPECT_NE(LayoutMismatch(pb.desc, adp.desc).find("function type"), std::string::npos);
  Loaded moved;
  moved.ctx.layout.confStart += 0x100;
  EXPECT_NE(LayoutMismatch(pb.desc, moved.desc).find("areas"), std::string::npos);
  Loaded renamed;
  renamed.Item("amps").name = "current";
  EXPECT_NE(LayoutMismatch(pb.desc, renamed.desc).find("'amps'"), std::string::npos);
  test::Installation empty;
  EXPECT_FALSE(LayoutMismatch(pb.desc, empty.desc).empty());
}

}  // namespace
}  // namespace korvane
