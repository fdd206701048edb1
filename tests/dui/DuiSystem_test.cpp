// The framework as the shell relies on it: templates, names, texts,
// notifications, delivery, closing, timers, messages and the channel between
// instances.
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstddef>
#include <cstring>
#include <memory>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QBuffer>
#include <QDateTimeEdit>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QComboBox>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPushButton>
#include <QTabWidget>
#include <QTextBrowser>
#include <QPointer>
#include <QTimer>

#include "support/GuiTestApp.h"
#include "core/text/TextFormat.h"
#include "dui/CDuiControl.h"
#include "dui/CDuiDialog.h"
#include "dui/CDuiDialogHandler.h"
#include "dui/CDuiHandler.h"
#include "dui/DuiInstanceChannel.h"
#include "dui/DuiSystem.h"
#include "dui/DuiUiLoader.h"

namespace korvane {
namespace {

using test::ArchivePath;
using test::GuiApp;
using test::PumpUntil;

struct Seen {
  int uID;
  std::string name;
  int msg;
  WPARAM wParam;
  LPARAM lParam;
};

class RecordingHandler : public CDuiHandler {
 public:
  explicit RecordingHandler(std::vector<Seen>* log, int consume = 0) : log_(log), consume_(consume) {}
  int OnDuiMessage(int uID, const std::string& name, int msg, WPARAM w, LPARAM l) override {
    log_->push_back({uID, name, msg, w, l});
    return consumeMsg_ == msg ? 1 : consume_;
  }
  int OnEndDialog(int result) override {
    endResults.push_back(result);
    return allowEnd;
  }
  void OnTimer(int id, const std::string& name) override { timers.emplace_back(id, name); }
  void OnInit() override { ++inits; }

  std::vector<int> endResults;
  std::vector<std::pair<int, std::string>> timers;
  int allowEnd = 1;
  int inits = 0;
  int consumeMsg_ = -1;

 private:
  std::vector<Seen>* log_;
  int consume_;
};

class DuiSystemTest : public ::testing::Test {
 protected:
  void SetUp() override {
    GuiApp();
    DuiOptions o;
    o.languageId = kLangEnglish;
    o.archivePath = ArchivePath();
    o.singleInstance = false;
    o.logDir = logDir.path().toStdString();
    o.modalHook = [this](CDuiDialog& d) { return hook ? hook(d) : 0; };
    system = std::make_unique<DuiSystem>(o);
    std::string error;
    ASSERT_EQ(system->Start(&error), DuiSystem::StartResult::Started) << error;
  }
  void TearDown() override { system.reset(); }

