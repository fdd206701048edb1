// Pictures of the main window in both languages for the README. Runs only
// when KORVANE_SCREENSHOT_DIR names the folder to write them to
// (scripts/take-screenshots).
#include <QDir>
#include <QPixmap>
#include <QTabWidget>

#include "AppFixture.h"
#include "app/HexWindowCommands.h"
#include "app/CConfigTreeCtrl.h"
#include "app/AppContext.h"
#include "app/CRichEditExt.h"

namespace korvane {
namespace {

using test::AppFixture;

class Screenshots : public AppFixture {
 protected:
  void Take(int languageId, const char* file, const char* hexFile = nullptr, const char* boxFile = nullptr,
            const char* aboutFile = nullptr) {
    const QString dir = qEnvironmentVariable("KORVANE_SCREENSHOT_DIR");
    if (dir.isEmpty()) GTEST_SKIP() << "KORVANE_SCREENSHOT_DIR is not set";
    AppSettings().WriteInt("DuiLanguage", languageId);
    Run({[&](CDuiHandlerMain& main, CDuiDialog& d) {
      d.resize(1180, 780);
      ChipDescription& description = main.Description();
      description.NewDescription("KV5210", "ADP_65W", main.ConfigTree());
      main.ShowProjectTitle();
      if (auto* tree = main.ConfigTree(); tree && tree->topLevelItemCount() > 0) {
        tree->expandToDepth(1);
        tree->setCurrentItem(tree->topLevelItem(0)->child(0));
      }
      main.AppendLog(main.Context().dui->LookupText("DEV_ONLINE_EVENT"), 0xFF0000, true);
      main.AppendLog(main.Context().dui->LookupText("COMMAND_READ_TOOL_INFO_REQ") + ": " +
                         main.Context().dui->LookupText("ERROR_0"), 0xC80000, true);
      main.AppendLog(main.Context().dui->LookupText("COMMAND_WRITE_TOOL_CONFIG_REQ") + ": " +
                         main.Context().dui->LookupText("ERROR_1004"), 0x0000FF, true);
      main.SetStatusText(main.Context().dui->LookupText("DEV_ONLINE_EVENT"), 0xC80000);
      if (CDuiControl* bar = d.FindControl("txtChecksumbar"))
        bar->SetText(main.Context().dui->LookupText("CONF_CHECKSUM") + ": 0x5A3C19E2   " +
                     main.Context().dui->LookupText("CODE_CHECKSUM") + ": 0x0B77D410");
      main.ShowDeviceSums(23, {0x5A3C19E2, 0x0B77D410, 0x9C1E0F33, 1024, 31744, 16});
      test::Pump();
      QDir().mkpath(dir);
      EXPECT_TRUE(d.grab().save(dir + "/" + file));
      if (hexFile) {
        std::vector<uint8_t> bytes(0x400);
        for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i < 64 ? "KV5210 ADP_65W config 0x5210 v7"[i % 32] : i * 13);
        main.HexCommands().ShowRead(12, bytes.data(), static_cast<uint32_t>(bytes.size()), 0x7C00);
        d.FindControl("tabctrl.main")->SetTabPage(1);
        test::Pump();
        EXPECT_TRUE(d.grab().save(dir + "/" + hexFile));
      }
      if (aboutFile) {
        onDialog = [&](CDuiDialog& about) {
          about.show();
          test::Pump();
          EXPECT_TRUE(about.grab().save(dir + "/" + aboutFile));
          return 1;
        };
        Click(main, "about");
      }
      if (boxFile) {
        answer = [&](const std::string&) {
          CDuiDialog* box = main.Context().dui->FindDialog("dlg_msgbox");
          box->adjustSize();
          box->show();
          test::Pump();
          EXPECT_TRUE(box->grab().save(dir + "/" + boxFile));
          return IDNO;
        };
        main.Context().dui->ShowMessageBox(&d, main.Context().dui->LookupText("ChangeLanguageNotify"),
                                           main.Context().dui->LookupText("MessageBoxTitle"), MB_YESNO | MB_ICONQUESTION);
      }
    }});
  }
};

TEST_F(Screenshots, English) { Take(kLangEnglish, "main-en.png", "hex-en.png", "msgbox-en.png", "about-en.png"); }
TEST_F(Screenshots, Chinese) { Take(kLangChinese, "main-zh.png"); }

}  // namespace
}  // namespace korvane
