#include "link/OperationRunner.h"

#include <gtest/gtest.h>

#include <regex>

#include "LinkFixture.h"
#include "core/files/ChecksumCrc32.h"
#include "core/text/TextFormat.h"
#include "link/LinkReport.h"
#include "link/OperationKind.h"
#include "support/RecordingMessageBox.h"

namespace korvane {
namespace {

using test::LinkFixture;
using R = DeviceInfoRecord;

struct OperationRunnerTest : LinkFixture {
  OperationRunnerTest() {
    FillTransferCopy();
    link.request.writeLength[kLinkAreaCode] = 0x300;
    link.request.writeLength[kLinkAreaConf] = 0x200;
    link.request.writeLength[kLinkAreaOption] = 0x10;
    model.Info(TargetKind::Tool).field[R::CodeLength] = 0x200;
    model.Info(TargetKind::Chip).field[R::CodeLength] = 0x200;
  }

  int Run(int kind) {
    link.request.kind = kind;
    link.result = 0;
    RunOperation(link);
    return link.result;
  }
};

// Every kind's requests: "+" more blocks follow, "c" the chip flag.
TEST_F(OperationRunnerTest, EveryKindSendsItsSequence) {
  const struct {
    int kind;
    const char* requests;
  } cases[] = {
      {1, "5 1 6 3+ 3 2"},
      {4, "5 1 6c 3+c 3c 2"},
      {12, "1 6 3+ 3 2"},
      {13, "1 6c 3+c 3c 2"},
      {8, "1 6 3+ 3 2"},
      {9, "1 6c 3+c 3c 2"},
      {16, "1 6 3 2"},
      {17, "1 6c 3c 2"},
      {14, "1 6 4+ 4 7 2"},
      {15, "1 6c 4+c 4c 7c 2"},
      {18, "1 6 4 7 2"},
      {19, "1 6c 4c 7c 2"},
      {2, "1 6 4+ 4 9 7 2"},
      {5, "1 6c 4+c 4c 9 7c 2"},
      {10, "1 6 4+ 4+ 4 4 9 7 2"},
      {11, "1 6c 4+c 4+c 4c 4c 9 7c 2"},
      {3, "1 6 4+ 4 4+ 4+ 4 4 9 7 2"},
      {6, "1 6c 4+c 4c 4+c 4+c 4c 4c 9 7c 2"},
      {7, ""},
      {20, ""},
      {21, "9"},
      {23, "6"},
      {24, "6c"},
      {22, "1 6 10 10 10 2"},
      {99, ""},
  };
  for (const auto& c : cases) {
    model.seen.clear();
    link.request.checkMask = 7;
    const int result = Run(c.kind);
    EXPECT_EQ(Requests(), c.requests) << "kind " << c.kind;
    EXPECT_EQ(result, c.kind == 7 ? kLinkNoFirmwareUpdate : 0) << "kind " << c.kind;
  }
}

TEST_F(OperationRunnerTest, BurnMasksFollowTheAreasWritten) {
  const struct {
    int kind;
    uint8_t mask;
  } cases[] = {{2, 2}, {5, 2}, {10, 5}, {11, 5}, {3, 7}, {6, 7}};
  for (const auto& c : cases) {
    Run(c.kind);
    EXPECT_EQ(model.BurnConfig().bytes[0], c.mask) << c.kind;
    EXPECT_EQ(model.BurnConfig().bytes[1], 0) << "the rest of the record is zero";
  }
  link.request.burnConfig.bytes[0] = 4;
  link.request.burnConfig.bytes[3] = 0x77;
  Run(21);
  EXPECT_EQ(model.BurnConfig().bytes[0], 4);
  EXPECT_EQ(model.BurnConfig().bytes[3], 0x77);
}

TEST_F(OperationRunnerTest, AToolWriteStampsTheChipAndTheWrittenAreas) {
  model.Info(TargetKind::Tool).field[R::ChipType] = 0x99;
  ASSERT_EQ(Run(kOpWriteToolCode), 0);
  const R& info = model.Info(TargetKind::Tool);
  EXPECT_EQ(info.field[R::ChipType], test::kChipType);
  EXPECT_EQ(info.field[R::FuncType], test::kFuncType);
  EXPECT_EQ(info.field[R::CodeLength], 0x300u);
  EXPECT_EQ(info.field[R::ConfLength], 0x200u);
  EXPECT_EQ(info.field[R::OptionLength], 0x10u);
  const uint8_t* copy = link.request.image.data();
  EXPECT_EQ(info.field[R::CodeChecksum], ChecksumCrc32(copy, 0x300));
  EXPECT_EQ(info.field[R::ConfChecksum], ChecksumCrc32(copy + 0x8000, 0x200));
  EXPECT_EQ(info.field[R::OptionChecksum], ChecksumCrc32(copy + 0x10000, 0x10));
  for (uint32_t a : {0u, 0x2FFu}) EXPECT_EQ(model.Byte(TargetKind::Tool, kSelectCode, a), copy[a]);
  EXPECT_EQ(model.Byte(TargetKind::Tool, kSelectCode, 0x300), 0xFF) << "nothing past the written length";
  EXPECT_EQ(view.progress.back(), 100);
}

TEST_F(OperationRunnerTest, AChipWriteKeepsTheIdentityTheChipReported) {
  model.Info(TargetKind::Chip).field[R::FuncType] = 4;
  ASSERT_EQ(Run(kOpWriteChipConfFlash), 0);
  EXPECT_EQ(model.Info(TargetKind::Chip).field[R::FuncType], 4u);
  EXPECT_EQ(model.Byte(TargetKind::Chip, kSelectConf, 0x8000), link.request.image[0x8000]);
  EXPECT_EQ(model.Byte(TargetKind::Tool, kSelectConf, 0x8000), 0xFF);
}

TEST_F(OperationRunnerTest, ReadsHandTheAreaToTheView) {
  for (uint32_t i = 0; i < 0x200; ++i) model.SetByte(TargetKind::Tool, kSelectCode, i, uint8_t(i ^ 0x5A));
  ASSERT_EQ(Run(kOpReadToolCodeFlash), 0);
  ASSERT_EQ(view.reads.size(), 1u);
  const ReadResult& area = *view.reads[0].second;
  EXPECT_EQ(view.reads[0].first, kOpReadToolCodeFlash);
  EXPECT_EQ(area.size, 0x200u) << "as much code as the programmer holds";
  EXPECT_EQ(area.address, 0u);
  EXPECT_EQ(area.data[0x1FF], uint8_t(0x1FF ^ 0x5A));
  EXPECT_EQ(link.readSize[kLinkAreaCode], 0x200u);
}

TEST_F(OperationRunnerTest, ReadConfigLogsTheDeviceInformation) {
  ASSERT_EQ(Run(kOpReadToolConfig), 0);
  const auto lines = view.LogTexts();
  ASSERT_GE(lines.size(), 11u);
  EXPECT_EQ(lines[0], "Read tool config");
  EXPECT_EQ(lines[1], " Software:2.1");
  EXPECT_EQ(lines[2], " Hardware:1.3");
  EXPECT_EQ(lines[3], " Chip type:0x00000035");
  EXPECT_EQ(lines[4], " Function type:0x00000001 (Adapter)");
  EXPECT_EQ(lines[8], " Conf size:0x00000200 (0.5 K)");
  EXPECT_EQ(lines[10], " Option size:0x00000010 (0.0 K)");
  for (const auto& l : view.log) EXPECT_TRUE(l.stamped);
  EXPECT_EQ(view.log[0].colour, kColourInfo);
}

TEST_F(OperationRunnerTest, AChipOfAnotherTypeIsNotRead) {
  model.Info(TargetKind::Chip).field[R::ChipType] = 0x36;
  model.Info(TargetKind::Chip).field[R::FuncType] = 9;
  EXPECT_EQ(Run(kOpReadChipConfig), kLinkChipMismatch);
  EXPECT_EQ(Requests(), "5 1 6c");
  const auto lines = view.LogTexts();
  ASSERT_EQ(lines.size(), 6u);
  EXPECT_EQ(lines[1], " Chip type:0x00000036");
  EXPECT_EQ(lines[2], " Function type:0x00000009 (Unknown Type)");
  EXPECT_TRUE(view.reads.empty());
  EXPECT_EQ(link.message, "\xEF\xBC\x8C" "Chip mismatch");  // this kind has no name in the table
}

TEST_F(OperationRunnerTest, TheFirstFailureSkipsTheRestAndLeavesTheBar) {
  model.AddFault({FaultKind::Status, kCmdWriteBlock, 3});
  EXPECT_EQ(Run(kOpWriteToolCode), kFaultStatus);
  EXPECT_EQ(Requests(), "1 6 4+ 4 4+");
  EXPECT_LT(view.progress.back(), 100);
  EXPECT_EQ(link.message, "Write tool code\xEF\xBC\x8CProgrammer error 33");
}

TEST_F(OperationRunnerTest, ProgressOnlyMovesForward) {
  ASSERT_EQ(Run(kOpWriteToolCode), 0);
  for (size_t i = 1; i < view.progress.size(); ++i) EXPECT_GE(view.progress[i], view.progress[i - 1]);
  EXPECT_EQ(view.progress.front(), 0);
  EXPECT_EQ(view.progress.back(), 100);
}

TEST_F(OperationRunnerTest, CompareReportsEachAreaAndAMismatchIsNoError) {
  // The tool holds the conf area as the PC has it, but other code.
  for (uint32_t i = 0; i < 0x200; ++i) {
    model.SetByte(TargetKind::Tool, kSelectConf, 0x8000 + i, link.request.image[0x8000 + i]);
    model.SetByte(TargetKind::Tool, kSelectCode, i, uint8_t(~link.request.image[i]));
  }
  link.request.checkMask = 3;
  EXPECT_EQ(Run(kOpCompareChecksums), 0);
  std::vector<test::RecordingView::Line> verdicts;
  for (const auto& l : view.log)
    if (l.text.find("PC ") == 0) verdicts.push_back(l);
  ASSERT_EQ(verdicts.size(), 2u);
  const uint32_t conf = ChecksumCrc32(link.request.image.data() + 0x8000, 0x200);
  EXPECT_EQ(verdicts[0].text, StrFormat("PC conf:0x%08X  Tool conf:0x%08X (conf same)", conf, conf));
  EXPECT_EQ(verdicts[0].colour, kColourSuccess);
  EXPECT_NE(verdicts[1].text.find("(code differs)"), std::string::npos);
  EXPECT_EQ(verdicts[1].colour, kColourFailure);
  EXPECT_EQ(link.compareMismatch, 2u);
  EXPECT_EQ(link.readSize[kLinkAreaCode], 0x200u);
}

// A comparison of all three areas whose sizes the tool reports, with the
// tool holding the PC's bytes in the areas named by `same` (check bits) and
// other bytes in the rest.
struct CompareTest : OperationRunnerTest {
  struct Area {
    uint8_t selector;
    uint32_t start, length, bit;
  };
  static constexpr Area kAreas[] = {
      {kSelectConf, 0x8000, 0x200, kCheckConf}, {kSelectCode, 0, 0x200, kCheckCode}, {kSelectOption, 0x10000, 0x10, kCheckOption}};

