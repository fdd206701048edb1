#pragma once
// How results of the link reach the user: log lines, the status text, the
// recorded result and message, and the progress that only moves forward.
#include <string>

#include "link/LinkContext.h"

namespace korvane {

// Routes text to the status text and/or the log panel of the known view.
void Report(LinkContext& link, const std::string& text, unsigned colour, bool toStatusBar, bool toLog, bool stamped);
// The runner's way: a time-stamped log line only.
inline void ReportLog(LinkContext& link, const std::string& text, unsigned colour) {
  Report(link, text, colour, false, true, true);
}

// The looked-up text of "ERROR_" followed by the code.
std::string ErrorText(const LinkContext& link, int code);
// text as a failure's line for the view: with " (result <code>)" after it
// when the view shows result codes (scripts read the number, not the text).
std::string FailureLine(const LinkContext& link, const std::string& text, int code);
// The looked-up name of an operation kind.
std::string OperationName(const LinkContext& link, int kind);

// What joins an operation's name and its outcome in a result's message: the
// full-width comma (U+FF0C).
inline constexpr const char* kResultJoiner = "\xEF\xBC\x8C";

// Records code as the result, with the kind's name and the code's text joined
// by kResultJoiner as the message; for success too.
void ReportResult(LinkContext& link, int code, int kind);
// After the worker: a user cancel turns the result into 1005; the message is
// logged in the failure or success colour. A comparison that found
// differences ends in the failure colour although its result is 0, and its
// verdict goes to the status text as well. A view that shows result codes
// gets the code after a failure's text.
void FinalReport(LinkContext& link);

// Where the progress bar stands at the runner's milestones.
constexpr int kProgressBegun = 5;           // the programmer has begun the operation
constexpr int kProgressOpened = 10;         // its information is read; transfers move on from here
constexpr int kProgressHalfCompared = 50;   // the conf area is compared, code and option are to come
constexpr int kProgressDone = 100;

// Raises the progress bar to value when it shows 0 or less than value.
void RaiseProgress(LinkContext& link, int value);

}  // namespace korvane
