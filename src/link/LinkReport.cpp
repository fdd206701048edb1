#include "link/LinkReport.h"

#include <ctime>

#include "core/text/TextFormat.h"
#include "link/OperationKind.h"

namespace korvane {

std::string LogTimeStamp() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return StrFormat("[%04d-%02d-%02d %02d:%02d:%02d] ", local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                   local.tm_hour, local.tm_min, local.tm_sec);
}

void Report(LinkContext& link, const std::string& text, unsigned colour, bool toStatusBar, bool toLog, bool stamped) {
  if (!link.view) return;
  if (toStatusBar) link.view->SetStatusText(text, colour);
  if (toLog) link.view->AppendLog(text, colour, stamped);
}

std::string ErrorText(const LinkContext& link, int code) { return link.core.LookupText(StrFormat("ERROR_%d", code)); }

std::string FailureLine(const LinkContext& link, const std::string& text, int code) {
  const bool withCode = link.view && link.view->ShowsResultCodes();
  return withCode ? text + StrFormat(" (result %d)", code) : text;
}

std::string OperationName(const LinkContext& link, int kind) { return link.core.LookupText(OperationKey(kind)); }

void ReportResult(LinkContext& link, int code, int kind) {
  link.message.clear();
  link.result.store(code);
  link.message = OperationName(link, kind) + kResultJoiner + ErrorText(link, code);
}

void FinalReport(LinkContext& link) {
  if (link.userCancel.load()) {
    link.result.store(kLinkCancelled);
    link.message = OperationName(link, link.request.kind) + ", " + ErrorText(link, kLinkCancelled);
  }
  if (link.message.empty()) return;
  const int result = link.result.load();
  if (result != kLinkOk) {
    ReportLog(link, FailureLine(link, link.message, result), kColourFailure);
  } else if (link.compareMismatch) {
    // Every transaction went through, but the answer is no: an operator
    // reads the last line and the status text, and both must say so.
    Report(link, link.message, kColourFailure, true, true, true);
  } else {
    ReportLog(link, link.message, kColourSuccess);
  }
}

void RaiseProgress(LinkContext& link, int value) {
  if (!link.view) return;
  const int current = link.view->ProgressValue();
  if (current <= 0 || current < value) link.view->SetProgress(value);
}

}  // namespace korvane
