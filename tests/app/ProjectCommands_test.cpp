// New, open and save-as as the user runs them from the main window, and the
// save prompt when the window closes.
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include <QTimer>

#include "EditorFixture.h"
#include "app/AppContext.h"
#include "core/files/CodeFile.h"
#include "core/text/TextFormat.h"
#include "dui/DuiFileDialog.h"

namespace korvane {
namespace {

using test::EditorFixture;
namespace fs = std::filesystem;

std::string Title(CDuiHandlerMain& main) { return main.MainDialog()->FindControl("title")->GetText(); }

class ProjectCommandsTest : public EditorFixture {};

TEST_F(ProjectCommandsTest, NewEditSaveAsAndReopenKeepTheValueAndTheCodeFile) {
  const std::string project = ProjectPath("charger.xml");
  Run({[&](CDuiHandlerMain& main, CDuiDialog&) {
    NewProject(main);
    ChipDescription& desc = main.Description();
    ASSERT_TRUE(desc.HasTree());
    EXPECT_EQ(desc.chipName, "KV3102");
    EXPECT_EQ(desc.functionName, "PB_2C1A");
    EXPECT_EQ(main.Session().newProjectUnsaved, 1);
    EXPECT_EQ(desc.modified, 1);
    // Unsaved from the start: nothing of it is in a file yet.
    EXPECT_NE(Title(main).find("(" + Text("NewProject") + "*)"), std::string::npos) << Title(main);

    SelectNode(main, "ledSettings");
    TypeValue(main, "ledBrightness", "75");
    EXPECT_EQ(Item(main, "ledBrightness")->value, "75");
    EXPECT_EQ(Shown(main, "ledBrightness"), "75");
    EXPECT_TRUE(main.PropertyGrid()->ViewItemFor(Item(main, "ledBrightness"))->ShownModified());

    nextFile = project;
    EXPECT_NE(Click(main, "saveas"), 0);
    ASSERT_FALSE(saves.empty());
    EXPECT_TRUE(saves.back());
    EXPECT_EQ(requests.back().filter, "XML File(*.xml)|*.xml||");
    EXPECT_EQ(requests.back().defaultExtension, "xml");
    // The first save of a new project reloads it from the file it went to.
    EXPECT_EQ(main.Session().newProjectUnsaved, 0);
    EXPECT_EQ(desc.path, project);
    EXPECT_EQ(desc.modified, 0);
    EXPECT_NE(Title(main).find("(charger.xml)"), std::string::npos) << Title(main);
    EXPECT_EQ(Item(main, "ledBrightness")->value, "75");
    // The group being edited is shown again.
    EXPECT_EQ(Shown(main, "ledBrightness"), "75");
  }});
  const std::string codeFile = ProjectPath("charger.hex");
  ASSERT_TRUE(fs::exists(codeFile));
  EXPECT_EQ(FileText(codeFile), FileText(std::string(KORVANE_BIN_DIR) + "/xml/orvik/chips/KV3102.hex"));

  nextFile = project;
  Run({[&](CDuiHandlerMain& main, CDuiDialog&) {
    EXPECT_NE(Click(main, "open"), 0);
    EXPECT_FALSE(saves.back());
    // The user can choose either entry of the open dialog.
    EXPECT_EQ(QtFileFilter(requests.back().filter).toStdString(), "XML File(*.xml);;All File(*.*)");
    ASSERT_TRUE(main.Description().HasTree());
    EXPECT_EQ(main.Description().functionName, "PB_2C1A");
    EXPECT_EQ(main.Description().modified, 0);
    SelectNode(main, "ledSettings");
    EXPECT_EQ(Shown(main, "ledBrightness"), "75");
    EXPECT_EQ(GetCodeFilePath(main.Description()), codeFile);
  }});
  EXPECT_TRUE(boxes.empty()) << boxes[0].text;
}

TEST_F(ProjectCommandsTest, SaveAsNeverReplacesACodeFileBesideTheProject) {
  const std::string project = ProjectPath("mine.xml");
  { std::ofstream(ProjectPath("mine.hex")) << "my own code"; }
  Run({[&](CDuiHandlerMain& main, CDuiDialog&) {
    NewProject(main);
    nextFile = project;
    Click(main, "saveas");
    EXPECT_EQ(main.Description().path, project);
  }});
  EXPECT_EQ(FileText(ProjectPath("mine.hex")), "my own code");
}

// Save As moves the project to the file it wrote: the title names that
// file, and the next save goes there, never back into the old file the user
// meant to keep as it was.
TEST_F(ProjectCommandsTest, SaveAsOfAnOpenedProjectMovesItToTheNewFile) {
  const std::string first = ProjectPath("first.xml");
  const std::string copy = ProjectPath("copy.xml");
  Run({[&](CDuiHandlerMain& main, CDuiDialog&) {
    NewProject(main);
    nextFile = first;
    Click(main, "saveas");
    SelectNode(main, "ledSettings");
    TypeValue(main, "ledBrightness", "47");
    const ConfigItem* root = main.Description().root.get();
    nextFile = copy;
    Click(main, "saveas");
    EXPECT_EQ(main.Description().path, copy);
    EXPECT_EQ(main.Description().root.get(), root) << "an opened project is not read again";
    EXPECT_EQ(main.Description().modified, 0);
    EXPECT_NE(Title(main).find("(copy.xml)"), std::string::npos) << Title(main);
    EXPECT_TRUE(fs::exists(ProjectPath("copy.hex")));
    TypeValue(main, "ledBrightness", "48");
    nextFile.clear();
    Click(main, "save");
  }});
  EXPECT_NE(FileText(copy).find("value=\"48\""), std::string::npos);
  EXPECT_EQ(FileText(first).find("value=\"47\""), std::string::npos);
  EXPECT_EQ(FileText(first).find("value=\"48\""), std::string::npos);
}

TEST_F(ProjectCommandsTest, AProjectOpenedAfterAnUnsavedNewIsNoNewProject) {
  const std::string first = ProjectPath("first.xml");
  Run({[&](CDuiHandlerMain& main, CDuiDialog&) {
    NewProject(main);
    nextFile = first;
    Click(main, "saveas");
    NewProject(main, "KV5210", "ADP_65W");
    ASSERT_EQ(main.Session().newProjectUnsaved, 1);
    Click(main, "open");  // first.xml, the changes of the new one dropped
    EXPECT_EQ(main.Session().newProjectUnsaved, 0);
    const ConfigItem* root = main.Description().root.get();
    nextFile = ProjectPath("second.xml");
    Click(main, "saveas");
    // Saved as the opened project it is: not read back as a new one would be.
    EXPECT_EQ(main.Description().root.get(), root);
    EXPECT_EQ(main.Description().path, nextFile);
    EXPECT_EQ(main.Description().chipName, "KV3102");
  }});
}

TEST_F(ProjectCommandsTest, ASaveThatFailsKeepsTheNewProjectAndItsEdits) {
  Run({[&](CDuiHandlerMain& main, CDuiDialog&) {
    NewProject(main);
    SelectNode(main, "ledSettings");
    TypeValue(main, "ledBrightness", "90");
    nextFile = ProjectPath("no-such-folder/lost.xml");
    Click(main, "saveas");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, FormatText(Text("WriteFileError"), nextFile));
    ChipDescription& desc = main.Description();
    ASSERT_TRUE(desc.HasTree());
    EXPECT_EQ(Item(main, "ledBrightness")->value, "90");
    EXPECT_EQ(desc.modified, 1);
    EXPECT_EQ(main.Session().newProjectUnsaved, 1);
    EXPECT_TRUE(desc.path.empty());
    answer = [](const std::string&) { return IDNO; };  // the close afterwards
  }});
  EXPECT_FALSE(fs::exists(ProjectPath("no-such-folder/lost.hex")));
}

TEST_F(ProjectCommandsTest, SaveAsWithoutAProjectAsksForOne) {
  Run({[&](CDuiHandlerMain& main, CDuiDialog&) {
    EXPECT_NE(Click(main, "saveas"), 0);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, Text("NewNotify"));
    EXPECT_EQ(boxes[0].buttons, 0);
    EXPECT_TRUE(requests.empty());
  }});
}

