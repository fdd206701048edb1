#include "link/FrameLink.h"

#include <gtest/gtest.h>

#include "FakeLine.h"
#include "link/LinkArea.h"
#include "sim/ProgrammerModel.h"

namespace korvane {
namespace {

using test::FakeLine;
using Bytes = std::vector<uint8_t>;

struct FrameLinkTest : ::testing::Test {
  FakeLine line;
  std::atomic<int> cancel{0};
  uint16_t sequence = 0;
  FrameLink frames{line, cancel, sequence};
  ProtocolFrame frame;
};

TEST_F(FrameLinkTest, BeginWithoutPayloadIsTenBytes) {
  ASSERT_EQ(frames.SendRequest(kCmdBegin, nullptr, 0, false, false), 0);
  ASSERT_EQ(line.Written().size(), 1u);
  EXPECT_EQ(line.Written()[0], (Bytes{0x55, 0x00, 0x0A, 0x01, 0x01, 0x00, 0x00, 0x00, 0x00, 0x5F}));
  EXPECT_EQ(sequence, 1);
}

TEST_F(FrameLinkTest, FlagsAndSequenceAndPayloadByteOrder) {
  sequence = 0x1234;
  uint8_t payload[9] = {kSelectConf};
  const uint32_t address = 0x00010200, length = 256;
  std::memcpy(payload + 1, &address, 4);
  std::memcpy(payload + 5, &length, 4);
  ASSERT_EQ(frames.SendRequest(kCmdReadBlock, payload, 9, true, true), 0);
  const Bytes& w = line.Written()[0];
  ASSERT_EQ(w.size(), 19u);
  EXPECT_EQ(w[1], 0x00);
  EXPECT_EQ(w[2], 19);
  EXPECT_EQ(w[5], 0x12);
  EXPECT_EQ(w[6], 0x34);
  EXPECT_EQ(w[8], kFlagMoreFollows | kFlagToChip);
  EXPECT_EQ(Bytes(w.begin() + 9, w.begin() + 18), (Bytes{2, 0x00, 0x01, 0x02, 0x00, 0x00, 0x00, 0x01, 0x00}));
  EXPECT_EQ(w[18], FrameCheckByte(w.data(), 19));
}

TEST_F(FrameLinkTest, UnlistedPayloadsTravelAsStored) {
  // The burn configuration goes out as held in memory, least significant byte first.
  const uint8_t record[9] = {0x05, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08};
  ASSERT_EQ(frames.SendRequest(kCmdWriteBurnConfig, record, 9, false, false), 0);
  EXPECT_EQ(Bytes(line.Written()[0].begin() + 9, line.Written()[0].begin() + 18), Bytes(record, record + 9));
}

TEST_F(FrameLinkTest, SendFailures) {
  line.open = false;
  EXPECT_EQ(frames.SendRequest(kCmdBegin, nullptr, 0, false, false), kLinkPortNotOpen);
  line.open = true;
  line.failWrites = true;
  EXPECT_EQ(frames.SendRequest(kCmdBegin, nullptr, 0, false, false), kLinkWriteFailed);
  line.failWrites = false;
  line.shortWrite = true;
  EXPECT_EQ(frames.SendRequest(kCmdBegin, nullptr, 0, false, false), kLinkWriteFailed);
  EXPECT_EQ(sequence, 0);
}

TEST_F(FrameLinkTest, NoiseBeforeTheAnswerIsDropped) {
  line.Push({0x00, 0x55, 0x13});
  line.Push(BuildAnswer(kCmdBegin, 7, 0, nullptr, 0));
  EXPECT_EQ(frames.ReadAnswer(frame, kCmdBegin, 10), 0);
  EXPECT_EQ(frame.Command(), kCmdBegin);
  EXPECT_EQ(frame.Sequence(), 7);
  EXPECT_EQ(sequence, 1);
  EXPECT_EQ(line.lastTimeout, 10);
}

TEST_F(FrameLinkTest, AnswerToAnotherCommandIsDroppedAfterAdvancingTheCounter) {
  line.Push(BuildAnswer(kCmdEnd, 0, 0, nullptr, 0));
  line.Push(BuildAnswer(kCmdBegin, 0, 0, nullptr, 0));
  EXPECT_EQ(frames.ReadAnswer(frame, kCmdBegin, 10), 0);
  EXPECT_EQ(sequence, 2);
}

TEST_F(FrameLinkTest, NonzeroStatusEndsTheReadWhateverItAnswers) {
  line.Push(BuildAnswer(kCmdEnd, 0, 0x21, nullptr, 0));
  EXPECT_EQ(frames.ReadAnswer(frame, kCmdBegin, 10), 0x21);
}

TEST_F(FrameLinkTest, StatusThreeResynchronises) {
  ProgrammerModel model(0, 0);
  line.model = &model;  // answers the Resync request
  sequence = 40;
  line.Push(BuildAnswer(kCmdWriteBlock, 0, kLinkResyncStatus, nullptr, 0));
  EXPECT_EQ(frames.ReadAnswer(frame, kCmdWriteBlock, 10), kLinkResyncStatus);
  ASSERT_EQ(line.Written().size(), 1u);
  const Bytes& resync = line.Written()[0];
  EXPECT_EQ(resync[4], kCmdResync);
  EXPECT_EQ(resync[5], 0);
  EXPECT_EQ(resync[6], 0);
  EXPECT_EQ(sequence, 2);
}

TEST_F(FrameLinkTest, EndlessResyncRequestsStopNesting) {
  ProgrammerModel model(0, 0);
  for (int i = 0; i < 50; ++i) model.AddFault({FaultKind::Resync, kCmdResync, i + 1});
  line.model = &model;
  line.Push(BuildAnswer(kCmdBegin, 0, kLinkResyncStatus, nullptr, 0));
  EXPECT_EQ(frames.ReadAnswer(frame, kCmdBegin, 10), kLinkResyncStatus);
  EXPECT_LT(line.Written().size(), 10u);
}

TEST_F(FrameLinkTest, WrongCheckBytePurgesAndLeavesTheCounter) {
  Bytes answer = BuildAnswer(kCmdBegin, 0, 0, nullptr, 0);
  answer.back() ^= 1;
  line.Push(answer);
  line.Push(BuildAnswer(kCmdBegin, 0, 0, nullptr, 0));
  EXPECT_EQ(frames.ReadAnswer(frame, kCmdBegin, 10), kLinkBadCheck);
  EXPECT_EQ(line.purges, 1);
  EXPECT_TRUE(line.incoming.empty());
  EXPECT_EQ(sequence, 0);
}

TEST_F(FrameLinkTest, ImpossibleLengthsAreRejectedWithoutReadingOn) {
  for (uint16_t length : {0, 9, 522, 0xFFFF}) {
    line.incoming.clear();
    Bytes bogus = {0xAA, uint8_t(length >> 8), uint8_t(length)};
    bogus.resize(700, 0x11);
    line.Push(bogus);
    const int readsBefore = line.reads;
    EXPECT_EQ(frames.ReadFrame(frame, 10), kLinkNoAnswer) << length;
    EXPECT_EQ(line.reads - readsBefore, 2) << "only the start byte and the length were read";
  }
}

TEST_F(FrameLinkTest, ShortAnswersAndSilenceGive1003) {
  EXPECT_EQ(frames.ReadFrame(frame, 10), kLinkNoAnswer);
  Bytes answer = BuildAnswer(kCmdBegin, 0, 0, nullptr, 0);
  answer.pop_back();
  line.Push(answer);
  EXPECT_EQ(frames.ReadFrame(frame, 10), kLinkNoAnswer);
}

TEST_F(FrameLinkTest, CancelBetweenReadsGives1005AndInsideAWait1003) {
  line.Push(BuildAnswer(kCmdBegin, 0, 0, nullptr, 0));
  cancel = 1;
  EXPECT_EQ(frames.ReadFrame(frame, 10), kLinkCancelled);  // seen before the first read
  cancel = 0;
  line.onRead = [this](FakeLine&) { cancel = 1; };  // raised while the port waited
  EXPECT_EQ(frames.ReadFrame(frame, 10), kLinkCancelled);
  line.onRead = nullptr;
  line.incoming.clear();
  struct CancelledChannel : FakeLine {
    int Read(const std::atomic<int>&, uint8_t*, uint32_t, uint32_t& got, int) override {
      got = 0;
      return -1;
    }
  } cancelled;
  uint16_t seq = 0;
  FrameLink other(cancelled, cancel, seq);
  cancel = 0;
  EXPECT_EQ(other.ReadFrame(frame, 10), kLinkNoAnswer);
  line.open = false;
  EXPECT_EQ(frames.ReadFrame(frame, 10), kLinkPortNotOpen);
}

TEST_F(FrameLinkTest, AnswerPayloadsAreConvertedToHostOrder) {
  uint8_t info[32];
  for (int i = 0; i < 8; ++i) WriteBe32(info + 4 * i, 0x01020300u + i);
  line.Push(BuildAnswer(kCmdReadInfo, 0, 0, info, 32));
  ASSERT_EQ(frames.ReadAnswer(frame, kCmdReadInfo, 10), 0);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(frame.PayloadWord(4 * i), 0x01020300u + i);
  EXPECT_EQ(frame.Length(), 42);

  // An error answer keeps its payload as it came.
  line.Push(BuildAnswer(kCmdReadInfo, 0, 0x44, info, 32));
  EXPECT_EQ(frames.ReadAnswer(frame, kCmdReadInfo, 10), 0x44);
  EXPECT_EQ(frame.Payload()[0], 0x01);
}

TEST_F(FrameLinkTest, ReadBlockAnswerCopiesNoMoreThanTheRoom) {
  Bytes block(256);
  for (int i = 0; i < 256; ++i) block[i] = uint8_t(i);
  line.Push(BuildAnswer(kCmdReadBlock, 0, 0, block.data(), 256));
  uint8_t room[100 + 1];
  room[100] = 0xEE;
  uint32_t count = 0;
  ASSERT_EQ(frames.ReadBlockAnswer(room, 100, count), 0);
  EXPECT_EQ(count, 100u);
  EXPECT_EQ(room[99], 99);
  EXPECT_EQ(room[100], 0xEE);
}

TEST_F(FrameLinkTest, ExchangeWaitsForItsOwnCommand) {
  line.Push(BuildAnswer(kCmdReadVersion, 0, 0, nullptr, 0));
  line.Push(BuildAnswer(kCmdEnd, 0, 0, nullptr, 0));
  EXPECT_EQ(frames.Exchange(kCmdEnd), 0);
  EXPECT_EQ(line.purges, 0);
  EXPECT_EQ(sequence, 3);
}

}  // namespace
}  // namespace korvane