  QTemporaryDir logDir;
  std::unique_ptr<DuiSystem> system;
  std::function<int(CDuiDialog&)> hook;
};

TEST(DuiSystemStart, MissingArchiveIsAClearError) {
  GuiApp();
  DuiOptions o;
  o.archivePath = "/nonexistent/Korvane.ui";
  o.singleInstance = false;
  DuiSystem system(o);
  std::string error;
  EXPECT_EQ(system.Start(&error), DuiSystem::StartResult::ArchiveMissing);
  EXPECT_NE(error.find("/nonexistent/Korvane.ui"), std::string::npos);
}

TEST_F(DuiSystemTest, ControlsAreFoundByNamesWithDashesAndDots) {
  CDuiDialog* main = system->CreateDialogFromTemplate("dlg_main", nullptr, "dlg_main");
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(system->FindDialog("dlg_main"), main);
  // Every control the shell looks for.
  for (const char* name :
       {"new", "open", "saveas", "read", "config", "burnoption", "checksum", "fwdowload", "exporthex",
        "btn-log-show", "btn-log-close", "btn-log-cls", "btn-log-save", "btn-tool-checksum", "btn-chip-checksum",
        "btn-read-tool", "btn-read-chip", "btn-write-tool", "btn-write-chip", "btn-check-sum", "btn-export",
        "btn-import", "item_chinese", "item_english", "item_comsetting", "tabctrl.main", "navtreewindow",
        "navprowindow", "hexdatawindow", "checksumwindow", "txtStatusbar", "txtChecksumbar", "title",
        "tabctrl.log.rect", "tabctrl.log.message", "logwindow", "area-left-background", "area-right-background"})
    EXPECT_NE(main->FindControl(name), nullptr) << name;
  // The two views of the main tab sit on its first two pages.
  auto* tabs = static_cast<QTabWidget*>(main->FindControl("tabctrl.main")->Widget());
  EXPECT_TRUE(tabs->widget(0)->isAncestorOf(main->FindControl("navtreewindow")->Widget()));
  EXPECT_TRUE(tabs->widget(0)->isAncestorOf(main->FindControl("navprowindow")->Widget()));
  EXPECT_TRUE(tabs->widget(1)->isAncestorOf(main->FindControl("hexdatawindow")->Widget()));
  EXPECT_TRUE(tabs->widget(1)->isAncestorOf(main->FindControl("btn-import")->Widget()));
  EXPECT_EQ(main->FindControl("no-such.control"), nullptr);
  EXPECT_EQ(system->FindDialog("dlg_nothing"), nullptr);
  EXPECT_EQ(system->CreateDialogFromTemplate("dlg_nothing", nullptr, "x"), nullptr);
}

TEST_F(DuiSystemTest, BracketedKeysAreLookedUpWhenTheTemplateLoads) {
  CDuiDialog* box = system->CreateDialogFromTemplate("dlg_msgbox", nullptr, "dlg_msgbox");
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(box->FindControl("msgbox.title")->GetText(), system->LookupText("MessageBoxTitle"));
  EXPECT_FALSE(system->LookupText("MessageBoxTitle").empty());
  EXPECT_EQ(system->ReplaceKeys("[NO_SUCH_KEY] and [MessageBoxTitle]").toStdString(),
            "[NO_SUCH_KEY] and " + system->LookupText("MessageBoxTitle"));
}

TEST_F(DuiSystemTest, FactoriesMakeTheControlTypesQtDoesNotKnow) {
  system->RegisterFactory({"wkeview", [](const std::string&, QWidget* p) -> QWidget* { return new QTextBrowser(p); }, {}});
  system->RegisterFactory({"mfcdatetime", [](const std::string&, QWidget* p) -> QWidget* { return new QDateTimeEdit(p); }, {}});
  QByteArray ui = R"(<?xml version="1.0" encoding="UTF-8"?><ui version="4.0"><class>t</class>
    <widget class="QWidget" name="t"><layout class="QVBoxLayout" name="l">
    <item><widget class="wkeview" name="web.view"/></item>
    <item><widget class="mfcdatetime" name="date-picker"/></item>
    </layout></widget></ui>)";
  QBuffer buffer(&ui);
  buffer.open(QIODevice::ReadOnly);
  DuiUiLoader loader(*system);
  std::unique_ptr<QWidget> form(loader.load(&buffer));
  ASSERT_TRUE(form);
  EXPECT_NE(form->findChild<QTextBrowser*>("web.view"), nullptr);
  EXPECT_NE(form->findChild<QDateTimeEdit*>("date-picker"), nullptr);
}

TEST_F(DuiSystemTest, MessageBoxShowsTheButtonSetAndIconOfItsType) {
  std::string text, title, image;
  std::vector<std::string> shown;
  hook = [&](CDuiDialog& d) {
    EXPECT_EQ(d.Name(), "dlg_msgbox");
    text = d.FindControl("msgbox.text")->GetText();
    title = d.FindControl("msgbox.title")->GetText();
    image = d.FindControl("msgbox.icon")->GetAttribute("image");
    for (int n = 0; n <= 9; ++n)
      if (CDuiControl* c = d.FindControl("msgbox.type." + std::to_string(n)); c && c->IsVisible())
        shown.push_back(c->Name());
    // The framework's own buttons close through UM_END_DIALOG with their result.
    static_cast<QAbstractButton*>(d.FindControl("msgbox.type.4.no")->Widget())->click();
    PumpUntil([&] { return d.Finished(); });
    return d.Result();
  };
  EXPECT_EQ(system->ShowMessageBox(nullptr, "Switch now?", "Caption", MB_YESNO | MB_ICONQUESTION), IDNO);
  EXPECT_EQ(text, "Switch now?");
  EXPECT_EQ(title, "Caption");
  EXPECT_EQ(image, "skin:IDB_ICON_QUESTION");
  EXPECT_EQ(shown, std::vector<std::string>{"msgbox.type.4"});
  EXPECT_EQ(system->FindDialog("dlg_msgbox"), nullptr);  // gone once answered
}

TEST_F(DuiSystemTest, EachButtonSetAnswersWithItsResults) {
  const std::pair<unsigned, std::vector<std::pair<const char*, int>>> sets[] = {
      {MB_OK, {{"ok", IDOK}}},
      {MB_OKCANCEL, {{"ok", IDOK}, {"cancel", IDCANCEL}}},
      {2, {{"abort", 3}, {"retry", 4}, {"ignore", 5}}},
      {MB_YESNOCANCEL, {{"yes", IDYES}, {"no", IDNO}, {"cancel", IDCANCEL}}},
      {MB_YESNO, {{"yes", IDYES}, {"no", IDNO}}},
      {5, {{"retry", 4}, {"cancel", IDCANCEL}}},
      {6, {{"cancel", IDCANCEL}, {"tryagain", 10}, {"continue", 11}}},
  };
  for (const auto& [type, buttons] : sets)
    for (const auto& [button, result] : buttons) {
      const std::string name = "msgbox.type." + std::to_string(type) + "." + button;
      hook = [&](CDuiDialog& d) {
        CDuiControl* b = d.FindControl(name);
        EXPECT_NE(b, nullptr) << name;
        if (!b) return 0;
        EXPECT_TRUE(b->Widget()->isVisibleTo(&d)) << name;
        static_cast<QAbstractButton*>(b->Widget())->click();
        PumpUntil([&] { return d.Finished(); });
        return d.Result();
      };
      EXPECT_EQ(system->ShowMessageBox(nullptr, "x", "", type), result) << name;
    }
}

TEST_F(DuiSystemTest, MessageBoxIconsByType) {
  const std::pair<unsigned, const char*> cases[] = {{MB_ICONINFORMATION, "skin:IDB_ICON_INFO"},
                                                    {MB_ICONWARNING, "skin:IDB_ICON_WARN"},
                                                    {MB_ICONERROR, "skin:IDB_ICON_ERROR"},
                                                    {0, "skin:IDB_ICON_CHECK"}};
  for (const auto& [type, expected] : cases) {
    std::string image, empty;
    hook = [&](CDuiDialog& d) {
      image = d.FindControl("msgbox.icon")->GetAttribute("image");
      empty = d.FindControl("msgbox.title")->GetText();
      return IDOK;
    };
    system->ShowMessageBox(nullptr, "x", "", type);
    EXPECT_EQ(image, expected) << type;
    // An empty caption leaves the template's title.
    EXPECT_EQ(empty, system->LookupText("MessageBoxTitle"));
  }
}

TEST_F(DuiSystemTest, ButtonNotificationsGoToTheDialogsOwnHandler) {
  std::vector<Seen> mainSeen, boxSeen;
  CDuiDialog* main = system->CreateDialogFromTemplate("dlg_main", nullptr, "dlg_main");
  CDuiDialog* box = system->CreateDialogFromTemplate("dlg_msgbox", main, "dlg_msgbox");
  auto* first = new RecordingHandler(&mainSeen);
  auto* own = new RecordingHandler(&boxSeen, 1);
  system->AttachHandler(main, first, "", true);
  system->AttachHandler(box, own, "", true);
  EXPECT_EQ(first->inits, 1);
  static_cast<QAbstractButton*>(box->FindControl("msgbox.type.0.ok")->Widget())->click();
  ASSERT_EQ(boxSeen.size(), 2u);
  EXPECT_EQ(boxSeen[0].msg, DUI_MSG_PRESS);
  EXPECT_EQ(boxSeen[1].msg, DUI_MSG_CLICK);
  EXPECT_EQ(boxSeen[1].name, "msgbox.type.0.ok");
  EXPECT_GE(boxSeen[1].uID, DUI_FIRST_CONTROL_UID);
  EXPECT_TRUE(mainSeen.empty());
  // The click was consumed, so the button's own close did not happen.
  test::Pump();
  EXPECT_FALSE(box->Finished());
}

TEST_F(DuiSystemTest, ComboChangesAndPointerMovementAreNotified) {
  auto* form = new QWidget;
  auto* combo = new QComboBox(form);
  combo->setObjectName("combo.port");
  auto* button = new QPushButton("x", form);
  button->setObjectName("btn-any");
  CDuiDialog dialog(*system, "hand-made", "hand-made", form, nullptr);
  std::vector<Seen> seen;
  system->AttachHandler(&dialog, new RecordingHandler(&seen), "", false);
  dialog.FindControl("combo.port")->SetComboItems({"/dev/ttyUSB0", "/dev/ttyUSB1", "/dev/ttyACM0"});
  EXPECT_TRUE(seen.empty());  // filling is no choice of the user's
  combo->setCurrentIndex(2);
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].name, "combo.port");
  EXPECT_EQ(seen[0].msg, DUI_MSG_COMBO_CHANGE);
  EXPECT_EQ(seen[0].lParam, 2);
  EXPECT_EQ(dialog.FindControl("combo.port")->GetText(), "/dev/ttyACM0");
  QMouseEvent move(QEvent::MouseMove, QPointF(2, 2), QPointF(2, 2), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
  QCoreApplication::sendEvent(button, &move);
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[1].name, "btn-any");
  EXPECT_EQ(seen[1].msg, DUI_MSG_MOVE);
  system->ReleaseHandler(system->Handlers().front());
}

