#pragma once
// The main window's device side: the serial link opened at start, the device
// watcher, the settings dialog, and the commands that read, download, compare
// and burn, with the results that come back from the operation runner.
#include <memory>
#include <string>

#include <QPointer>

#include "app/AppLinkView.h"
#include "dui/DuiTypes.h"
#include "link/DeviceWatcher.h"
#include "link/OperationRequest.h"

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
  int DeviceCommand(const std::string& name);

  // Window messages of the main window.
  void DeviceChange(WPARAM event);
  void OperationResult(int kind, LPARAM record);
  void PortSettings();

  // One look of the device watcher; its events reach the main window as WM_DEVICECHANGE.
  void PollDevices();

  AppLinkView& View() { return view_; }

 private:
  bool Start(OperationRequest request);
  int DeviceSums(bool chip);
  int ReadHex(bool chip);
  int WriteHex(bool chip);
  int CompareHex();
  // Runs the area dialog; its result (1 confirmed).
  int AskFlashArea();
  // The hex window's bytes, at most the area's size, at the area's start of
  // the request's image.
  void PlaceHexWindow(OperationRequest& request, AreaKind area);

  AppContext& ctx_;
  CDuiHandlerMain& main_;
  AppLinkView view_;
  std::unique_ptr<DeviceWatcher> watcher_;
  QPointer<QTimer> watchTimer_;
};

}  // namespace korvane
