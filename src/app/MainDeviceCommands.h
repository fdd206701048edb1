#pragma once
// The main window's device side: the serial link opened at start, the device
// watcher, the settings dialog, the commands that read, download, compare,
// burn and ask for the device's sums, the HEX export, and the results that
// come back from the operation runner. The hex window's commands are in
// HexWindowCommands; they start their operations here.
#include <memory>
#include <optional>
#include <string>

#include <QPointer>

#include "app/AppLinkView.h"
#include "dui/DuiTypes.h"
#include "link/DeviceWatcher.h"
#include "link/OperationRequest.h"
#include "link/TtyEventSource.h"

class QSocketNotifier;
class QTimer;

namespace korvane {

class CDuiHandlerMain;
struct AppContext;

class MainDeviceCommands {
 public:
  MainDeviceCommands(AppContext& context, CDuiHandlerMain& main);
  ~MainDeviceCommands();
  MainDeviceCommands(const MainDeviceCommands&) = delete;
  MainDeviceCommands& operator=(const MainDeviceCommands&) = delete;

  // Opens the stored port (or the port of this run) and starts watching for
  // devices coming and going.
  void OpenStoredPort();

  // The commands; each returns whether the click was consumed.
  int Read();
  int Config();
  int BurnOption();
  int Checksum();
  int ExportHex();
  int DeviceSums(TargetKind target);
  // Reads the conf area of the tool or the chip and logs and marks the items
  // whose values differ from the project's; the project stays as it is.
  int CompareItems();

  // Runs the request behind the progress dialog; true once it has closed.
  bool Start(OperationRequest request);

  // Window messages of the main window.
  void DeviceChange(WPARAM event);
  void OperationResult(int kind, LPARAM record);
  void PortSettings();

  // One look of the device watcher; its events reach the main window as WM_DEVICECHANGE.
  void PollDevices();
  // True while device events come from udev (or its stand-in), not the poll.
  bool WatchesDeviceEvents() const { return eventSource_ != nullptr; }

  AppLinkView& View() { return view_; }

 private:
  std::optional<TargetKind> AskTarget();
  bool WatchDeviceEvents();
  void DeliverDeviceChanges(const std::vector<uint32_t>& events);
  void ShowComparison(const ReadResult& area);

  AppContext& ctx_;
  CDuiHandlerMain& main_;
  AppLinkView view_;
  std::unique_ptr<DeviceWatcher> watcher_;
  QPointer<QTimer> watchTimer_;
  std::unique_ptr<ITtyEventSource> eventSource_;
  QPointer<QSocketNotifier> eventNotifier_;
  bool comparing_ = false;                 // the conf read under way is for an item comparison
  std::unique_ptr<ReadResult> compared_;   // what it read
};

}  // namespace korvane
