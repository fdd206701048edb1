// What a desktop editor is expected to do: save in place, Save As from the
// current name, a title that names the file and shows unsaved changes, Quit
// through the save prompt, shortcuts in the menus, and an About box.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <QAction>
#include <QMenu>

#include "EditorFixture.h"
#include "app/AppContext.h"
#include "app/CAboutDlg.h"
#include "core/text/TextFormat.h"
#include "link/LinkTypes.h"
#include "link/OperationKind.h"

namespace korvane {
namespace {

using test::EditorFixture;
namespace fs = std::filesystem;

std::vector<std::string> FilesIn(const std::string& dir) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

class DesktopBasicsTest : public EditorFixture {
 protected:
  std::string Title(CDuiHandlerMain& main) const {
    const std::string label = main.MainDialog()->FindControl("title")->GetText();
    EXPECT_EQ(main.MainDialog()->windowTitle().toStdString(), label) << "the window's title and the title bar agree";
    return label;
  }
  std::string Titled(const std::string& suffix) const {
    const std::string plain = Text("APP_NAME") + " V" + Text("APP_VER");
    return suffix.empty() ? plain : plain + " (" + suffix + ")";
  }
  static void Trigger(CDuiHandlerMain& main, const char* action) {
    main.MainDialog()->FindControl(action)->Action()->trigger();
    test::Pump();
  }
  // A configuration read from the programmer arriving as the runner delivers it.
  static void ReadIntoItems(CDuiHandlerMain& main) {
    const AreaLayout& layout = main.Context().core.layout;
    auto* area = new ReadResult(layout.confSize);
    area->address = layout.confStart;
    main.OnDuiMessage(0, "", UM_OPERATION_RESULT, kOpReadToolConfig, reinterpret_cast<LPARAM>(area));
  }
};

// The title follows the project through every step that changes whether it
// has unsaved changes, and names its file, not the whole path.
TEST_F(DesktopBasicsTest, TheTitleNamesTheFileAndMarksUnsavedChanges) {
  const std::string a = ProjectPath("a.xml");
  { std::ofstream(ProjectPath("broken.xml")) << "<config"; }
  std::vector<std::pair<std::string, std::string>> seen;  // step, title
  Run({[&](CDuiHandlerMain& main, CDuiDialog&) {
    auto step = [&](const char* what) { seen.push_back({what, Title(main)}); };
    step("start");
    NewProject(main);
    step("new");
    nextFile = a;
    Click(main, "save");
    step("first save");
    SelectNode(main, "ledSettings");
    TypeValue(main, "ledBrightness", "70");
    step("edit");
    Click(main, "save");
    step("save");
    ReadIntoItems(main);
    step("read into the items");
    Trigger(main, "save");
    step("save by its action");
    TypeValue(main, "ledBrightness", "71");
    answer = [&](const std::string&) { return IDNO; };
    nextFile = a;
    Click(main, "open");
    step("open, changes dropped");
    nextFile = ProjectPath("broken.xml");
    Click(main, "open");
    step("an open that failed");
    EXPECT_EQ(main.MainDialog()->FindControl("title")->Widget()->toolTip().toStdString(), "");
  }});
  const std::vector<std::pair<std::string, std::string>> expected = {
      {"start", Titled("")},
      {"new", Titled(Text("NewProject") + "*")},
      {"first save", Titled("a.xml")},
      {"edit", Titled("a.xml*")},
      {"save", Titled("a.xml")},
      {"read into the items", Titled("a.xml*")},
      {"save by its action", Titled("a.xml")},
      {"open, changes dropped", Titled("a.xml")},
      {"an open that failed", Titled("")},
  };
  EXPECT_EQ(seen, expected);
}

// The first save of a new project asks for a name (suggesting one); every
// later save writes in place, atomically, with nothing left beside.
TEST_F(DesktopBasicsTest, SaveAsksForTheNameOnceThenWritesInPlace) {
  const std::string a = ProjectPath("a.xml");
  Run({[&](CDuiHandlerMain& main, CDuiDialog&) {
    NewProject(main);
    nextFile = a;
    EXPECT_NE(Click(main, "save"), 0);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_TRUE(saves[0]);
    EXPECT_EQ(requests[0].initialName, "KV3102_PB_2C1A.xml");
    EXPECT_EQ(requests[0].filter, "XML File(*.xml)|*.xml||");
    EXPECT_EQ(requests[0].defaultExtension, "xml");
    EXPECT_TRUE(requests[0].overwritePrompt);
    EXPECT_EQ(main.Description().path, a);
    EXPECT_EQ(main.Session().newProjectUnsaved, 0);

    SelectNode(main, "ledSettings");
    TypeValue(main, "ledBrightness", "66");
    nextFile.clear();  // a dialog now would be cancelled
    Trigger(main, "save");
    EXPECT_EQ(requests.size(), 1u) << "a saved project is saved without asking";
    EXPECT_EQ(main.Description().modified, 0);
    // The view shows the saved value, no longer marked as changed.
    EXPECT_EQ(Shown(main, "ledBrightness"), "66");
  }});
  EXPECT_NE(FileText(a).find("value=\"66\""), std::string::npos);
  EXPECT_EQ(FileText(ProjectPath("a.hex")), FileText(std::string(KORVANE_BIN_DIR) + "/xml/orvik/chips/KV3102.hex"));
  EXPECT_EQ(FilesIn(projects.path().toStdString()), (std::vector<std::string>{"a.hex", "a.xml"}));
  EXPECT_TRUE(boxes.empty()) << boxes[0].text;
}

TEST_F(DesktopBasicsTest, SaveAsStartsFromTheProjectsOwnFile) {
  const std::string a = ProjectPath("a.xml");
  Run({[&](CDuiHandlerMain& main, CDuiDialog&) {
    NewProject(main);
    nextFile = a;
    Click(main, "saveas");
    EXPECT_EQ(requests.back().initialName, "KV3102_PB_2C1A.xml");
    nextFile.clear();
    Click(main, "saveas");
    EXPECT_EQ(requests.back().initialName, a);
    EXPECT_TRUE(requests.back().overwritePrompt);
    EXPECT_EQ(main.Description().path, a) << "a cancelled Save As changes nothing";
  }});
}

// A save that cannot write keeps the changes, and the title keeps saying so.
TEST_F(DesktopBasicsTest, AFailedSaveKeepsTheUnsavedMark) {
  Run({[&](CDuiHandlerMain& main, CDuiDialog&) {
    NewProject(main);
    nextFile = ProjectPath("missing-folder/a.xml");
    Click(main, "save");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, FormatText(Text("WriteFileError"), nextFile));
    EXPECT_EQ(Title(main), Titled(Text("NewProject") + "*"));
  }});
}

TEST_F(DesktopBasicsTest, SaveWithoutAProjectAsksForOne) {
  Run({[&](CDuiHandlerMain& main, CDuiDialog&) {
    EXPECT_NE(Click(main, "save"), 0);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, Text("NewNotify"));
    EXPECT_TRUE(requests.empty());
  }});
}

