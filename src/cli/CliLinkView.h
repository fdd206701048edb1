#pragma once
// The runner's view on a terminal: time-stamped log lines on stderr, a
// progress bar on stderr when it is a terminal, and the device data kept for
// the command that asked for it.
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "link/ILinkView.h"

namespace korvane {

class CliLinkView : public ILinkView {
 public:
  explicit CliLinkView(std::FILE* out = stderr);
  // A programmer among several: each line says whose it is, and no bar is
  // drawn (one line cannot show several).
  CliLinkView(std::FILE* out, std::string prefix);

  void AppendLog(const std::string& text, unsigned colour, bool stamped) override;
  void SetStatusText(const std::string& text, unsigned colour) override;
  int ProgressValue() override;
  void SetProgress(int value) override;
  void PostReadResult(int kind, std::unique_ptr<ReadResult> result) override;
  void SendDeviceInfo(int kind, const DeviceInfoRecord& record) override;
  void OperationEnded() override;
  // Scripts read the number; the text alone depends on the language.
  bool ShowsResultCodes() const override { return true; }

  // What the last operations delivered.
  std::vector<std::unique_ptr<ReadResult>> reads;
  std::vector<DeviceInfoRecord> infos;

 private:
  void DrawBar();
  void ClearBar();

  std::FILE* out_;
  std::string prefix_;
  bool terminal_;
  bool barShown_ = false;
  int progress_ = 0;
  std::mutex lock_;
};

}  // namespace korvane
