// The selection dialogs: what they open with, the order of their checks, the
// choices they keep (also after a failed attempt) and their file buttons.
#include <fstream>

#include <QFile>

#include "DeviceFixture.h"
#include "app/CBurnOptionDlg.h"
#include "app/CSelectChecksumTypeDlg.h"
#include "app/CSelectDownloadTypeDlg.h"
#include "app/CSelectExportHexDlg.h"
#include "app/CSelectFlashTypeDlg.h"
#include "app/CSelectOperatorTypeDlg.h"

namespace korvane {
namespace {

using test::DeviceFixture;

class SelectionDialogsTest : public DeviceFixture {
 protected:
  // Runs dialog, played by how, then after with it; the result of DoModal.
  template <typename Dialog>
  int RunDialog(CDuiHandlerMain& main, Dialog* dialog, const DialogPlay& how,
                const std::function<void(Dialog&)>& after = {}) {
    current = how;
    const int result = dialog->DoModal();
    if (after) after(*dialog);
    main.Context().dui->ReleaseHandler(dialog);
    return result;
  }

  void SetUp() override {
    DeviceFixture::SetUp();
    onDialog = [this](CDuiDialog& d) {
      opened.push_back(d.Name());
      return current ? current(d) : 2;
    };
    existing = logDir.filePath("code.hex").toStdString();
    std::ofstream(existing) << ":00000001FF\n";
  }

  std::string FileNotFound(const std::string& path) { return path + ":" + Text("FILE_NOT_EXIST"); }

