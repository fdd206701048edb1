// "Compare items" of the programmer menu against the emulated programmer:
// the differing items in the log, marked in the grid and the tree until the
// next edit or comparison, and the project left as it was.
#include <QLineEdit>
#include <QMenu>

#include "DeviceFixture.h"
#include "app/CConfigTreeCtrl.h"
#include "app/CPropertyGridCtrl.h"
#include "app/CPropertyItem.h"
#include "core/eval/GridModel.h"
#include "core/text/TextFormat.h"

namespace korvane {
namespace {

using test::DeviceFixture;

class CompareItemsTest : public DeviceFixture {
 protected:
  void Download(CDuiHandlerMain& main) {
    play["dlg_select_download_type"] = Choose({"Tool", "ConfArea", "CodeArea"});
    EXPECT_NE(Click(main, "config"), 0);
  }
  void CompareWith(CDuiHandlerMain& main, const char* target) {
    play["dlg_select_oprator_type"] = Choose({target});
    EXPECT_NE(Click(main, "compareitems"), 0);
    test::Pump();
  }
  // Commits text as the grid would and shows the item's group.
  static void Edit(CDuiHandlerMain& main, const char* name, const std::string& text) {
    ASSERT_TRUE(SetItemValue(main.Description(), main.Session().grid, *Item(main, name), text));
  }
  static bool RowMarked(CDuiHandlerMain& main, const char* name) {
    const CPropertyItem* row = main.PropertyGrid()->ViewItemFor(Item(main, name));
    return row && row->ShownDiffering();
  }
  static bool NodeMarked(CDuiHandlerMain& main, const char* name) {
    return main.ConfigTree()->IsMarked(main.ConfigTree()->NodeOf(Item(main, name)));
  }
};

TEST_F(CompareItemsTest, TheCommandEndsTheProgrammerMenu) {
  RunWithSim([&](CDuiHandlerMain& main, CDuiDialog& d) {
    auto* menu = d.findChild<QMenu*>("menu.device");
    ASSERT_NE(menu, nullptr);
    ASSERT_FALSE(menu->actions().isEmpty());
    EXPECT_EQ(menu->actions().back()->objectName(), "compareitems");
    EXPECT_EQ(menu->actions().back()->text().toStdString(), Text("UI_COMPARE_ITEMS"));
    EXPECT_EQ(Click(main, "compareitems"), 0) << "nothing loaded: nothing to compare";
    ASSERT_FALSE(boxes.empty());
    EXPECT_EQ(boxes.back().text, Text("NewNotify"));
  });
}

TEST_F(CompareItemsTest, DifferingItemsAreLoggedAndMarkedAndTheProjectStays) {
  RunWithSim([&](CDuiHandlerMain& main, CDuiDialog&) {
    ASSERT_TRUE(LoadChip(main));
    Download(main);
    Edit(main, "cfgVersion", "7");
    Edit(main, "ledBrightness", "80");
    main.Description().modified = 0;
    ConfigItem* shown = Item(main, "sysInfo");
    main.OnDuiMessage(0, "selectitem", 0, 0, reinterpret_cast<LPARAM>(shown));

    CompareWith(main, "Tool");
    EXPECT_EQ(opened.back(), "dlg_process");
    const std::string version = "Config version (cfgVersion): 7 \xE2\x86\x92 3";
    const std::string brightness = "Brightness (%) (ledBrightness): 80 \xE2\x86\x92 60";
    EXPECT_TRUE(HasLine(main, version));
    EXPECT_TRUE(HasLine(main, brightness));
    EXPECT_EQ(LineColour(main, version), kRed);
    EXPECT_FALSE(HasLine(main, Text("COMPARE_ITEMS_MATCH")));
    EXPECT_EQ(LogLines(main).back(), brightness) << "the verdict follows the read's own lines";
    // The project is as it was: values, modified flag, group on show.
    EXPECT_EQ(Item(main, "cfgVersion")->value, "7");
    EXPECT_EQ(main.Description().modified, 0);
    EXPECT_EQ(main.Description().currentItem, shown);

    EXPECT_TRUE(RowMarked(main, "cfgVersion"));
    EXPECT_FALSE(RowMarked(main, "pdSvid"));
    // The device's value is in the row's tooltip and, for the current row, in the pane.
    const std::string onTool = FormatText(Text("GRID_TOOL_VALUE"), "3");
    CPropertyGridCtrl* grid = main.PropertyGrid();
    CPropertyItem* versionRow = grid->ViewItemFor(Item(main, "cfgVersion"));
    EXPECT_EQ(versionRow->toolTip(CPropertyItem::kValue).toStdString(), onTool);
    EXPECT_NE(versionRow->toolTip(CPropertyItem::kCaption).toStdString().find(onTool), std::string::npos);
    grid->Tree()->setCurrentItem(versionRow);
    EXPECT_EQ(grid->DescriptionDeviceValue().toStdString(), onTool);
    grid->Tree()->setCurrentItem(grid->ViewItemFor(Item(main, "pdSvid")));
    EXPECT_EQ(grid->DescriptionDeviceValue().toStdString(), "");
    EXPECT_EQ(grid->ViewItemFor(Item(main, "pdSvid"))->toolTip(CPropertyItem::kValue).toStdString(), "");
    EXPECT_TRUE(NodeMarked(main, "cfgVersion"));
    EXPECT_TRUE(NodeMarked(main, "ledBrightness"));
    EXPECT_TRUE(NodeMarked(main, "ledSettings")) << "the group above a differing item";
    EXPECT_FALSE(NodeMarked(main, "pdSvid"));
    EXPECT_FALSE(NodeMarked(main, "protocols"));
    EXPECT_FALSE(main.ConfigTree()->IsMarked(main.ConfigTree()->NodeOf(main.Description().root->Child(0))));
    EXPECT_EQ(main.ConfigTree()->PaintedColourOf(main.ConfigTree()->NodeOf(Item(main, "cfgVersion"))),
              QColor(Qt::red));

    // Another group shown: its differing rows are marked too.
    main.OnDuiMessage(0, "selectitem", 0, 0, reinterpret_cast<LPARAM>(Item(main, "ledSettings")));
    EXPECT_TRUE(RowMarked(main, "ledBrightness"));

    // The next edit takes the marks away.
    ASSERT_NE(main.PropertyGrid()->StartEditing(Item(main, "ledBrightness")), nullptr);
    auto* editor = qobject_cast<QLineEdit*>(main.PropertyGrid()->OpenEditor());
    ASSERT_NE(editor, nullptr);
    editor->setText("60");
    main.PropertyGrid()->FinishEditing();
    test::Pump();
    EXPECT_TRUE(main.Session().differingItems.empty());
    EXPECT_FALSE(RowMarked(main, "ledBrightness"));
    EXPECT_FALSE(NodeMarked(main, "cfgVersion"));
  }, {"--chip-type", "0x3102"});
}

TEST_F(CompareItemsTest, AMatchingDeviceGetsOneDarkBlueLine) {
  RunWithSim([&](CDuiHandlerMain& main, CDuiDialog&) {
    ASSERT_TRUE(LoadChip(main));
    play["dlg_select_download_type"] = Choose({"Chip", "ConfArea", "CodeArea"});
    EXPECT_NE(Click(main, "config"), 0);
    CompareWith(main, "Chip");
    EXPECT_TRUE(HasLine(main, Text("COMMAND_READ_CHIP_CONFIG_REQ"))) << "the chip's conf area was read";
    EXPECT_EQ(LogLines(main).back(), Text("COMPARE_ITEMS_MATCH"));
    EXPECT_EQ(LineColour(main, Text("COMPARE_ITEMS_MATCH")), kDarkBlue);
    EXPECT_TRUE(main.Session().differingItems.empty());

    // A cancelled choice starts nothing and keeps what the last comparison found.
    Edit(main, "cfgVersion", "9");
    CompareWith(main, "Chip");
    ASSERT_EQ(main.Session().differingItems.size(), 1u);
    // The pane says which device holds the other value.
    main.OnDuiMessage(0, "selectitem", 0, 0, reinterpret_cast<LPARAM>(Item(main, "sysInfo")));
    CPropertyGridCtrl* grid = main.PropertyGrid();
    grid->Tree()->setCurrentItem(grid->ViewItemFor(Item(main, "cfgVersion")));
    EXPECT_EQ(grid->DescriptionDeviceValue().toStdString(), FormatText(Text("GRID_CHIP_VALUE"), "3"));
    const size_t lines = LogLines(main).size();
    play["dlg_select_oprator_type"] = [](CDuiDialog& d) { return Cancel(d); };
    EXPECT_EQ(Click(main, "compareitems"), 0);
    EXPECT_EQ(LogLines(main).size(), lines);
    EXPECT_EQ(main.Session().differingItems.size(), 1u);
  }, {"--chip-type", "0x3102"});
}

}  // namespace
}  // namespace korvane
