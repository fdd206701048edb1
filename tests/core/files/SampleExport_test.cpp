// Every function of every shipped chip exports a file that strict and
// independent HEX readers take back to the prepared image.
#include <gtest/gtest.h>

#include "FilesTestUtil.h"
#include "core/eval/ItemBehaviours.h"
#include "core/files/CodeFile.h"
#include "core/files/HexExport.h"
#include "core/files/ImagePreparation.h"
#include "core/model/ChipDescription.h"
#include "core/model/Catalogue.h"
#include "core/model/CoreContext.h"
#include "support/TempDir.h"

namespace korvane {
namespace {

TEST(SampleExport, EveryShippedFunctionReadsBackToTheImage) {
  CoreContext ctx;
  ctx.baseDir = std::string(KORVANE_BIN_DIR) + "/";
  InstallItemBehaviours(ctx);
  test::TempDir dir;
  int exported = 0;
  for (const std::string& chip : ListChipNames(ctx)) {
    Catalogue catalogue;
    catalogue.LoadCatalogue(ctx, chip, nullptr);
    for (const CatalogueEntry* fn : catalogue.Supported()) {
      SCOPED_TRACE(chip + "/" + fn->name);
      ChipDescription desc(ctx);
      ASSERT_TRUE(desc.NewDescription(chip, fn->name, nullptr));
      ASSERT_TRUE(desc.HasTree());
      const std::string hexPath = dir / (chip + "-" + fn->name + ".hex");
      ASSERT_TRUE(ExportHex(desc, true, true, GetCodeFilePath(desc), hexPath));
      const auto& image = ctx.image.bytes;  // as the export left it, information block included

      const auto ours = test::ParseStrictHex(test::ReadText(hexPath));
      ASSERT_TRUE(ours.ok) << ours.error;
      ASSERT_TRUE(ours.bytes.count(ctx.layout.confStart + 543));
      ASSERT_TRUE(ours.bytes.count(ctx.layout.optionStart + ctx.image.optionLength - 1));
      for (const auto& [address, value] : ours.bytes) ASSERT_EQ(value, image.at(address)) << std::hex << address;

      const std::string srec = test::ReadWithSrecCat(hexPath, dir.Path());
      ASSERT_FALSE(srec.empty()) << "srec_cat (package srecord) could not read the file";
      for (const auto& [address, value] : ours.bytes)
        ASSERT_EQ(static_cast<uint8_t>(srec.at(address)), value) << std::hex << address;
      std::map<uint32_t, uint8_t> theirs;
      ASSERT_TRUE(test::ReadWithIntelHex(hexPath, dir.Path(), theirs)) << "python3-intelhex is not installed";
      EXPECT_EQ(theirs, ours.bytes);
      ++exported;
    }
  }
  EXPECT_GE(exported, 3) << "the shipped chips were not found in " << ctx.baseDir;
}

}  // namespace
}  // namespace korvane
