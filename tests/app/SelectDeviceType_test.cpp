// The chip and device-type dialog of "new".
#include <fstream>
#include <sstream>

#include <QPlainTextEdit>

#include "EditorFixture.h"
#include "app/AppContext.h"

namespace korvane {
namespace {

using test::EditorFixture;

std::vector<std::string> NodeTexts(QTreeWidget& tree) {
  std::vector<std::string> out;
  std::function<void(QTreeWidgetItem*, const std::string&)> walk = [&](QTreeWidgetItem* item, const std::string& indent) {
    out.push_back(indent + item->text(0).toStdString());
    for (int i = 0; i < item->childCount(); ++i) walk(item->child(i), indent + "  ");
  };
  for (int i = 0; i < tree.topLevelItemCount(); ++i) walk(tree.topLevelItem(i), "");
  return out;
}

class SelectDeviceTypeTest : public EditorFixture {
 protected:
  // Runs the dialog once from the main window with script as the user.
  void RunDialog(const TypeScript& script, int* shown, std::string* chip, std::string* function) {
    selectType = script;
    Run({[&](CDuiHandlerMain& main, CDuiDialog&) {
      auto* dialog = new CSelectDeviceTypeDlg(*main.Context().dui, main.Context().core, main.MainDialog());
      *shown = dialog->DoModal();
      *chip = dialog->ChipName();
      *function = dialog->FunctionName();
      main.Context().dui->ReleaseHandler(dialog);
      EXPECT_EQ(main.Context().dui->FindDialog("dlg_select_type"), nullptr);
    }});
  }
};

TEST_F(SelectDeviceTypeTest, TheTreeShowsWhatTheChipSupportsAndOnlyAFunctionEnablesOk) {
  int shown = 0;
  std::string chip, function;
  RunDialog(
      [&](CDuiDialog& d, CSelectDeviceTypeDlg& h) {
        CDuiControl* ok = d.FindControl("buttonok");
        CDuiControl* combo = d.FindControl("typesComb");
        EXPECT_EQ(combo->GetComboCount(), 3);
        EXPECT_EQ(combo->GetText(), "KV3102");
        EXPECT_FALSE(ok->IsEnabled());
        CDeviceTypeTreeCtrl& tree = *h.Tree();
        EXPECT_EQ(NodeTexts(tree),
                  (std::vector<std::string>{"Orvik product functions", "  Power Bank", "    Power bank 2C+1A 22.5W",
                                            "    Power bank PD 20W", "  Car Charge", "    Car charger PD 30W"}));
        QTreeWidgetItem* category = tree.NodeOf("PB");
        QTreeWidgetItem* supported = tree.NodeOf("PB_PD20W");
        if (!category || !supported) {
          ADD_FAILURE() << "nodes missing";
          return 2;
        }
        EXPECT_TRUE(category->isExpanded());
        EXPECT_EQ(category->foreground(0).color(), QColor(0x50, 0x50, 0x50));
        EXPECT_EQ(tree.topLevelItem(0)->foreground(0).color(), QColor(0x50, 0x50, 0x50));
        EXPECT_EQ(supported->foreground(0).color(), QColor(Qt::black));

        tree.setCurrentItem(supported);
        EXPECT_TRUE(ok->IsEnabled());
        EXPECT_EQ(d.FindControl("descEdit")->GetText(), CDeviceTypeTreeCtrl::EntryOf(supported)->descript);
        tree.setCurrentItem(category);
        EXPECT_FALSE(ok->IsEnabled());
        EXPECT_EQ(d.FindControl("descEdit")->GetText(), CDeviceTypeTreeCtrl::EntryOf(category)->descript);
        // OK with a category chosen (a click that gets through) keeps the dialog open.
        h.OnDuiMessage(ok->UID(), "buttonok", DUI_MSG_CLICK, 0, 0);
        test::Pump();
        EXPECT_FALSE(d.Finished());

        // Another chip, another tree; OK waits for a choice again.
        tree.setCurrentItem(supported);
        auto* box = qobject_cast<QComboBox*>(combo->Widget());
        box->setCurrentIndex(box->findText("KV7400"));
        EXPECT_FALSE(ok->IsEnabled());
        EXPECT_EQ(h.Tree()->ChipName(), "KV7400");
        EXPECT_EQ(NodeTexts(*h.Tree()).size(), 5u);  // top, Emarker, three cables
        // A double click on a category chooses nothing; on a function it is OK.
        h.Tree()->setCurrentItem(h.Tree()->NodeOf("EMK"));
        emit h.Tree()->itemDoubleClicked(h.Tree()->NodeOf("EMK"), 0);
        test::Pump();
        EXPECT_FALSE(d.Finished());
        h.Tree()->setCurrentItem(h.Tree()->NodeOf("EMK_USB4"));
        EXPECT_TRUE(ok->IsEnabled());
        emit h.Tree()->itemDoubleClicked(h.Tree()->NodeOf("EMK_USB4"), 0);
        test::PumpUntil([&] { return d.Finished(); });
        return d.Result();
      },
      &shown, &chip, &function);
  EXPECT_EQ(shown, 1);
  EXPECT_EQ(chip, "KV7400");
  EXPECT_EQ(function, "EMK_USB4");
}

TEST_F(SelectDeviceTypeTest, CancelLeavesTheChoiceEmptyAndEveryNotificationButMovementIsLogged) {
  int shown = 0;
  std::string chip = "x", function = "x";
  RunDialog(
      [&](CDuiDialog& d, CSelectDeviceTypeDlg& h) {
        h.Tree()->setCurrentItem(h.Tree()->NodeOf("PB_2C1A"));
        CDuiControl* cancel = d.FindControl("buttoncancel");
        h.OnDuiMessage(cancel->UID(), "buttoncancel", DUI_MSG_MOVE, 0, 0);
        qobject_cast<QPushButton*>(cancel->Widget())->click();
        test::PumpUntil([&] { return d.Finished(); });
        return d.Result();
      },
      &shown, &chip, &function);
  EXPECT_EQ(shown, 2);
  EXPECT_TRUE(chip.empty());
  EXPECT_TRUE(function.empty());

  std::ifstream in(logDir.filePath("korvane.log").toStdString());
  std::stringstream log;
  log << in.rdbuf();
  const std::string text = log.str();
  EXPECT_NE(text.find("CSelectDeviceTypeDlg::OnDuiMessage:uID=0, name=selectitem, msg=0, wParam=0, lParam="),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("CSelectDeviceTypeDlg::OnDuiMessage:uID="), std::string::npos);
  EXPECT_NE(text.find("name=buttoncancel, msg=2, wParam=0, lParam=0"), std::string::npos);
  EXPECT_EQ(text.find("name=buttoncancel, msg=7"), std::string::npos);
}

TEST_F(SelectDeviceTypeTest, WithoutChipsTheListAndTheTreeStayEmpty) {
  QTemporaryDir base;
  ASSERT_TRUE(QDir().mkpath(base.filePath("xml/orvik/chips")));
  int shown = 0;
  std::string chip, function;
  selectType = [&](CDuiDialog& d, CSelectDeviceTypeDlg& h) {
    EXPECT_EQ(d.FindControl("typesComb")->GetComboCount(), 0);
    EXPECT_EQ(h.Tree()->topLevelItemCount(), 0);
    EXPECT_FALSE(d.FindControl("buttonok")->IsEnabled());
    return 2;
  };
  Run({[&](CDuiHandlerMain& main, CDuiDialog&) {
    main.Context().core.baseDir = base.path().toStdString() + "/";
    auto* dialog = new CSelectDeviceTypeDlg(*main.Context().dui, main.Context().core, main.MainDialog());
    shown = dialog->Show();
    main.Context().dui->ReleaseHandler(dialog);
  }});
  EXPECT_EQ(typeDialogs, 1);
  EXPECT_EQ(shown, 2);
}

}  // namespace
}  // namespace korvane
