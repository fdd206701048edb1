#include "link/OperationRunner.h"

#include <algorithm>
#include <chrono>

#include "core/files/ChecksumCrc32.h"
#include "core/text/MessageBox.h"
#include "core/text/TextFormat.h"
#include "link/DeviceInfoLines.h"
#include "link/DevicePresence.h"
#include "link/LinkCommands.h"
#include "link/LinkReport.h"
#include "link/OperationKind.h"

namespace korvane {

namespace {

using R = DeviceInfoRecord;

bool Ok(const LinkContext& link) { return link.result.load() == kLinkOk; }

void Sleep(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// The part of the request's image an area of length bytes at start may use.
uint32_t CopyLength(const LinkContext& link, uint32_t start, uint32_t length) {
  const uint32_t size = link.request.ImageSize();
  if (start >= size) return 0;
  return std::min(length, size - start);
}

// A read takes the bar from where the programmer was opened to 90.
constexpr double kReadShare = 0.8;

void ReadStep(LinkContext& link, int kind, AreaKind area, OperationRecord& record) {
  const AreaFacts& x = FactsOf(area);
  const uint32_t size = record.info.field[x.lengthField];
  const uint32_t start = link.core.layout.Start(area);
  link.readSize[x.index] = size;
  auto result = std::make_unique<ReadResult>(size);
  const int code = ReadArea(link, x.selector, start, IsChipOperation(kind), size, kReadShare, result->data.data());
  if (code == kLinkOk) {
    result->address = start;
    if (link.view) link.view->PostReadResult(kind, std::move(result));
  }
  ReportResult(link, code, kind);
}

// The stretch of the bar each area of a write covers: from base, scale
// times its share of the blocks. A single area goes from 10 to 90; code
// with its option bytes leaves the option bytes the last fifth; a full
// download gives code the most.
struct WriteShare {
  int base;
  double scale;
};

constexpr WriteShare WriteShareOf(AreaSet areas, AreaKind area) {
  if (areas == kAllAreas) {
    switch (area) {
      case AreaKind::Conf: return {kProgressOpened, 0.1};
      case AreaKind::Code: return {20, 0.6};
      case AreaKind::Option: return {80, 0.2};
    }
  }
  if (areas == WithOptionBytes(kSelectCode) && area == AreaKind::Option) return {80, 0.2};
  return {kProgressOpened, 0.8};
}

void WriteStep(LinkContext& link, int kind, AreaKind area, const WriteShare& share, OperationRecord& record) {
  const AreaFacts& x = FactsOf(area);
  const uint32_t start = link.core.layout.Start(area);
  const uint32_t length = CopyLength(link, start, link.request.writeLength[x.index]);
  const uint8_t* source = length ? link.request.image.data() + start : nullptr;
  record.info.field[x.lengthField] = length;
  record.info.field[x.checksumField] = ChecksumCrc32(source, length);
  const uint32_t available = source ? link.request.ImageSize() - start : 0;
  const int result = WriteArea(link, x.selector, start, IsChipOperation(kind), length, share.base, share.scale,
                               source, available);
  ReportResult(link, result, kind);
}

// Writes each area of the kind in table order (conf, code, option), then
// names them for burning when the kind is a download.
void WriteSteps(LinkContext& link, const OperationInfo& op, OperationRecord& record) {
  for (const AreaFacts& x : kAreaFacts) {
    if (!Contains(op.areas, x.area)) continue;
    if (!Ok(link)) return;
    WriteStep(link, op.kind, x.area, WriteShareOf(op.areas, x.area), record);
  }
  if (!Ok(link) || !op.Burns()) return;
  BurnConfigRecord burn;
  burn.bytes[0] = op.areas;
  ReportResult(link, WriteBurnConfig(link, burn), op.kind);
}

// Runs body between OpenOperation and CloseOperation; body runs only after a
// successful open.
template <typename Body>
void Opened(LinkContext& link, int kind, bool showInfo, Body body) {
  OperationRecord record;
  OpenOperation(link, kind, showInfo, record);
  if (Ok(link)) body(record);
  CloseOperation(link, kind, record);
}

// ---- the checksum comparison (kind 22) ----------------------------------------

struct CompareKeys {
  AreaKind area;
  const char* pcLabel;
  const char* deviceLabel;
  const char* equal;
  const char* different;
  const char* name;  // the area in the verdict of a comparison that found differences
};

constexpr CompareKeys kCompareKeys[] = {
    {AreaKind::Conf, "PC_CONF_CHECKSUM", "ARM_CONF_CHECKSUM", "CONF_CHECKSUM_SUCCESS", "CONF_CHECKSUM_FAIL",
     "CHECKSUM_AREA_CONF"},
    {AreaKind::Code, "PC_CODE_CHECKSUM", "ARM_CODE_CHECKSUM", "CODE_CHECKSUM_SUCCESS", "CODE_CHECKSUM_FAIL",
     "CHECKSUM_AREA_CODE"},
    {AreaKind::Option, "PC_OPTION_CHECKSUM", "ARM_OPTION_CHECKSUM", "OPTION_CHECKSUM_SUCCESS",
     "OPTION_CHECKSUM_FAIL", "CHECKSUM_AREA_OPTION"},
};

// The PC's checksum of the area in the request's image against the one the
// programmer reports. A mismatch is logged and remembered in
// compareMismatch; a read that fails sets the result and is logged with
// its error, so that the area is never taken for compared.
void CompareStep(LinkContext& link, int kind, const CompareKeys& keys) {
  const AreaFacts& x = FactsOf(keys.area);
  const uint32_t start = link.core.layout.Start(keys.area);
  const uint32_t size = link.readSize[x.index];
  const uint32_t length = CopyLength(link, start, size);
  const uint32_t pc = ChecksumCrc32(length ? link.request.image.data() + start : nullptr, length);
  uint32_t device = 0;
  const int result = ReadChecksum(link, x.selector, start, size, device);
  ReportResult(link, result, kind);
  const CoreContext& core = link.core;
  if (result != kLinkOk) {
    ReportLog(link,
              FailureLine(link,
                          StrFormat("%s:0x%08X  %s (%s)", core.LookupText(keys.pcLabel).c_str(), pc,
                                    core.LookupText(keys.deviceLabel).c_str(), ErrorText(link, result).c_str()),
                          result),
              kColourFailure);
    return;
  }
  link.compared[x.index] = {true, pc, device};
  const bool same = pc == device;
  if (!same) link.compareMismatch |= x.checkBit;
  ReportLog(link,
            StrFormat("%s:0x%08X  %s:0x%08X (%s)", core.LookupText(keys.pcLabel).c_str(), pc,
                      core.LookupText(keys.deviceLabel).c_str(), device,
                      core.LookupText(same ? keys.equal : keys.different).c_str()),
            same ? kColourSuccess : kColourFailure);
}

// The verdict of a comparison that found differences: the kind's name and
// the differing areas, joined as a result's message is.
std::string MismatchVerdict(const LinkContext& link, int kind) {
  std::string areas;
  for (const CompareKeys& keys : kCompareKeys) {
    if (!(link.compareMismatch & CheckBitOf(keys.area))) continue;
    if (!areas.empty()) areas += ", ";
    areas += link.core.LookupText(keys.name);
  }
  return OperationName(link, kind) + kResultJoiner + FormatText(link.core.LookupText("CHECKSUM_MISMATCH"), areas);
}

// Opens the programmer, takes the area sizes it reports, and compares the
// areas of the check mask in table order, each whatever the one before
// found. An area that could not be compared makes the operation fail with
// the first such failure; otherwise areas that differ end it with the
// mismatch verdict instead of the success text, while the result stays 0
// (every transaction went through).
void RunCompare(LinkContext& link, int kind) {
  OperationRecord record;
  OpenOperation(link, kind, false, record);
  for (const AreaFacts& x : kAreaFacts) link.readSize[x.index] = record.info.field[x.lengthField];
  if (!Ok(link)) {
    CloseOperation(link, kind, record);
    return;
  }
  int failed = kLinkOk;
  for (const CompareKeys& keys : kCompareKeys) {
    if (!(link.request.checkMask & CheckBitOf(keys.area))) continue;
    CompareStep(link, kind, keys);
    if (failed == kLinkOk) failed = link.result.load();
    if (keys.area == AreaKind::Conf && Ok(link)) RaiseProgress(link, kProgressHalfCompared);
  }
  if (failed != kLinkOk) {
    // The programmer's session still ends when it answers, but the bar
    // stays where the failure left it.
    if (Ok(link)) ReportResult(link, link.Frames().Exchange(kCmdEnd), kind);
    ReportResult(link, failed, kind);
    return;
  }
  CloseOperation(link, kind, record);
  if (Ok(link) && link.compareMismatch) link.message = MismatchVerdict(link, kind);
}

}  // namespace

bool PortReady(LinkContext& link, bool needDescription, bool needPort, bool descriptionLoaded) {
  if (needPort && !link.PortOpen()) {
    link.core.ShowMessage(link.core.LookupText("SELECT_PORT_NOTREADY"), MB_OK | MB_ICONERROR);
    return false;
  }
  if (needDescription && !descriptionLoaded) {
    link.core.ShowMessage(link.core.LookupText("NewNotify"), MB_OK | MB_ICONERROR);
    return false;
  }
  return true;
}

void OpenOperation(LinkContext& link, int kind, bool showInfo, OperationRecord& record) {
  const AreaLayout& layout = link.core.layout;
  record = OperationRecord{};
  record.info.field[R::CodeLength] = layout.codeSize;
  record.info.field[R::ConfLength] = layout.confSize;
  record.info.field[R::OptionLength] = layout.optionSize;

  if (showInfo) ReportResult(link, ReadVersion(link, record.version), kind);
  if (!Ok(link)) return;
  ReportResult(link, link.Frames().Exchange(kCmdBegin), kind);
  if (!Ok(link)) return;
  RaiseProgress(link, kProgressBegun);
  const bool toChip = IsChipOperation(kind);
  ReportResult(link, ReadInfo(link, record.info, toChip), kind);
  if (!Ok(link)) return;
  if (toChip && record.info.field[R::ChipType] != link.core.chipKind.chipType) {
    ShowChipMismatch(link, record.info);
    ReportResult(link, kLinkChipMismatch, kind);
    return;
  }
  RaiseProgress(link, kProgressOpened);
  if (showInfo) ShowDeviceInfo(link, record.version, record.info);
}

void CloseOperation(LinkContext& link, int kind, OperationRecord& record) {
  if (!Ok(link)) return;
  if (IsWriteOperation(kind)) {
    if (IsToolWriteOperation(kind)) {
      record.info.field[R::ChipType] = link.core.chipKind.chipType;
      record.info.field[R::FuncType] = link.core.chipKind.funcType;
    }
    ReportResult(link, WriteInfo(link, &record.info, IsChipOperation(kind)), kind);
    if (!Ok(link)) return;
  }
  ReportResult(link, link.Frames().Exchange(kCmdEnd), kind);
  if (!Ok(link)) return;
  RaiseProgress(link, kProgressDone);
}

void RunOperation(LinkContext& link) {
  const int kind = link.request.kind;
  link.compareMismatch = 0;
  for (auto& sums : link.compared) sums = {};
  if (link.view && link.view->ProgressValue() <= 0) link.view->SetProgress(0);
  ReportLog(link, OperationName(link, kind), kColourInfo);

  const OperationInfo* op = OperationInfoOf(kind);
  if (!op) {
    // A kind nobody knows does nothing but end.
  } else if (op->Reads()) {
    const bool showInfo = op->Serves(OpDirection::ReadConfig);
    Opened(link, kind, showInfo, [&](OperationRecord& r) { ReadStep(link, kind, FirstArea(op->areas), r); });
  } else if (op->Writes()) {
    Opened(link, kind, false, [&](OperationRecord& r) { WriteSteps(link, *op, r); });
  } else if (op->Serves(OpDirection::Compare)) {
    RunCompare(link, kind);
  } else if (op->Serves(OpDirection::WriteBurnConfig)) {
    // Runs without opening the programmer; a result already set ends it
    // without the bar's last step.
    if (!Ok(link)) {
      Sleep(link.epiloguePauseMs);
      return;
    }
    ReportResult(link, WriteBurnConfig(link, link.request.burnConfig), kind);
  } else if (op->Serves(OpDirection::ReadInfo)) {
    if (!Ok(link)) {
      Sleep(link.epiloguePauseMs);
      return;
    }
    DeviceInfoRecord info;
    ReportResult(link, ReadInfo(link, info, op->ToChip()), kind);
    if (Ok(link) && link.view) link.view->SendDeviceInfo(kind, info);
  } else if (kind == kOpFirmwareUpdate) {
    ReportResult(link, kLinkNoFirmwareUpdate, kind);
  }

  if (Ok(link)) RaiseProgress(link, kProgressDone);
  Sleep(link.epiloguePauseMs);
}

bool StartWorker(LinkContext& link, OperationRequest request) {
  if (link.worker.joinable()) {
    if (link.WorkerRunning()) return false;
    link.worker.join();
  }
  link.request = std::move(request);
  link.compareMismatch = 0;
  link.userCancel.store(0);
  link.cancel.store(0);
  link.result.store(0);
  link.message.clear();
  link.ResetWorkerDone();
  link.worker = std::thread([&link] {
    RunOperation(link);
    if (link.view) link.view->OperationEnded();
    link.MarkWorkerDone();
  });
  return true;
}

bool StopWorker(LinkContext& link) {
  if (!link.worker.joinable()) return true;
  link.cancel.store(1);
  if (!link.WaitWorkerFor(10000)) return false;
  link.worker.join();
  return true;
}

bool WaitWorker(LinkContext& link, const std::function<void()>& pump) {
  link.waiting.store(1);
  link.cancel.store(1);
  bool ended = true;
  if (link.worker.joinable()) {
    ended = false;
    for (int turn = 0; turn <= 100 && !ended; ++turn) {
      if (pump) pump();
      ended = link.WaitWorkerFor(100);
    }
    if (ended) link.worker.join();
  }
  link.waiting.store(0);
  if (ended) FinishPendingClose(link);
  return ended;
}

int RunOperationBlocking(LinkContext& link, OperationRequest request) {
  if (!link.PortOpen()) {
    PortReady(link, false, true, true);
    return kLinkPortNotOpen;
  }
  if (!StopWorker(link)) return kLinkCancelled;
  if (!StartWorker(link, std::move(request))) return kLinkCancelled;
  while (!link.WaitWorkerFor(100)) {
  }
  link.worker.join();
  FinishPendingClose(link);
  FinalReport(link);
  return link.result.load();
}

}  // namespace korvane
