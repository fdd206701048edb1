// Cut and mutated copies of real descriptions must load or fail cleanly, and
// whatever loads must never make field, patch or option code leave its buffer.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <random>

#include "core/model/ChipDescription.h"
#include "core/model/CoreContext.h"
#include "support/RecordingMessageBox.h"
#include "support/FakeTree.h"
#include "support/TempDir.h"

namespace korvane {
namespace {
namespace fs = std::filesystem;

const char* kInline = R"~(<?xml version="1.0"?>
<config name="FZ" support="PB1,ADP2" select="A">
  <A chipType="0x33" funcType="0" fill="0xFF" codeStart="0" codeEnd="0xEBFF" confStart="0xEC00" confEnd="0xEDFF"
     optionStart="0x10000" optionEnd="0x1000F" defaultValues="20=A5,,22(4:7)=3">
    <item name="g" addr="0xEC00" size="2" fill="0xFF"><item name="v" edit="1" sbit="0" ebit="7" max="50" min="1"/>
      <item name="l" list="1" sbit="8" ebit="9"><item name="o0" value="0"/><item name="o1" value="1" trigger="enable(v)"/></item>
      <item name="u" ulist="1" addr="0xEC02" size="1"><item name="u0"><item name="ux" edit="1" addr="0xEC03" size="4"/></item></item>
    </item>
  </A>
</config>)~";

std::vector<std::string> Seeds() {
  std::vector<std::string> seeds{kInline};
  std::error_code ec;
  const fs::path chips = fs::path(KORVANE_SOURCE_DIR) / "data/xml/orvik/chips";
  for (const auto& e : fs::directory_iterator(chips, ec))
    if (e.path().extension() == ".xml") seeds.push_back(test::ReadText(e.path().string()));
  return seeds;
}

std::string Mutate(const std::string& in, std::mt19937& rng) {
  std::string s = in;
  auto pick = [&](size_t n) { return n ? std::uniform_int_distribution<size_t>(0, n - 1)(rng) : 0; };
  switch (rng() % 4) {
    case 0:
      s.resize(pick(s.size() + 1));
      break;
    case 1:
      for (int i = 0; i < 8 && !s.empty(); ++i) s[pick(s.size())] = static_cast<char>(rng());
      break;
    case 2: {
      // Replace a number inside some attribute by an extreme one.
      static const char* extremes[] = {"0xFFFFFFFF", "-1", "0x4FFFFF", "99999999999", "0x500000", "31", "40", ""};
      size_t q = s.find('"', pick(s.size()));
      if (q != std::string::npos) s.insert(q + 1, extremes[rng() % 8]);
      break;
    }
    default:
      for (int i = 0; i < 4 && !s.empty(); ++i) s.erase(pick(s.size()), 1 + pick(16));
  }
  return s;
}

void TouchEveryField(ConfigItem* item, CoreContext& ctx) {
  if (!item) return;
  const uint32_t v = ReadField(*item, ctx.image.bytes.data(), ctx.image.limit);
  WriteField(*item, v ^ 0xA5A5A5A5u, ctx.image.bytes.data(), ctx.image.limit);
  for (auto& c : item->children) TouchEveryField(c.get(), ctx);
}

TEST(DescriptionFuzz, MutatedDescriptionsNeverCrashOrLeaveBuffers) {
  test::TempDir dir;
  CoreContext ctx;
  test::RecordingMessageBox box;
  ctx.messageBox = &box;
  ChipDescription desc(ctx);
  std::mt19937 rng(20261210);
  const auto seeds = Seeds();
  int loaded = 0;
  for (const std::string& seed : seeds) {
    for (int round = 0; round < 150; ++round) {
      const std::string file = dir.File("m.xml", round == 0 ? seed : Mutate(seed, rng));
      test::FakeTree tree;
      if (!desc.OpenDescription(file, &tree)) continue;
      ++loaded;
      const AreaLayout& l = ctx.layout;
      ASSERT_LE(uint64_t{l.codeStart} + l.codeSize, kImageSize);
      ASSERT_LE(uint64_t{l.confStart} + l.confSize, kImageSize);
      ASSERT_LE(uint64_t{l.optionStart} + l.optionSize, kImageSize);
      TouchEveryField(desc.root.get(), ctx);
      ApplyDefaultValues(ctx.image, ctx.layout);
      ctx.image.optionLength = l.optionSize + (rng() % 64);
      ComplementOptionBytes(ctx.image, ctx.layout);
    }
  }
  EXPECT_GT(loaded, 0);
}

}  // namespace
}  // namespace korvane
