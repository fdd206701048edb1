#include "link/LinkCommands.h"

#include <algorithm>
#include <cstring>

#include "core/files/ChecksumCrc32.h"
#include "link/LinkReport.h"

namespace korvane {

namespace {

// Clears the message and the line before a transaction or a block.
void PrepareTransaction(LinkContext& link) {
  link.message.clear();
  if (link.PortOpen()) link.channel->Purge();
}

// One request, one answer. On success answer holds the answer in host order.
int SingleFrame(LinkContext& link, uint8_t command, const uint8_t* payload, uint32_t n, bool toChip, int timeout,
                ProtocolFrame& answer) {
  PrepareTransaction(link);
  FrameLink frames = link.Frames();
  ProtocolFrame request;
  request.bytes[0] = kRequestStart;
  request.SetLength(static_cast<uint16_t>(n + kFrameOverhead));
  request.bytes[3] = 0x01;
  request.bytes[4] = command;
  request.SetSequence(link.sequence);
  request.bytes[8] = toChip ? kFlagToChip : 0;
  if (payload && n) std::memcpy(request.Payload(), payload, n);
  if (frames.SendFrame(request) != kLinkOk) return kLinkWriteFailed;
  return frames.ReadAnswer(answer, command, timeout);
}

}  // namespace

int TransferProgress(int base, double scale, uint32_t k, uint32_t length) {
  // The percentage of the bytes acknowledged, in 32-bit integers and
  // truncated before it is scaled.
  const uint32_t p = length ? static_cast<uint32_t>(k * kBlockSize * 100u) / length : 0;
  return base + static_cast<int>(static_cast<double>(p) * scale);
}

int ReadVersion(LinkContext& link, uint8_t version[2]) {
  version[0] = version[1] = 0;
  ProtocolFrame answer;
  const int result = SingleFrame(link, kCmdReadVersion, nullptr, 0, false, kAnswerTimeout, answer);
  if (result != kLinkOk) return result;
  version[0] = answer.Payload()[0];
  version[1] = answer.Payload()[1];
  return kLinkOk;
}

int ReadInfo(LinkContext& link, DeviceInfoRecord& record, bool toChip) {
  record = DeviceInfoRecord{};
  ProtocolFrame answer;
  const int result = SingleFrame(link, kCmdReadInfo, nullptr, 0, toChip, kAnswerTimeout, answer);
  if (result != kLinkOk) return result;
  for (int i = 0; i < 8; ++i) record.field[i] = answer.PayloadWord(4 * i);

  const AreaLayout& layout = link.core.layout;
  record.field[DeviceInfoRecord::ConfLength] = layout.confSize;
  record.field[DeviceInfoRecord::OptionLength] = layout.optionSize;
  uint32_t& code = record.field[DeviceInfoRecord::CodeLength];
  code = code == 0 ? layout.codeSize : std::min(code, layout.codeSize);
  return kLinkOk;
}

int WriteInfo(LinkContext& link, const DeviceInfoRecord* record, bool toChip) {
  uint8_t payload[32] = {};
  if (record)
    for (int i = 0; i < 8; ++i) std::memcpy(payload + 4 * i, &record->field[i], 4);
  ProtocolFrame answer;
  return SingleFrame(link, kCmdWriteInfo, payload, sizeof payload, toChip, kAnswerTimeout, answer);
}

int ReadBurnConfig(LinkContext& link, BurnConfigRecord& record) {
  link.userCancel.store(0);
  link.cancel.store(0);
  link.result.store(0);
  ProtocolFrame answer;
  const int result =
      SingleFrame(link, kCmdReadBurnConfig, record.bytes, sizeof record.bytes, false, kBurnConfigTimeout, answer);
  if (result != kLinkOk) return result;
  std::memcpy(record.bytes, answer.Payload(), sizeof record.bytes);
  return kLinkOk;
}

int WriteBurnConfig(LinkContext& link, const BurnConfigRecord& record) {
  ProtocolFrame answer;
  return SingleFrame(link, kCmdWriteBurnConfig, record.bytes, sizeof record.bytes, false, kAnswerTimeout, answer);
}

int ReadChecksum(LinkContext& link, uint8_t selector, uint32_t start, uint32_t length, uint32_t& checksum) {
  checksum = 0;
  uint8_t payload[9];
  payload[0] = selector;
  std::memcpy(payload + 1, &start, 4);
  std::memcpy(payload + 5, &length, 4);
  ProtocolFrame answer;
  const int result = SingleFrame(link, kCmdReadChecksum, payload, sizeof payload, false, kAnswerTimeout, answer);
  if (result != kLinkOk) return result;
  checksum = answer.PayloadWord(0);
  return kLinkOk;
}

int ReadArea(LinkContext& link, uint8_t selector, uint32_t start, bool toChip, uint32_t length, double scale,
             uint8_t* destination) {
  PrepareTransaction(link);
  if (!destination || length == 0) return kLinkNoData;
  FrameLink frames = link.Frames();
  uint32_t k = 0;
  for (uint32_t offset = 0; offset < length; offset += kBlockSize, ++k) {
    PrepareTransaction(link);
    uint8_t payload[9];
    payload[0] = selector;
    const uint32_t address = start + offset;
    const uint32_t blockLength = kBlockSize;
    std::memcpy(payload + 1, &address, 4);
    std::memcpy(payload + 5, &blockLength, 4);
    const bool more = offset + kBlockSize < length;
    const int sent = frames.SendRequest(kCmdReadBlock, payload, sizeof payload, more, toChip);
    if (sent != kLinkOk) return sent;
    uint32_t count = 0;
    const int result = frames.ReadBlockAnswer(destination + offset, length - offset, count);
    if (result != kLinkOk) return result;
    RaiseProgress(link, TransferProgress(kProgressOpened, scale, k, length));
  }
  return kLinkOk;
}

int WriteArea(LinkContext& link, uint8_t selector, uint32_t start, bool toChip, uint32_t length, int base,
              double scale, const uint8_t* source, uint32_t available) {
  // Never read past what the caller holds, not even for the checksum.
  if (length > available) length = available;
  const uint32_t checksum = source ? ChecksumCrc32(source, length) : ChecksumCrc32(nullptr, 0);
  PrepareTransaction(link);
  if (!source || length == 0) return kLinkNoData;
  FrameLink frames = link.Frames();
  uint32_t k = 0;
  for (uint32_t offset = 0; offset < length; offset += kBlockSize, ++k) {
    PrepareTransaction(link);
    uint8_t payload[21 + kBlockSize];
    const uint32_t address = start + offset;
    const uint32_t blockLength = kBlockSize;
    payload[0] = selector;
    std::memcpy(payload + 1, &start, 4);
    std::memcpy(payload + 5, &length, 4);
    std::memcpy(payload + 9, &checksum, 4);
    std::memcpy(payload + 13, &address, 4);
    std::memcpy(payload + 17, &blockLength, 4);
    // The last block carries what follows the area in the image; where the
    // image itself ends, the fill byte stands in.
    const uint32_t have = std::min(kBlockSize, available - offset);
    std::memcpy(payload + 21, source + offset, have);
    if (have < kBlockSize) std::memset(payload + 21 + have, link.core.layout.fill, kBlockSize - have);
    const bool more = offset + kBlockSize < length;
    const int sent = frames.SendRequest(kCmdWriteBlock, payload, sizeof payload, more, toChip);
    if (sent != kLinkOk) return sent;
    ProtocolFrame answer;
    const int result = frames.ReadAnswer(answer, kCmdWriteBlock, kAnswerTimeout);
    if (result != kLinkOk) return result;
    RaiseProgress(link, TransferProgress(base, scale, k, length));
  }
  return kLinkOk;
}

}  // namespace korvane
