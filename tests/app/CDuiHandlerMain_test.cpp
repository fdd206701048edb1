// The main window's dispatcher, its window messages and its views.
#include <array>
#include <atomic>
#include <thread>

#include <QAbstractButton>
#include <QFile>
#include <QSettings>

#include "AppFixture.h"
#include "link/IniFile.h"
#include "app/AppContext.h"
#include "app/AppMessages.h"
#include "app/CChecksumListCtrl.h"
#include "app/CRichEditExt.h"
#include "core/text/TextFormat.h"

namespace korvane {
namespace {

using test::AppFixture;

class MainHandlerTest : public AppFixture {
 protected:
  CDuiHandlerMain* main_ = nullptr;
};

TEST_F(MainHandlerTest, CommandsRunOnTheClickOnly) {
  Run({[&](CDuiHandlerMain& main, CDuiDialog&) {
    Click(main, "fwdowload", DUI_MSG_PRESS);
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(Click(main, "fwdowload"), 0);  // shown, not consumed
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, Text("ERROR_1008"));
    EXPECT_EQ(boxes[0].title, Text("MessageBoxTitle"));
  }});
}

TEST_F(MainHandlerTest, AToolbarActionReachesTheDispatcherAsAClick) {
  Run({[&](CDuiHandlerMain&, CDuiDialog& d) {
    d.FindControl("fwdowload")->Action()->trigger();
    EXPECT_EQ(boxes.size(), 1u);
  }});
}

TEST_F(MainHandlerTest, ChineseWhileChineseIsConsumedAndShowsNothing) {
  Run({[&](CDuiHandlerMain& main, CDuiDialog& d) {
    EXPECT_NE(Click(main, "item_chinese"), 0);
    test::Pump();
    EXPECT_TRUE(boxes.empty());
    EXPECT_FALSE(d.Finished());
  }});
  QSettings s(QString::fromStdString(SettingsFilePath()), QSettings::IniFormat);
  EXPECT_FALSE(s.contains("DuiLanguage/Value"));
}

TEST_F(MainHandlerTest, ASecondWarningWhileOneIsOpenIsDropped) {
  int posted = 0;
  answer = [&](const std::string& text) {
    if (text == "first" && posted++ == 0) {
      // Another row warns while the first box is still open.
      main_->MainDialog()->PostMessage(UM_SHOW_WARNING, 0, reinterpret_cast<LPARAM>(new WarningText("second")));
      test::Pump();
    }
    return IDOK;
  };
  Run({[&](CDuiHandlerMain& main, CDuiDialog& d) {
    main_ = &main;
    d.PostMessage(UM_SHOW_WARNING, 0, reinterpret_cast<LPARAM>(new WarningText("first")));
    test::Pump();
    EXPECT_EQ(main.WarningShown(), 0);
    d.PostMessage(UM_SHOW_WARNING, 0, reinterpret_cast<LPARAM>(new WarningText("third")));
    test::Pump();
  }});
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].text, "first");
  EXPECT_EQ(boxes[1].text, "third");
}

// A later start asks for the window (an empty text) or hands over a file to
// open (its path): either way the window comes up, and the file opens as
// "open" would, here with the loader's error for a file that is not there.
TEST_F(MainHandlerTest, AnInstanceCommandBringsTheWindowUpAndOpensTheFileItNames) {
  Run({[&](CDuiHandlerMain& main, CDuiDialog& d) {
    d.hide();
    DuiCommandRecord record;
    EXPECT_NE(main.OnDuiMessage(DUI_UID_INSTANCE_COMMAND, "", 0, 0, reinterpret_cast<LPARAM>(&record)), 0);
    EXPECT_TRUE(d.isVisible());
    EXPECT_TRUE(boxes.empty());
    d.hide();
    record.text = logDir.filePath("handed-over.xml").toStdString();
    EXPECT_NE(main.OnDuiMessage(DUI_UID_INSTANCE_COMMAND, "", 0, 0, reinterpret_cast<LPARAM>(&record)), 0);
    EXPECT_TRUE(d.isVisible());
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, FormatText(Text("ReadFileError"), record.text));
  }});
}

