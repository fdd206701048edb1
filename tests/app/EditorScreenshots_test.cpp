// Pictures of the editor in both languages for the README: a sample chip
// open, a group in the grid, a changed value and a row described. Runs only
// when KORVANE_SCREENSHOT_DIR names the folder to write them to
// (scripts/take-editor-screenshots).
#include <QDir>
#include <QPixmap>
#include <QSettings>

#include "EditorFixture.h"
#include "app/AppContext.h"
#include "link/IniFile.h"

namespace korvane {
namespace {

using test::EditorFixture;

class EditorScreenshots : public EditorFixture {
 protected:
  // file: the whole window; paneFile (when given): the grid with its
  // description pane, the current row's range and default in it.
  void Take(int languageId, const char* file, const char* paneFile = nullptr) {
    const QString dir = qEnvironmentVariable("KORVANE_SCREENSHOT_DIR");
    if (dir.isEmpty()) GTEST_SKIP() << "KORVANE_SCREENSHOT_DIR is not set";
    QSettings(QString::fromStdString(SettingsFilePath()), QSettings::IniFormat).setValue("DuiLanguage/Value", languageId);
    Run({[&](CDuiHandlerMain& main, CDuiDialog& d) {
      d.resize(1180, 780);
      Click(main, "btn-log-close");  // the whole height for the editor
      NewProject(main);
      CConfigTreeCtrl* tree = main.ConfigTree();
      tree->NodeOf(Item(main, "ledSettings"))->setExpanded(true);
      SelectNode(main, "pdSettings");
      TypeValue(main, "pdoCount", "4");
      CPropertyGridCtrl* grid = main.PropertyGrid();
      grid->Tree()->setColumnWidth(0, 260);
      grid->Tree()->setCurrentItem(grid->ViewItemFor(Item(main, "pdoCount")));
      main.SetStatusText(main.Context().dui->LookupText("NewProject"), 0xC80000);
      test::Pump();
      QDir().mkpath(dir);
      EXPECT_TRUE(d.grab().save(dir + "/" + file));
      if (paneFile) {
        SelectNode(main, "ledSettings");
        TypeValue(main, "ledBrightness", "75");
        grid->Tree()->setCurrentItem(grid->ViewItemFor(Item(main, "ledBrightness")));
        grid->resize(640, 420);
        test::Pump();
        EXPECT_TRUE(grid->grab().save(dir + "/" + paneFile));
      }
    }});
  }
};

TEST_F(EditorScreenshots, English) { Take(kLangEnglish, "editor-en.png", "grid-pane-en.png"); }
TEST_F(EditorScreenshots, Chinese) { Take(kLangChinese, "editor-zh.png"); }

}  // namespace
}  // namespace korvane
