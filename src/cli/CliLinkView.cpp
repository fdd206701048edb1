#include "cli/CliLinkView.h"

#include <unistd.h>

#include <string>

namespace korvane {

namespace {
constexpr int kBarWidth = 40;
}

CliLinkView::CliLinkView(std::FILE* out) : out_(out), terminal_(::isatty(::fileno(out)) != 0) {}

CliLinkView::CliLinkView(std::FILE* out, std::string prefix) : out_(out), prefix_(std::move(prefix)), terminal_(false) {}

void CliLinkView::AppendLog(const std::string& text, unsigned, bool stamped) {
  std::lock_guard<std::mutex> guard(lock_);
  ClearBar();
  std::fprintf(out_, "%s%s%s\n", stamped ? LogTimeStamp().c_str() : "", prefix_.c_str(), text.c_str());
  if (barShown_) DrawBar();
  std::fflush(out_);
}

void CliLinkView::SetStatusText(const std::string&, unsigned) {
  // The status text repeats what the log says; a terminal needs it once.
}

int CliLinkView::ProgressValue() {
  std::lock_guard<std::mutex> guard(lock_);
  return progress_;
}

void CliLinkView::SetProgress(int value) {
  std::lock_guard<std::mutex> guard(lock_);
  progress_ = value;
  if (!terminal_) return;
  barShown_ = true;
  DrawBar();
  std::fflush(out_);
}

void CliLinkView::DrawBar() {
  if (!terminal_) return;
  const int shown = progress_ < 0 ? 0 : progress_ > 100 ? 100 : progress_;
  const int filled = shown * kBarWidth / 100;
  std::string bar(static_cast<size_t>(filled), '#');
  bar.append(static_cast<size_t>(kBarWidth - filled), '.');
  std::fprintf(out_, "\r[%s] %3d%%", bar.c_str(), shown);
}

void CliLinkView::ClearBar() {
  if (terminal_ && barShown_) std::fprintf(out_, "\r%*s\r", kBarWidth + 8, "");
}

void CliLinkView::PostReadResult(int, std::unique_ptr<ReadResult> result) {
  std::lock_guard<std::mutex> guard(lock_);
  reads.push_back(std::move(result));
}

void CliLinkView::SendDeviceInfo(int, const DeviceInfoRecord& record) {
  std::lock_guard<std::mutex> guard(lock_);
  infos.push_back(record);
}

void CliLinkView::OperationEnded() {
  std::lock_guard<std::mutex> guard(lock_);
  ClearBar();
  barShown_ = false;
  progress_ = 0;
  std::fflush(out_);
}

}  // namespace korvane
