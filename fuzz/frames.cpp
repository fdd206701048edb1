// Answers from outside: the frame layer reads whatever bytes the input holds
// as the programmer's answers to one request kind (the first byte chooses
// it), until they run out. The second byte raises the cancel flag after that
// many port reads (0: never). Purges discard nothing, so that everything the
// fuzzer wrote is read.
#include <algorithm>
#include <vector>

#include "FuzzSupport.h"
#include "core/model/CoreContext.h"
#include "link/LinkCommands.h"
#include "link/LinkContext.h"

namespace korvane::fuzz {
namespace {

class InputChannel : public IByteChannel {
 public:
  InputChannel(InputReader& in, std::atomic<int>& cancel, uint32_t cancelAfter)
      : in_(in), cancel_(cancel), cancelAfter_(cancelAfter) {}
  bool IsOpen() const override { return true; }
  int Write(const uint8_t*, uint32_t count, uint32_t& written) override {
    written = count;
    return 0;
  }
  int Read(const std::atomic<int>& cancel, uint8_t* buffer, uint32_t count, uint32_t& got, int) override {
    got = 0;
    if (cancel.load()) return -1;
    if (++reads_ == cancelAfter_) cancel_.store(1);
    const std::string_view bytes = in_.Take(count);
    std::copy(bytes.begin(), bytes.end(), buffer);
    got = static_cast<uint32_t>(bytes.size());
    return 0;
  }
  int Purge() override { return 0; }

 private:
  InputReader& in_;
  std::atomic<int>& cancel_;
  uint32_t cancelAfter_;
  uint32_t reads_ = 0;
};

}  // namespace
}  // namespace korvane::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace korvane;
  static CoreContext* core = [] {
    auto* c = new CoreContext;
    c->layout.codeSize = 0x1000;
    c->layout.confStart = 0xEC00;
    c->layout.confSize = 0x200;
    c->layout.optionStart = 0x10000;
    c->layout.optionSize = 0x10;
    return c;
  }();
  fuzz::InputReader in(data, size);
  const uint8_t kind = in.Byte();
  const uint8_t cancelAfter = in.Byte();

  LinkContext link(*core);
  fuzz::InputChannel channel(in, link.cancel, cancelAfter);
  link.channel = &channel;
  link.sequence = static_cast<uint16_t>(kind * 257);
  FrameLink frames = link.Frames();
  std::vector<uint8_t> area(0x400, 0xA5);

  switch (kind % 14) {
    case 0: {
      uint8_t version[2];
      ReadVersion(link, version);
      break;
    }
    case 1:
    case 2: {
      DeviceInfoRecord record;
      ReadInfo(link, record, kind % 14 == 2);
      break;
    }
    case 3: {
      DeviceInfoRecord record;
      WriteInfo(link, &record, true);
      break;
    }
    case 4: {
      BurnConfigRecord record;
      ReadBurnConfig(link, record);
      break;
    }
    case 5:
      WriteBurnConfig(link, BurnConfigRecord{});
      break;
    case 6: {
      uint32_t checksum = 0;
      ReadChecksum(link, kSelectConf, 0xEC00, 0x200, checksum);
      break;
    }
    case 7:
      ReadArea(link, kSelectConf, 0xEC00, false, static_cast<uint32_t>(area.size()), 1.0, area.data());
      break;
    case 8:
      ReadArea(link, kSelectCode, 0, true, 300, 1.0, area.data());  // a short last block
      break;
    case 9:
      WriteArea(link, kSelectCode, 0, true, static_cast<uint32_t>(area.size()), 10, 1.0, area.data(), 700);
      break;
    case 10:
      frames.Exchange(kCmdBegin);
      break;
    case 11:
      frames.Exchange(kCmdEnd);
      break;
    case 12: {
      ProtocolFrame frame;
      while (frames.ReadFrame(frame, kAnswerTimeout) < kLinkPortNotOpen) {
      }
      break;
    }
    default: {
      uint8_t block[kBlockSize];
      uint32_t count = 0;
      frames.ReadBlockAnswer(block, sizeof block - static_cast<uint32_t>(kind >> 4), count);
    }
  }
  return 0;
}