TEST_F(DuiSystemTest, WindowMessagesReachTheFirstHandlerFirst) {
  std::vector<Seen> mainSeen, boxSeen;
  CDuiDialog* main = system->CreateDialogFromTemplate("dlg_main", nullptr, "dlg_main");
  CDuiDialog* box = system->CreateDialogFromTemplate("dlg_msgbox", nullptr, "dlg_msgbox");
  auto* first = new RecordingHandler(&mainSeen);
  auto* own = new RecordingHandler(&boxSeen);
  first->consumeMsg_ = 3000;
  system->AttachHandler(main, first, "", false);
  system->AttachHandler(box, own, "", false);

  box->PostMessage(3000, 1, 2);  // consumed by the first handler
  box->PostMessage(3001, 0, 0);  // not one the dialog's own handler hears
  box->PostMessage(WM_DEVICECHANGE, 0x8000, 0);
  box->PostMessage(UM_END_DIALOG, 7, 0);
  PumpUntil([&] { return box->Finished(); });
  ASSERT_EQ(mainSeen.size(), 4u);
  EXPECT_EQ(mainSeen[0].uID, 0);
  EXPECT_EQ(mainSeen[0].name, "");
  EXPECT_EQ(mainSeen[0].msg, 3000);
  EXPECT_EQ(mainSeen[0].wParam, 1u);
  EXPECT_EQ(mainSeen[0].lParam, 2);
  ASSERT_EQ(boxSeen.size(), 2u);
  EXPECT_EQ(boxSeen[0].msg, WM_DEVICECHANGE);
  EXPECT_EQ(boxSeen[1].msg, UM_END_DIALOG);
  EXPECT_TRUE(box->Finished());
  EXPECT_EQ(box->Result(), 7);
}