// Quit asks what closing the window asks: Cancel keeps the window, No closes it.
TEST_F(DesktopBasicsTest, QuitGoesThroughTheSavePrompt) {
  bool stayed = false, closed = false;
  Run({[&](CDuiHandlerMain& main, CDuiDialog& d) {
    NewProject(main);
    answer = [&](const std::string&) { return IDCANCEL; };
    Trigger(main, "quit");
    stayed = !d.Finished();
    answer = [&](const std::string&) { return IDNO; };
    Trigger(main, "quit");
    closed = test::PumpUntil([&] { return d.Finished(); });
  }});
  EXPECT_TRUE(stayed);
  EXPECT_TRUE(closed);
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].text, Text("SaveNotify"));
  EXPECT_EQ(boxes[1].text, Text("SaveNotify"));
  EXPECT_EQ(passes, 1u);
}

TEST_F(DesktopBasicsTest, QuitWithNothingUnsavedClosesAtOnce) {
  bool closed = false;
  Run({[&](CDuiHandlerMain& main, CDuiDialog& d) {
    Trigger(main, "quit");
    closed = test::PumpUntil([&] { return d.Finished(); });
  }});
  EXPECT_TRUE(closed);
  EXPECT_TRUE(boxes.empty());
}

// Yes to the prompt on closing saves a new project as "save" does: under the
// name asked for, with its code file beside it.
TEST_F(DesktopBasicsTest, YesOnClosingSavesANewProjectWithItsCodeFile) {
  const std::string a = ProjectPath("closing.xml");
  Run({[&](CDuiHandlerMain& main, CDuiDialog& d) {
    NewProject(main);
    SelectNode(main, "ledSettings");
    TypeValue(main, "ledBrightness", "33");
    answer = [&](const std::string&) { return IDYES; };
    nextFile = a;
    EXPECT_TRUE(d.EndDialog(2));
    test::PumpUntil([&] { return d.Finished(); });
  }});
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].initialName, "KV3102_PB_2C1A.xml");
  EXPECT_EQ(requests[0].filter, "XML File(*.xml)|*.xml||");
  EXPECT_NE(FileText(a).find("value=\"33\""), std::string::npos);
  EXPECT_TRUE(fs::exists(ProjectPath("closing.hex")));
}