TEST_F(ProjectCommandsTest, CancellingNewKeepsThePreviousProject) {
  Run({[&](CDuiHandlerMain& main, CDuiDialog&) {
    NewProject(main, "KV5210", "ADP_65W");
    const std::string title = Title(main);
    ConfigItem* root = main.Description().root.get();
    // Unsaved changes: the prompt comes first, then the dialog is cancelled.
    answer = [&](const std::string& text) { return text == Text("SaveNotify") ? IDNO : IDOK; };
    selectType = [](CDuiDialog& d, CSelectDeviceTypeDlg& h) { return ChooseType(d, h, "KV3102", "PB_2C1A", "buttoncancel"); };
    EXPECT_NE(Click(main, "new"), 0);
    EXPECT_EQ(typeDialogs, 2);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, Text("SaveNotify"));
    EXPECT_EQ(main.Description().root.get(), root);
    EXPECT_EQ(main.Description().chipName, "KV5210");
    EXPECT_EQ(main.Description().modified, 1);
    EXPECT_EQ(main.Session().newProjectUnsaved, 1);
    EXPECT_EQ(Title(main), title);
    EXPECT_GT(main.ConfigTree()->topLevelItemCount(), 0);
  }});
}

TEST_F(ProjectCommandsTest, CancellingTheSavePromptStopsNewAndOpen) {
  Run({[&](CDuiHandlerMain& main, CDuiDialog&) {
    NewProject(main);
    answer = [&](const std::string&) { return IDCANCEL; };
    Click(main, "new");
    Click(main, "open");
    EXPECT_EQ(typeDialogs, 1);
    EXPECT_TRUE(requests.empty());
    EXPECT_EQ(boxes.size(), 2u);
    EXPECT_EQ(main.Description().chipName, "KV3102");
    answer = [](const std::string&) { return IDNO; };
  }});
}

