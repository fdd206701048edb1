#include "link/LinkSetup.h"

#include <gtest/gtest.h>

#include "FakeLine.h"
#include "core/eval/ItemBehaviours.h"
#include "core/files/CodeFile.h"
#include "core/model/ChipDescription.h"
#include "link/OperationKind.h"
#include "support/RecordingMessageBox.h"

namespace korvane {
namespace {

struct LinkSetupTest : ::testing::Test {
  CoreContext core;
  test::RecordingMessageBox boxes;
  ChipDescription desc{core};
  LinkContext link{core};
  test::FakeLine line;
  std::string askedCodePath;

  LinkSetupTest() {
    core.messageBox = &boxes;
    core.baseDir = std::string(KORVANE_BIN_DIR) + "/";
    core.language = LanguageTable::Embedded("en-us");
    InstallItemBehaviours(core);
    link.channel = &line;
  }

  void Load() { ASSERT_TRUE(desc.OpenDescription(core.ChipsDir() + "KV3102.xml", nullptr)); }

  // The kind of a set-up's request; 0 when nothing is to start.
  static int KindOf(const std::optional<OperationRequest>& request) { return request ? request->kind : 0; }

  std::function<std::optional<DownloadChoice>(const std::string&)> Download(TargetKind target, bool conf, bool code) {
    return [=, this](const std::string& codePath) {
      askedCodePath = codePath;
      return std::optional<DownloadChoice>(DownloadChoice{target, conf, code, codePath});
    };
  }
};

TEST_F(LinkSetupTest, NothingStartsWithoutAPortOrADescription) {
  EXPECT_EQ(KindOf(SetupDownload(link, desc, Download(TargetKind::Tool, true, true))), 0);
  EXPECT_EQ(boxes.Texts().back(), core.LookupText("NewNotify"));
  EXPECT_TRUE(askedCodePath.empty()) << "the choice is not asked for";
  Load();
  line.open = false;
  EXPECT_EQ(KindOf(SetupDownload(link, desc, Download(TargetKind::Tool, true, true))), 0);
  EXPECT_EQ(boxes.Texts().back(), core.LookupText("SELECT_PORT_NOTREADY"));
  EXPECT_EQ(KindOf(SetupRead(link, true, [] { return std::optional<TargetKind>(TargetKind::Tool); })), 0);
}

TEST_F(LinkSetupTest, DownloadKindsLengthsAndTheTransferCopy) {
  Load();
  const struct {
    TargetKind target;
    bool conf, code;
    int kind;
  } cases[] = {
      {TargetKind::Tool, true, true, kOpWriteToolCode},       {TargetKind::Chip, true, true, kOpWriteChipCode},
      {TargetKind::Tool, true, false, kOpWriteToolConfig},    {TargetKind::Chip, true, false, kOpWriteChipConfig},
      {TargetKind::Tool, false, true, kOpWriteToolCodeFlash}, {TargetKind::Chip, false, true, kOpWriteChipCodeFlash},
      {TargetKind::Tool, false, false, 0},
  };
  for (const auto& c : cases) {
    const auto request = SetupDownload(link, desc, Download(c.target, c.conf, c.code));
    const int kind = KindOf(request);
    EXPECT_EQ(kind, c.kind);
    if (!kind) continue;
    EXPECT_EQ(askedCodePath, GetCodeFilePath(desc));
    EXPECT_EQ(request->selection, c.target == TargetKind::Chip ? 1u : 0u);
    EXPECT_EQ(request->image, core.image.bytes);
    EXPECT_EQ(request->writeLength[kLinkAreaConf], core.layout.confSize);
    EXPECT_EQ(request->writeLength[kLinkAreaOption], core.layout.optionSize);
    EXPECT_EQ(request->writeLength[kLinkAreaCode], core.image.codeLength);
    if (c.code) {
      EXPECT_GT(core.image.codeLength, 0u);
    }
  }
  // A configuration-only download leaves the code area as the fill byte.
  const auto confOnly = SetupDownload(link, desc, Download(TargetKind::Tool, true, false));
  ASSERT_EQ(KindOf(confOnly), kOpWriteToolConfig);
  EXPECT_EQ(confOnly->image[core.layout.codeStart], core.layout.fill);
}

TEST_F(LinkSetupTest, ACancelledChoiceOrAMissingCodeFileStartsNothing) {
  Load();
  EXPECT_EQ(KindOf(SetupDownload(link, desc, [](const std::string&) { return std::optional<DownloadChoice>(); })), 0);
  EXPECT_EQ(KindOf(SetupDownload(link, desc,
                                 [](const std::string&) {
                                   return std::optional<DownloadChoice>(
                                       DownloadChoice{TargetKind::Tool, true, true, "/no/such.hex"});
                                 })),
            0);
  EXPECT_FALSE(boxes.Texts().empty()) << "the code file's failure is shown";
  EXPECT_EQ(KindOf(SetupRead(link, true, [] { return std::optional<TargetKind>(); })), 0);
}

TEST_F(LinkSetupTest, ReadAndChecksumChoices) {
  Load();
  const auto chip = SetupRead(link, true, [] { return std::optional<TargetKind>(TargetKind::Chip); });
  EXPECT_EQ(KindOf(chip), kOpReadChipConfig);
  EXPECT_EQ(chip->selection, 1u);
  EXPECT_EQ(KindOf(SetupRead(link, true, [] { return std::optional<TargetKind>(TargetKind::Tool); })),
            kOpReadToolConfig);
  const struct {
    bool conf, code;
    uint32_t mask;
  } cases[] = {{true, true, 7}, {true, false, 1}, {false, true, 6}};
  for (const auto& c : cases) {
    const auto request = SetupChecksum(link, desc, [&](const std::string& path) {
      return std::optional<ChecksumChoice>(ChecksumChoice{c.conf, c.code, path});
    });
    EXPECT_EQ(KindOf(request), kOpCompareChecksums);
    ASSERT_TRUE(request);
    EXPECT_EQ(request->checkMask, c.mask);
    EXPECT_EQ(request->image, core.image.bytes);
  }
}

}  // namespace
}  // namespace korvane
