// The property grid as the user sees it: rows of the selected group, the
// editor each kind of row opens, commits, the range warning and the
// description pane.
#include <QHeaderView>
#include <QTreeWidget>
#include <QValidator>

#include "EditorFixture.h"
#include "app/AppContext.h"
#include "core/eval/GridModel.h"
#include "core/text/TextFormat.h"

namespace korvane {
namespace {

using test::EditorFixture;

// Captions of the grid's rows in display order, one level of indentation per depth.
std::vector<std::string> ShownRows(CPropertyGridCtrl& grid) {
  std::vector<std::string> out;
  std::function<void(QTreeWidgetItem*, const std::string&)> walk = [&](QTreeWidgetItem* item, const std::string& indent) {
    out.push_back(indent + item->text(0).toStdString());
    for (int i = 0; i < item->childCount(); ++i) walk(item->child(i), indent + "  ");
  };
  for (int i = 0; i < grid.Tree()->topLevelItemCount(); ++i) walk(grid.Tree()->topLevelItem(i), "");
  return out;
}

class PropertyGridTest : public EditorFixture {};

TEST_F(PropertyGridTest, AGroupShowsItsRowsExpandedUnderTheLookedUpHeader) {
  Run({[&](CDuiHandlerMain& main, CDuiDialog&) {
    CPropertyGridCtrl* grid = main.PropertyGrid();
    ASSERT_NE(grid, nullptr);
    EXPECT_EQ(main.Context().grid, grid);
    EXPECT_EQ(main.Context().core.grid, &grid->Model());
    EXPECT_EQ(grid->Tree()->headerItem()->text(0).toStdString(), Text("Param"));
    EXPECT_EQ(grid->Tree()->headerItem()->text(1).toStdString(), Text("Value"));

    NewProject(main);
    SelectNode(main, "pdSettings");
    EXPECT_EQ(main.Description().currentItem, Item(main, "pdSettings"));
    EXPECT_EQ(ShownRows(*grid),
              (std::vector<std::string>{"USB PD", "  Fixed PDO count", "  PD power", "  Fixed PDOs", "    PDO 1",
                                        "      Max current (mA)", "      Voltage (mV)", "    PDO 2",
                                        "      Max current (mA)", "      Voltage (mV)", "    PDO 3",
                                        "      Max current (mA)", "      Voltage (mV)", "  PPS", "    PPS",
                                        "    PPS max voltage", "    PPS min voltage (mV)", "    PPS current (mA)"}))
        << "pdoList is bound to pdoCount (3)";
    for (GridRow* row : grid->Model().AllRows()) {
      CPropertyItem* view = grid->ViewItemFor(row->Item());
      ASSERT_NE(view, nullptr) << row->caption;
      if (row->IsGroup()) {
        EXPECT_TRUE(view->isExpanded()) << row->caption;
      }
      EXPECT_EQ(view->ShownEnabled(), row->IsEnabled()) << row->caption;
    }

    // Rows are the font's height and six pixels; the header one row and two.
    const int rowHeight = QFontMetrics(grid->Tree()->font()).height() + 6;
    EXPECT_EQ(grid->RowHeight(), rowHeight);
    EXPECT_EQ(grid->Tree()->visualItemRect(grid->Tree()->topLevelItem(0)).height(), rowHeight);
    EXPECT_EQ(grid->Tree()->header()->height(), rowHeight + 2);

    SelectNode(main, "function");
    EXPECT_GT(grid->Tree()->topLevelItemCount(), 0);
    main.ConfigTree()->setCurrentItem(main.ConfigTree()->topLevelItem(0));  // the root
    EXPECT_EQ(grid->Tree()->topLevelItemCount(), 0);
    EXPECT_EQ(main.Description().currentItem, nullptr);
  }});
}

TEST_F(PropertyGridTest, EachRowKindOpensItsEditor) {
  struct Case {
    const char* group;
    const char* item;
    int maxLength;        // 0: a drop-down list
    const char* typed;    // typed character by character
    const char* kept;     // what the editor holds afterwards
  };
  const Case cases[] = {
      {"advanced", "usbAThreshold", 10, "1a2-", "12"},
      {"sysInfo", "pdSvid", 6, "0x1fgz9", "0x1f9"},
      {"sysInfo", "portMask", 100, "10201", "1001"},
      {"batteryCfg", "chgCurr", 100, "2.5 A", "2.5 A"},  // a plain edit row filters nothing
      {"ledSettings", "ledMode", 0, "", ""},
  };
  Run({[&](CDuiHandlerMain& main, CDuiDialog&) {
    NewProject(main);
    CPropertyGridCtrl* grid = main.PropertyGrid();
    for (const Case& c : cases) {
      SCOPED_TRACE(c.item);
      SelectNode(main, c.group);
      ConfigItem* item = Item(main, c.item);
      QWidget* editor = grid->StartEditing(item);
      ASSERT_NE(editor, nullptr);
      EXPECT_EQ(grid->OpenEditor(), editor);
      if (c.maxLength == 0) {
        auto* combo = qobject_cast<QComboBox*>(editor);
        ASSERT_NE(combo, nullptr);
        EXPECT_FALSE(combo->isEditable());
        QStringList options;
        for (int i = 0; i < combo->count(); ++i) options << combo->itemText(i);
        EXPECT_EQ(options, (QStringList{"Off", "Breath", "Blink", "Battery gauge"}));
        EXPECT_EQ(combo->currentText().toStdString(), item->value);
      } else {
        auto* line = qobject_cast<QLineEdit*>(editor);
        ASSERT_NE(line, nullptr);
        EXPECT_EQ(line->maxLength(), c.maxLength);
        EXPECT_EQ(line->text().toStdString(), item->value);
        line->clear();
        for (char ch : std::string(c.typed)) Key(line, 0, QString(QChar(ch)));
        EXPECT_EQ(line->text().toStdString(), c.kept);
      }
      Key(editor, Qt::Key_Escape);  // leaves the value as it was
      test::Pump();
      EXPECT_EQ(grid->OpenEditor(), nullptr);
    }
    EXPECT_EQ(main.Description().modified, 1);
  }});
}

TEST_F(PropertyGridTest, DisabledAndReadOnlyRowsOpenNoEditor) {
  Run({[&](CDuiHandlerMain& main, CDuiDialog&) {
    NewProject(main);
    CPropertyGridCtrl* grid = main.PropertyGrid();
    SelectNode(main, "sysInfo");
    EXPECT_EQ(grid->StartEditing(Item(main, "chipId")), nullptr);
    EXPECT_FALSE(grid->ViewItemFor(Item(main, "chipId"))->ShownEnabled());
    EXPECT_EQ(grid->StartEditing(Item(main, "sysInfo")), nullptr) << "a group row";
    SelectNode(main, "ledSettings");
    EXPECT_EQ(grid->StartEditing(Item(main, "ledBlinkRate")), nullptr);
    // A trigger enables it; the row follows at once.
    ChooseOption(main, "ledMode", "Blink");
    EXPECT_TRUE(grid->ViewItemFor(Item(main, "ledBlinkRate"))->ShownEnabled());
    EXPECT_NE(grid->StartEditing(Item(main, "ledBlinkRate")), nullptr);
  }});
}

TEST_F(PropertyGridTest, ACommittedValueReachesTheItemAndShowsBold) {
  Run({[&](CDuiHandlerMain& main, CDuiDialog&) {
    NewProject(main);
    ChipDescription& desc = main.Description();
    desc.modified = 0;
    desc.checksumDirty = 0;
    SelectNode(main, "ledSettings");
    CPropertyGridCtrl* grid = main.PropertyGrid();
    EXPECT_FALSE(grid->ViewItemFor(Item(main, "ledBrightness"))->ShownModified());
    // Enter on a row opens its editor, as a click on the value does.
    grid->Tree()->setCurrentItem(grid->ViewItemFor(Item(main, "ledBrightness")));
    Key(grid->Tree(), Qt::Key_Return);
    ASSERT_NE(qobject_cast<QLineEdit*>(grid->OpenEditor()), nullptr);
    Key(grid->OpenEditor(), Qt::Key_Escape);
    test::Pump();
    EXPECT_EQ(desc.modified, 0) << "closing the editor without a change commits nothing";

    TypeValue(main, "ledBrightness", "80");
    ConfigItem* item = Item(main, "ledBrightness");
    EXPECT_EQ(item->value, "80");
    EXPECT_STREQ(item->element.attribute("value").value(), "80");
    EXPECT_EQ(desc.modified, 1);
    EXPECT_EQ(desc.checksumDirty, 1);
    CPropertyItem* view = grid->ViewItemFor(item);
    EXPECT_TRUE(view->ShownModified());
    EXPECT_TRUE(view->font(CPropertyItem::kValue).bold());
    EXPECT_FALSE(grid->ViewItemFor(Item(main, "ledBreathPeriod"))->ShownModified());
    // Selecting the group again starts from what is stored: nothing is bold.
    SelectNode(main, "portRoles");
    SelectNode(main, "ledSettings");
    EXPECT_FALSE(grid->ViewItemFor(Item(main, "ledBrightness"))->ShownModified());
    EXPECT_EQ(Shown(main, "ledBrightness"), "80");
  }});
}

TEST_F(PropertyGridTest, AnotherUlistOptionReplacesItsRows) {
  Run({[&](CDuiHandlerMain& main, CDuiDialog&) {
    NewProject(main);
    SelectNode(main, "portRoles");
    CPropertyGridCtrl* grid = main.PropertyGrid();
    EXPECT_EQ(ShownRows(*grid),
              (std::vector<std::string>{"Port roles", "  USB-C1 role", "  DRP toggle", "  Preferred role"}));
    ChooseOption(main, "portCRole", "Source only");
    EXPECT_EQ(Item(main, "portCRole")->value, "Source only");
    EXPECT_EQ(Item(main, "portCRole")->index, 0);
    EXPECT_EQ(ShownRows(*grid), (std::vector<std::string>{"Port roles", "  USB-C1 role", "  Source power (W)"}));
    EXPECT_TRUE(grid->ViewItemFor(Item(main, "portCRole"))->ShownModified());
    ChooseOption(main, "portCRole", "Sink only");
    EXPECT_EQ(ShownRows(*grid), (std::vector<std::string>{"Port roles", "  USB-C1 role", "  Input current (mA)"}));
    EXPECT_EQ(grid->ViewItemFor(Item(main, "drpToggle")), nullptr);
  }});
}

TEST_F(PropertyGridTest, AnEntryOutOfRangeWarnsOnceAfterTheEditAndShowsTheMaximum) {
  bool editorOpenAtWarning = true;
  Run({[&](CDuiHandlerMain& main, CDuiDialog&) {
    NewProject(main);
    SelectNode(main, "advanced");
    answer = [&](const std::string& text) {
      if (text == Text("SaveNotify")) return IDNO;
      editorOpenAtWarning = main.PropertyGrid()->OpenEditor() != nullptr;
      return IDOK;
    };
    TypeValue(main, "usbAThreshold", "300");
    test::PumpUntil([&] { return !boxes.empty(); }, 1000);
    test::Pump();
    EXPECT_EQ(Item(main, "usbAThreshold")->value, "255");
    EXPECT_EQ(Shown(main, "usbAThreshold"), "255");
    // Within the range nothing is said.
    TypeValue(main, "usbAThreshold", "200");
    test::Pump();
    EXPECT_EQ(Shown(main, "usbAThreshold"), "200");
  }});
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[1].text, Text("SaveNotify"));  // the close
  EXPECT_EQ(boxes[0].text, Text("MAXMIN_Value_Notify") + "0 ~ 255!");
  EXPECT_EQ(boxes[0].title, Text("MessageBoxTitle"));
  EXPECT_EQ(boxes[0].buttons, 0);
  EXPECT_FALSE(editorOpenAtWarning);
}

TEST_F(PropertyGridTest, ThePaneDescribesTheCurrentRowWithItsBytes) {
  Run({[&](CDuiHandlerMain& main, CDuiDialog&) {
    NewProject(main);
    SelectNode(main, "ledSettings");
    CPropertyGridCtrl* grid = main.PropertyGrid();
    ConfigItem* item = Item(main, "ledBrightness");
    grid->Tree()->setCurrentItem(grid->ViewItemFor(item));
    EXPECT_EQ(grid->DescriptionCaption().toStdString(), "Brightness (%)");
    EXPECT_EQ(grid->DescriptionText().toStdString(), item->descript + "\ndata=0x3C");
    TypeValue(main, "ledBrightness", "100");
    EXPECT_EQ(grid->DescriptionText().toStdString(), item->descript + "\ndata=0x64");
  }});
}

// Beside its description the pane names the item as the command line and
// the project file know it, the range the end of editing holds it to, and
// the value the installed chip gives it, whatever the project holds now.
TEST_F(PropertyGridTest, ThePaneNamesTheItemItsRangeAndItsDefault) {
  struct Case {
    const char* group;
    const char* item;
    const char* range;  // "" when the row has none
    const char* defaultValue;
  };
  const Case cases[] = {
      {"ledSettings", "ledBrightness", "10 ~ 100", "60"},   // min and max
      {"advanced", "usbAThreshold", "0 ~ 255", "50"},       // a number row: its 8-bit field
      {"sysInfo", "pdSvid", "0x0000 ~ 0xFFFF", "0x3E5A"},   // a two-byte hexadecimal row
      {"sysInfo", "portMask", "", "101"},                   // a binary row has no range
      {"ledSettings", "ledMode", "", "Breath"},             // a list: its option's name
  };
  const std::string project = ProjectPath("pane.xml");
  auto expected = [&](const Case& c) {
    std::string line = FormatText(Text("GRID_NAME"), c.item);
    if (*c.range) line += "    " + FormatText(Text("GRID_RANGE"), c.range);
    return line + "    " + FormatText(Text("GRID_DEFAULT"), c.defaultValue);
  };
  auto look = [&](CDuiHandlerMain& main) {
    CPropertyGridCtrl* grid = main.PropertyGrid();
    for (const Case& c : cases) {
      SCOPED_TRACE(c.item);
      SelectNode(main, c.group);
      grid->Tree()->setCurrentItem(grid->ViewItemFor(Item(main, c.item)));
      EXPECT_EQ(grid->DescriptionDetails().toStdString(), expected(c));
      EXPECT_EQ(grid->DescriptionDeviceValue().toStdString(), "");
    }
  };
  Run({[&](CDuiHandlerMain& main, CDuiDialog&) {
    NewProject(main);
    look(main);
    // A group row is described by its text alone.
    SelectNode(main, "pdSettings");
    CPropertyGridCtrl* grid = main.PropertyGrid();
    grid->Tree()->setCurrentItem(grid->ViewItemFor(Item(main, "pdoList")));
    ASSERT_NE(grid->CurrentViewItem(), nullptr);
    EXPECT_EQ(grid->DescriptionDetails().toStdString(), "");
    // The default stays what the chip gives, in the project and after it is saved and opened again.
    SelectNode(main, "ledSettings");
    TypeValue(main, "ledBrightness", "75");
    ChooseOption(main, "ledMode", "Blink");
    nextFile = project;
    Click(main, "save");
  }});
  nextFile = project;
  Run({[&](CDuiHandlerMain& main, CDuiDialog&) {
    Click(main, "open");
    ASSERT_TRUE(main.Description().HasTree());
    EXPECT_EQ(Item(main, "ledBrightness")->value, "75");
    look(main);
  }});
}

TEST_F(PropertyGridTest, AnEditTheUserLeavesByChoosingAnotherGroupIsKept) {
  Run({[&](CDuiHandlerMain& main, CDuiDialog&) {
    NewProject(main);
    SelectNode(main, "ledSettings");
    auto* line = qobject_cast<QLineEdit*>(main.PropertyGrid()->StartEditing(Item(main, "ledBrightness")));
    ASSERT_NE(line, nullptr);
    line->setText("33");
    SelectNode(main, "portRoles");
    test::Pump();
    EXPECT_EQ(Item(main, "ledBrightness")->value, "33");
    EXPECT_EQ(main.PropertyGrid()->OpenEditor(), nullptr);
    EXPECT_NE(main.PropertyGrid()->ViewItemFor(Item(main, "portCRole")), nullptr);
  }});
}

TEST_F(PropertyGridTest, TabCommitsAndGoesOnToTheNextRowsEditor) {
  Run({[&](CDuiHandlerMain& main, CDuiDialog&) {
    NewProject(main);
    SelectNode(main, "sysInfo");
    CPropertyGridCtrl* grid = main.PropertyGrid();
    auto* line = qobject_cast<QLineEdit*>(grid->StartEditing(Item(main, "portMask")));
    ASSERT_NE(line, nullptr);
    line->setText("111");
    Key(line, Qt::Key_Tab);
    test::Pump();
    test::Pump();
    EXPECT_EQ(Item(main, "portMask")->value, "111");
    ASSERT_NE(grid->OpenEditor(), nullptr);
    EXPECT_EQ(grid->CurrentViewItem()->Item(), Item(main, "pdSvid"));
    EXPECT_EQ(qobject_cast<QLineEdit*>(grid->OpenEditor())->text().toStdString(), Item(main, "pdSvid")->value);
  }});
}

TEST_F(PropertyGridTest, ACommandCommitsTheValueStillInTheEditor) {
  Run({[&](CDuiHandlerMain& main, CDuiDialog&) {
    NewProject(main);
    SelectNode(main, "ledSettings");
    for (const char* command : {"btn-log-cls", "config"}) {
      auto* line = qobject_cast<QLineEdit*>(main.PropertyGrid()->StartEditing(Item(main, "ledBrightness")));
      ASSERT_NE(line, nullptr);
      const std::string typed = command == std::string("config") ? "44" : "45";
      line->setText(QString::fromStdString(typed));
      Click(main, command);
      EXPECT_EQ(Item(main, "ledBrightness")->value, typed) << command;
      EXPECT_EQ(main.PropertyGrid()->OpenEditor(), nullptr) << command;
      test::Pump();
    }
  }});
}

TEST_F(PropertyGridTest, ABoundCountEditChangesTheBoundGroupsRows) {
  Run({[&](CDuiHandlerMain& main, CDuiDialog&) {
    NewProject(main);
    SelectNode(main, "pdSettings");
    CPropertyGridCtrl* grid = main.PropertyGrid();
    EXPECT_EQ(grid->ViewItemFor(Item(main, "pdoList"))->childCount(), 3);
    TypeValue(main, "pdoCount", "5");
    EXPECT_EQ(grid->ViewItemFor(Item(main, "pdoList"))->childCount(), 5);
    TypeValue(main, "pdoCount", "1");
    EXPECT_EQ(grid->ViewItemFor(Item(main, "pdoList"))->childCount(), 1);
    EXPECT_EQ(grid->ViewItemFor(Item(main, "pdo2")), nullptr);
  }});
}

}  // namespace
}  // namespace korvane

namespace korvane {
namespace {

TEST_F(PropertyGridTest, TheViewShowsTheSessionsRowsAndLeavesThemToTheSessionWhenItGoes) {
  Run({[&](CDuiHandlerMain& main, CDuiDialog&) {
    CPropertyGridCtrl* grid = main.PropertyGrid();
    ASSERT_NE(grid, nullptr);
    GridModel& model = main.Session().grid;
    EXPECT_EQ(&grid->Model(), &model);
    EXPECT_EQ(model.Host(), grid);
    NewProject(main);
    SelectNode(main, "pdSettings");
    const size_t rows = model.AllRows().size();
    EXPECT_GT(rows, 0u);

    delete grid;  // as when its window goes first
    EXPECT_EQ(model.Host(), nullptr);
    EXPECT_EQ(model.AllRows().size(), rows) << "the rows are the session's";
    SetValueProblem problem = SetValueProblem::None;
    EXPECT_TRUE(SetItemValue(main.Description(), model, *Item(main, "pdoCount"), "2", &problem));
    EXPECT_EQ(Item(main, "pdoCount")->value, "2");
    main.Context().grid = nullptr;
  }});
}

}  // namespace
}  // namespace korvane