  DialogPlay current;
  std::string existing;
};

TEST_F(SelectionDialogsTest, DownloadChecksInOrderAndKeepsTheLastAttempt) {
  Run({[&](CDuiHandlerMain& main, CDuiDialog&) {
    AppContext& ctx = main.Context();
    // First opening: the initial choices.
    auto* first = new CSelectDownloadTypeDlg(ctx);
    first->codePath = "/no/such/code.hex";
    const int r1 = RunDialog<CSelectDownloadTypeDlg>(main, first, [&](CDuiDialog& d) {
      EXPECT_TRUE(d.FindControl("Tool")->GetCheck());
      EXPECT_FALSE(d.FindControl("Chip")->GetCheck());
      EXPECT_TRUE(d.FindControl("ConfArea")->GetCheck());
      EXPECT_TRUE(d.FindControl("CodeArea")->GetCheck());
      EXPECT_EQ(d.FindControl("CodePathEdit")->GetText(), "/no/such/code.hex");
      EXPECT_EQ(d.parentWidget(), main.MainDialog());
      // Code chosen with a missing file: the path, a colon, the text; the dialog stays.
      EXPECT_EQ(ClickOk(d), 0);
      EXPECT_EQ(boxes.back().text, FileNotFound("/no/such/code.hex"));
      // Neither area.
      d.FindControl("ConfArea")->SetCheck(false);
      d.FindControl("CodeArea")->SetCheck(false);
      EXPECT_EQ(ClickOk(d), 0);
      EXPECT_EQ(boxes.back().text, Text("MUST_SELECT_TYPE"));
      // The failed attempt picked the chip and only code; then the user gives up.
      d.FindControl("Chip")->SetCheck(true);
      d.FindControl("CodeArea")->SetCheck(true);
      EXPECT_EQ(ClickOk(d), 0);
      return Cancel(d);
    });
    EXPECT_EQ(r1, 2);
    EXPECT_EQ(boxes.size(), 3u);

    // The next opening shows that failed attempt; conf alone with an empty path passes.
    auto* second = new CSelectDownloadTypeDlg(ctx);
    std::string pathAfter = "unset";
    const int r2 = RunDialog<CSelectDownloadTypeDlg>(
        main, second,
        [&](CDuiDialog& d) {
          EXPECT_TRUE(d.FindControl("Chip")->GetCheck());
          EXPECT_FALSE(d.FindControl("ConfArea")->GetCheck());
          EXPECT_TRUE(d.FindControl("CodeArea")->GetCheck());
          d.FindControl("ConfArea")->SetCheck(true);
          d.FindControl("CodeArea")->SetCheck(false);
          return ClickOk(d);
        },
        [&](CSelectDownloadTypeDlg& d) { pathAfter = d.codePath; });
    EXPECT_EQ(r2, 1);
    EXPECT_EQ(boxes.size(), 3u) << "the code path is not looked at";
    EXPECT_EQ(pathAfter, "");
    EXPECT_EQ(ctx.choices.downloadTarget, 1);
    EXPECT_EQ(ctx.choices.downloadConf, 1);
    EXPECT_EQ(ctx.choices.downloadCode, 0);
  }});
}

TEST_F(SelectionDialogsTest, ExportNamesTheMissingPathFirstThenTheAreasThenTheCodeFile) {
  Run({[&](CDuiHandlerMain& main, CDuiDialog&) {
    AppContext& ctx = main.Context();
    auto* dialog = new CSelectExportHexDlg(ctx);
    dialog->codePath = "/no/code.hex";
    const int r = RunDialog<CSelectExportHexDlg>(main, dialog, [&](CDuiDialog& d) {
      EXPECT_EQ(d.FindControl("ExportPathEdit")->GetText(), "");
      d.FindControl("ConfArea")->SetCheck(false);
      d.FindControl("CodeArea")->SetCheck(false);
      EXPECT_EQ(ClickOk(d), 0);
      EXPECT_EQ(boxes.back().text, Text("FILE_PATH_INVALID"));
      d.FindControl("ExportPathEdit")->SetText("/tmp/out.hex");
      EXPECT_EQ(ClickOk(d), 0);
      EXPECT_EQ(boxes.back().text, Text("MUST_SELECT_TYPE"));
      d.FindControl("CodeArea")->SetCheck(true);
      EXPECT_EQ(ClickOk(d), 0);
      EXPECT_EQ(boxes.back().text, FileNotFound("/no/code.hex"));
      d.FindControl("CodePathEdit")->SetText(existing);
      return ClickOk(d);
    });
    EXPECT_EQ(r, 1);
    EXPECT_EQ(ctx.choices.exportPath, "/tmp/out.hex");
    EXPECT_EQ(ctx.choices.exportConf, 0);
    EXPECT_EQ(ctx.choices.exportCode, 1);
    // The export path is kept for the next export.
    auto* again = new CSelectExportHexDlg(ctx);
    RunDialog<CSelectExportHexDlg>(main, again, [&](CDuiDialog& d) {
      EXPECT_EQ(d.FindControl("ExportPathEdit")->GetText(), "/tmp/out.hex");
      EXPECT_FALSE(d.FindControl("ConfArea")->GetCheck());
      return Cancel(d);
    });
  }});
}

TEST_F(SelectionDialogsTest, BurnOptionsShowCodeOnlyWithItsOptionBytes) {
  const struct {
    int in;
    bool code, conf;
    std::vector<std::string> tick, clear;
    int out;
  } cases[] = {
      {7, true, true, {}, {}, 7},
      {1, false, false, {}, {}, 0},         // code without option opens unticked
      {2, false, true, {"CodeArea"}, {}, 7},
      {5, true, false, {}, {"CodeArea"}, 0},  // nothing to burn is accepted
  };
  Run({[&](CDuiHandlerMain& main, CDuiDialog&) {
    for (const auto& c : cases) {
      SCOPED_TRACE(c.in);
      int out = -1;
      const int r = RunDialog<CBurnOptionDlg>(
          main, new CBurnOptionDlg(main.Context(), c.in),
          [&](CDuiDialog& d) {
            EXPECT_EQ(d.FindControl("CodeArea")->GetCheck(), c.code);
            EXPECT_EQ(d.FindControl("ConfArea")->GetCheck(), c.conf);
            return Choose(c.tick, c.clear)(d);
          },
          [&](CBurnOptionDlg& d) { out = d.Areas(); });
      EXPECT_EQ(r, 1);
      EXPECT_EQ(out, c.out);
    }
  }});
  EXPECT_TRUE(boxes.empty());
}

TEST_F(SelectionDialogsTest, AreaAndTargetChoicesOpenAsLastConfirmed) {
  Run({[&](CDuiHandlerMain& main, CDuiDialog&) {
    AppContext& ctx = main.Context();
    const char* radios[] = {"ConfArea", "CodeArea", "OptionArea"};
    for (int area : {0, 1, 2, 0}) {
      RunDialog<CSelectFlashTypeDlg>(main, new CSelectFlashTypeDlg(ctx), [&](CDuiDialog& d) {
        EXPECT_TRUE(d.FindControl(radios[ctx.choices.flashArea])->GetCheck());
        return Choose({radios[area]})(d);
      });
      EXPECT_EQ(ctx.choices.flashArea, area);
    }
    for (const char* target : {"Chip", "Tool", "Chip"}) {
      RunDialog<CSelectOperatorTypeDlg>(main, new CSelectOperatorTypeDlg(ctx), [&](CDuiDialog& d) {
        EXPECT_TRUE(d.FindControl(ctx.choices.operationTarget == 0 ? "Tool" : "Chip")->GetCheck());
        return Choose({target})(d);
      });
      EXPECT_EQ(ctx.choices.operationTarget, std::string(target) == "Chip" ? 1 : 0);
    }
  }});
  // Every click of those dialogs is traced with the dialog's class name.
  QFile log(logDir.filePath("korvane.log"));
  ASSERT_TRUE(log.open(QIODevice::ReadOnly));
  const QByteArray text = log.readAll();
  EXPECT_TRUE(text.contains("CSelectFlashTypeDlg::OnDuiMessage:uID=")) << text.right(400).toStdString();
  EXPECT_TRUE(text.contains("CSelectOperatorTypeDlg::OnDuiMessage:uID="));
  EXPECT_TRUE(text.contains(", name=buttonok, msg=2, wParam=0, lParam=0"));
}

TEST_F(SelectionDialogsTest, ChecksumOpensAloneWithBothAreasAndChecksTheFileOnlyForCode) {
  Run({[&](CDuiHandlerMain& main, CDuiDialog&) {
    AppContext& ctx = main.Context();
    auto* dialog = new CSelectChecksumTypeDlg(ctx);
    dialog->codePath = "/no/code.hex";
    std::string after;
    const int r = RunDialog<CSelectChecksumTypeDlg>(
        main, dialog,
        [&](CDuiDialog& d) {
          EXPECT_EQ(d.parentWidget(), nullptr);
          EXPECT_TRUE(d.FindControl("ConfArea")->GetCheck());
          EXPECT_TRUE(d.FindControl("CodeArea")->GetCheck());
          EXPECT_EQ(ClickOk(d), 0);
          EXPECT_EQ(boxes.back().text, FileNotFound("/no/code.hex"));
          d.FindControl("ConfArea")->SetCheck(false);
          d.FindControl("CodeArea")->SetCheck(false);
          EXPECT_EQ(ClickOk(d), 0);
          EXPECT_EQ(boxes.back().text, Text("MUST_SELECT_TYPE"));
          d.FindControl("ConfArea")->SetCheck(true);  // conf alone: the missing file does not matter
          return ClickOk(d);
        },
        [&](CSelectChecksumTypeDlg& d) { after = d.codePath; });
    EXPECT_EQ(r, 1);
    EXPECT_EQ(after, "/no/code.hex");
    EXPECT_EQ(ctx.choices.checksumConf, 1);
    EXPECT_EQ(ctx.choices.checksumCode, 0);
  }});
}

TEST_F(SelectionDialogsTest, FileButtonsAskForHexFilesAndFillTheirEdits) {
  Run({[&](CDuiHandlerMain& main, CDuiDialog&) {
    auto* dialog = new CSelectExportHexDlg(main.Context());
    RunDialog<CSelectExportHexDlg>(main, dialog, [&](CDuiDialog& d) {
      nextFile = existing;
      ClickButton(d, "CodeSelBtn");
      EXPECT_EQ(d.FindControl("CodePathEdit")->GetText(), existing);
      nextFile = "/tmp/target.hex";
      ClickButton(d, "ExportSelBtn");
      EXPECT_EQ(d.FindControl("ExportPathEdit")->GetText(), "/tmp/target.hex");
      nextFile.clear();  // a cancelled file dialog leaves the edit alone
      ClickButton(d, "CodeSelBtn");
      EXPECT_EQ(d.FindControl("CodePathEdit")->GetText(), existing);
      return Cancel(d);
    });
  }});
  ASSERT_EQ(requests.size(), 3u);
  EXPECT_EQ(saves, (std::vector<bool>{false, true, false}));
  for (const FileDialogRequest& r : requests) {
    EXPECT_EQ(r.defaultExtension, "hex");
    EXPECT_EQ(r.filter, "Hex File(*.hex)|*.hex||");
    EXPECT_EQ(r.initialName, "");
    EXPECT_FALSE(r.overwritePrompt) << "an existing target is asked about by the export itself";
  }
}

}  // namespace
}  // namespace korvane