TEST_F(DuiSystemTest, ClosingAsksTheHandler) {
  std::vector<Seen> seen;
  CDuiDialog* box = system->CreateDialogFromTemplate("dlg_msgbox", nullptr, "dlg_msgbox");
  auto* handler = new RecordingHandler(&seen);
  system->AttachHandler(box, handler, "", false);
  box->show();
  handler->allowEnd = 0;
  box->close();  // the window's close button asks with Cancel
  test::Pump();
  EXPECT_EQ(handler->endResults, std::vector<int>{2});
  EXPECT_FALSE(box->Finished());
  handler->allowEnd = 1;
  EXPECT_TRUE(box->EndDialog(6));
  PumpUntil([&] { return box->Finished(); });
  EXPECT_EQ(box->Result(), 6);
}

TEST_F(DuiSystemTest, EscapeClosesADialogButNotTheMainWindow) {
  std::vector<Seen> seen;
  CDuiDialog* main = system->CreateDialogFromTemplate("dlg_main", nullptr, "dlg_main");
  CDuiDialog* box = system->CreateDialogFromTemplate("dlg_msgbox", nullptr, "dlg_msgbox");
  auto* mainHandler = new RecordingHandler(&seen);
  auto* boxHandler = new RecordingHandler(&seen);
  system->AttachHandler(main, mainHandler, "", false);
  system->AttachHandler(box, boxHandler, "", false);
  QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
  QCoreApplication::sendEvent(main, &escape);
  QCoreApplication::sendEvent(box, &escape);
  EXPECT_TRUE(mainHandler->endResults.empty());
  EXPECT_EQ(boxHandler->endResults, std::vector<int>{2});
}

TEST_F(DuiSystemTest, AHandlerAttachedToAMissingControlIsKeptButNotInitialised) {
  std::vector<Seen> seen;
  CDuiDialog* box = system->CreateDialogFromTemplate("dlg_msgbox", nullptr, "dlg_msgbox");
  auto* handler = new RecordingHandler(&seen);
  system->AttachHandler(box, handler, "no-such-control", true);
  EXPECT_EQ(handler->inits, 0);
  EXPECT_EQ(handler->AttachedDialog(), nullptr);
  EXPECT_EQ(system->Handlers().size(), 1u);
  system->ReleaseHandler(handler);
  EXPECT_TRUE(system->Handlers().empty());
}

