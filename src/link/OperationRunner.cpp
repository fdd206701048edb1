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

struct AreaSteps {
  LinkArea area;
  AreaKind kind;
  uint8_t selector;
  int sizeField;
  int checksumField;
};

constexpr AreaSteps kCode{kLinkAreaCode, AreaKind::Code, kSelectCode, R::CodeLength, R::CodeChecksum};
constexpr AreaSteps kConf{kLinkAreaConf, AreaKind::Conf, kSelectConf, R::ConfLength, R::ConfChecksum};
constexpr AreaSteps kOption{kLinkAreaOption, AreaKind::Option, kSelectOption, R::OptionLength, R::OptionChecksum};

bool Ok(const LinkContext& link) { return link.result.load() == kLinkOk; }

void Sleep(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// The part of the transfer copy an area of length bytes at start may use.
uint32_t CopyLength(const LinkContext& link, uint32_t start, uint32_t length) {
  const uint32_t size = link.TransferCopySize();
  if (start >= size) return 0;
  return std::min(length, size - start);
}

void ReadStep(LinkContext& link, int kind, const AreaSteps& x, OperationRecord& record) {
  const uint32_t size = record.info.field[x.sizeField];
  const uint32_t start = link.core.layout.Start(x.kind);
  link.readSize[x.area] = size;
  auto area = std::make_unique<ReadResult>(size);
  const int result = ReadArea(link, x.selector, start, IsChipOperation(kind), size, 0.8, area->data.data());
  if (result == kLinkOk) {
    area->address = start;
    if (link.view) link.view->PostReadResult(kind, std::move(area));
  }
  ReportResult(link, result, kind);
}

void WriteStep(LinkContext& link, int kind, const AreaSteps& x, int base, double scale, OperationRecord& record) {
  const uint32_t start = link.core.layout.Start(x.kind);
  const uint32_t length = CopyLength(link, start, link.writeLength[x.area]);
  const uint8_t* source = length ? link.transferCopy.data() + start : nullptr;
  record.info.field[x.sizeField] = length;
  record.info.field[x.checksumField] = ChecksumCrc32(source, length);
  const uint32_t available = source ? link.TransferCopySize() - start : 0;
  const int result =
      WriteArea(link, x.selector, start, IsChipOperation(kind), length, base, scale, source, available);
  ReportResult(link, result, kind);
}

void BurnStep(LinkContext& link, int kind, uint8_t mask) {
  BurnConfigRecord burn;
  burn.bytes[0] = mask;
  ReportResult(link, WriteBurnConfig(link, burn), kind);
}

struct CompareKeys {
  const char* pcLabel;
  const char* deviceLabel;
  const char* equal;
  const char* different;
  uint32_t maskBit;
};

void CompareStep(LinkContext& link, int kind, const AreaSteps& x, const CompareKeys& keys) {
  const uint32_t start = link.core.layout.Start(x.kind);
  const uint32_t size = link.readSize[x.area];
  const uint32_t length = CopyLength(link, start, size);
  const uint32_t pc = ChecksumCrc32(length ? link.transferCopy.data() + start : nullptr, length);
  uint32_t device = 0;
  const int result = ReadChecksum(link, x.selector, start, size, device);
  ReportResult(link, result, kind);
  if (result != kLinkOk) return;
  const bool same = pc == device;
  if (!same) link.compareMismatch |= keys.maskBit;
  const CoreContext& core = link.core;
  ReportLog(link,
            StrFormat("%s:0x%08X  %s:0x%08X (%s)", core.LookupText(keys.pcLabel).c_str(), pc,
                      core.LookupText(keys.deviceLabel).c_str(), device,
                      core.LookupText(same ? keys.equal : keys.different).c_str()),
            same ? kColourSuccess : kColourFailure);
}

const CompareKeys kConfKeys{"PC_CONF_CHECKSUM", "ARM_CONF_CHECKSUM", "CONF_CHECKSUM_SUCCESS", "CONF_CHECKSUM_FAIL", 1};
const CompareKeys kCodeKeys{"PC_CODE_CHECKSUM", "ARM_CODE_CHECKSUM", "CODE_CHECKSUM_SUCCESS", "CODE_CHECKSUM_FAIL", 2};
const CompareKeys kOptionKeys{"PC_OPTION_CHECKSUM", "ARM_OPTION_CHECKSUM", "OPTION_CHECKSUM_SUCCESS",
                              "OPTION_CHECKSUM_FAIL", 4};

// Runs body between OpenOperation and CloseOperation; body runs only after a
// successful open.
template <typename Body>
void Opened(LinkContext& link, int kind, bool showInfo, Body body) {
  OperationRecord record;
  OpenOperation(link, kind, showInfo, record);
  if (Ok(link)) body(record);
  CloseOperation(link, kind, record);
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
  RaiseProgress(link, 5);
  const bool toChip = IsChipOperation(kind);
  ReportResult(link, ReadInfo(link, record.info, toChip), kind);
  if (!Ok(link)) return;
  if (toChip && record.info.field[R::ChipType] != link.core.chipKind.chipType) {
    ShowChipMismatch(link, record.info);
    ReportResult(link, kLinkChipMismatch, kind);
    return;
  }
  RaiseProgress(link, 10);
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
  RaiseProgress(link, 100);
}

void RunOperation(LinkContext& link, int kind) {
  link.compareMismatch = 0;
  if (link.view && link.view->ProgressValue() <= 0) link.view->SetProgress(0);
  ReportLog(link, OperationName(link, kind), kColourInfo);

  switch (kind) {
    case kOpReadToolConfig:
    case kOpReadChipConfig:
      Opened(link, kind, true, [&](OperationRecord& r) { ReadStep(link, kind, kConf, r); });
      break;
    case kOpReadToolConfFlash:
    case kOpReadChipConfFlash:
      Opened(link, kind, false, [&](OperationRecord& r) { ReadStep(link, kind, kConf, r); });
      break;
    case kOpReadToolCodeFlash:
    case kOpReadChipCodeFlash:
      Opened(link, kind, false, [&](OperationRecord& r) { ReadStep(link, kind, kCode, r); });
      break;
    case kOpReadToolOptionFlash:
    case kOpReadChipOptionFlash:
      Opened(link, kind, false, [&](OperationRecord& r) { ReadStep(link, kind, kOption, r); });
      break;
    case kOpWriteToolConfFlash:
    case kOpWriteChipConfFlash:
      Opened(link, kind, false, [&](OperationRecord& r) { WriteStep(link, kind, kConf, 10, 0.8, r); });
      break;
    case kOpWriteToolOptionFlash:
    case kOpWriteChipOptionFlash:
      Opened(link, kind, false, [&](OperationRecord& r) { WriteStep(link, kind, kOption, 10, 0.8, r); });
      break;
    case kOpWriteToolConfig:
    case kOpWriteChipConfig:
      Opened(link, kind, false, [&](OperationRecord& r) {
        WriteStep(link, kind, kConf, 10, 0.8, r);
        if (Ok(link)) BurnStep(link, kind, kSelectConf);
      });
      break;
    case kOpWriteToolCodeFlash:
    case kOpWriteChipCodeFlash:
      Opened(link, kind, false, [&](OperationRecord& r) {
        WriteStep(link, kind, kCode, 10, 0.8, r);
        if (Ok(link)) WriteStep(link, kind, kOption, 80, 0.2, r);
        if (Ok(link)) BurnStep(link, kind, kSelectCode | kSelectOption);
      });
      break;
    case kOpWriteToolCode:
    case kOpWriteChipCode:
      Opened(link, kind, false, [&](OperationRecord& r) {
        WriteStep(link, kind, kConf, 10, 0.1, r);
        if (Ok(link)) WriteStep(link, kind, kCode, 20, 0.6, r);
        if (Ok(link)) WriteStep(link, kind, kOption, 80, 0.2, r);
        if (Ok(link)) BurnStep(link, kind, kSelectCode | kSelectConf | kSelectOption);
      });
      break;
    case kOpFirmwareUpdate:
      ReportResult(link, kLinkNoFirmwareUpdate, kind);
      break;
    case kOpReadBurnConfig:
      break;
    case kOpWriteBurnConfig:
      if (!Ok(link)) {
        Sleep(link.epiloguePauseMs);
        return;
      }
      ReportResult(link, WriteBurnConfig(link, link.burnConfig), kind);
      break;
    case kOpReadToolInfo:
    case kOpReadChipInfo: {
      if (!Ok(link)) {
        Sleep(link.epiloguePauseMs);
        return;
      }
      DeviceInfoRecord info;
      ReportResult(link, ReadInfo(link, info, kind == kOpReadChipInfo), kind);
      if (Ok(link) && link.view) link.view->SendDeviceInfo(kind, info);
      break;
    }
    case kOpCompareChecksums: {
      OperationRecord record;
      OpenOperation(link, kind, false, record);
      link.readSize[kLinkAreaCode] = record.info.field[R::CodeLength];
      link.readSize[kLinkAreaConf] = record.info.field[R::ConfLength];
      link.readSize[kLinkAreaOption] = record.info.field[R::OptionLength];
      if (Ok(link)) {
        if (link.checkMask & 1) {
          CompareStep(link, kind, kConf, kConfKeys);
          if (Ok(link)) RaiseProgress(link, 50);
        }
        if (link.checkMask & 2) CompareStep(link, kind, kCode, kCodeKeys);
        if (link.checkMask & 4) CompareStep(link, kind, kOption, kOptionKeys);
      }
      CloseOperation(link, kind, record);
      break;
    }
    default:
      break;
  }

  if (Ok(link)) RaiseProgress(link, 100);
  Sleep(link.epiloguePauseMs);
}

bool StartWorker(LinkContext& link) {
  if (link.worker.joinable()) {
    if (link.WorkerRunning()) return false;
    link.worker.join();
  }
  link.userCancel.store(0);
  link.cancel.store(0);
  link.result.store(0);
  link.message.clear();
  link.ResetWorkerDone();
  link.worker = std::thread([&link] {
    RunOperation(link, link.kind.load());
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

int RunOperationBlocking(LinkContext& link, int kind) {
  if (!link.PortOpen()) {
    PortReady(link, false, true, true);
    return kLinkPortNotOpen;
  }
  if (!StopWorker(link)) return kLinkCancelled;
  link.kind.store(kind);
  if (!StartWorker(link)) return kLinkCancelled;
  while (!link.WaitWorkerFor(100)) {
  }
  link.worker.join();
  FinishPendingClose(link);
  FinalReport(link);
  return link.result.load();
}

}  // namespace korvane
