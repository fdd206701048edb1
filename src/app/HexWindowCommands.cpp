#include "app/HexWindowCommands.h"

#include <vector>

#include "app/AppContext.h"
#include "app/CDuiHandlerMain.h"
#include "app/CSelectFlashTypeDlg.h"
#include "app/MainDeviceCommands.h"
#include "core/files/BinFile.h"
#include "core/text/MessageBox.h"
#include "dui/DuiSystem.h"
#include "hexeditor/IHexEditor.h"
#include "link/OperationKind.h"
#include "link/OperationRunner.h"

namespace korvane {

namespace {

FileDialogRequest BinFileRequest() {
  FileDialogRequest request;
  request.defaultExtension = "bin";
  request.filter = "Bin File(*.bin)|*.bin||";
  return request;
}

// Whether two reads into the window were of the same area.
bool SameArea(int a, int b) {
  const OperationInfo* first = OperationInfoOf(a);
  const OperationInfo* second = OperationInfoOf(b);
  return first && second && first->Serves(OpDirection::ReadArea) && second->Serves(OpDirection::ReadArea) &&
         first->areas == second->areas;
}

// The number of bytes the window holds.
int64_t HeldBytes(IHexEditor* hex) {
  if (!hex) return 0;
  int32_t first = 0, last = -1;
  hex->GetRange(&first, &last);
  return static_cast<int64_t>(last) - first + 1;
}

}  // namespace

HexWindowCommands::HexWindowCommands(AppContext& context, CDuiHandlerMain& main) : ctx_(context), main_(main) {}

IHexEditor* HexWindowCommands::Window() const { return main_.HexWindow(); }

bool HexWindowCommands::Start(OperationRequest request) {
  MainDeviceCommands* device = main_.Device();
  return device && device->Start(std::move(request));
}

bool HexWindowCommands::AskArea() { return RunSelectDialog(*ctx_.dui, new CSelectFlashTypeDlg(ctx_)) == DUI_RESULT_OK; }

void HexWindowCommands::PlaceWindowBytes(OperationRequest& request, AreaKind area) {
  IHexEditor* hex = Window();
  PlaceAreaBytes(request, ctx_.core.layout, area, HeldBytes(hex),
                 [hex](uint8_t* destination, uint32_t count) { return hex->ReadBytes(0, destination, count); });
}

// ---------------------------------------------------------------- device

int HexWindowCommands::Read(TargetKind target) {
  if (!PortReady(ctx_.link, true, true, ctx_.session.description.HasTree())) return 0;
  if (!AskArea()) return 0;
  if (IHexEditor* hex = Window()) hex->RefreshView();
  return Start(AreaReadRequest(target, AreaOfFlashKind(ctx_.choices.flashArea)));
}

int HexWindowCommands::Write(TargetKind target) {
  if (!PortReady(ctx_.link, true, true, ctx_.session.description.HasTree())) return 0;
  IHexEditor* hex = Window();
  int32_t first = 0, last = -1;
  if (hex) hex->GetRange(&first, &last);
  if (!hex || last == -1) {
    DuiSystem& dui = *ctx_.dui;
    dui.ShowMessageBox(nullptr, dui.LookupText("DEV_PRE_READ_OR_IMPORT"), dui.LookupText("MessageBoxTitle"),
                       MB_OK | MB_ICONWARNING);
    return 0;
  }
  if (!AskArea()) return 0;
  const AreaKind area = AreaOfFlashKind(ctx_.choices.flashArea);
  OperationRequest request = AreaWriteRequest(target, area);
  PlaceWindowBytes(request, area);
  if (!AddProjectOptionBytes(request, ctx_.session.description)) return 0;
  hex->RefreshView();
  return Start(std::move(request));
}

int HexWindowCommands::Compare() {
  if (!PortReady(ctx_.link, true, true, ctx_.session.description.HasTree())) return 0;
  if (!AskArea()) return 0;
  const AreaKind area = AreaOfFlashKind(ctx_.choices.flashArea);
  OperationRequest request = AreaCompareRequest(area);
  PlaceWindowBytes(request, area);
  return Start(std::move(request));
}

void HexWindowCommands::ShowRead(int kind, const uint8_t* data, uint32_t size, uint32_t address) {
  if (IHexEditor* hex = Window()) {
    if (HeldBytes(hex) != static_cast<int64_t>(size)) {
      ctx_.session.hexData.SetBlock(size, 0, data);
      if (!SameArea(lastReadKind_, kind)) hex->RefreshView();
    }
    hex->BeginLoad(0);
    hex->WriteBytes(0, data, size);
    hex->SetBaseAddress(address);
    hex->EndLoad(1);
  }
  lastReadKind_ = kind;
}

// ---------------------------------------------------------------- binary files

int HexWindowCommands::ExportBin() {
  std::string path;
  if (!ctx_.dui->SaveFileName(BinFileRequest(), path)) return 0;
  // The bytes the window holds; without a window the file is empty.
  std::vector<uint8_t> bytes;
  const int64_t n = HeldBytes(Window());
  if (n > 0) {
    bytes.resize(static_cast<size_t>(n));
    bytes.resize(Window()->ReadBytes(0, bytes.data(), static_cast<uint32_t>(n)));
  }
  // A failed write is reported with the path and leaves the file that was there whole.
  if (!ExportBinFile(path, bytes) && ctx_.main) ctx_.main->ShowWriteError(path);
  return 0;
}

int HexWindowCommands::ImportBin() {
  std::string path;
  if (!ctx_.dui->OpenFileName(BinFileRequest(), path)) return 0;
  if (!ImportBinFile(path, ctx_.session.hexData)) return 0;
  if (IHexEditor* hex = Window()) {
    hex->BeginLoad(0);
    hex->ResetView(0, 1, 0);
    hex->RefreshView();
    hex->EndLoad(1);
  }
  return 0;
}

}  // namespace korvane