TEST_F(ProjectCommandsTest, OpeningAFileThatIsNoProjectLeavesNothingLoaded) {
  { std::ofstream(ProjectPath("broken.xml")) << "<config"; }
  Run({[&](CDuiHandlerMain& main, CDuiDialog&) {
    NewProject(main);
    answer = [&](const std::string&) { return IDNO; };
    nextFile = ProjectPath("broken.xml");
    Click(main, "open");
    EXPECT_FALSE(main.Description().HasTree());
    EXPECT_EQ(main.ConfigTree()->topLevelItemCount(), 0);
    EXPECT_EQ(main.Session().newProjectUnsaved, 0);
    EXPECT_EQ(boxes.back().text, FormatText(Text("ReadFileError"), nextFile));
  }});
}

TEST_F(ProjectCommandsTest, ClosingWithUnsavedChangesAsksAndCancelKeepsTheWindow) {
  const std::string project = ProjectPath("close.xml");
  Run({[&](CDuiHandlerMain& main, CDuiDialog& d) {
    NewProject(main);
    nextFile = project;
    Click(main, "saveas");
    ASSERT_EQ(main.Description().modified, 0);
    // A value still in the editor counts as a change.
    SelectNode(main, "ledSettings");
    auto* line = qobject_cast<QLineEdit*>(main.PropertyGrid()->StartEditing(Item(main, "ledBrightness")));
    ASSERT_NE(line, nullptr);
    line->setText("55");
    answer = [&](const std::string&) { return IDCANCEL; };
    EXPECT_FALSE(d.EndDialog(2));
    test::Pump();
    EXPECT_FALSE(d.Finished());
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, Text("SaveNotify"));
    EXPECT_EQ(Item(main, "ledBrightness")->value, "55");
    // Yes saves to the project's file and closes.
    answer = [&](const std::string&) { return IDYES; };
    EXPECT_TRUE(d.EndDialog(2));
    test::PumpUntil([&] { return d.Finished(); });
    EXPECT_TRUE(d.Finished());
  }});
  EXPECT_NE(FileText(project).find("value=\"55\""), std::string::npos);
}