TEST_F(MainHandlerTest, EnglishAndPortSettingsArePostedNotConsumed) {
  std::vector<std::string> opened;
  onDialog = [&](CDuiDialog& d) {
    opened.push_back(d.Name());
    return 2;
  };
  Run({[&](CDuiHandlerMain& main, CDuiDialog&) {
    EXPECT_EQ(Click(main, "item_comsetting"), 0);
    EXPECT_EQ(Click(main, "item_english"), 0);
    EXPECT_EQ(Click(main, "btn-log-cls"), 0);
    EXPECT_EQ(main.OnDuiMessage(0, "unknown-name", DUI_MSG_CLICK, 0, 0), 0);
    EXPECT_TRUE(opened.empty());
    test::Pump();
    EXPECT_EQ(opened, std::vector<std::string>{"dlg_select_com"});
  }});
}

TEST_F(MainHandlerTest, StatusTextColourAndTitle) {
  Run({[&](CDuiHandlerMain& main, CDuiDialog& d) {
    main.SetStatusText("busy", 0x00C80000);  // dark blue as 0x00BBGGRR
    CDuiControl* status = d.FindControl("txtStatusbar");
    EXPECT_EQ(status->GetText(), "busy");
    EXPECT_EQ(status->TextColor(), 0xFF0000C8u);
    main.SetStatusText("fail", 0x000000FF);  // red
    EXPECT_EQ(status->TextColor(), 0xFFFF0000u);
    main.UpdateTitle("/tmp/a.xml");
    EXPECT_EQ(d.FindControl("title")->GetText(),
              Text("APP_NAME") + " V" + Text("APP_VER") + " (/tmp/a.xml)");
    main.SetControlVisible("no-such-control", false);  // nothing happens
    main.SetControlVisible("txtChecksumbar", false);
    EXPECT_FALSE(d.FindControl("txtChecksumbar")->IsVisible());
  }});
}

TEST_F(MainHandlerTest, TheStartBuildsTheViewsAndThePollTimer) {
  Run({[&](CDuiHandlerMain& main, CDuiDialog& d) {
    EXPECT_NE(main.LogPanel(), nullptr);
    EXPECT_NE(main.ConfigTree(), nullptr);
    EXPECT_NE(main.PropertyGridHost(), nullptr);
    EXPECT_NE(main.HexWindow(), nullptr);
    EXPECT_EQ(d.FindControl("tabctrl.main")->GetTabPage(), 0);
    EXPECT_GT(main.PollTimer(), 0);
    EXPECT_EQ(main.Session().readBackImage.size(), 0x10000u);
    CChecksumListCtrl* list = main.ChecksumList();
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->columnCount(), 4);
    EXPECT_EQ(list->horizontalHeaderItem(0)->text().toStdString(), Text("Name"));
    EXPECT_EQ(list->horizontalHeaderItem(3)->text().toStdString(), Text("ChipName"));
    ASSERT_EQ(list->rowCount(), 6);
    EXPECT_EQ(list->Cell(0, 0), Text("CONF_CHECKSUM"));
    EXPECT_EQ(list->Cell(5, 0), Text("OPTION_SIZE"));
    EXPECT_EQ(main.LogFont().pointSize(), 9);
    main.ShowDeviceSums(23, {0x1234ABCD, 2, 3, 512, 1024, 16});
    EXPECT_EQ(list->Cell(0, CChecksumListCtrl::kTool), "0x1234ABCD");
    EXPECT_EQ(list->Cell(3, CChecksumListCtrl::kTool), "512 Byte");
    EXPECT_EQ(list->Cell(0, CChecksumListCtrl::kChip), "");
  }});
}

