// The README's pictures of a finished download with its log lines and of an
// item comparison with the device. Run only when KORVANE_SCREENSHOT_DIR names
// the folder to write them to (scripts/take-screenshots).
#include <QDir>
#include <QPixmap>

#include "DeviceFixture.h"
#include "app/CConfigTreeCtrl.h"
#include "app/CPropertyGridCtrl.h"
#include "app/CPropertyItem.h"
#include "core/eval/GridModel.h"

namespace korvane {
namespace {

using test::DeviceFixture;

class DeviceScreenshots : public DeviceFixture {
 protected:
  // Where the pictures go; empty skips the test.
  static QString Folder() { return qEnvironmentVariable("KORVANE_SCREENSHOT_DIR"); }

  // The window at the README's size with the sample chip loaded
  // as a new project.
  bool ShowNewProject(CDuiHandlerMain& main, CDuiDialog& d) {
    d.resize(1180, 780);
    d.show();
    if (!LoadChip(main)) return false;
    main.ShowProjectTitle();
    return true;
  }
};

TEST_F(DeviceScreenshots, FinishedDownload) {
  const QString dir = Folder();
  if (dir.isEmpty()) GTEST_SKIP() << "KORVANE_SCREENSHOT_DIR is not set";
  StoreSetting("DuiLanguage", std::to_string(kLangEnglish));
  play["dlg_select_download_type"] = Choose({"Tool", "ConfArea", "CodeArea"});
  RunWithSim(
      [&](CDuiHandlerMain& main, CDuiDialog& d) {
        ASSERT_TRUE(ShowNewProject(main, d));
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

TEST_F(DeviceScreenshots, ComparedItems) {
  const QString dir = Folder();
  if (dir.isEmpty()) GTEST_SKIP() << "KORVANE_SCREENSHOT_DIR is not set";
  StoreSetting("DuiLanguage", std::to_string(kLangEnglish));
  play["dlg_select_download_type"] = Choose({"Tool", "ConfArea", "CodeArea"});
  play["dlg_select_oprator_type"] = Choose({"Tool"});
  RunWithSim(
      [&](CDuiHandlerMain& main, CDuiDialog& d) {
        ASSERT_TRUE(ShowNewProject(main, d));
        EXPECT_NE(Click(main, "config"), 0);
        for (auto [name, text] : {std::pair{"cfgVersion", "7"}, {"pdSvid", "0x3E60"}, {"ledBrightness", "80"}})
          ASSERT_TRUE(SetItemValue(main.Description(), main.Session().grid, *Item(main, name), text));
        main.OnDuiMessage(0, "selectitem", 0, 0, reinterpret_cast<LPARAM>(Item(main, "sysInfo")));
        if (auto* tree = main.ConfigTree()) {
          tree->expandToDepth(1);
          tree->setCurrentItem(tree->NodeOf(Item(main, "sysInfo")));
        }
        EXPECT_NE(Click(main, "compareitems"), 0);
        // The red nodes show better without the selection's band over one of them.
        if (auto* tree = main.ConfigTree()) tree->clearSelection();
        // The pane tells the programmer's value of the current row.
        CPropertyGridCtrl* grid = main.PropertyGrid();
        grid->Tree()->setCurrentItem(grid->ViewItemFor(Item(main, "cfgVersion")));
        main.ShowProjectTitle();
        test::Pump();
        QDir().mkpath(dir);
        EXPECT_TRUE(d.grab().save(dir + "/compare-items-en.png"));
      },
      {"--chip-type", "0x3102"});
}

}  // namespace
}  // namespace korvane