TEST_F(DuiSystemTest, TimersCallTheHandlerWithTheirName) {
  std::vector<Seen> seen;
  CDuiDialog* box = system->CreateDialogFromTemplate("dlg_msgbox", nullptr, "dlg_msgbox");
  auto* handler = new RecordingHandler(&seen);
  system->AttachHandler(box, handler, "", false);
  const int id = box->StartTimer(5, "poll");
  ASSERT_TRUE(PumpUntil([&] { return handler->timers.size() >= 2; }));
  EXPECT_EQ(handler->timers[0], std::make_pair(id, std::string("poll")));
  box->KillTimer(id);
}

TEST_F(DuiSystemTest, APostedPayloadThatNeverArrivesIsReleased) {
  CDuiDialog* box = system->CreateDialogFromTemplate("dlg_msgbox", nullptr, "dlg_msgbox");
  auto* payload = new std::string("warning");
  bool released = false;
  box->PostMessage(3028, 0, reinterpret_cast<LPARAM>(payload), [&](LPARAM l) {
    delete reinterpret_cast<std::string*>(l);
    released = true;
  });
  system->DestroyDialog(box);
  EXPECT_TRUE(released);
}

TEST_F(DuiSystemTest, SendFromAnotherThreadWaitsForTheWindowThread) {
  std::vector<Seen> seen;
  CDuiDialog* main = system->CreateDialogFromTemplate("dlg_main", nullptr, "dlg_main");
  auto* handler = new RecordingHandler(&seen, 42);
  system->AttachHandler(main, handler, "", false);
  std::atomic<LPARAM> answer{0};
  std::atomic<bool> done{false};
  std::thread worker([&] {
    answer = main->SendMessage(1030, 23, 0);
    done = true;
  });
  PumpUntil([&] { return done.load(); });
  worker.join();
  EXPECT_EQ(answer.load(), 42);
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].msg, 1030);
  EXPECT_EQ(main->SendMessage(5, 0, 0), 42);  // on the window thread: at once
}

TEST_F(DuiSystemTest, LoadXmlFileByNameFromTheArchiveOrByPath) {
  pugi::xml_document doc;
  EXPECT_TRUE(system->LoadXmlFile(doc, "resource.xml"));
  EXPECT_STREQ(doc.child("resource").child("log").attribute("logfile").value(), "korvane.log");
  EXPECT_FALSE(system->LoadXmlFile(doc, "nothing.xml"));
  EXPECT_FALSE(system->LoadXmlFile(doc, "/nonexistent/file.xml"));
  const QString path = logDir.filePath("plain.xml");
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write("<a b=\"1\"/>");
  f.close();
  EXPECT_TRUE(system->LoadXmlFile(doc, path.toStdString()));
  EXPECT_STREQ(doc.child("a").attribute("b").value(), "1");
}

TEST_F(DuiSystemTest, TheLogFileFollowsTheSkinConfiguration) {
  QFile log(logDir.filePath("korvane.log"));
  ASSERT_TRUE(log.open(QIODevice::ReadOnly));
  const QByteArray text = log.readAll();
  EXPECT_TRUE(text.contains("Start-------------------")) << text.constData();
  EXPECT_TRUE(text.contains("DuiSystem::LoadXmlFile") == false);
  pugi::xml_document doc;
  system->LoadXmlFile(doc, "nothing.xml");
  log.seek(0);
  EXPECT_TRUE(log.readAll().contains("DuiSystem::LoadXmlFile nothing.xml failed, not found xml in zip file"));
}

TEST_F(DuiSystemTest, ControlFacade) {
  CDuiDialog* main = system->CreateDialogFromTemplate("dlg_main", nullptr, "dlg_main");
  CDuiControl* status = main->FindControl("txtStatusbar");
  status->SetText("ready");
  EXPECT_EQ(status->GetText(), "ready");
  status->SetTextColor(0xFF102030);
  EXPECT_EQ(status->Widget()->palette().color(QPalette::WindowText), QColor(0x10, 0x20, 0x30));
  status->SetVisible(false);
  EXPECT_FALSE(status->IsVisible());
  status->SetPositionText("0,85,2,-260");
  EXPECT_EQ(status->PositionText(), "0,85,2,-260");
  CDuiControl* tab = main->FindControl("tabctrl.main");
  tab->SetTabPage(1);
  EXPECT_EQ(tab->GetTabPage(), 1);
  auto* hosted = new QLabel("hosted");
  EXPECT_TRUE(main->FindControl("navprowindow")->HostWidget(hosted));
  EXPECT_EQ(hosted->parentWidget(), main->FindControl("navprowindow")->Widget());
  CDuiControl* action = main->FindControl("item_english");
  ASSERT_NE(action->Action(), nullptr);
  action->SetCheck(true);  // not checkable: stays unticked
  EXPECT_FALSE(action->GetCheck());
}

