#pragma once
// Production programming: a batch of units, each a fresh copy of the
// project's items with values of its own, downloaded with everything the
// project has (conf, code and option) and verified, over one programmer or
// several at once.
//
// Every programmer has a thread, a LinkContext and a view of its own; they
// share the project, which nobody changes while the batch runs (the links
// only look up its layout, chip kind and texts). Each unit gets its own
// context, item copy and image, so units prepared side by side share
// nothing. The next unit goes to whichever programmer is free; every unit is
// taken once.
#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "link/CSerial.h"
#include "link/ILinkView.h"
#include "link/UnitValues.h"

namespace korvane {

class ChipDescription;

enum class VerifyMode { None, Bytes, Sums };

struct BatchPlan {
  TargetKind target = TargetKind::Chip;
  std::string codePath;  // the code file every unit is downloaded with; empty: the project's
  VerifyMode verify = VerifyMode::Bytes;
  int unitCount = 1;
  // The values of unit k (counted from 0); unset gives every unit none.
  std::function<UnitPlan(int unit)> planOf;
};

// The result code of a unit that was refused before anything was written
// (its values, its image); link results are 0 and up.
constexpr int kUnitRefused = -1;

struct UnitOutcome {
  int unit = 0;
  std::string port;
  std::vector<UnitValue> values;  // as the items show them once committed, else as given
  int result = 0;                 // the failing operation's result code, kUnitRefused, or 0
  std::string message;
  bool verified = false;          // the verification ran and found no difference
  bool passed = false;            // written, and verified unless verification was off
  uint32_t conf = 0, code = 0, option = 0;  // checksums of what was sent
  double seconds = 0;
  std::chrono::system_clock::time_point finished;
};

struct BatchSummary {
  int passed = 0;
  int failed = 0;
  int notProgrammed = 0;  // never started: stopped, or no programmer was left
};

class BatchRunner {
 public:
  // project stays loaded and unchanged until Run returns.
  BatchRunner(ChipDescription& project, BatchPlan plan);
  ~BatchRunner();
  BatchRunner(const BatchRunner&) = delete;
  BatchRunner& operator=(const BatchRunner&) = delete;

  // A programmer on a port; its operations report to view (kept by the caller, may be null).
  void AddProgrammer(const PortSettings& settings, ILinkView* view);

  // Called on a programmer's thread before it takes unit; false ends the batch.
  std::function<bool(int unit)> beforeUnit;
  std::function<void(int unit, const std::string& port)> onUnitStart;
  // Called for each finished unit, one call at a time; false ends the batch
  // (no unit starts after it).
  std::function<bool(const UnitOutcome& outcome)> onUnitDone;
  // A programmer that is gone and takes no more units.
  std::function<void(const std::string& port, const std::string& why)> onProgrammerLost;

  // Runs the batch to its end; the counts.
  BatchSummary Run();
  // Any thread: cancels the running operations and starts no more units.
  void RequestStop();
  bool Stopping() const { return stop_.load(); }

 private:
  struct Programmer;
  void Serve(Programmer& programmer);
  bool TakeUnit(int& unit);
  UnitOutcome ProgramUnit(Programmer& programmer, int unit);
  bool Finish(const UnitOutcome& outcome);
  void Lose(Programmer& programmer, const std::string& why);

  ChipDescription& project_;
  BatchPlan plan_;
  std::vector<std::unique_ptr<Programmer>> programmers_;
  std::mutex lock_;  // the next unit, the counts, the callbacks, copying the project
  int next_ = 0;
  BatchSummary summary_;
  std::atomic<bool> stop_{false};
};

}  // namespace korvane
