#pragma once
// The commands of the hex data window: an area read from the tool or the chip
// into the window, the window's bytes written to an area or compared with it
// by checksum, and the exchange with raw binary files. The window itself is
// one of the main window's views, its bytes are the session's; results of
// the reads come back here from the device commands.
#include <cstdint>

#include "link/LinkTypes.h"
#include "link/OperationRequest.h"

namespace korvane {

class CDuiHandlerMain;
class IHexEditor;
struct AppContext;

class HexWindowCommands {
 public:
  HexWindowCommands(AppContext& context, CDuiHandlerMain& main);

  // "btn-read-tool", "btn-read-chip", "btn-write-tool", "btn-write-chip",
  // "btn-check-sum": each returns whether the click was consumed.
  int Read(TargetKind target);
  int Write(TargetKind target);
  int Compare();
  // "btn-export", "btn-import": never consumed.
  int ExportBin();
  int ImportBin();

  // An area read from the device (kinds 8, 9, 12, 13, 16, 17) into the window.
  void ShowRead(int kind, const uint8_t* data, uint32_t size, uint32_t address);
  // The kind of the last area read shown (0 before the first).
  int LastReadKind() const { return lastReadKind_; }

 private:
  IHexEditor* Window() const;
  // Runs the area dialog; true when the user confirmed an area.
  bool AskArea();
  // The window's bytes, at most the area's size, at the area's start of the
  // request's image.
  void PlaceWindowBytes(OperationRequest& request, AreaKind area);
  bool Start(OperationRequest request);

  AppContext& ctx_;
  CDuiHandlerMain& main_;
  int lastReadKind_ = 0;
};

}  // namespace korvane