// A one-command dialog as the selection dialogs build theirs.
class AskDialog : public CDuiDialogHandler {
 public:
  using CDuiDialogHandler::CDuiDialogHandler;
  int Show() override { return RunDialog("dlg_msgbox", nullptr) == IDOK ? 1 : 2; }
  void OnInit() override { FindControl("msgbox.text")->SetText("initialised"); }
  int OnDuiMessage(int, const std::string& name, int msg, WPARAM, LPARAM) override {
    if (name == "msgbox.type.1.ok" && msg == DUI_MSG_CLICK) {
      CloseDialog(IDOK);
      return 1;
    }
    return 0;
  }
};

TEST_F(DuiSystemTest, ADialogHandlerRunsItsTemplateAndIsReleasedByTheFramework) {
  std::string seenText;
  hook = [&](CDuiDialog& d) {
    seenText = d.FindControl("msgbox.text")->GetText();
    static_cast<QAbstractButton*>(d.FindControl("msgbox.type.1.ok")->Widget())->click();
    PumpUntil([&] { return d.Finished(); });
    return d.Result();
  };
  auto* ask = new AskDialog(*system);
  EXPECT_EQ(ask->Show(), 1);
  EXPECT_EQ(seenText, "initialised");
  system->ReleaseHandler(ask);
  EXPECT_TRUE(system->Handlers().empty());
}

// A started framework whose message boxes run their real modal loops.
class DuiModalRun : public ::testing::Test {
 protected:
  void SetUp() override {
    GuiApp();
    DuiOptions o;
    o.archivePath = ArchivePath();
    o.singleInstance = false;
    o.logDir = dir.path().toStdString();
    started = std::make_unique<DuiSystem>(o);
    ASSERT_EQ(started->Start(nullptr), DuiSystem::StartResult::Started);
  }

  QTemporaryDir dir;
  std::unique_ptr<DuiSystem> started;
};

TEST_F(DuiModalRun, AMessageBoxRunsItsOwnLoopUntilAButtonAnswers) {
  DuiSystem& system = *started;
  // The user: once the box shows, press Enter (the default button, Yes).
  QTimer::singleShot(50, [&] {
    CDuiDialog* box = system.FindDialog("dlg_msgbox");
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->isVisible());
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QCoreApplication::sendEvent(box, &enter);
  });
  EXPECT_EQ(system.ShowMessageBox(nullptr, "Save?", "", MB_YESNOCANCEL | MB_ICONQUESTION), IDYES);
  QTimer::singleShot(50, [&] { system.FindDialog("dlg_msgbox")->close(); });
  EXPECT_EQ(system.ShowMessageBox(nullptr, "Save?", "", MB_YESNOCANCEL | MB_ICONQUESTION), IDCANCEL);
}

// A warning posted while the save prompt is up opens a second box over it:
// neither closes the other, and each returns the button its user pressed.
// The user answers each box only while it shows.
TEST_F(DuiModalRun, ABoxOpenedOverAnotherLeavesItOpen) {
  DuiSystem& system = *started;
  auto textOf = [](CDuiDialog* box) { return box ? box->FindControl("msgbox.text")->GetText() : std::string(); };
  auto click = [](CDuiDialog* box, const std::string& button) {
    auto* b = qobject_cast<QPushButton*>(box->FindControl(button)->Widget());
    ASSERT_NE(b, nullptr) << button;
    ASSERT_TRUE(b->isVisible()) << button;
    b->click();
  };
  int warning = -1;
  QPointer<CDuiDialog> prompt;
  QTimer::singleShot(50, [&] {
    prompt = system.FindDialog("dlg_msgbox");
    ASSERT_EQ(textOf(prompt), "Save?");
    ASSERT_TRUE(prompt->isVisible());
    QTimer::singleShot(50, [&] {
      CDuiDialog* box = system.FindDialog("dlg_msgbox");
      ASSERT_EQ(textOf(box), "Out of range") << "the later box is the one found";
      ASSERT_TRUE(box->isVisible());
      EXPECT_TRUE(prompt && prompt->isVisible()) << "the prompt stays up under the warning";
      click(box, "msgbox.type.0.ok");
    });
    warning = system.ShowMessageBox(nullptr, "Out of range", "", MB_OK | MB_ICONWARNING);
    QTimer::singleShot(50, [&] {
      ASSERT_TRUE(prompt && prompt->isVisible() && !prompt->Finished()) << "the prompt outlived the warning";
      EXPECT_EQ(system.FindDialog("dlg_msgbox"), prompt.data());
      click(prompt, "msgbox.type.3.no");
    });
  });
  EXPECT_EQ(system.ShowMessageBox(nullptr, "Save?", "", MB_YESNOCANCEL | MB_ICONQUESTION), IDNO);
  EXPECT_EQ(warning, IDOK);
  EXPECT_EQ(system.FindDialog("dlg_msgbox"), nullptr);
}

