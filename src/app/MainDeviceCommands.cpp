#include "app/MainDeviceCommands.h"

#include <algorithm>
#include <filesystem>

#include <QTimer>

#include "app/AppContext.h"
#include "app/CBurnOptionDlg.h"
#include "app/CDuiHandlerComSelect.h"
#include "app/CDuiHandlerMain.h"
#include "app/CDuiHandlerProcess.h"
#include "app/CKorvaneApp.h"
#include "app/CSelectChecksumTypeDlg.h"
#include "app/CSelectDownloadTypeDlg.h"
#include "app/CSelectExportHexDlg.h"
#include "app/CSelectFlashTypeDlg.h"
#include "app/CSelectOperatorTypeDlg.h"
#include "core/files/CodeFile.h"
#include "core/files/HexExport.h"
#include "core/files/ImagePreparation.h"
#include "core/text/MessageBox.h"
#include "core/text/TextFormat.h"
#include "dui/CDuiDialog.h"
#include "dui/DuiSystem.h"
#include "hexeditor/IHexEditor.h"
#include "link/DevicePresence.h"
#include "link/LinkCommands.h"
#include "link/LinkReport.h"
#include "link/LinkSetup.h"
#include "link/OperationKind.h"
#include "link/OperationRunner.h"
#include "link/PortSetup.h"