// Message boxes run their own modal loops here, and the user answers a box
// only once it has shown on top for a while. A value out of range left in the
// grid's editor is committed by "new", "open" or the window's close; its
// warning arrives while the save prompt is up and opens over it. The prompt
// must survive that and return the button its user pressed.
enum class Leave { New, Open, Close };

class SavePromptUnderAWarningTest : public EditorFixture, public ::testing::WithParamInterface<Leave> {
 protected:
  struct Answered {
    std::string text;
    int result;
  };

  AppOptions RealBoxes() {
    AppOptions o = Options();
    o.modalHook = [this, inner = o.modalHook](CDuiDialog& d) {
      if (d.Name() != "dlg_msgbox") return inner(d);
      const std::string text = d.FindControl("msgbox.text")->GetText();
      int set = -1;
      for (int n = 0; n <= 9; ++n)
        if (CDuiControl* c = d.FindControl("msgbox.type." + std::to_string(n)); c && c->IsVisible()) set = n;
      boxes.push_back({text, "", set});
      const int reply = answer(text);
      const char* button = reply == IDYES ? "yes" : reply == IDNO ? "no" : reply == IDCANCEL ? "cancel" : "ok";
      auto* user = new QTimer(&d);
      auto shownTicks = std::make_shared<int>(0);
      QObject::connect(user, &QTimer::timeout, &d, [&d, set, button, shownTicks] {
        const bool onTop = d.isVisible() && d.System().FindDialog("dlg_msgbox") == &d;
        *shownTicks = onTop ? *shownTicks + 1 : 0;
        if (*shownTicks < 5) return;
        CDuiControl* c = d.FindControl("msgbox.type." + std::to_string(set) + "." + button);
        if (auto* b = c ? qobject_cast<QPushButton*>(c->Widget()) : nullptr; b && b->isVisible()) b->click();
      });
      user->start(20);
      const int result = d.ExecModal();
      answered.push_back({text, result});
      return result;
    };
    return o;
  }

  std::vector<Answered> answered;
};

TEST_P(SavePromptUnderAWarningTest, ThePromptOutlivesTheWarningAndItsAnswerCounts) {
  const std::string warning = Text("MAXMIN_Value_Notify") + "0 ~ 255!";
  bool closed = false;
  const int status = AppFixture::Run({[&](CDuiHandlerMain& main, CDuiDialog& d) {
    NewProject(main);
    SelectNode(main, "advanced");
    auto* line = qobject_cast<QLineEdit*>(main.PropertyGrid()->StartEditing(Item(main, "usbAThreshold")));
    ASSERT_NE(line, nullptr);
    line->setText("300");
    switch (GetParam()) {
      case Leave::New:
        Click(main, "new");
        EXPECT_EQ(typeDialogs, 2) << "the command went on after the prompt";
        break;
      case Leave::Open:
        Click(main, "open");
        EXPECT_EQ(requests.size(), 1u) << "the command went on after the prompt";
        break;
      case Leave::Close:
        EXPECT_TRUE(d.EndDialog(2));
        closed = test::PumpUntil([&] { return d.Finished(); });
        break;
    }
    // "new" replaced the project; otherwise the capped value is in it.
    if (GetParam() != Leave::New) {
      EXPECT_EQ(Item(main, "usbAThreshold")->value, "255");
    }
  }}, RealBoxes());
  EXPECT_EQ(status, 0);
  if (GetParam() == Leave::Close) {
    EXPECT_TRUE(closed) << "the window closed on the prompt's answer";
  }
  // The warning was answered inside the prompt's loop, then the prompt.
  ASSERT_GE(answered.size(), 2u);
  EXPECT_EQ(answered[0].text, warning);
  EXPECT_EQ(answered[0].result, IDOK);
  EXPECT_EQ(answered[1].text, Text("SaveNotify"));
  EXPECT_EQ(answered[1].result, IDNO);
}

INSTANTIATE_TEST_SUITE_P(Leaving, SavePromptUnderAWarningTest, ::testing::Values(Leave::New, Leave::Open, Leave::Close),
                         [](const ::testing::TestParamInfo<Leave>& info) {
                           return info.param == Leave::New ? "New" : info.param == Leave::Open ? "Open" : "Close";
                         });

}  // namespace
}  // namespace korvane