TEST(DuiFileFilter, WindowsFiltersBecomeQtFilters) {
  const std::pair<const char*, const char*> cases[] = {
      {"Bin File(*.bin)|*.bin||", "Bin File(*.bin)"},
      {"Log File(*.log)|*.log||", "Log File(*.log)"},
      {"Images|*.png;*.jpg|All|*.*||", "Images (*.png *.jpg);;All (*.*)"},
      // An empty field ends the list: nothing after "||" becomes an entry.
      {"XML File(*.xml)|*.xml||All File(*.*)|*.*||", "XML File(*.xml)"},
      {"Images|*.png|All|", "Images (*.png)"},
      {"", ""},
  };
  for (const auto& [windows, qt] : cases) EXPECT_EQ(QtFileFilter(windows).toStdString(), qt) << windows;
}

// A save dialog that picked an existing file replaces it only when the user
// agrees; otherwise the dialog comes back with that name in it.
TEST(DuiSaveDialog, AnExistingFileIsReplacedOnlyWhenTheUserAgrees) {
  QTemporaryDir dir;
  const std::string existing = dir.filePath("there.xml").toStdString();
  const std::string fresh = dir.filePath("new.xml").toStdString();
  { QFile f(QString::fromStdString(existing)); ASSERT_TRUE(f.open(QIODevice::WriteOnly)); }
  struct Case {
    const char* what;
    bool overwritePrompt;
    std::vector<std::string> picks;  // what the dialog returns each time; "" cancels
    std::vector<bool> answers;       // the replies to the question, in order
    bool chosen;
    std::string path;
    std::vector<std::string> namesShown;  // the dialog's name field each time
    size_t asked;
  };
  const Case cases[] = {
      {"a new name", true, {fresh}, {}, true, fresh, {"start.xml"}, 0},
      {"an existing name, replaced", true, {existing}, {true}, true, existing, {"start.xml"}, 1},
      {"an existing name refused, then a new one", true, {existing, fresh}, {false}, true, fresh,
       {"start.xml", existing}, 1},
      {"refused, then cancelled", true, {existing, ""}, {false}, false, "", {"start.xml", existing}, 1},
      {"cancelled", true, {""}, {}, false, "", {"start.xml"}, 0},
      {"no question asked for", false, {existing}, {}, true, existing, {"start.xml"}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FileDialogRequest request;
    request.initialName = "start.xml";
    request.overwritePrompt = c.overwritePrompt;
    size_t run = 0, asked = 0;
    std::vector<std::string> namesShown;
    std::string path = "unset";
    const bool chosen = ChooseSavePath(
        request,
        [&](const FileDialogRequest& r, std::string* p) {
          namesShown.push_back(r.initialName);
          if (run >= c.picks.size() || c.picks[run].empty()) return false;
          *p = c.picks[run++];
          return true;
        },
        [&](const std::string& p) {
          EXPECT_EQ(p, existing);
          return asked < c.answers.size() && c.answers[asked++];
        },
        &path);
    EXPECT_EQ(chosen, c.chosen);
    if (c.chosen) {
      EXPECT_EQ(path, c.path);
    }
    EXPECT_EQ(namesShown, c.namesShown);
    EXPECT_EQ(asked, c.asked);
  }
}

// The question names the file in the program's language and offers Yes
// first, so that Enter replaces the file the user has just chosen.
TEST_F(DuiSystemTest, TheReplaceQuestionNamesTheFileAndOffersYesFirst) {
  std::string text;
  bool yesIsDefault = false;
  hook = [&](CDuiDialog& d) {
    text = d.FindControl("msgbox.text")->GetText();
    EXPECT_TRUE(d.FindControl("msgbox.type.4")->IsVisible());
    yesIsDefault = static_cast<QPushButton*>(d.FindControl("msgbox.type.4.yes")->Widget())->isDefault();
    return IDNO;
  };
  EXPECT_FALSE(system->AskToReplace("/tmp/p/a.xml"));
  EXPECT_EQ(text, FormatText(system->LookupText("FILE_EXIST_MESSAGE"), "/tmp/p/a.xml"));
  EXPECT_TRUE(yesIsDefault);
  hook = [](CDuiDialog&) { return IDYES; };
  EXPECT_TRUE(system->AskToReplace("/tmp/p/a.xml"));
}

TEST(DuiInstanceChannel, ASecondStartBringsTheFirstToTheFront) {
  GuiApp();
  QTemporaryDir dir;
  DuiOptions o;
  o.archivePath = ArchivePath();
  o.instanceKey = dir.path().toStdString();  // a channel of this test's own
  o.logDir = dir.path().toStdString();
  DuiSystem first(o);
  ASSERT_EQ(first.Start(nullptr), DuiSystem::StartResult::Started);
  std::vector<Seen> seen;
  std::string text = "unset";
  struct Catcher : RecordingHandler {
    using RecordingHandler::RecordingHandler;
    std::string* text;
    int OnDuiMessage(int uID, const std::string& name, int msg, WPARAM w, LPARAM l) override {
      if (uID == DUI_UID_INSTANCE_COMMAND) *text = reinterpret_cast<const DuiCommandRecord*>(l)->text;
      return RecordingHandler::OnDuiMessage(uID, name, msg, w, l);
    }
  };
  auto* handler = new Catcher(&seen);
  handler->text = &text;
  first.AttachHandler(nullptr, handler, "", false);
  {
    DuiSystem second(o);
    EXPECT_EQ(second.Start(nullptr), DuiSystem::StartResult::OtherInstance);
  }
  ASSERT_TRUE(PumpUntil([&] { return !seen.empty(); }));
  EXPECT_EQ(seen[0].uID, DUI_UID_INSTANCE_COMMAND);
  EXPECT_EQ(text, "");
}

// Another account can neither connect to the channel's socket nor pass for
// the same user at the other end of a connection.
TEST(DuiInstanceChannel, OnlyTheSameUserGetsThrough) {
  GuiApp();
  QTemporaryDir dir;
  DuiInstanceChannel channel((dir.path() + "/channel").toStdString());
  ASSERT_TRUE(channel.Listen([](const DuiCommandRecord&) {}));
  struct stat st {};
  ASSERT_EQ(::stat(channel.SocketPath().c_str(), &st), 0) << channel.SocketPath();
  EXPECT_TRUE(S_ISSOCK(st.st_mode));
  EXPECT_EQ(st.st_mode & 077, 0u) << "group or others may connect";
  EXPECT_EQ(st.st_uid, ::geteuid());

  int pair[2];
  ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, pair), 0);
  EXPECT_TRUE(PeerIsThisUser(pair[0]));
  ::close(pair[0]);
  ::close(pair[1]);
  EXPECT_FALSE(PeerIsThisUser(-1));

  if (::geteuid() != 0) GTEST_SKIP() << "a peer of another account needs root to set up";
  // A child that gives up root listens on an abstract socket; the peer we
  // reach there is of another account.
  const std::string name = "korvane-peer-test-" + std::to_string(::getpid());
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::memcpy(address.sun_path + 1, name.data(), name.size());
  const socklen_t addressLength = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + name.size());
  int ready[2];
  ASSERT_EQ(::pipe(ready), 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    const int s = ::socket(AF_UNIX, SOCK_STREAM, 0);
    const bool ok = ::setgid(65534) == 0 && ::setuid(65534) == 0 && s >= 0 &&
                    ::bind(s, reinterpret_cast<const sockaddr*>(&address), addressLength) == 0 && ::listen(s, 1) == 0;
    const char byte = ok ? 1 : 0;
    (void)!::write(ready[1], &byte, 1);
    if (ok) {
      const int c = ::accept(s, nullptr, nullptr);
      char sink;
      (void)!::read(c, &sink, 1);  // until the parent hangs up
    }
    ::_exit(0);
  }
  ::close(ready[1]);
  char byte = 0;
  const bool listening = ::read(ready[0], &byte, 1) == 1 && byte == 1;
  ::close(ready[0]);
  const int s = ::socket(AF_UNIX, SOCK_STREAM, 0);
  const bool connected = listening && ::connect(s, reinterpret_cast<const sockaddr*>(&address), addressLength) == 0;
  const bool same = connected && PeerIsThisUser(s);
  ::close(s);
  if (!connected) ::kill(child, SIGKILL);
  int status = 0;
  ::waitpid(child, &status, 0);
  ASSERT_TRUE(connected);
  EXPECT_FALSE(same);
}

}  // namespace
}  // namespace korvane