// The Checksums page marks each programmer's or chip's value that differs
// from the PC's in the failure colour, and follows a PC side that changes.
TEST_F(MainHandlerTest, TheChecksumPageMarksEachValueThatDiffersFromThePcs) {
  Run({[&](CDuiHandlerMain& main, CDuiDialog&) {
    CChecksumListCtrl* list = main.ChecksumList();
    ASSERT_NE(list, nullptr);
    main.ShowDeviceSums(23, {1, 2, 3, 512, 1024, 16});
    for (int r = 0; r < CChecksumListCtrl::kRows; ++r)
      EXPECT_FALSE(list->ShownDiffering(r, CChecksumListCtrl::kTool)) << "no PC value to differ from, row " << r;

    ASSERT_TRUE(main.Description().NewDescription("KV5210", "ADP_65W", main.ConfigTree()));
    main.Description().checksumDirty = 1;
    main.PollCodeFile();
    std::array<uint32_t, kChecksumRows> pc{};
    for (int r = 0; r < CChecksumListCtrl::kRows; ++r) {
      const std::string cell = list->Cell(r, CChecksumListCtrl::kSoft);
      ASSERT_FALSE(cell.empty()) << r;
      pc[r] = static_cast<uint32_t>(std::stoul(cell, nullptr, r < 3 ? 16 : 10));
    }
    std::array<uint32_t, kChecksumRows> tool = pc;
    tool[kRowCode] ^= 1;
    tool[kRowOptionSize] += 16;
    main.ShowDeviceSums(23, tool);
    main.ShowDeviceSums(24, pc);
    for (int r = 0; r < CChecksumListCtrl::kRows; ++r) {
      const bool differs = r == kRowCode || r == kRowOptionSize;
      EXPECT_EQ(list->ShownDiffering(r, CChecksumListCtrl::kTool), differs) << r;
      EXPECT_EQ(list->item(r, CChecksumListCtrl::kTool)->foreground().color(),
                differs ? QColor(Qt::red) : list->item(r, CChecksumListCtrl::kSoft)->foreground().color())
          << r;
      EXPECT_FALSE(list->ShownDiffering(r, CChecksumListCtrl::kChip)) << r;
      EXPECT_FALSE(list->ShownDiffering(r, CChecksumListCtrl::kSoft)) << r;
    }
    // The PC's side changes (a recomputation): the marks follow it.
    main.SetPcCell(kRowConf, "0x00000000");
    EXPECT_TRUE(list->ShownDiffering(kRowConf, CChecksumListCtrl::kTool));
    EXPECT_TRUE(list->ShownDiffering(kRowConf, CChecksumListCtrl::kChip));
    main.ClearPcColumn();
    EXPECT_FALSE(list->ShownDiffering(kRowCode, CChecksumListCtrl::kTool));
  }});
}

TEST_F(MainHandlerTest, TheTimerPostsTheChecksumPollToTheMainWindow) {
  auto polls = [this] {
    QFile log(logDir.filePath("korvane.log"));
    if (!log.open(QIODevice::ReadOnly)) return 0;
    return static_cast<int>(log.readAll().count("CDuiHandlerMain::OnDuiMessage:uID=0, name=, msg=3027,"));
  };
  Run({[&](CDuiHandlerMain& main, CDuiDialog&) {
    const int before = polls();
    main.OnTimer(main.PollTimer(), "");
    main.OnTimer(main.PollTimer() + 1, "other");  // not the poll timer: ignored
    test::Pump();
    EXPECT_EQ(polls(), before + 1);
  }});
}

TEST_F(MainHandlerTest, ThePollFillsTheChecksumBarAndThePcColumn) {
  Run({[&](CDuiHandlerMain& main, CDuiDialog& d) {
    CDuiControl* bar = d.FindControl("txtChecksumbar");
    bar->SetText("before");
    main.PollCodeFile();  // nothing loaded, nothing changed: the bar keeps its text
    EXPECT_EQ(bar->GetText(), "before");
    ASSERT_TRUE(main.Description().NewDescription("KV5210", "ADP_65W", main.ConfigTree()));
    main.Description().checksumDirty = 1;
    d.PostMessage(UM_CHECKSUM_POLL, 0, 0);
    test::Pump();
    const std::string text = bar->GetText();
    EXPECT_EQ(text.rfind(Text("CONF_CHECKSUM") + ": 0x", 0), 0u) << text;
    EXPECT_NE(text.find("   " + Text("CODE_CHECKSUM") + ": 0x"), std::string::npos) << text;
    EXPECT_EQ(main.ChecksumList()->Cell(0, CChecksumListCtrl::kSoft).rfind("0x", 0), 0u);
    EXPECT_EQ(main.ChecksumList()->Cell(3, CChecksumListCtrl::kSoft), "1024 Byte");
    EXPECT_EQ(main.Description().checksumDirty, 0);
  }});
}