namespace korvane {

namespace {

TargetKind TargetOf(bool chip) { return chip ? TargetKind::Chip : TargetKind::Tool; }

// Runs a selection dialog and releases its handler; the dialog's result.
template <typename Dialog>
int RunAndRelease(DuiSystem& dui, Dialog* dialog, const std::function<void(Dialog&)>& after = {}) {
  const int result = dialog->DoModal();
  if (after) after(*dialog);
  dui.ReleaseHandler(dialog);
  return result;
}

}  // namespace

MainDeviceCommands::MainDeviceCommands(AppContext& context, CDuiHandlerMain& main)
    : ctx_(context), main_(main), view_(main, main.MainDialog()) {
  ctx_.link.view = &view_;
}

MainDeviceCommands::~MainDeviceCommands() {
  if (watchTimer_) watchTimer_->stop();
  view_.Detach(ctx_.link);
}

bool MainDeviceCommands::Start(OperationRequest request) { return StartOperation(ctx_, view_, std::move(request)); }

// ---------------------------------------------------------------- port and devices

void MainDeviceCommands::OpenStoredPort() {
  OpenPortFromSettings(ctx_.link, &view_, StoredPortSettings(ctx_));
  const std::string& dir = ctx_.app.Options().deviceWatchDir;
  watcher_ = std::make_unique<DeviceWatcher>(dir.empty() ? std::string("/sys/class/tty") : dir);
  if (CDuiDialog* dialog = main_.MainDialog()) {
    watchTimer_ = new QTimer(dialog);
    QObject::connect(watchTimer_, &QTimer::timeout, dialog, [this] { PollDevices(); });
    watchTimer_->start(1000);
  }
}

void MainDeviceCommands::PollDevices() {
  if (!watcher_) return;
  CDuiDialog* dialog = main_.MainDialog();
  for (uint32_t event : watcher_->Poll()) {
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

int MainDeviceCommands::Read() {
  DuiSystem& dui = *ctx_.dui;
  auto request = SetupRead(ctx_.link, main_.Description().HasTree(), [&]() -> std::optional<TargetKind> {
    const int result = RunAndRelease(dui, new CSelectOperatorTypeDlg(ctx_));
    if (result != 1) return std::nullopt;
    return ctx_.choices.operationTarget == 1 ? TargetKind::Chip : TargetKind::Tool;
  });
  return request ? Start(std::move(*request)) : 0;
}

int MainDeviceCommands::Config() {
  DuiSystem& dui = *ctx_.dui;
  auto request =
      SetupDownload(ctx_.link, main_.Description(), [&](const std::string& codePath) -> std::optional<DownloadChoice> {
        auto* dialog = new CSelectDownloadTypeDlg(ctx_);
        dialog->codePath = codePath;
        DownloadChoice choice;
        const int result = RunAndRelease<CSelectDownloadTypeDlg>(
            dui, dialog, [&](CSelectDownloadTypeDlg& d) { choice.codePath = d.codePath; });
        if (result != 1) return std::nullopt;
        const DialogChoices& c = ctx_.choices;
        choice.target = c.downloadTarget == 1 ? TargetKind::Chip : TargetKind::Tool;
        choice.conf = c.downloadConf != 0;
        choice.code = c.downloadCode != 0;
        return choice;
      });
  return request ? Start(std::move(*request)) : 0;
}

int MainDeviceCommands::Checksum() {
  DuiSystem& dui = *ctx_.dui;
  auto request =
      SetupChecksum(ctx_.link, main_.Description(), [&](const std::string& codePath) -> std::optional<ChecksumChoice> {
        auto* dialog = new CSelectChecksumTypeDlg(ctx_);
        dialog->SetCodePath(codePath);
        ChecksumChoice choice;
        const int result = RunAndRelease<CSelectChecksumTypeDlg>(
            dui, dialog, [&](CSelectChecksumTypeDlg& d) { choice.codePath = d.codePath; });
        if (result != 1) return std::nullopt;
        choice.conf = ctx_.choices.checksumConf != 0;
        choice.code = ctx_.choices.checksumCode != 0;
        return choice;
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
  const int result = RunAndRelease<CBurnOptionDlg>(dui, new CBurnOptionDlg(ctx_, record.bytes[0]),
                                                   [&](CBurnOptionDlg& d) { areas = d.Areas(); });
  if (result != 1) return 0;
  record.bytes[0] = static_cast<uint8_t>(areas);
  return Start(BurnConfigRequest(record));
}

// ---------------------------------------------------------------- HEX export

int MainDeviceCommands::ExportHex() {
  ChipDescription& desc = main_.Description();
  DuiSystem& dui = *ctx_.dui;
  if (!desc.HasTree()) {
    ctx_.core.ShowMessage(dui.LookupText("NewNotify"), MB_OK | MB_ICONERROR);
    return 0;
  }
  auto* dialog = new CSelectExportHexDlg(ctx_);
  dialog->codePath = GetCodeFilePath(desc);
  CDuiDialog* mainDialog = main_.MainDialog();
  if (mainDialog && mainDialog->FindControl("tabctrl.main") && dialog->DoModal() == 1) {
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

// ---------------------------------------------------------------- hex window and device sums

int MainDeviceCommands::DeviceCommand(const std::string& name) {
  if (name == "btn-tool-checksum") return DeviceSums(false);
  if (name == "btn-chip-checksum") return DeviceSums(true);
  if (name == "btn-read-tool") return ReadHex(false);
  if (name == "btn-read-chip") return ReadHex(true);
  if (name == "btn-write-tool") return WriteHex(false);
  if (name == "btn-write-chip") return WriteHex(true);
  if (name == "btn-check-sum") return CompareHex();
  return 0;
}

int MainDeviceCommands::DeviceSums(bool chip) {
  if (!PortReady(ctx_.link, true, true, main_.Description().HasTree())) return 0;
  return Start(DeviceInfoRequest(TargetOf(chip)));
}

int MainDeviceCommands::AskFlashArea() { return RunAndRelease(*ctx_.dui, new CSelectFlashTypeDlg(ctx_)); }

int MainDeviceCommands::ReadHex(bool chip) {
  if (!PortReady(ctx_.link, true, true, main_.Description().HasTree())) return 0;
  if (AskFlashArea() != 1) return 0;
  if (IHexEditor* hex = main_.HexWindow()) hex->RefreshView();
  return Start(AreaReadRequest(TargetOf(chip), AreaOfFlashKind(ctx_.choices.flashArea)));
}

void MainDeviceCommands::PlaceHexWindow(OperationRequest& request, AreaKind area) {
  IHexEditor* hex = main_.HexWindow();
  int32_t first = 0, last = -1;
  if (hex) hex->GetRange(&first, &last);
  const int64_t held = hex ? static_cast<int64_t>(last) - first + 1 : 0;
  PlaceAreaBytes(request, ctx_.core.layout, area, held,
                 [hex](uint8_t* destination, uint32_t count) { return hex->ReadBytes(0, destination, count); });
}

int MainDeviceCommands::WriteHex(bool chip) {
  if (!PortReady(ctx_.link, true, true, main_.Description().HasTree())) return 0;
  IHexEditor* hex = main_.HexWindow();
  int32_t first = 0, last = -1;
  if (hex) hex->GetRange(&first, &last);
  if (!hex || last == -1) {
    DuiSystem& dui = *ctx_.dui;
    dui.ShowMessageBox(nullptr, dui.LookupText("DEV_PRE_READ_OR_IMPORT"), dui.LookupText("MessageBoxTitle"),
                       MB_OK | MB_ICONWARNING);
    return 0;
  }
  if (AskFlashArea() != 1) return 0;
  const AreaKind area = AreaOfFlashKind(ctx_.choices.flashArea);
  OperationRequest request = AreaWriteRequest(TargetOf(chip), area);
  PlaceHexWindow(request, area);
  hex->RefreshView();
  return Start(std::move(request));
}

int MainDeviceCommands::CompareHex() {
  if (!PortReady(ctx_.link, true, true, main_.Description().HasTree())) return 0;
  if (AskFlashArea() != 1) return 0;
  const AreaKind area = AreaOfFlashKind(ctx_.choices.flashArea);
  OperationRequest request = AreaCompareRequest(area);
  PlaceHexWindow(request, area);
  return Start(std::move(request));
}

// ---------------------------------------------------------------- results

void MainDeviceCommands::OperationResult(int kind, LPARAM record) {
  if (OperationServes(kind, OpDirection::ReadConfig)) {
    std::unique_ptr<ReadResult> area(reinterpret_cast<ReadResult*>(record));
    ChipDescription& desc = main_.Description();
    if (!area) return;
    if (desc.HasTree()) {
      ReadBack(desc, main_.ReadBackImage().data(), area->data.data(), area->size, area->address);
      // The grid shows the item again, now with the values read.
      if (desc.currentItem)
        main_.OnDuiMessage(0, "selectitem", 0, 0, reinterpret_cast<LPARAM>(desc.currentItem));
    }
    area.reset();
    main_.PollCodeFile();
    return;
  }
  if (OperationServes(kind, OpDirection::ReadArea)) {
    std::unique_ptr<ReadResult> area(reinterpret_cast<ReadResult*>(record));
    if (area) main_.ShowHexRead(kind, area->data.data(), area->size, area->address);
    return;
  }
  if (OperationServes(kind, OpDirection::ReadInfo)) {
    const auto* info = reinterpret_cast<const DeviceInfoRecord*>(record);
    if (!info) return;
    using R = DeviceInfoRecord;
    main_.ShowDeviceSums(kind, {info->field[R::ConfChecksum], info->field[R::CodeChecksum],
                                info->field[R::OptionChecksum], info->field[R::ConfLength],
                                info->field[R::CodeLength], info->field[R::OptionLength]});
  }
}

}  // namespace korvane
