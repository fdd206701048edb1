#include "app/MainDeviceCommands.h"

#include <filesystem>

#include <QSocketNotifier>
#include <QTimer>

#include "app/AppContext.h"
#include "app/AppMessages.h"
#include "app/CBurnOptionDlg.h"
#include "app/CDuiHandlerComSelect.h"
#include "app/CDuiHandlerMain.h"
#include "app/CDuiHandlerProcess.h"
#include "app/CKorvaneApp.h"
#include "app/CSelectChecksumTypeDlg.h"
#include "app/CSelectDownloadTypeDlg.h"
#include "app/CSelectExportHexDlg.h"
#include "app/CSelectOperatorTypeDlg.h"
#include "app/HexWindowCommands.h"
#include "core/files/CodeFile.h"
#include "core/files/HexExport.h"
#include "core/files/ProjectCompare.h"
#include "core/text/MessageBox.h"
#include "core/text/TextFormat.h"
#include "dui/CDuiDialog.h"
#include "dui/DuiSystem.h"
#include "link/DevicePresence.h"
#include "link/LinkCommands.h"
#include "link/LinkReport.h"
#include "link/LinkSetup.h"
#include "link/OperationKind.h"
#include "link/OperationRunner.h"
#include "link/PortSetup.h"

namespace korvane {

namespace {

// Runs a dialog that names a code file, filled with codePath; the file as
// the user left it, or nothing when the dialog was cancelled.
template <typename Dialog>
std::optional<std::string> AskWithCodeFile(DuiSystem& dui, Dialog* dialog, const std::string& codePath) {
  dialog->codePath = codePath;
  std::string chosen;
  const int result = RunSelectDialog<Dialog>(dui, dialog, [&](Dialog& d) { chosen = d.codePath; });
  if (result != DUI_RESULT_OK) return std::nullopt;
  return chosen;
}

}  // namespace

MainDeviceCommands::MainDeviceCommands(AppContext& context, CDuiHandlerMain& main)
    : ctx_(context), main_(main), view_(main, main.MainDialog()) {
  ctx_.link.view = &view_;
}

MainDeviceCommands::~MainDeviceCommands() {
  if (watchTimer_) watchTimer_->stop();
  delete eventNotifier_;  // before its descriptor closes with the source
  view_.Detach(ctx_.link);
}

bool MainDeviceCommands::Start(OperationRequest request) { return StartOperation(ctx_, view_, std::move(request)); }

// ---------------------------------------------------------------- port and devices

void MainDeviceCommands::OpenStoredPort() {
  OpenPortFromSettings(ctx_.link, &view_, StoredPortSettings(ctx_));
  if (WatchDeviceEvents()) return;
  // Without udev the serial devices are compared once a second.
  const std::string& dir = ctx_.app.Options().deviceWatchDir;
  watcher_ = std::make_unique<DeviceWatcher>(dir.empty() ? std::string("/sys/class/tty") : dir);
  if (CDuiDialog* dialog = main_.MainDialog()) {
    watchTimer_ = new QTimer(dialog);
    QObject::connect(watchTimer_, &QTimer::timeout, dialog, [this] { PollDevices(); });
    watchTimer_->start(DEVICE_POLL_MS);
  }
}

bool MainDeviceCommands::WatchDeviceEvents() {
  const AppOptions& options = ctx_.app.Options();
  CDuiDialog* dialog = main_.MainDialog();
  if (!dialog) return false;
  std::string why;
  if (options.ttyEventSource) {
    eventSource_ = options.ttyEventSource();
    if (!eventSource_) why = "the device event source failed";
  } else if (options.deviceWatchDir.empty()) {
    // A watch folder of its own (a test's) is polled: udev would report the real devices.
    eventSource_ = OpenUdevTtyMonitor(&why);
  }
  if (!eventSource_) {
    if (!why.empty()) ctx_.dui->WriteLog(LOG_INFO, "device changes by polling: %s", why.c_str());
    return false;
  }
  // Arrivals and removals reach the window thread as soon as udev announces them.
  eventNotifier_ = new QSocketNotifier(eventSource_->Descriptor(), QSocketNotifier::Read, dialog);
  QObject::connect(eventNotifier_, &QSocketNotifier::activated, dialog,
                   [this] { DeliverDeviceChanges(eventSource_->ReadEvents()); });
  return true;
}

void MainDeviceCommands::PollDevices() {
  if (watcher_) DeliverDeviceChanges(watcher_->Poll());
}

void MainDeviceCommands::DeliverDeviceChanges(const std::vector<uint32_t>& events) {
  CDuiDialog* dialog = main_.MainDialog();
  for (uint32_t event : events) {
    if (dialog) dialog->SendMessage(WM_DEVICECHANGE, event, 0);
    else DeviceChange(event);
  }
}

void MainDeviceCommands::DeviceChange(WPARAM event) { OnDeviceChange(ctx_.link, static_cast<uint32_t>(event)); }

void MainDeviceCommands::PortSettings() {
  DuiSystem& dui = *ctx_.dui;
  CDuiDialog* dialog = dui.CreateDialogFromTemplate("dlg_select_com", main_.MainDialog(), "dlg_select_com");
  if (!dialog) return;
  auto* handler = new CDuiHandlerComSelect(ctx_);
  dui.AttachHandler(dialog, handler, "", true);
  dialog->RunModal();
  dui.ReleaseHandler(handler);
  dui.DestroyDialog(dialog);
}

// ---------------------------------------------------------------- read, download, compare

std::optional<TargetKind> MainDeviceCommands::AskTarget() {
  if (RunSelectDialog(*ctx_.dui, new CSelectOperatorTypeDlg(ctx_)) != DUI_RESULT_OK) return std::nullopt;
  return ctx_.choices.operationTarget == 1 ? TargetKind::Chip : TargetKind::Tool;
}

int MainDeviceCommands::Read() {
  auto request = SetupRead(ctx_.link, ctx_.session.description.HasTree(), [this] { return AskTarget(); });
  return request ? Start(std::move(*request)) : 0;
}

int MainDeviceCommands::CompareItems() {
  auto request = SetupRead(ctx_.link, ctx_.session.description.HasTree(), [this] { return AskTarget(); });
  if (!request) return 0;
  main_.ClearDifferences();
  // The read's result arrives while the progress dialog runs and is kept
  // aside, never decoded into the items; the verdict follows the read's own
  // lines once the dialog has closed.
  comparing_ = true;
  const bool ran = Start(std::move(*request));
  comparing_ = false;
  if (std::unique_ptr<ReadResult> area = std::move(compared_)) ShowComparison(*area);
  return ran;
}

void MainDeviceCommands::ShowComparison(const ReadResult& area) {
  AppSession& session = ctx_.session;
  const auto comparison = CompareWithDevice(session.description, area.data.data(), area.size, area.address);
  if (!comparison) return;
  LinkContext& link = ctx_.link;
  for (const ItemDifference& d : comparison->items) {
    const ConfigItem& item = *d.item;
    Report(link, item.caption + " (" + item.name + "): " + d.projectText + " \xE2\x86\x92 " + d.otherText, kColourFailure,
           false, true, true);
    session.differingItems.emplace(&item, d.otherText);
  }
  for (const ByteRange& r : comparison->unowned)
    Report(link, FormatText(ctx_.core.LookupText("COMPARE_ITEMS_BYTES"), StrFormat("0x%04X-0x%04X", r.first, r.last)),
           kColourFailure, false, true, true);
  if (!comparison->Differs()) Report(link, ctx_.core.LookupText("COMPARE_ITEMS_MATCH"), kColourSuccess, false, true, true);
  main_.ShowDifferences();
}

int MainDeviceCommands::Config() {
  auto request = SetupDownload(ctx_.link, ctx_.session.description,
                               [&](const std::string& codePath) -> std::optional<DownloadChoice> {
                                 const auto path =
                                     AskWithCodeFile(*ctx_.dui, new CSelectDownloadTypeDlg(ctx_), codePath);
                                 if (!path) return std::nullopt;
                                 const DialogChoices& c = ctx_.choices;
                                 return DownloadChoice{c.downloadTarget == 1 ? TargetKind::Chip : TargetKind::Tool,
                                                       c.downloadConf != 0, c.downloadCode != 0, *path};
                               });
  return request ? Start(std::move(*request)) : 0;
}

int MainDeviceCommands::Checksum() {
  auto request = SetupChecksum(ctx_.link, ctx_.session.description,
                               [&](const std::string& codePath) -> std::optional<ChecksumChoice> {
                                 const auto path =
                                     AskWithCodeFile(*ctx_.dui, new CSelectChecksumTypeDlg(ctx_), codePath);
                                 if (!path) return std::nullopt;
                                 const DialogChoices& c = ctx_.choices;
                                 return ChecksumChoice{c.checksumConf != 0, c.checksumCode != 0, *path};
                               });
  return request ? Start(std::move(*request)) : 0;
}

// ---------------------------------------------------------------- burn options

int MainDeviceCommands::BurnOption() {
  LinkContext& link = ctx_.link;
  DuiSystem& dui = *ctx_.dui;
  if (!PortReady(link, false, true, true)) return 0;
  // The read runs here on the window thread; a cancel left over from the
  // last operation must not stop it.
  if (!link.WorkerRunning()) link.cancel.store(0);
  BurnConfigRecord record;
  const int error = ReadBurnConfig(link, record);
  if (error != kLinkOk) {
    const std::string text =
        StrFormat("%s, %s", dui.LookupText("ERROR_1009").c_str(), ErrorText(link, error).c_str());
    Report(link, text, kColourFailure, false, true, true);
    dui.ShowMessageBox(main_.MainDialog(), text, dui.LookupText("MessageBoxTitle"), MB_OK | MB_ICONWARNING);
    return 0;
  }
  int areas = 0;
  const int result = RunSelectDialog<CBurnOptionDlg>(dui, new CBurnOptionDlg(ctx_, record.bytes[0]),
                                                     [&](CBurnOptionDlg& d) { areas = d.Areas(); });
  if (result != DUI_RESULT_OK) return 0;
  record.bytes[0] = static_cast<uint8_t>(areas);
  return Start(BurnConfigRequest(record));
}

// ---------------------------------------------------------------- HEX export

int MainDeviceCommands::ExportHex() {
  ChipDescription& desc = ctx_.session.description;
  DuiSystem& dui = *ctx_.dui;
  if (!desc.HasTree()) {
    ctx_.core.ShowMessage(dui.LookupText("NewNotify"), MB_OK | MB_ICONERROR);
    return 0;
  }
  auto* dialog = new CSelectExportHexDlg(ctx_);
  dialog->codePath = GetCodeFilePath(desc);
  CDuiDialog* mainDialog = main_.MainDialog();
  if (mainDialog && mainDialog->FindControl("tabctrl.main") && dialog->DoModal() == DUI_RESULT_OK) {
    const std::string target = ctx_.choices.exportPath;
    std::error_code ec;
    bool go = true;
    if (std::filesystem::exists(target, ec)) {
      go = dui.ShowMessageBox(mainDialog, FormatText(dui.LookupText("FILE_EXIST_MESSAGE"), target),
                              dui.LookupText("MessageBoxTitle"), MB_OKCANCEL | MB_ICONWARNING) == IDOK;
    }
    if (go) korvane::ExportHex(desc, ctx_.choices.exportCode != 0, ctx_.choices.exportConf != 0, dialog->codePath, target);
  }
  dui.ReleaseHandler(dialog);
  return 0;
}

// ---------------------------------------------------------------- device sums

int MainDeviceCommands::DeviceSums(TargetKind target) {
  if (!PortReady(ctx_.link, true, true, ctx_.session.description.HasTree())) return 0;
  return Start(DeviceInfoRequest(target));
}

// ---------------------------------------------------------------- results

void MainDeviceCommands::OperationResult(int kind, LPARAM record) {
  const OperationInfo* op = OperationInfoOf(kind);
  if (op && op->Reads()) {
    // Posted: the record is ours.
    std::unique_ptr<ReadResult> area(reinterpret_cast<ReadResult*>(record));
    if (!area) return;
    if (op->Serves(OpDirection::ReadArea)) {
      main_.HexCommands().ShowRead(kind, area->data.data(), area->size, area->address);
      return;
    }
    if (comparing_) {
      compared_ = std::move(area);
      ctx_.session.differingTarget = op->ToChip() ? TargetKind::Chip : TargetKind::Tool;
      return;
    }
    ChipDescription& desc = ctx_.session.description;
    if (desc.HasTree()) {
      ctx_.session.TakeConfigRead(*area);
      main_.ShowDifferences();
      main_.ShowProjectTitle();  // the values read are unsaved changes
      // The grid shows the item again, now with the values read.
      if (desc.currentItem)
        main_.OnDuiMessage(0, "selectitem", 0, 0, reinterpret_cast<LPARAM>(desc.currentItem));
    }
    area.reset();
    main_.PollCodeFile();
    return;
  }
  if (op && op->Serves(OpDirection::ReadInfo)) {
    // Sent: the record stays with the worker, which waits until it is shown.
    const auto* info = reinterpret_cast<const DeviceInfoRecord*>(record);
    if (!info) return;
    using R = DeviceInfoRecord;
    main_.ShowDeviceSums(kind, {info->field[R::ConfChecksum], info->field[R::CodeChecksum],
                                info->field[R::OptionChecksum], info->field[R::ConfLength],
                                info->field[R::CodeLength], info->field[R::OptionLength]});
  }
}

}  // namespace korvane
