#include "app/CDuiHandlerMain.h"

#include <algorithm>

#include <QActionGroup>
#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QThread>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QWidget>

#include "app/AppContext.h"
#include "app/AppMessages.h"
#include "app/AppSettings.h"
#include "app/CAboutDlg.h"
#include "app/CChecksumListCtrl.h"
#include "app/CConfigTreeCtrl.h"
#include "app/CKorvaneApp.h"
#include "app/CRichEditExt.h"
#include "app/CSelectDialog.h"
#include "app/HexEditorLoader.h"
#include "app/HexWindowCommands.h"
#include "app/MainDeviceCommands.h"
#include "app/ProjectCommands.h"
#include "core/text/TextFormat.h"
#include "dui/CDuiControl.h"
#include "dui/CDuiDialog.h"
#include "dui/DuiSystem.h"
#include "hexeditor/IHexEditor.h"
#include "link/LinkTypes.h"
#include "link/OperationKind.h"

namespace korvane {

namespace {

constexpr const char* kClassName = "CDuiHandlerMain";
// How often a file handed over by a later start asks again while a dialog is up.
constexpr int kHandOverRetryMs = 300;

// The target a device button names ("btn-chip-checksum", "btn-read-tool", ...).
TargetKind ButtonTarget(const std::string& name) {
  return name.find("-chip") != std::string::npos ? TargetKind::Chip : TargetKind::Tool;
}

}  // namespace

CDuiHandlerMain::CDuiHandlerMain(AppContext& context)
    : ctx_(context), session_(context.session), hex_(std::make_unique<HexWindowCommands>(context, *this)) {
  ctx_.main = this;
}

CDuiHandlerMain::~CDuiHandlerMain() {
  // The views go with the window; the project stays with the session until
  // the pass ends.
  ClearViews();
  if (ctx_.grid == propertyGrid_) ctx_.grid = nullptr;
  if (ctx_.main == this) ctx_.main = nullptr;
}

ChipDescription& CDuiHandlerMain::Description() const { return session_.description; }

int CDuiHandlerMain::Box(const std::string& key, unsigned type, bool withParent) {
  DuiSystem& dui = *ctx_.dui;
  return dui.ShowMessageBox(withParent ? mainDialog_ : nullptr, dui.LookupText(key), dui.LookupText("MessageBoxTitle"),
                            type);
}

// ---------------------------------------------------------------- start

void CDuiHandlerMain::OnInit() {
  CDuiDialog* dialog = mainDialog_ ? mainDialog_.data() : AttachedDialog();
  if (!dialog) return;
  mainDialog_ = dialog;
  statusText_ = dialog->FindControl("txtStatusbar");
  mainTab_ = dialog->FindControl("tabctrl.main");
  checksumBar_ = dialog->FindControl("txtChecksumbar");
  if (CDuiControl* log = dialog->FindControl("logwindow")) CreateLogPanel(*log);
  if (CDuiControl* tree = dialog->FindControl("navtreewindow")) {
    configTree_ = new CConfigTreeCtrl(tree->Widget(), *this);
    tree->HostWidget(configTree_);
  }
  if (CDuiControl* hex = dialog->FindControl("hexdatawindow")) CreateHexWindow(*hex);
  if (CDuiControl* list = dialog->FindControl("checksumwindow")) CreateChecksumList(*list);
  if (CDuiControl* grid = dialog->FindControl("navprowindow")) {
    auto warn = [this](const std::string& text) { PostWarning(text); };
    propertyGrid_ = new CPropertyGridCtrl(grid->Widget(), session_.grid, warn, ctx_.dui->Text("Param"),
                                          ctx_.dui->Text("Value"));
    ctx_.grid = propertyGrid_;
    propertyGrid_->SetDefaultLookup([this](const ConfigItem& item) -> const std::string* {
      const ChipDescription& desc = session_.description;
      session_.defaults.Follow(ctx_.core, desc.chipName, desc.functionName);
      return session_.defaults.Find(item.name);
    });
    propertyGrid_->SetDetailTexts(GridDetailTexts());
    propertyGrid_->SetDifferingItems(&session_.differingItems);
    // A commit may switch items on or off: the tree shows that at once. An
    // edit also ends what the last item comparison marked.
    propertyGrid_->SetCommitListener([this] {
      if (!session_.differingItems.empty()) ClearDifferences();
      if (configTree_) configTree_->viewport()->update();
      ShowProjectTitle();
    });
    grid->HostWidget(propertyGrid_);
  }
  ApplySkinBackground();
  MarkLanguageEntries();
  ShowProjectTitle();
  OpenStoredPort();
  if (mainTab_) mainTab_->SetTabPage(MAIN_TAB_EDITOR);
  pollTimer_ = dialog->StartTimer(CODE_FILE_POLL_MS, "");
}

void CDuiHandlerMain::CreateLogPanel(CDuiControl& host) {
  logPanel_ = new CRichEditExt(host.Widget());
  logFont_ = QFont();
  if (ctx_.app.language == kLangChinese)
    logFont_.setFamilies({QString::fromUtf8("仿宋体"), "FangSong", "Noto Serif CJK SC", "WenQuanYi Micro Hei"});
  else
    logFont_.setFamilies({"Arial", "Liberation Sans", "DejaVu Sans"});
  logFont_.setPointSize(9);
  logFont_.setWeight(QFont::Medium);
  logPanel_->setFont(logFont_);
  host.HostWidget(logPanel_);
  host.SetVisible(true);
}

void CDuiHandlerMain::CreateHexWindow(CDuiControl& host) {
  HexEditorFactory factory = ctx_.app.Options().hexEditorFactory;
  if (!factory) {
    std::string why;
    factory = LoadHexEditorLibrary(ctx_.app.Options().hexEditorPath, &why);
    if (!factory) {
      ctx_.dui->WriteLog(LOG_INFO, "no hex window: %s", why.c_str());
      return;
    }
  }
  IHexEditor* editor = factory(host.Widget());
  if (!editor) return;
  hexWindow_ = editor;
  host.HostWidget(editor->EditorWindow());
  session_.hexData.SetBlock(0, 0, nullptr);
  editor->SetDataSource(&session_.hexData);
  editor->SetOptionB(1);
  editor->SetOptionA(1);
  editor->SetBytesPerLine(16);
  editor->ResetView(0, 1, 0);
}

void CDuiHandlerMain::CreateChecksumList(CDuiControl& host) {
  DuiSystem& dui = *ctx_.dui;
  QStringList headings, rows;
  for (const char* key : {"Name", "SoftName", "ToolName", "ChipName"}) headings << dui.Text(key);
  for (const char* key : {"CONF_CHECKSUM", "CODE_CHECKSUM", "OPTION_CHECKSUM", "CONF_SIZE", "CODE_SIZE", "OPTION_SIZE"})
    rows << dui.Text(key);
  checksumList_ = new CChecksumListCtrl(host.Widget(), headings, rows);
  host.HostWidget(checksumList_);
}

// The window's skin colour is the stored background ("BkColor", 0x00BBGGRR),
// asked for the way the skin window asks.
void CDuiHandlerMain::ApplySkinBackground() {
  int colour = 0;
  OnSkinWindow(SKIN_GET_VALUE, SKIN_COLOUR, reinterpret_cast<LPARAM>(&colour));
  CDuiControl* title = mainDialog_ ? mainDialog_->FindControl("title") : nullptr;
  if (!title || !title->Widget()) return;
  const QColor background((colour & 0xFF), (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
  const QColor text = background.lightness() > 140 ? QColor(Qt::black) : QColor(Qt::white);
  title->Widget()->setStyleSheet(QString("QLabel { background: %1; color: %2; font-size: 15px; font-weight: bold;"
                                         " padding: 8px 12px; }").arg(background.name(), text.name()));
}

// The language entries show the stored language, which the next start uses.
void CDuiHandlerMain::MarkLanguageEntries() {
  CDuiControl* chinese = mainDialog_->FindControl("item_chinese");
  CDuiControl* english = mainDialog_->FindControl("item_english");
  if (!chinese || !english || !chinese->Action() || !english->Action()) return;
  auto* group = new QActionGroup(mainDialog_);
  for (CDuiControl* c : {chinese, english}) {
    c->Action()->setCheckable(true);
    group->addAction(c->Action());
  }
  ShowStoredLanguage();
}

void CDuiHandlerMain::ShowStoredLanguage() {
  CDuiControl* chinese = mainDialog_ ? mainDialog_->FindControl("item_chinese") : nullptr;
  CDuiControl* english = mainDialog_ ? mainDialog_->FindControl("item_english") : nullptr;
  if (!chinese || !english) return;
  // Until the user chooses, the next start follows the locale as this one did.
  const int next = ctx_.settings.Has("DuiLanguage") ? ctx_.settings.Number("DuiLanguage") : ctx_.app.language;
  const bool stored = next == kLangChinese;
  (stored ? chinese : english)->SetCheck(true);
  (stored ? english : chinese)->SetCheck(false);
}

void CDuiHandlerMain::OpenStoredPort() {
  if (!device_) device_ = std::make_unique<MainDeviceCommands>(ctx_, *this);
  device_->OpenStoredPort();
}

// ---------------------------------------------------------------- device commands

int CDuiHandlerMain::OnCommandRead() { return device_ ? device_->Read() : 0; }
int CDuiHandlerMain::OnCommandConfig() { return device_ ? device_->Config() : 0; }
int CDuiHandlerMain::OnCommandBurnOption() { return device_ ? device_->BurnOption() : 0; }
int CDuiHandlerMain::OnCommandChecksum() { return device_ ? device_->Checksum() : 0; }
int CDuiHandlerMain::OnCommandExportHex() { return device_ ? device_->ExportHex() : 0; }
int CDuiHandlerMain::OnCommandDeviceSums(TargetKind target) { return device_ ? device_->DeviceSums(target) : 0; }
int CDuiHandlerMain::OnCommandCompareItems() { return device_ ? device_->CompareItems() : 0; }
void CDuiHandlerMain::OnDeviceChange(WPARAM event) {
  if (device_) device_->DeviceChange(event);
}
void CDuiHandlerMain::OnPortSettings() {
  if (device_) device_->PortSettings();
}
void CDuiHandlerMain::OnOperationResult(int kind, LPARAM record) {
  if (device_) device_->OperationResult(kind, record);
  else if (!OperationServes(kind, OpDirection::ReadInfo)) delete reinterpret_cast<ReadResult*>(record);  // posted reads are ours
}

// ---------------------------------------------------------------- closing, about and timer

int CDuiHandlerMain::OnCommandQuit() {
  if (mainDialog_) mainDialog_->EndDialog(DUI_RESULT_CLOSE);
  return 1;
}

int CDuiHandlerMain::OnCommandAbout() {
  RunSelectDialog(*ctx_.dui, new CAboutDlg(ctx_));
  return 1;
}

int CDuiHandlerMain::OnEndDialog(int) {
  // A value still in the grid's editor belongs to the project the prompt asks about.
  if (propertyGrid_) propertyGrid_->FinishEditing();
  if (!ConfirmSaveProject(*this)) return 0;
  // Without a restart request the closing window ends the program: the
  // application's loop returns with status 0.
  return 1;
}

void CDuiHandlerMain::OnTimer(int timerId, const std::string&) {
  if (timerId == pollTimer_ && mainDialog_) mainDialog_->PostMessage(UM_CHECKSUM_POLL, 0, 0);
}

// ---------------------------------------------------------------- dispatch

int CDuiHandlerMain::OnDuiMessage(int uID, const std::string& name, int msg, WPARAM wParam, LPARAM lParam) {
  if (int r = CDuiHandler::OnDuiMessage(uID, name, msg, wParam, lParam)) return r;
  if (msg != DUI_MSG_MOVE)
    ctx_.dui->WriteLog(LOG_DEBUG, "%s::OnDuiMessage:uID=%d, name=%s, msg=%d, wParam=%d, lParam=%d", kClassName, uID,
                       name.c_str(), msg, static_cast<int>(wParam), static_cast<int>(lParam));
  if (uID == DUI_UID_INSTANCE_COMMAND) {
    const auto* record = reinterpret_cast<const DuiCommandRecord*>(lParam);
    // A later start hands over a file to open, or just asks for the window.
    if (record) {
      BringToFront();
      if (!record->text.empty()) OpenFileWhenIdle(record->text);
    }
    return 1;
  }
  if (name == "skin.wnd") return OnSkinWindow(msg, wParam, lParam);
  if (msg == DUI_MSG_CLICK) {
    const int r = DispatchCommand(name);
    if (r >= 0) return r;
  }
  return OnNotify(name, msg, wParam, lParam);
}

// The command table: the result of the command, or -1 when name is no command.
int CDuiHandlerMain::DispatchCommand(const std::string& name) {
  // Commands work on the values as the user sees them: a value still in the
  // grid's editor is committed first (toolbar buttons take no focus from it).
  if (propertyGrid_) propertyGrid_->FinishEditing();
  if (name == "new") return OnCommandNew();
  if (name == "open") return OnCommandOpen();
  if (name == "save") return OnCommandSave();
  if (name == "saveas") return OnCommandSaveAs();
  if (name == "quit") return OnCommandQuit();
  if (name == "about") return OnCommandAbout();
  if (name == "read") return OnCommandRead();
  if (name == "config") {
    if (mainDialog_) mainDialog_->setFocus();
    return OnCommandConfig();
  }
  if (name == "burnoption") return OnCommandBurnOption();
  if (name == "checksum") return OnCommandChecksum();
  if (name == "compareitems") return OnCommandCompareItems();
  if (name == "fwdowload") {
    Box("ERROR_1008", MB_OK | MB_ICONWARNING, false);
    return 0;
  }
  if (name == "exporthex") return OnCommandExportHex();
  if (name == "btn-log-show") return ShowLogPanel();
  if (name == "btn-log-close") return HideLogPanel();
  if (name == "btn-log-cls") return ClearLog();
  if (name == "btn-log-save") return SaveLog();
  if (name == "btn-tool-checksum" || name == "btn-chip-checksum") return OnCommandDeviceSums(ButtonTarget(name));
  if (name == "btn-read-tool" || name == "btn-read-chip") return hex_->Read(ButtonTarget(name));
  if (name == "btn-write-tool" || name == "btn-write-chip") return hex_->Write(ButtonTarget(name));
  if (name == "btn-check-sum") return hex_->Compare();
  if (name == "btn-export") return hex_->ExportBin();
  if (name == "btn-import") return hex_->ImportBin();
  if (name == "item_chinese" || name == "item_english") {
    const bool chinese = name == "item_chinese";
    if (ctx_.app.language == (chinese ? kLangChinese : kLangEnglish)) {
      // Nothing changes, so the tick the menu moved goes back.
      ShowStoredLanguage();
      return 1;
    }
    if (mainDialog_) mainDialog_->PostMessage(chinese ? UM_SWITCH_CHINESE : UM_SWITCH_ENGLISH, 0, 0);
    return 0;
  }
  if (name == "item_comsetting") {
    if (mainDialog_) mainDialog_->PostMessage(UM_PORT_SETTINGS, 0, 0);
    return 0;
  }
  return -1;
}

int CDuiHandlerMain::OnNotify(const std::string& name, int msg, WPARAM wParam, LPARAM lParam) {
  if (QString::fromStdString(name).compare("selectitem", Qt::CaseInsensitive) == 0) {
    SelectItem(reinterpret_cast<ConfigItem*>(lParam));
    return 1;
  }
  if (!name.empty()) return 0;
  switch (msg) {
    case WM_DEVICECHANGE:
      OnDeviceChange(wParam);
      return 1;
    case UM_OPERATION_RESULT:
      OnOperationResult(static_cast<int>(wParam), lParam);
      return 1;
    case UM_SWITCH_CHINESE:
      SwitchLanguage(kLangChinese);
      return 0;
    case UM_SWITCH_ENGLISH:
      SwitchLanguage(kLangEnglish);
      return 0;
    case UM_PORT_SETTINGS:
      OnPortSettings();
      return 0;
    case UM_CHECKSUM_POLL:
      PollCodeFile();
      return 0;
    case UM_SHOW_WARNING:
      return OnShowWarning(lParam);
    default:
      return 0;
  }
}

void CDuiHandlerMain::SelectItem(ConfigItem* item) {
  ChipDescription& desc = session_.description;
  ConfigItem* root = desc.root.get();
  if (propertyGrid_) {
    // What the user typed for the group shown so far is committed first.
    propertyGrid_->FinishEditing();
    ShowItemInGrid(desc, item, session_.grid);
  } else {
    desc.currentItem = (item && item != root) ? item : nullptr;
    if (root) ClearGridRows(root);
  }
  if (mainTab_ && mainTab_->GetTabPage() == MAIN_TAB_EDITOR) {
    SetControlVisible("navprowindow", true);
    if (propertyGrid_) propertyGrid_->show();
  }
  if (propertyGrid_) {
    propertyGrid_->ExpandAll();
    propertyGrid_->update();
  }
}

void CDuiHandlerMain::OpenFileWhenIdle(const std::string& path) {
  if (!mainDialog_) return;
  QWidget* modal = QApplication::activeModalWidget();
  if (modal && modal != mainDialog_) {
    // An operation or another dialog has the window: try again once it is gone.
    QTimer::singleShot(kHandOverRetryMs, mainDialog_, [this, path] { OpenFileWhenIdle(path); });
    return;
  }
  CommandOpenProjectFile(*this, path);
}

void CDuiHandlerMain::BringToFront() {
  CDuiDialog* main = ctx_.dui->FindDialog("dlg_main");
  if (!main) return;
  main->showNormal();
  main->show();
  main->raise();
  main->activateWindow();
}

int CDuiHandlerMain::OnSkinWindow(int msg, WPARAM wParam, LPARAM lParam) {
  AppSettings& s = ctx_.settings;
  switch (msg) {
    case SKIN_GET_TYPE:
      if (auto* out = reinterpret_cast<int*>(wParam)) *out = s.Number("BkType");
      return 1;
    case SKIN_GET_VALUE:
      switch (wParam) {
        case SKIN_PICTURE_RESOURCE:
          if (auto* out = reinterpret_cast<int*>(lParam)) *out = s.Number("BkPicRes");
          return 1;
        case SKIN_COLOUR:
          if (auto* out = reinterpret_cast<int*>(lParam)) *out = s.Number("BkColor");
          return 1;
        case SKIN_PICTURE_FILE:
          if (auto* out = reinterpret_cast<std::string*>(lParam)) *out = s.Text("BkPicFile");
          return 1;
        default:
          return 0;
      }
    case SKIN_SET_VALUE:
      if (wParam == SKIN_PICTURE_RESOURCE) s.WriteInt("BkPicRes", static_cast<int>(lParam));
      else if (wParam == SKIN_COLOUR) s.WriteInt("BkColor", static_cast<int>(lParam));
      else if (wParam == SKIN_PICTURE_FILE) {
        if (auto* in = reinterpret_cast<const std::string*>(lParam)) s.WriteString("BkPicFile", *in);
      }
      return 1;
    default:
      return 0;
  }
}

int CDuiHandlerMain::OnShowWarning(LPARAM lParam) {
  std::unique_ptr<WarningText> text(reinterpret_cast<WarningText*>(lParam));
  if (warningShown_ || !text) return 1;
  warningShown_ = 1;
  DuiSystem& dui = *ctx_.dui;
  dui.ShowMessageBox(nullptr, *text, dui.LookupText("MessageBoxTitle"), MB_OK | MB_ICONWARNING);
  warningShown_ = 0;
  return 1;
}

void CDuiHandlerMain::SwitchLanguage(int languageId) {
  const int answer = Box("ChangeLanguageNotify", MB_YESNO | MB_ICONQUESTION, true);
  ctx_.settings.WriteInt("DuiLanguage", languageId);
  ShowStoredLanguage();
  if (answer != IDYES || !mainDialog_) return;
  CKorvaneApp& app = ctx_.app;
  const int previous = app.language;
  app.language = languageId;
  app.restart = 1;
  // When the save prompt keeps the window open, this interface stays as it
  // is; a later close must end the program, not rebuild it.
  if (!mainDialog_->EndDialog(DUI_RESULT_CLOSE)) {
    app.restart = 0;
    app.language = previous;
  }
}

// ---------------------------------------------------------------- title, status, views

void CDuiHandlerMain::UpdateTitle(const std::string& suffix) {
  DuiSystem& dui = *ctx_.dui;
  const std::string name = dui.LookupText("APP_NAME"), version = dui.LookupText("APP_VER");
  const std::string title = suffix.empty() ? StrFormat("%s V%s", name.c_str(), version.c_str())
                                           : StrFormat("%s V%s (%s)", name.c_str(), version.c_str(), suffix.c_str());
  if (!mainDialog_) return;
  if (CDuiControl* c = mainDialog_->FindControl("title")) c->SetText(title);
  mainDialog_->setWindowTitle(QString::fromStdString(title));
}

void CDuiHandlerMain::ShowProjectTitle() {
  const ChipDescription& desc = session_.description;
  std::string suffix;
  if (desc.HasTree()) {
    suffix = session_.newProjectUnsaved || desc.path.empty()
                 ? ctx_.dui->LookupText("NewProject")
                 : QFileInfo(QString::fromStdString(desc.path)).fileName().toStdString();
    if (desc.modified) suffix += "*";
  }
  UpdateTitle(suffix);
  // The whole path, for a look when the name alone does not say which file.
  if (CDuiControl* c = mainDialog_ ? mainDialog_->FindControl("title") : nullptr)
    c->SetAttribute("tooltip", desc.HasTree() ? desc.path : std::string());
}

void CDuiHandlerMain::SetStatusText(const std::string& text, uint32_t colour) {
  if (!statusText_) return;
  statusText_->SetText(text);
  // The runner's colours are 0x00BBGGRR; the control takes an opaque 0xFFRRGGBB.
  const uint32_t r = colour & 0xFF, g = (colour >> 8) & 0xFF, b = (colour >> 16) & 0xFF;
  statusText_->SetTextColor(0xFF000000u | (r << 16) | (g << 8) | b);
}

void CDuiHandlerMain::SetControlVisible(const std::string& name, bool visible) {
  if (!mainDialog_) return;
  if (CDuiControl* c = mainDialog_->FindControl(name)) c->SetVisible(visible);
}

void CDuiHandlerMain::ClearViews() {
  // The marks point at items that are about to go.
  session_.differingItems.clear();
  // The grid first: its rows point at the items the tree shows.
  if (propertyGrid_) propertyGrid_->ClearGrid();
  if (configTree_) configTree_->ClearTree();
  if (mainTab_ && mainTab_->GetTabPage() == MAIN_TAB_EDITOR) {
    SetControlVisible("navprowindow", true);
    if (propertyGrid_) {
      propertyGrid_->show();
      propertyGrid_->update();
    }
  }
}

void CDuiHandlerMain::AppendLog(const std::string& text, uint32_t colour, bool withTimestamp) {
  if (logPanel_) logPanel_->AppendLog(text, colour, withTimestamp);
}

void CDuiHandlerMain::Report(const std::string& text, uint32_t colour, bool toStatusBar, bool toLog, bool stamped) {
  auto show = [=, this] {
    if (toStatusBar) SetStatusText(text, colour);
    if (toLog) AppendLog(text, colour, stamped);
  };
  if (!mainDialog_ || QThread::currentThread() == mainDialog_->thread()) show();
  else QMetaObject::invokeMethod(mainDialog_, show, Qt::BlockingQueuedConnection);
}

void CDuiHandlerMain::PostWarning(const std::string& text) {
  if (!mainDialog_) return;
  mainDialog_->PostMessage(UM_SHOW_WARNING, 0, reinterpret_cast<LPARAM>(new WarningText(text)),
                           [](LPARAM l) { delete reinterpret_cast<WarningText*>(l); });
}

void CDuiHandlerMain::PollCodeFile() { session_.PollCodeFile(*this); }

CPropertyGridCtrl::DetailTexts CDuiHandlerMain::GridDetailTexts() const {
  DuiSystem& dui = *ctx_.dui;
  const bool chip = session_.differingTarget == TargetKind::Chip;
  return {dui.LookupText("GRID_NAME"), dui.LookupText("GRID_RANGE"), dui.LookupText("GRID_DEFAULT"),
          dui.LookupText(chip ? "GRID_CHIP_VALUE" : "GRID_TOOL_VALUE")};
}

void CDuiHandlerMain::ShowDifferences() {
  if (propertyGrid_) {
    propertyGrid_->SetDetailTexts(GridDetailTexts());  // the device compared with may have changed
    propertyGrid_->SetDifferingItems(&session_.differingItems);
  }
  if (configTree_) configTree_->MarkDiffering(session_.differingItems);
}

void CDuiHandlerMain::ClearDifferences() {
  session_.differingItems.clear();
  ShowDifferences();
}

void CDuiHandlerMain::RefreshChecksums(const std::string& codePath) { session_.RefreshChecksums(codePath, *this); }

bool CDuiHandlerMain::HasChecksumBar() const { return checksumBar_ != nullptr; }

void CDuiHandlerMain::SetChecksumBar(const std::string& text) {
  if (checksumBar_) checksumBar_->SetText(text);
}

void CDuiHandlerMain::ClearPcColumn() {
  if (checksumList_) checksumList_->ClearColumn(CChecksumListCtrl::kSoft);
}

void CDuiHandlerMain::SetPcCell(int row, const std::string& text) {
  if (checksumList_) checksumList_->SetCell(row, CChecksumListCtrl::kSoft, text);
}

// ---------------------------------------------------------------- log panel

void CDuiHandlerMain::RelayoutMainWindow() {
  if (!mainDialog_) return;
  // Qt layouts follow visibility at once; the resize there and back lets
  // views that size themselves by the window see the change too.
  const QSize size = mainDialog_->size();
  mainDialog_->resize(size.width() - 1, size.height() - 1);
  mainDialog_->resize(size);
}

int CDuiHandlerMain::ShowLogPanel() {
  SetLogPanelShown(true);
  return 0;
}

int CDuiHandlerMain::HideLogPanel() {
  SetLogPanelShown(false);
  return 0;
}

// The log panel's controls come and go together; the areas above it make
// room for it (their position texts end 260 pixels above the bottom) or take
// the room back.
void CDuiHandlerMain::SetLogPanelShown(bool shown) {
  for (const char* n : {"tabctrl.log.rect", "tabctrl.log.message", "btn-log-close", "btn-log-save", "btn-log-cls"})
    SetControlVisible(n, shown);
  SetControlVisible("btn-log-show", !shown);
  SetControlVisible("logwindow", shown);
  if (mainDialog_) {
    struct Position {
      const char* control;
      const char* withLog;
      const char* withoutLog;
    };
    const Position positions[] = {{"area-left-background", "0,85,2,-260", "0,85,2,-0"},
                                  {"area-right-background", "-2,85,-0,-260", "-2,85,-0,-0"},
                                  {"tabctrl.main", "2,80,-2,-260", "2,80,-2,-31"}};
    for (const Position& p : positions)
      if (CDuiControl* c = mainDialog_->FindControl(p.control)) c->SetPositionText(shown ? p.withLog : p.withoutLog);
  }
  RelayoutMainWindow();
}

int CDuiHandlerMain::ClearLog() {
  if (logPanel_) logPanel_->ClearLog();
  return 0;
}

int CDuiHandlerMain::SaveLog() {
  FileDialogRequest request;
  request.defaultExtension = "log";
  request.filter = "Log File(*.log)|*.log||";
  std::string path;
  if (!ctx_.dui->SaveFileName(request, path)) return 0;
  if (logPanel_ && !logPanel_->SaveLog(path)) ShowWriteError(path);
  return 0;
}

void CDuiHandlerMain::ShowWriteError(const std::string& path) {
  DuiSystem& dui = *ctx_.dui;
  dui.ShowMessageBox(mainDialog_, FormatText(dui.LookupText("WriteFileError"), path), dui.LookupText("MessageBoxTitle"),
                     MB_OK | MB_ICONERROR);
}

// ---------------------------------------------------------------- device sums

void CDuiHandlerMain::ShowDeviceSums(int kind, const std::array<uint32_t, kChecksumRows>& values) {
  const OperationInfo* op = OperationInfoOf(kind);
  if (!checksumList_ || !op || !op->Serves(OpDirection::ReadInfo)) return;
  const int column = op->ToChip() ? CChecksumListCtrl::kChip : CChecksumListCtrl::kTool;
  checksumList_->ClearColumn(column);
  for (int r = kRowConf; r <= kRowOption; ++r) checksumList_->SetCell(r, column, StrFormat("0x%08X", values[r]));
  for (int r = kRowConfSize; r <= kRowOptionSize; ++r)
    checksumList_->SetCell(r, column, StrFormat("%d Byte", static_cast<int>(values[r])));
}

}  // namespace korvane
