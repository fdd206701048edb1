// The README's picture of a finished download with its log lines. Runs only
// when KORVANE_SCREENSHOT_DIR names the folder to write it to
// (scripts/take-screenshots).
#include <QDir>
#include <QPixmap>

#include "DeviceFixture.h"
#include "app/CConfigTreeCtrl.h"

namespace korvane {
namespace {

using test::DeviceFixture;

class DeviceScreenshots : public DeviceFixture {};

TEST_F(DeviceScreenshots, FinishedDownload) {
  const QString dir = qEnvironmentVariable("KORVANE_SCREENSHOT_DIR");
  if (dir.isEmpty()) GTEST_SKIP() << "KORVANE_SCREENSHOT_DIR is not set";
  StoreSetting("DuiLanguage", std::to_string(kLangEnglish));
  play["dlg_select_download_type"] = Choose({"Tool", "ConfArea", "CodeArea"});
  RunWithSim(
      [&](CDuiHandlerMain& main, CDuiDialog& d) {
        d.resize(1180, 780);
        d.show();
        ASSERT_TRUE(LoadChip(main));
        main.UpdateTitle(main.Context().dui->LookupText("NewProject"));
        if (auto* tree = main.ConfigTree(); tree && tree->topLevelItemCount() > 0) {
          tree->expandToDepth(1);
          tree->setCurrentItem(tree->topLevelItem(0)->child(0));
        }
        main.Description().checksumDirty = 1;
        main.PollCodeFile();
        EXPECT_NE(Click(main, "config"), 0);
        EXPECT_NE(Click(main, "btn-tool-checksum"), 0);
        test::Pump();
        QDir().mkpath(dir);
        EXPECT_TRUE(d.grab().save(dir + "/download-en.png"));
      },
      {"--chip-type", "0x3102"});
}

}  // namespace
}  // namespace korvane
