#include "link/BatchRunner.h"

#include <algorithm>
#include <cstring>
#include <thread>

#include "core/eval/GridModel.h"
#include "core/eval/ItemBehaviours.h"
#include "core/files/ChecksumCrc32.h"
#include "core/files/CodeFile.h"
#include "core/model/AreaImage.h"
#include "core/model/ChipDescription.h"
#include "core/model/CoreContext.h"
#include "core/text/MessageBox.h"
#include "core/text/TextFormat.h"
#include "link/LinkReport.h"
#include "link/OperationKind.h"
#include "link/OperationRunner.h"
#include "link/PortSetup.h"

namespace korvane {

namespace {

// A programmer's view: the front end's view sees everything, and the area
// reads of the verification stay here for the batch to compare.
class BatchLinkView : public ILinkView {
 public:
  explicit BatchLinkView(ILinkView* inner) : inner_(inner) {}

  void AppendLog(const std::string& text, unsigned colour, bool stamped) override {
    if (inner_) inner_->AppendLog(text, colour, stamped);
  }
  void SetStatusText(const std::string& text, unsigned colour) override {
    if (inner_) inner_->SetStatusText(text, colour);
  }
  int ProgressValue() override { return inner_ ? inner_->ProgressValue() : 0; }
  void SetProgress(int value) override {
    if (inner_) inner_->SetProgress(value);
  }
  void PostReadResult(int, std::unique_ptr<ReadResult> result) override {
    std::lock_guard<std::mutex> guard(lock_);
    read_ = std::move(result);
  }
  void SendDeviceInfo(int kind, const DeviceInfoRecord& record) override {
    if (inner_) inner_->SendDeviceInfo(kind, record);
  }
  void OperationEnded() override {
    if (inner_) inner_->OperationEnded();
  }

  std::unique_ptr<ReadResult> TakeRead() {
    std::lock_guard<std::mutex> guard(lock_);
    return std::move(read_);
  }

 private:
  ILinkView* inner_;
  std::mutex lock_;
  std::unique_ptr<ReadResult> read_;
};

// What the preparation of a unit would have shown becomes its failure message.
struct CollectingMessageBox : IMessageBox {
  std::string texts;
  int ShowMessageBox(const std::string& text, const std::string&, unsigned type) override {
    texts += (texts.empty() ? "" : "; ") + text;
    const unsigned buttons = type & 0x0Fu;
    return buttons == MB_YESNO || buttons == MB_YESNOCANCEL ? IDYES : IDOK;
  }
};

// The range check of a unit's grid posts a warning when it replaces a value.
struct WarningHost : IGridHost {
  std::string warning;
  void PostWarning(const std::string& text) override { warning = text; }
};

// One unit's own copy of the project: a context with its own image, the
// items, and the message boxes of its preparation.
struct UnitProject {
  CollectingMessageBox box;
  CoreContext ctx;
  ChipDescription desc{ctx};
  WarningHost host;