TEST_F(MainHandlerTest, EveryNotificationButPointerMovementIsTraced) {
  Run({[&](CDuiHandlerMain& main, CDuiDialog&) {
    main.OnDuiMessage(1234, "btn-log-cls", DUI_MSG_MOVE, 0, 0);
    main.OnDuiMessage(1234, "btn-log-cls", DUI_MSG_PRESS, 5, 6);
  }});
  QFile log(logDir.filePath("korvane.log"));
  ASSERT_TRUE(log.open(QIODevice::ReadOnly));
  const QByteArray text = log.readAll();
  EXPECT_TRUE(text.contains("DEBUG "));
  EXPECT_TRUE(text.contains("CDuiHandlerMain::OnDuiMessage:uID=1234, name=btn-log-cls, msg=1, wParam=5, lParam=6\n"));
  EXPECT_FALSE(text.contains("name=btn-log-cls, msg=7"));
}

TEST_F(MainHandlerTest, BackgroundSettingsOfTheSkinWindow) {
  Run({[&](CDuiHandlerMain& main, CDuiDialog&) {
    int type = 0, res = -1, colour = 0;
    std::string file = "unset";
    EXPECT_EQ(main.OnDuiMessage(0, "skin.wnd", 1, reinterpret_cast<WPARAM>(&type), 0), 1);
    EXPECT_EQ(type, 1);
    EXPECT_EQ(main.OnDuiMessage(0, "skin.wnd", 2, 0, reinterpret_cast<LPARAM>(&res)), 1);
    EXPECT_EQ(res, 0);
    EXPECT_EQ(main.OnDuiMessage(0, "skin.wnd", 2, 1, reinterpret_cast<LPARAM>(&colour)), 1);
    EXPECT_EQ(colour, 0x843400);
    EXPECT_EQ(main.OnDuiMessage(0, "skin.wnd", 2, 2, reinterpret_cast<LPARAM>(&file)), 1);
    EXPECT_EQ(file, "");
    EXPECT_EQ(main.OnDuiMessage(0, "skin.wnd", 2, 9, 0), 0);
    EXPECT_EQ(main.OnDuiMessage(0, "skin.wnd", 3, 1, 0x112233), 1);
    const std::string picture = "/tmp/back.png";
    EXPECT_EQ(main.OnDuiMessage(0, "skin.wnd", 3, 2, reinterpret_cast<LPARAM>(&picture)), 1);
    EXPECT_EQ(main.OnDuiMessage(0, "skin.wnd", 3, 7, 0), 1);
    EXPECT_EQ(main.OnDuiMessage(0, "skin.wnd", 4, 0, 0), 0);
    main.OnDuiMessage(0, "skin.wnd", 2, 1, reinterpret_cast<LPARAM>(&colour));
    main.OnDuiMessage(0, "skin.wnd", 2, 2, reinterpret_cast<LPARAM>(&file));
    EXPECT_EQ(colour, 0x112233);
    EXPECT_EQ(file, picture);
  }});
}

