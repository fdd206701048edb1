#pragma once
// The main window's handler: builds the views of "dlg_main", dispatches every
// command by control name, and keeps title, status text, checksum bar and log
// panel. The project it shows is the session's (AppSession); the device
// commands and the hex window's commands are classes of their own.
#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include <QFont>
#include <QPointer>

#include "app/CChecksumListCtrl.h"
#include "app/CConfigTreeCtrl.h"
#include "app/CPropertyGridCtrl.h"
#include "app/CRichEditExt.h"
#include "core/files/PcChecksums.h"
#include "core/model/ChipDescription.h"
#include "dui/CDuiDialog.h"
#include "dui/CDuiHandler.h"
#include "link/LinkTypes.h"

class QWidget;

namespace korvane {

class AppSession;
class CDuiControl;
class CDuiDialog;
class HexWindowCommands;
class IHexEditor;
class MainDeviceCommands;
struct AppContext;

class CDuiHandlerMain : public CDuiHandler, public IChecksumView {
 public:
  explicit CDuiHandlerMain(AppContext& context);
  ~CDuiHandlerMain() override;

  void SetMainDialog(CDuiDialog* dialog) { mainDialog_ = dialog; }

  void OnInit() override;
  int OnEndDialog(int result) override;
  int OnDuiMessage(int uID, const std::string& name, int msg, WPARAM wParam, LPARAM lParam) override;
  void OnTimer(int timerId, const std::string& timerName) override;
  // Opens the serial link with the stored settings; called once by OnInit.
  virtual void OpenStoredPort();

  // Operations the other parts call.
  // "APP_NAME VAPP_VER (suffix)"; without a suffix the name and version only.
  void UpdateTitle(const std::string& suffix);
  // The title for the project as it stands: its file's name ("NewProject"
  // before its first save) with a "*" while it has unsaved changes, nothing
  // when none is loaded. Called whenever the project is loaded, saved or changed.
  void ShowProjectTitle();
  void SetStatusText(const std::string& text, uint32_t colour);
  void SetControlVisible(const std::string& name, bool visible);
  void ClearViews();
  void AppendLog(const std::string& text, uint32_t colour, bool withTimestamp);
  // Routes one message to the status text and/or the log panel. Any thread
  // may call it; off the window thread it waits until the window thread has
  // shown the message.
  void Report(const std::string& text, uint32_t colour, bool toStatusBar, bool toLog, bool stamped);
  // Posts UM_SHOW_WARNING with a copy of text to the main window.
  void PostWarning(const std::string& text);
  void PollCodeFile();
  void RefreshChecksums(const std::string& codePath);
  // Shows the session's differing items as marked rows and tree nodes (again).
  void ShowDifferences();
  // Takes the marks of the last item comparison away.
  void ClearDifferences();
  // Fills the tool's or the chip's column (by the information kind's
  // target): three checksums, three sizes.
  void ShowDeviceSums(int kind, const std::array<uint32_t, kChecksumRows>& values);

  // Where the PC-side checksums show: the checksum bar and column 1 of the list.
  bool HasChecksumBar() const override;
  void SetChecksumBar(const std::string& text) override;
  void ClearPcColumn() override;
  void SetPcCell(int row, const std::string& text) override;

  // Log panel commands.
  int ShowLogPanel();
  int HideLogPanel();
  int ClearLog();
  int SaveLog();
  // "WriteFileError" with the path, over the main window.
  void ShowWriteError(const std::string& path);

  // What the views and tests reach.
  AppContext& Context() const { return ctx_; }
  AppSession& Session() const { return session_; }
  ChipDescription& Description() const;
  CDuiDialog* MainDialog() const { return mainDialog_; }
  IHexEditor* HexWindow() const { return hexWindow_; }
  CRichEditExt* LogPanel() const { return logPanel_; }
  CConfigTreeCtrl* ConfigTree() const { return configTree_; }
  CChecksumListCtrl* ChecksumList() const { return checksumList_; }
  QWidget* PropertyGridHost() const { return propertyGrid_; }
  CPropertyGridCtrl* PropertyGrid() const { return propertyGrid_; }
  const QFont& LogFont() const { return logFont_; }
  int WarningShown() const { return warningShown_; }
  int PollTimer() const { return pollTimer_; }
  MainDeviceCommands* Device() const { return device_.get(); }
  HexWindowCommands& HexCommands() const { return *hex_; }

  // Opens the project or description file at path as "open" does, after the
  // save prompt; while another modal dialog (an operation) is up it waits.
  void OpenFileWhenIdle(const std::string& path);

 protected:
  // Commands whose work lives with other parts of the program; each returns
  // whether the click was consumed.
  virtual int OnCommandNew();
  virtual int OnCommandOpen();
  virtual int OnCommandSave();
  virtual int OnCommandSaveAs();
  // Closes the window as its close button does, through the save prompt.
  virtual int OnCommandQuit();
  virtual int OnCommandAbout();
  virtual int OnCommandRead();
  virtual int OnCommandConfig();
  virtual int OnCommandBurnOption();
  virtual int OnCommandChecksum();
  virtual int OnCommandExportHex();
  virtual int OnCommandDeviceSums(TargetKind target);
  virtual int OnCommandCompareItems();
  virtual void OnDeviceChange(WPARAM event);
  // A result of the operation runner; the record's ownership is the runner's
  // rule for the kind (posted reads pass to this handler).
  virtual void OnOperationResult(int kind, LPARAM record);
  virtual void OnPortSettings();

 private:
  int DispatchCommand(const std::string& name);
  int OnNotify(const std::string& name, int msg, WPARAM wParam, LPARAM lParam);
  int OnSkinWindow(int msg, WPARAM wParam, LPARAM lParam);
  int OnShowWarning(LPARAM lParam);
  void SwitchLanguage(int languageId);
  void SelectItem(ConfigItem* item);
  void BringToFront();
  void ApplySkinBackground();
  void MarkLanguageEntries();
  // Ticks the language stored for the next start.
  void ShowStoredLanguage();
  void RelayoutMainWindow();
  // The description pane's lines for the device compared with last.
  CPropertyGridCtrl::DetailTexts GridDetailTexts() const;
  void SetLogPanelShown(bool shown);
  void CreateLogPanel(CDuiControl& host);
  void CreateHexWindow(CDuiControl& host);
  void CreateChecksumList(CDuiControl& host);
  int Box(const std::string& key, unsigned type, bool withParent);

  AppContext& ctx_;
  AppSession& session_;
  QPointer<CDuiDialog> mainDialog_;
  CDuiControl* mainTab_ = nullptr;
  int warningShown_ = 0;
  IHexEditor* hexWindow_ = nullptr;
  std::unique_ptr<HexWindowCommands> hex_;
  // The serial link and the device commands, made when the port is first opened.
  std::unique_ptr<MainDeviceCommands> device_;
  QPointer<CChecksumListCtrl> checksumList_;
  QFont logFont_;
  QPointer<CConfigTreeCtrl> configTree_;
  QPointer<CRichEditExt> logPanel_;
  CDuiControl* statusText_ = nullptr;
  CDuiControl* checksumBar_ = nullptr;
  int pollTimer_ = 0;
  QPointer<CPropertyGridCtrl> propertyGrid_;
};

}  // namespace korvane