  explicit UnitProject(const CoreContext& shared) {
    ctx.language = shared.language;
    ctx.baseDir = shared.baseDir;
    ctx.log = shared.log;
    ctx.messageBox = &box;
    InstallItemBehaviours(ctx);
  }
  ConfigItem* Item(const std::string& name) { return FindItem(nullptr, desc.root.get(), name); }
};

// Commits the unit's values in order as grid edits; then each value reads as
// the item shows it. The refusal, or empty: a value the grid refuses or its
// range check replaces, or one a later value's trigger changed again.
std::string CommitValues(UnitProject& unit, std::vector<UnitValue>& values) {
  GridModel grid(unit.desc, &unit.host);
  std::vector<std::string> committed;
  for (const UnitValue& v : values) {
    ConfigItem* item = unit.Item(v.name);
    if (!item) return "no item named '" + v.name + "'";
    unit.host.warning.clear();
    SetValueProblem problem = SetValueProblem::None;
    if (!SetItemValue(unit.desc, grid, *item, v.text, &problem)) return DescribeRefusal(problem, *item, v.text);
    if (!unit.host.warning.empty()) return "'" + v.name + "': '" + v.text + "' refused: " + unit.host.warning;
    committed.push_back(ItemValueText(*item));
  }
  for (size_t i = 0; i < values.size(); ++i) {
    const std::string now = ItemValueText(*unit.Item(values[i].name));
    if (now != committed[i])
      return "'" + values[i].name + "': '" + committed[i] + "' was changed to '" + now + "' by a later value";
    values[i].text = now;
  }
  return std::string();
}

// A committed number the item's field cannot hold would be cut short on the
// chip (a serial number past the field's width): the first such value.
std::string CheckValuesFit(UnitProject& unit, const std::vector<UnitValue>& values) {
  for (const UnitValue& v : values) {
    const ConfigItem& item = *unit.Item(v.name);
    if (!ValueFitsField(item, unit.ctx))
      return StrFormat("'%s': %s does not fit its %d-bit field", v.name.c_str(), v.text.c_str(),
                       item.HasValidBitRange() ? item.ebit - item.sbit + 1 : static_cast<int>(item.size * 8));
  }
  return std::string();
}

uint32_t AreaChecksum(const OperationRequest& request, const AreaLayout& layout, AreaKind area) {
  const uint32_t start = layout.Start(area);
  const uint32_t length = request.writeLength[LinkAreaOf(area)];
  if (start >= request.ImageSize()) return ChecksumCrc32(nullptr, 0);
  return ChecksumCrc32(request.image.data() + start, std::min(length, request.ImageSize() - start));
}

const char* AreaName(AreaKind area) {
  return area == AreaKind::Code ? "code" : area == AreaKind::Option ? "option" : "conf";
}

const char* TargetName(TargetKind target) { return target == TargetKind::Chip ? "chip" : "programmer"; }

// The verification's finding.
struct Check {
  int result = kLinkOk;
  std::string message;
  bool same = false;
};

}  // namespace

struct BatchRunner::Programmer {
  Programmer(CoreContext& core, const PortSettings& portSettings, ILinkView* inner)
      : settings(portSettings), view(inner), link(core) {
    link.view = &view;
    // Nobody watches a bar here; the pause after each operation only slows the line.
    link.epiloguePauseMs = 0;
  }
  PortSettings settings;
  BatchLinkView view;
  LinkContext link;
  std::thread thread;
  bool lost = false;
};

BatchRunner::BatchRunner(ChipDescription& project, BatchPlan plan) : project_(project), plan_(std::move(plan)) {
  if (plan_.codePath.empty()) plan_.codePath = GetCodeFilePath(project_);
}

BatchRunner::~BatchRunner() {
  for (auto& p : programmers_)
    if (p->thread.joinable()) p->thread.join();
}

void BatchRunner::AddProgrammer(const PortSettings& settings, ILinkView* view) {
  programmers_.push_back(std::make_unique<Programmer>(project_.Context(), settings, view));
}

BatchSummary BatchRunner::Run() {
  for (auto& p : programmers_) p->thread = std::thread([this, raw = p.get()] { Serve(*raw); });
  for (auto& p : programmers_) p->thread.join();
  for (auto& p : programmers_) p->link.port.Close();
  std::lock_guard<std::mutex> guard(lock_);
  summary_.notProgrammed = plan_.unitCount - summary_.passed - summary_.failed;
  return summary_;
}

void BatchRunner::RequestStop() {
  stop_.store(true);
  for (auto& p : programmers_) {
    p->link.userCancel.store(1);
    p->link.cancel.store(1);
  }
}

bool BatchRunner::TakeUnit(int& unit) {
  std::lock_guard<std::mutex> guard(lock_);
  if (stop_.load() || next_ >= plan_.unitCount) return false;
  unit = next_++;
  return true;
}

void BatchRunner::Serve(Programmer& p) {
  int unit = 0;
  while (!p.lost && TakeUnit(unit)) {
    // Only one programmer asks before its units, so no other takes the next
    // unit meanwhile; a unit declined here was never started.
    if (beforeUnit && !beforeUnit(unit)) {
      std::lock_guard<std::mutex> guard(lock_);
      stop_.store(true);
      return;
    }
    if (!Finish(ProgramUnit(p, unit))) RequestStop();
  }
}

void BatchRunner::Lose(Programmer& p, const std::string& why) {
  p.lost = true;
  std::lock_guard<std::mutex> guard(lock_);
  if (onProgrammerLost) onProgrammerLost(p.settings.portName, why);
}

bool BatchRunner::Finish(const UnitOutcome& outcome) {
  std::lock_guard<std::mutex> guard(lock_);
  ++(outcome.passed ? summary_.passed : summary_.failed);
  return onUnitDone ? onUnitDone(outcome) : true;
}

UnitOutcome BatchRunner::ProgramUnit(Programmer& p, int unit) {
  const auto began = std::chrono::steady_clock::now();
  UnitOutcome out;
  out.unit = unit;
  out.port = p.settings.portName;
  auto finish = [&](int result, const std::string& message, bool verified = false) {
    out.result = result;
    out.message = message;
    out.verified = verified;
    out.passed = result == kLinkOk && (verified || plan_.verify == VerifyMode::None);
    out.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
    out.finished = std::chrono::system_clock::now();
    return out;
  };
  if (onUnitStart) onUnitStart(unit, out.port);
  LinkContext& link = p.link;
  auto cancelled = [&](int kind) { return OperationName(link, kind) + ", " + ErrorText(link, kLinkCancelled); };

  // The unit's own project, values and image: nothing is written until all of it holds.
  UnitPlan plan = plan_.planOf ? plan_.planOf(unit) : UnitPlan{};
  out.values = plan.values;
  if (!plan.problem.empty()) return finish(kUnitRefused, plan.problem);
  UnitProject project(project_.Context());
  {
    std::lock_guard<std::mutex> guard(lock_);
    if (!project.desc.LoadCopyOf(project_)) return finish(kUnitRefused, "the project has no items to copy");
  }
  if (std::string why = CommitValues(project, out.values); !why.empty()) return finish(kUnitRefused, why);
  OperationRequest request = DownloadRequest({plan_.target, true, true, plan_.codePath});
  if (!PrepareRequestImage(request, project.desc))
    return finish(kUnitRefused, project.box.texts.empty() ? "the unit's image could not be prepared" : project.box.texts);
  if (std::string why = CheckValuesFit(project, out.values); !why.empty()) return finish(kUnitRefused, why);
  const AreaLayout& layout = project.ctx.layout;
  out.conf = AreaChecksum(request, layout, AreaKind::Conf);
  out.code = AreaChecksum(request, layout, AreaKind::Code);
  out.option = AreaChecksum(request, layout, AreaKind::Option);

  // The programmer: opened for its first unit, given up when it has gone.
  if (!link.PortOpen() && !OpenPort(link, p.settings)) {
    const int error = link.port.LastError();
    const std::string why =
        "cannot open port " + p.settings.portName + ": " + std::strerror(error) + StrFormat(" (%d)", error);
    Lose(p, why);
    return finish(kLinkPortNotOpen, why);
  }
  // Runs one operation unless the batch is stopping; its result.
  auto run = [&](OperationRequest r) {
    if (!stop_.load()) return RunOperationBlocking(link, std::move(r));
    link.message = cancelled(r.kind);
    return static_cast<int>(kLinkCancelled);
  };
  // After a failure: a line that hung up is opened again, or the programmer is gone.
  auto failed = [&](int result, const std::string& message) {
    if (link.port.CheckAlive() != 0) {
      link.port.Close();
      if (!OpenPort(link, p.settings)) Lose(p, "the programmer has gone from " + p.settings.portName);
    }
    return finish(result, message);
  };

  const int written = run(std::move(request));
  if (written != kLinkOk) return failed(written, link.message);
  const std::string downloaded = link.message;
  // The worker has ended: the request, with the image it sent, is ours again.
  OperationRequest sent = std::move(link.request);

  Check check;
  if (plan_.verify == VerifyMode::None) return finish(kLinkOk, downloaded);
  if (plan_.verify == VerifyMode::Sums) {
    OperationRequest compare;
    compare.kind = kOpCompareChecksums;
    compare.checkMask = CheckMaskOf(kAllAreas);
    compare.image = std::move(sent.image);
    check.result = run(std::move(compare));
    check.message = link.message;
    if (check.result == kLinkOk) {
      std::string areas;
      for (const AreaFacts& x : kAreaFacts)
        if (link.compareMismatch & x.checkBit) areas += std::string(areas.empty() ? "" : ", ") + AreaName(x.area);
      check.same = areas.empty();
      check.message = check.same ? downloaded : "the programmer's checksums differ from what was sent: " + areas;
    }
  } else {
    check.same = true;
    check.message = downloaded;
    for (const AreaFacts& x : kAreaFacts) {
      const uint32_t length = sent.writeLength[x.index];
      if (!length) continue;
      check.result = run(AreaReadRequest(plan_.target, x.area));
      std::unique_ptr<ReadResult> read = p.view.TakeRead();
      if (check.result != kLinkOk || !read) {
        if (check.result == kLinkOk) check.result = kLinkNoData;
        check.message = link.message;
        check.same = false;
        break;
      }
      const uint32_t start = layout.Start(x.area);
      const uint32_t have = start < sent.ImageSize() ? std::min(length, sent.ImageSize() - start) : 0;
      const uint8_t* wrote = sent.image.data() + std::min(start, sent.ImageSize());
      const uint32_t n = std::min(have, read->size);
      const auto at = std::mismatch(wrote, wrote + n, read->data.begin()).first - wrote;
      if (static_cast<uint32_t>(at) < n) {
        check.same = false;
        check.message = StrFormat("the %s's %s area differs from what was written at 0x%X (wrote 0x%02X, read 0x%02X)",
                                  TargetName(plan_.target), AreaName(x.area), start + static_cast<uint32_t>(at),
                                  wrote[at], read->data[static_cast<size_t>(at)]);
        break;
      }
      if (read->size != have) {
        check.same = false;
        check.message = StrFormat("the %s holds %u bytes of the %s area, %u were written", TargetName(plan_.target),
                                  read->size, AreaName(x.area), have);
        break;
      }
    }
  }
  if (check.result != kLinkOk) return failed(check.result, check.message);
  return finish(kLinkOk, check.message, check.same);
}

}  // namespace korvane