TEST_F(MainHandlerTest, LogPanelShowAndHide) {
  Run({[&](CDuiHandlerMain& main, CDuiDialog& d) {
    auto visible = [&](const char* n) { return d.FindControl(n)->IsVisible(); };
    Click(main, "btn-log-close");
    EXPECT_FALSE(visible("tabctrl.log.rect"));
    EXPECT_FALSE(visible("logwindow"));
    EXPECT_TRUE(visible("btn-log-show"));
    EXPECT_EQ(d.FindControl("tabctrl.main")->PositionText(), "2,80,-2,-31");
    Click(main, "btn-log-show");
    Click(main, "btn-log-show");  // twice is the same as once
    for (const char* n : {"tabctrl.log.rect", "tabctrl.log.message", "btn-log-close", "btn-log-save", "btn-log-cls",
                          "logwindow"})
      EXPECT_TRUE(visible(n)) << n;
    EXPECT_FALSE(visible("btn-log-show"));
    EXPECT_EQ(d.FindControl("area-left-background")->PositionText(), "0,85,2,-260");
    EXPECT_EQ(d.FindControl("area-right-background")->PositionText(), "-2,85,-0,-260");
    EXPECT_EQ(d.FindControl("tabctrl.main")->PositionText(), "2,80,-2,-260");
  }});
}

TEST_F(MainHandlerTest, SavingTheLogWritesUtf16WithAByteOrderMark) {
  nextFile = logDir.filePath("panel.log").toStdString();
  Run({[&](CDuiHandlerMain& main, CDuiDialog&) {
    main.AppendLog("abc", 0x0000FF, false);
    Click(main, "btn-log-save");
  }});
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_TRUE(saves[0]);
  EXPECT_EQ(requests[0].defaultExtension, "log");
  EXPECT_EQ(requests[0].filter, "Log File(*.log)|*.log||");
  QFile f(QString::fromStdString(nextFile));
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  const QByteArray expected("\xFF\xFE \0a\0b\0c\0\n\0", 12);
  EXPECT_EQ(f.readAll(), expected);
}

// A log save that cannot replace its target says so with the path and
// leaves what was there.
TEST_F(MainHandlerTest, AFailedLogSaveIsReportedAndKeepsTheOldFile) {
  ASSERT_TRUE(QDir(logDir.path()).mkpath("taken.log/inside"));
  nextFile = logDir.filePath("taken.log").toStdString();
  Run({[&](CDuiHandlerMain& main, CDuiDialog&) {
    main.AppendLog("abc", 0, false);
    Click(main, "btn-log-save");
  }});
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_NE(boxes[0].text.find(nextFile), std::string::npos) << boxes[0].text;
  EXPECT_TRUE(QDir(logDir.filePath("taken.log/inside")).exists());
}

TEST_F(MainHandlerTest, ACancelledLogSaveWritesNothing) {
  Run({[&](CDuiHandlerMain& main, CDuiDialog&) {
    main.AppendLog("abc", 0, false);
    Click(main, "btn-log-save");
  }});
  EXPECT_EQ(requests.size(), 1u);
  EXPECT_TRUE(QDir(logDir.path()).entryList({"*.log"}).filter("panel").isEmpty());
}

TEST_F(MainHandlerTest, ReportFromAWorkerThreadWaitsForTheWindowThread) {
  Run({[&](CDuiHandlerMain& main, CDuiDialog& d) {
    std::atomic<bool> done{false};
    std::thread worker([&] {
      main.Report("Programmer connected.", 0xFF0000, true, true, false);
      done = true;
    });
    test::PumpUntil([&] { return done.load(); });
    worker.join();
    EXPECT_EQ(d.FindControl("txtStatusbar")->GetText(), "Programmer connected.");
    EXPECT_EQ(main.LogPanel()->toPlainText().toStdString(), " Programmer connected.\n");
    main.Report("status only", 0, true, false, true);
    EXPECT_EQ(main.LogPanel()->toPlainText().toStdString(), " Programmer connected.\n");
  }});
}

TEST_F(MainHandlerTest, APostedWarningIsShownOnceWithTheWarningIcon) {
  Run({[&](CDuiHandlerMain& main, CDuiDialog&) {
    main.PostWarning("out of range");
    test::Pump();
  }});
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "out of range");
  EXPECT_EQ(boxes[0].buttons, 0);
}

}  // namespace
}  // namespace korvane