  explicit CompareTest(uint32_t same = 7) { Prepare(same); }
  void Prepare(uint32_t same) {
    R& info = model.Info(TargetKind::Tool);
    info.field[R::ConfLength] = 0x200;
    info.field[R::CodeLength] = 0x200;
    info.field[R::OptionLength] = 0x10;
    for (const Area& a : kAreas)
      for (uint32_t i = 0; i < a.length; ++i) {
        const uint8_t pc = link.request.image[a.start + i];
        model.SetByte(TargetKind::Tool, a.selector, a.start + i, (same & a.bit) ? pc : uint8_t(~pc));
      }
    link.request.checkMask = 7;
  }
  // Runs the comparison and its final report, as a front end does.
  int Compare() {
    const int result = Run(kOpCompareChecksums);
    FinalReport(link);
    return result;
  }
  int ChecksumRequests() const {
    int n = 0;
    for (const auto& s : model.seen) n += s.command == kCmdReadChecksum;
    return n;
  }
};

// A compare whose read fails is the operation's result, however the later
// ones go: the first failure wins, each area is still compared, and the
// failure is logged in red with its error and ends the operation in red.
TEST_F(CompareTest, AFailedReadIsTheResultAndEveryAreaIsStillCompared) {
  const struct {
    const char* what;
    std::vector<FaultPlan> faults;
    int result;
    std::vector<std::string> failedLines;  // the areas whose read failed, in order
  } cases[] = {
      {"conf read answers a status", {{FaultKind::Status, kCmdReadChecksum, 1}}, kFaultStatus, {"PC conf"}},
      {"code read answers a bad check byte", {{FaultKind::BadCheck, kCmdReadChecksum, 2}}, kLinkBadCheck, {"PC code"}},
      {"the last read fails", {{FaultKind::Status, kCmdReadChecksum, 3}}, kFaultStatus, {"PC option"}},
      // (a fault counts only the requests the one before it let pass)
      {"two fail: the first counts",
       {{FaultKind::BadCheck, kCmdReadChecksum, 1}, {FaultKind::Status, kCmdReadChecksum, 2}},
       kLinkBadCheck,
       {"PC conf", "PC option"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    model = ProgrammerModel(test::kChipType, test::kFuncType);
    Prepare(7);
    for (const FaultPlan& f : c.faults) model.AddFault(f);
    view.log.clear();
    EXPECT_EQ(Compare(), c.result);
    EXPECT_EQ(ChecksumRequests(), 3) << "every area is compared";
    EXPECT_EQ(link.compareMismatch, 0u);
    std::vector<std::string> failed;
    for (const auto& l : view.log) {
      if (l.text.rfind("PC ", 0) != 0 || l.text.ends_with(" same)")) continue;
      EXPECT_EQ(l.colour, kColourFailure) << l.text;
      failed.push_back(l.text.substr(0, l.text.find(':')));
    }
    EXPECT_EQ(failed, c.failedLines);
    const std::string final = "Compare checksums\xEF\xBC\x8C" + ErrorText(link, c.result);
    EXPECT_EQ(link.message, final);
    ASSERT_FALSE(view.log.empty());
    EXPECT_EQ(view.log.back().text, final);
    EXPECT_EQ(view.log.back().colour, kColourFailure);
    EXPECT_LT(view.progress.back(), 100) << "the bar stays where the failure left it";
  }
}

TEST_F(CompareTest, AFailedReadNamesItsAreaAndItsError) {
  model.AddFault({FaultKind::Status, kCmdReadChecksum, 1});
  Compare();
  const uint32_t conf = ChecksumCrc32(link.request.image.data() + 0x8000, 0x200);
  bool found = false;
  for (const auto& l : view.log)
    found |= l.text == StrFormat("PC conf:0x%08X  Tool conf (Programmer error 33)", conf);
  EXPECT_TRUE(found);
}

// Areas that differ end the comparison with a verdict naming them, in red,
// in the log and the status text; the result stays 0. Matching areas keep
// the success text.
TEST_F(CompareTest, DifferingAreasEndWithAVerdictThatNamesThem) {
  const struct {
    uint32_t same;
    const char* final;
    uint32_t mismatch;
  } cases[] = {
      {7, "Compare checksums\xEF\xBC\x8CSuccess", 0},
      {kCheckConf | kCheckOption, "Compare checksums\xEF\xBC\x8C" "Checksums differ: code", kCheckCode},
      {kCheckOption, "Compare checksums\xEF\xBC\x8C" "Checksums differ: conf, code", kCheckConf | kCheckCode},
      {0, "Compare checksums\xEF\xBC\x8C" "Checksums differ: conf, code, option", 7},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.final);
    Prepare(c.same);
    view.log.clear();
    view.status.clear();
    EXPECT_EQ(Compare(), 0);
    EXPECT_EQ(link.compareMismatch, c.mismatch);
    EXPECT_EQ(link.message, c.final);
    ASSERT_FALSE(view.log.empty());
    EXPECT_EQ(view.log.back().text, c.final);
    EXPECT_EQ(view.log.back().colour, c.mismatch ? kColourFailure : kColourSuccess);
    if (c.mismatch) {
      ASSERT_EQ(view.status.size(), 1u);
      EXPECT_EQ(view.status[0].text, c.final);
      EXPECT_EQ(view.status[0].colour, kColourFailure);
    } else {
      EXPECT_TRUE(view.status.empty());
    }
    EXPECT_EQ(view.progress.back(), 100) << "every transaction went through";
  }
}

// A failed read outranks a difference found in another area.
TEST_F(CompareTest, AFailedReadOutranksAMismatch) {
  Prepare(kCheckConf | kCheckOption);
  model.AddFault({FaultKind::Status, kCmdReadChecksum, 1});
  EXPECT_EQ(Compare(), kFaultStatus);
  EXPECT_EQ(link.compareMismatch, kCheckCode);
  EXPECT_EQ(view.log.back().text, "Compare checksums\xEF\xBC\x8CProgrammer error 33");
  EXPECT_TRUE(view.status.empty());
}

TEST_F(OperationRunnerTest, FirmwareUpdateSendsNothing) {
  EXPECT_EQ(Run(kOpFirmwareUpdate), kLinkNoFirmwareUpdate);
  EXPECT_TRUE(line.Written().empty());
  EXPECT_EQ(link.message, "Firmware update\xEF\xBC\x8CNo firmware update");
}

TEST_F(OperationRunnerTest, InformationRecordsGoToTheView) {
  ASSERT_EQ(Run(kOpReadChipInfo), 0);
  ASSERT_EQ(view.infos.size(), 1u);
  EXPECT_EQ(view.infos[0].first, kOpReadChipInfo);
  EXPECT_EQ(view.infos[0].second.field[R::ConfLength], 0x200u);
}

TEST_F(OperationRunnerTest, FinalReportAfterAUserCancel) {
  link.request.kind = kOpWriteToolCode;
  ReportResult(link, kLinkNoAnswer, kOpWriteToolCode);
  link.userCancel = 1;
  FinalReport(link);
  EXPECT_EQ(link.result, kLinkCancelled);
  ASSERT_FALSE(view.log.empty());
  EXPECT_EQ(view.log.back().text, "Write tool code, Cancelled");
  EXPECT_EQ(view.log.back().colour, kColourFailure);

  link.userCancel = 0;
  ReportResult(link, 0, kOpWriteToolCode);
  FinalReport(link);
  EXPECT_EQ(view.log.back().text, "Write tool code\xEF\xBC\x8CSuccess");
  EXPECT_EQ(view.log.back().colour, kColourSuccess);
}

TEST_F(OperationRunnerTest, TheWorkerRunsOnItsOwnThreadAndEnds) {
  link.epiloguePauseMs = 10;
  EXPECT_EQ(RunOperationBlocking(link, Request(kOpReadToolConfFlash)), 0);
  EXPECT_EQ(view.ended, 1);
  EXPECT_FALSE(link.WorkerRunning());
  EXPECT_EQ(view.log.back().colour, kColourSuccess);
}

TEST_F(OperationRunnerTest, ACancelInTheMiddleOfAWriteEndsIt) {
  int blocks = 0;
  line.onRequest = [&](test::FakeLine&) {
    if (model.seen.back().command == kCmdWriteBlock && ++blocks == 2) link.cancel = 1, link.userCancel = 1;
  };
  // The answer already there is not taken once the cancel is seen.
  EXPECT_EQ(RunOperationBlocking(link, Request(kOpWriteToolCode)), kLinkCancelled);
  EXPECT_EQ(view.log.back().text, "Write tool code, Cancelled");
  EXPECT_EQ(Requests(), "1 6 4+ 4");
}

TEST_F(OperationRunnerTest, PortReadyNamesWhatIsMissing) {
  test::RecordingMessageBox boxes;
  core.messageBox = &boxes;
  EXPECT_TRUE(PortReady(link, true, true, true));
  EXPECT_FALSE(PortReady(link, true, true, false));
  line.open = false;
  EXPECT_FALSE(PortReady(link, true, true, true));
  EXPECT_TRUE(PortReady(link, true, false, true));
  EXPECT_EQ(RunOperationBlocking(link, Request(kOpReadToolConfig)), kLinkPortNotOpen);
  EXPECT_EQ(boxes.Texts(), (std::vector<std::string>{"", "Port not ready", "Port not ready"}));
}

}  // namespace
}  // namespace korvane

namespace korvane {
namespace {

TEST(LogTimeStamp, BracketedLocalTimeWithItsClosingSpace) {
  const std::string stamp = LogTimeStamp();
  EXPECT_TRUE(std::regex_match(stamp, std::regex(R"(\[\d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2}\] )"))) << stamp;
}

}  // namespace
}  // namespace korvane
