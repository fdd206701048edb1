// The link against the emulator over a real pseudo-terminal.
#include <gtest/gtest.h>

#include <chrono>

#include "LinkFixture.h"
#include "support/Simulator.h"
#include "link/FrameLink.h"
#include "link/LinkReport.h"
#include "link/OperationKind.h"
#include "link/OperationRunner.h"
#include "link/PortSetup.h"

namespace korvane {
namespace {

using Clock = std::chrono::steady_clock;
using test::SimProcess;

double SecondsSince(Clock::time_point t) { return std::chrono::duration<double>(Clock::now() - t).count(); }

struct SimEndToEnd : ::testing::Test {
  CoreContext core;
  LinkContext link{core};
  test::RecordingView view;
  std::unique_ptr<SimProcess> sim;

  SimEndToEnd() {
    test::SetTestLayout(core);
    link.view = &view;
    link.epiloguePauseMs = 0;
    link.request.image.assign(kImageSize, 0xFF);
    for (uint32_t i = 0; i < 0x20000; ++i) link.request.image[i] = uint8_t(i * 13 + (i >> 9));
    link.request.writeLength[kLinkAreaCode] = 0x1000;
    link.request.writeLength[kLinkAreaConf] = 0x200;
    link.request.writeLength[kLinkAreaOption] = 0x10;
  }

  void Start(std::vector<std::string> extra) {
    extra.insert(extra.end(), {"--chip-type", std::to_string(test::kChipType)});
    sim = std::make_unique<SimProcess>();
    ASSERT_TRUE(sim->Start(extra));
    PortSettings settings;
    settings.portName = sim->Link();
    ASSERT_TRUE(OpenPort(link, settings));
  }

  // Runs kind with the image and lengths the link's request holds.
  int Run(int kind) {
    OperationRequest request = link.request;
    request.kind = kind;
    return RunOperationBlocking(link, std::move(request));
  }
};

TEST_F(SimEndToEnd, DownloadReadBackAndCompare) {
  Start({});
  ASSERT_EQ(Run(kOpWriteToolCode), 0);
  ASSERT_EQ(Run(kOpReadToolConfFlash), 0);
  ASSERT_EQ(view.reads.size(), 1u);
  const ReadResult& conf = *view.reads[0].second;
  ASSERT_EQ(conf.size, 0x200u);
  EXPECT_TRUE(std::equal(conf.data.begin(), conf.data.end(), link.request.image.begin() + 0x8000));

  link.request.checkMask = 7;
  ASSERT_EQ(Run(kOpCompareChecksums), 0);
  EXPECT_EQ(link.compareMismatch, 0u);
  EXPECT_EQ(link.readSize[kLinkAreaCode], 0x1000u) << "the code length the tool was given";

  ASSERT_EQ(Run(kOpReadToolInfo), 0);
  ASSERT_EQ(view.infos.size(), 1u);
  EXPECT_EQ(view.infos[0].second.field[DeviceInfoRecord::FuncType], test::kFuncType);

  // The programmer stays up across a client closing and reopening the line.
  link.port.Close();
  ASSERT_TRUE(link.port.Reopen(link.settings));
  link.request.image[0x8000] ^= 0xFF;
  ASSERT_EQ(Run(kOpCompareChecksums), 0);
  EXPECT_EQ(link.compareMismatch, 1u);
  EXPECT_TRUE(sim->Stop()) << "the symlink goes with the emulator";
}

TEST_F(SimEndToEnd, NoiseBeforeEveryAnswerIsHarmless) {
  Start({"--fault", "noise"});
  EXPECT_EQ(Run(kOpWriteChipConfig), 0);
  EXPECT_EQ(Run(kOpReadChipConfig), 0);
}

TEST_F(SimEndToEnd, LineFaultsEndTheOperationWithTheirCodes) {
  const struct {
    const char* fault;
    int kind;
    int result;
    const char* why;
  } cases[] = {
      {"badcheck:6", kOpReadToolInfo, kLinkBadCheck, "a wrong check byte"},
      {"resync:4:2", kOpWriteToolConfFlash, kLinkResyncStatus, "one resynchronisation"},
      {"status:7", kOpWriteToolConfFlash, kFaultStatus, "an error status"},
  };
  for (const auto& c : cases) {
    Start({"--fault", c.fault});
    view.log.clear();
    EXPECT_EQ(Run(c.kind), c.result) << c.why;
    EXPECT_EQ(view.log.back().colour, kColourFailure) << c.why;
    // The line is usable again straight away.
    EXPECT_EQ(Run(kOpReadToolInfo), 0) << c.why;
    sim.reset();
  }
}

TEST_F(SimEndToEnd, SilenceRunsIntoTheTimeOut) {
  Start({"--fault", "silence:1"});
  FrameLink frames = link.Frames();
  ASSERT_EQ(frames.SendRequest(kCmdBegin, nullptr, 0, false, false), 0);
  ProtocolFrame answer;
  const auto start = Clock::now();
  EXPECT_EQ(frames.ReadAnswer(answer, kCmdBegin, 1), kLinkNoAnswer);
  EXPECT_GT(SecondsSince(start), 0.9);
  EXPECT_EQ(frames.Exchange(kCmdBegin), 0) << "the next one is answered";
}

TEST_F(SimEndToEnd, AHangUpInTheMiddleOfATransferIsACleanError) {
  Start({"--fault", "hangup:4:3"});
  const auto start = Clock::now();
  const int result = Run(kOpWriteToolCode);
  EXPECT_EQ(result, kLinkNoAnswer) << "the read that waited for the answer failed";
  EXPECT_LT(SecondsSince(start), 3.0);
  EXPECT_NE(link.port.CheckAlive(), 0);
  // The emulator comes back on a fresh line under the same name.
  ASSERT_TRUE(link.port.Reopen(link.settings));
  EXPECT_EQ(Run(kOpWriteToolCode), 0);
}

TEST_F(SimEndToEnd, ACancelInTheMiddleOfAWriteEndsWithinASecond) {
  Start({"--baud", "57600"});
  link.request.writeLength[kLinkAreaCode] = 0x8000;  // about 1.6 s on the line
  OperationRequest request = link.request;
  request.kind = kOpWriteToolCodeFlash;
  ASSERT_TRUE(StartWorker(link, std::move(request)));
  std::this_thread::sleep_for(std::chrono::milliseconds(400));
  ASSERT_TRUE(link.WorkerRunning());
  const auto cancelled = Clock::now();
  link.userCancel = 1;
  link.cancel = 1;
  ASSERT_TRUE(WaitWorker(link));
  EXPECT_LT(SecondsSince(cancelled), 1.0);
  FinalReport(link);
  EXPECT_EQ(link.result, kLinkCancelled);
  EXPECT_EQ(view.log.back().colour, kColourFailure);
}

}  // namespace
}  // namespace korvane