// Each command named in a menu shows its key there.
TEST_F(DesktopBasicsTest, TheMenusShowTheShortcuts) {
  const std::pair<const char*, const char*> keys[] = {
      {"new", "Ctrl+N"},  {"open", "Ctrl+O"}, {"save", "Ctrl+S"}, {"saveas", "Ctrl+Shift+S"},
      {"quit", "Ctrl+Q"}, {"config", "F6"},   {"read", "F5"},     {"checksum", "F7"},
  };
  Run({[&](CDuiHandlerMain&, CDuiDialog& d) {
    for (const auto& [name, key] : keys) {
      QAction* action = d.FindControl(name)->Action();
      ASSERT_NE(action, nullptr) << name;
      EXPECT_EQ(action->shortcut(), QKeySequence(key)) << name;
      bool inMenu = false;
      for (QObject* o : action->associatedObjects()) inMenu |= qobject_cast<QMenu*>(o) != nullptr;
      EXPECT_TRUE(inMenu) << name;
    }
    // Quit and About have their places: the end of the File menu, and Help.
    auto* file = qobject_cast<QMenu*>(d.FindControl("menu.file")->Widget());
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->actions().back(), d.FindControl("quit")->Action());
    EXPECT_EQ(file->title().toStdString(), Text("UI_MENU_FILE"));
    auto* help = qobject_cast<QMenu*>(d.FindControl("menu.help")->Widget());
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->actions().contains(d.FindControl("about")->Action()));
  }});
}

// The About box says which version this is, under which licence, and which
// data folder the chips come from, in either language.
TEST_F(DesktopBasicsTest, AboutNamesTheVersionTheLicenceAndTheDataFolder) {
  for (const char* lang : {"en_US.UTF-8", "zh_CN.UTF-8"}) {
    SCOPED_TRACE(lang);
    locale = {{"LANG", lang}};
    passes = 0;
    std::map<std::string, std::string> shown;
    std::string dataFolder;
    onDialog = [&](CDuiDialog& d) {
      EXPECT_EQ(d.Name(), "dlg_about");
      for (const char* c : {"about.name", "about.summary", "about.licence", "about.datadir"})
        shown[c] = d.FindControl(c)->GetText();
      shown["icon"] = d.FindControl("about.icon")->GetAttribute("image");
      shown["title"] = d.windowTitle().toStdString();
      return 1;
    };
    Run({[&](CDuiHandlerMain& main, CDuiDialog&) {
      language = LanguageTable::ForLanguageId(main.Context().app.language);
      dataFolder = CAboutDlg::DataFolder(main.Context());
      EXPECT_NE(Click(main, "about"), 0);
    }});
    for (const char* key : {"UI_ABOUT", "UI_TITLE_ABOUT", "ABOUT_VERSION", "ABOUT_SUMMARY", "ABOUT_LICENCE", "ABOUT_DATA_DIR"})
      EXPECT_FALSE(Text(key).empty()) << key;
    EXPECT_EQ(shown["about.name"], Text("APP_NAME") + " " + FormatText(Text("ABOUT_VERSION"), KORVANE_VERSION));
    EXPECT_EQ(shown["about.summary"], Text("ABOUT_SUMMARY"));
    EXPECT_EQ(shown["about.licence"], Text("ABOUT_LICENCE"));
    EXPECT_EQ(shown["about.datadir"], FormatText(Text("ABOUT_DATA_DIR"), dataFolder));
    EXPECT_EQ(shown["icon"], "skin:app");
    EXPECT_EQ(shown["title"], Text("UI_TITLE_ABOUT"));
    // The folder named is the one this run reads its chips from.
    EXPECT_EQ(dataFolder, fs::weakly_canonical(fs::path(KORVANE_BIN_DIR) / "xml/orvik").string() + "/");
    EXPECT_TRUE(fs::exists(dataFolder + "device.xml")) << dataFolder;
  }
}

}  // namespace
}  // namespace korvane
