#include "link/LinkCommands.h"

#include <gtest/gtest.h>

#include "LinkFixture.h"
#include "core/files/ChecksumCrc32.h"

namespace korvane {
namespace {

using test::LinkFixture;

using LinkCommandsTest = LinkFixture;

TEST_F(LinkCommandsTest, ReadInfoFitsTheLengthsToTheLayout) {
  const struct {
    uint32_t reported;
    uint32_t expected;
  } cases[] = {{0, 0x8000}, {0x300, 0x300}, {0x9000, 0x8000}, {0x8000, 0x8000}};
  for (const auto& c : cases) {
    model.Info(TargetKind::Tool).field[DeviceInfoRecord::CodeLength] = c.reported;
    model.Info(TargetKind::Tool).field[DeviceInfoRecord::ConfLength] = 0x77;
    DeviceInfoRecord record;
    ASSERT_EQ(ReadInfo(link, record, false), 0);
    EXPECT_EQ(record.field[DeviceInfoRecord::CodeLength], c.expected) << c.reported;
    EXPECT_EQ(record.field[DeviceInfoRecord::ConfLength], 0x200u);
    EXPECT_EQ(record.field[DeviceInfoRecord::OptionLength], 0x10u);
    EXPECT_EQ(record.field[DeviceInfoRecord::ChipType], test::kChipType);
  }
}

TEST_F(LinkCommandsTest, SingleFrameTransactionsPurgeClearTheMessageAndReportFailures) {
  link.message = "old";
  uint8_t version[2];
  ASSERT_EQ(ReadVersion(link, version), 0);
  EXPECT_EQ(version[0], model.version[0]);
  EXPECT_EQ(version[1], model.version[1]);
  EXPECT_TRUE(link.message.empty());
  EXPECT_EQ(line.purges, 1);

  line.open = false;
  EXPECT_EQ(ReadVersion(link, version), kLinkWriteFailed);  // every send failure, a closed port included
  EXPECT_EQ(version[0], 0);
}

TEST_F(LinkCommandsTest, BurnConfigRoundTripsAndClearsTheFlags) {
  link.cancel = 1;
  link.userCancel = 1;
  link.result = 99;
  BurnConfigRecord record;
  ASSERT_EQ(ReadBurnConfig(link, record), 0);
  EXPECT_EQ(record.bytes[0], model.BurnConfig().bytes[0]);
  EXPECT_EQ(record.bytes[8], model.BurnConfig().bytes[8]);
  EXPECT_EQ(link.cancel, 0);
  EXPECT_EQ(link.userCancel, 0);
  EXPECT_EQ(link.result, 0);
  EXPECT_EQ(line.lastTimeout, 3);
  record.bytes[0] = 2;
  ASSERT_EQ(WriteBurnConfig(link, record), 0);
  EXPECT_EQ(model.BurnConfig().bytes[0], 2);
}

TEST_F(LinkCommandsTest, ReadAreaMovesWholeBlocksWithTheRightFlags) {
  for (uint32_t i = 0; i < 300; ++i) model.SetByte(TargetKind::Chip, kSelectConf, 0x8000 + i, uint8_t(i));
  std::vector<uint8_t> destination(300 + 16, 0xEE);
  ASSERT_EQ(ReadArea(link, kSelectConf, 0x8000, true, 300, 0.8, destination.data()), 0);
  EXPECT_EQ(Requests(), "3+c 3c");
  for (uint32_t i = 0; i < 300; ++i) ASSERT_EQ(destination[i], uint8_t(i));
  EXPECT_EQ(destination[300], 0xEE) << "the copy stops at the end of the destination";
  EXPECT_EQ(view.progress, (std::vector<int>{10, 10 + int(85 * 0.8)}));
}

TEST_F(LinkCommandsTest, WriteAreaCarriesTheAreaHeaderAndTheChecksum) {
  FillTransferCopy();
  const uint8_t* source = link.request.image.data() + 0x8000;
  ASSERT_EQ(WriteArea(link, kSelectConf, 0x8000, false, 256, 10, 0.8, source, kImageSize - 0x8000), 0);
  ASSERT_EQ(Requests(), "4");
  const std::vector<uint8_t>& p = model.seen[0].payload;
  ASSERT_EQ(p.size(), 277u);
  EXPECT_EQ(p[0], kSelectConf);
  EXPECT_EQ(ReadBe32(&p[1]), 0x8000u);
  EXPECT_EQ(ReadBe32(&p[5]), 256u);
  EXPECT_EQ(ReadBe32(&p[9]), ChecksumCrc32(source, 256));
  EXPECT_EQ(ReadBe32(&p[13]), 0x8000u);
  EXPECT_EQ(ReadBe32(&p[17]), 256u);
  EXPECT_EQ(model.Byte(TargetKind::Tool, kSelectConf, 0x80FF), source[255]);
}

TEST_F(LinkCommandsTest, ChipWritesFlagEveryBlockAndTheLastBlockCarriesWhatFollows) {
  FillTransferCopy();
  const uint8_t* source = link.request.image.data();
  ASSERT_EQ(WriteArea(link, kSelectCode, 0, true, 300, 20, 0.6, source, kImageSize), 0);
  EXPECT_EQ(Requests(), "4+c 4c");
  const std::vector<uint8_t>& last = model.seen[1].payload;
  EXPECT_EQ(std::vector<uint8_t>(last.begin() + 21, last.end()),
            std::vector<uint8_t>(source + 256, source + 512));
}

TEST_F(LinkCommandsTest, TheLastBlockNeverReadsPastTheSource) {
  // An area ending 44 bytes before the end of the buffer: the block's tail is
  // the fill byte instead of whatever lies beyond the buffer.
  std::vector<uint8_t> source(300, 0x42);
  ASSERT_EQ(WriteArea(link, kSelectOption, 0x10000, false, 300, 80, 0.2, source.data(), 300), 0);
  const std::vector<uint8_t>& last = model.seen[1].payload;
  EXPECT_EQ(last[21 + 43], 0x42);
  EXPECT_EQ(last[21 + 44], 0xFF);
  EXPECT_EQ(last[21 + 255], 0xFF);
  EXPECT_EQ(ReadBe32(&last[5]), 300u);
}

TEST_F(LinkCommandsTest, EmptyTransfersSendNothing) {
  uint8_t buffer[16];
  EXPECT_EQ(ReadArea(link, kSelectConf, 0, false, 0, 0.8, buffer), kLinkNoData);
  EXPECT_EQ(ReadArea(link, kSelectConf, 0, false, 16, 0.8, nullptr), kLinkNoData);
  EXPECT_EQ(WriteArea(link, kSelectConf, 0, false, 0, 10, 0.8, buffer, 16), kLinkNoData);
  EXPECT_EQ(WriteArea(link, kSelectConf, 0, false, 16, 10, 0.8, nullptr, 0), kLinkNoData);
  EXPECT_TRUE(model.seen.empty());
}

TEST_F(LinkCommandsTest, ATransferStopsAtTheFirstFailedBlock) {
  model.AddFault({FaultKind::Status, kCmdWriteBlock, 2});
  std::vector<uint8_t> source(1024, 1);
  EXPECT_EQ(WriteArea(link, kSelectConf, 0x8000, false, 1024, 10, 0.8, source.data(), 1024), kFaultStatus);
  EXPECT_EQ(Requests(), "4+ 4+");
}

TEST_F(LinkCommandsTest, ProgressNeverReachesTheFullShare) {
  EXPECT_EQ(TransferProgress(10, 0.8, 0, 512), 10);
  EXPECT_EQ(TransferProgress(10, 0.8, 1, 512), 50);
  EXPECT_EQ(TransferProgress(20, 0.6, 255, 0x10000), 20 + int(99 * 0.6));
  EXPECT_EQ(TransferProgress(80, 0.2, 1, 300), 80 + int(85 * 0.2));
}

TEST_F(LinkCommandsTest, ChecksumsAreReadInHostOrder) {
  for (uint32_t i = 0; i < 16; ++i) model.SetByte(TargetKind::Tool, kSelectOption, 0x10000 + i, uint8_t(i));
  uint32_t sum = 0;
  ASSERT_EQ(ReadChecksum(link, kSelectOption, 0x10000, 16, sum), 0);
  EXPECT_EQ(sum, model.Checksum(TargetKind::Tool, kSelectOption, 0x10000, 16));
  const std::vector<uint8_t>& p = model.seen[0].payload;
  EXPECT_EQ(ReadBe32(&p[1]), 0x10000u);
  EXPECT_EQ(ReadBe32(&p[5]), 16u);
}

}  // namespace
}  // namespace korvane
