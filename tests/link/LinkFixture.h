#pragma once
// A link context over the in-process programmer model, with a chip layout,
// the link's test language table and a view that records everything it is
// shown.
#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <vector>

#include "FakeLine.h"
#include "core/model/CoreContext.h"
#include "link/LinkContext.h"
#include "sim/ProgrammerModel.h"
#include "support/TestLanguage.h"

namespace korvane::test {

struct RecordingView : ILinkView {
  struct Line {
    std::string text;
    unsigned colour;
    bool stamped;
  };
  std::mutex lock;
  std::vector<Line> log;
  std::vector<Line> status;
  std::vector<int> progress;
  int current = 0;
  std::vector<std::pair<int, std::unique_ptr<ReadResult>>> reads;
  std::vector<std::pair<int, DeviceInfoRecord>> infos;
  int ended = 0;

  void AppendLog(const std::string& text, unsigned colour, bool stamped) override {
    std::lock_guard<std::mutex> g(lock);
    log.push_back({text, colour, stamped});
  }
  void SetStatusText(const std::string& text, unsigned colour) override {
    std::lock_guard<std::mutex> g(lock);
    status.push_back({text, colour, false});
  }
  int ProgressValue() override { return current; }
  void SetProgress(int value) override {
    current = value;
    progress.push_back(value);
  }
  void PostReadResult(int kind, std::unique_ptr<ReadResult> result) override {
    reads.emplace_back(kind, std::move(result));
  }
  void SendDeviceInfo(int kind, const DeviceInfoRecord& record) override { infos.emplace_back(kind, record); }
  void OperationEnded() override { ++ended; }

  std::vector<std::string> LogTexts() {
    std::lock_guard<std::mutex> g(lock);
    std::vector<std::string> out;
    for (const Line& l : log) out.push_back(l.text);
    return out;
  }
};

constexpr uint32_t kChipType = 0x35;
constexpr uint32_t kFuncType = 1;

// code 0x0000..0x7FFF, conf 0x8000..0x81FF, option 0x10000..0x1000F.
inline void SetTestLayout(CoreContext& core) {
  core.layout.fill = 0xFF;
  core.layout.codeStart = 0;
  core.layout.codeSize = 0x8000;
  core.layout.confStart = 0x8000;
  core.layout.confSize = 0x200;
  core.layout.optionStart = 0x10000;
  core.layout.optionSize = 0x10;
  core.chipKind = {kChipType, kFuncType};
  core.language.LoadFromXml(kLinkTestLanguage);
}

struct LinkFixture : ::testing::Test {
  CoreContext core;
  LinkContext link{core};
  ProgrammerModel model{kChipType, kFuncType};
  FakeLine line{&model};
  RecordingView view;

  LinkFixture() {
    SetTestLayout(core);
    link.channel = &line;
    link.view = &view;
    link.epiloguePauseMs = 0;
  }

  // The requests seen as "cmd" tokens: "+" when more blocks follow, "c" for the chip.
  std::string Requests() const {
    std::string out;
    for (const auto& s : model.seen) {
      if (!out.empty()) out += ' ';
      out += std::to_string(s.command);
      if (s.flags & 0x08) out += '+';
      if (s.flags & 0x01) out += 'c';
    }
    return out;
  }

  // An image with a recognisable pattern in every area, in the link's request.
  void FillTransferCopy() {
    link.request.image.assign(kImageSize, 0xFF);
    for (uint32_t i = 0; i < 0x20000; ++i) link.request.image[i] = uint8_t(i * 7 + (i >> 8));
  }

  // The link's request (image, lengths, masks) for another kind.
  OperationRequest Request(int kind) const {
    OperationRequest request = link.request;
    request.kind = kind;
    return request;
  }
};

}  // namespace korvane::test
