#include "core/model/ProjectFile.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include "support/TestChip.h"
#include "support/TempDir.h"
#include "core/model/FileDialog.h"

namespace korvane {
namespace {
namespace fs = std::filesystem;

struct AnsweringDialog : IFileDialog {
  bool accept = true;
  std::string answer;
  int asked = 0;
  FileDialogRequest last;
  bool SaveFileName(const FileDialogRequest& r, std::string& chosen) override {
    ++asked;
    last = r;
    chosen = answer;
    return accept;
  }
  bool OpenFileName(const FileDialogRequest&, std::string&) override { return false; }
};

class ProjectFileTest : public testing::Test, public test::Installation {
 protected:
  void SetValue(const std::string& name, const std::string& value) {
    ConfigItem* item = FindItem(nullptr, desc.root.get(), name);
    ASSERT_NE(item, nullptr) << name;
    item->value = value;
    item->element.attribute("value").set_value(value.c_str());
    desc.modified = 1;
  }
  std::vector<std::string> FolderEntries(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
};

TEST_F(ProjectFileTest, SaveAndReopenKeepsValuesSelectAndOtherFunctions) {
  ASSERT_TRUE(desc.NewDescription("TCHIP", "ADP2", nullptr));
  SetValue("level", "12");
  const std::string project = dir / "p/proj.xml";
  fs::create_directories(dir / "p");
  ASSERT_TRUE(SaveProject(desc, project));
  EXPECT_EQ(desc.modified, 0);

  const std::string text = test::ReadText(project);
  EXPECT_EQ(text.rfind("<?xml version=\"1.0\"?>\n<config", 0), 0u) << text.substr(0, 60);
  EXPECT_NE(text.find("\n\t<PB1 "), std::string::npos) << "tab indentation, other function kept";
  EXPECT_NE(text.find("support=\"PB1, ADP2;HUB3\" select=\"ADP2\">"), std::string::npos) << "select appended last";
  EXPECT_EQ(FolderEntries(dir / "p"), std::vector<std::string>{"proj.xml"}) << "no temporary file left";

  ChipDescription reopened(ctx);
  ASSERT_TRUE(reopened.OpenDescription(project, nullptr));
  EXPECT_EQ(reopened.functionName, "ADP2") << "not the first function element";
  EXPECT_EQ(FindItem(nullptr, reopened.root.get(), "level")->value, "12");
  EXPECT_STREQ(reopened.document.child("config").child("PB1").child("item").child("item").attribute("name").value(), "volt");
  EXPECT_EQ(ProjectText(reopened), text) << "saving again writes the same file";
}

TEST_F(ProjectFileTest, SaveReplacesTheFileWholeAndKeepsItsPermissions) {
  ASSERT_TRUE(desc.NewDescription("TCHIP", "PB1", nullptr));
  const std::string project = dir / "proj.xml";
  test::WriteText(project, "old contents");
  ASSERT_EQ(::chmod(project.c_str(), 0640), 0);
  struct stat before {};
  ::stat(project.c_str(), &before);
  ASSERT_TRUE(SaveProject(desc, project));
  struct stat after {};
  ::stat(project.c_str(), &after);
  EXPECT_NE(before.st_ino, after.st_ino) << "a new file renamed over the old one";
  EXPECT_EQ(after.st_mode & 0777, 0640u);
  EXPECT_NE(test::ReadText(project).find("select=\"PB1\""), std::string::npos);
}

TEST_F(ProjectFileTest, AFailedSaveKeepsModifiedAndSaysWhere) {
  ASSERT_TRUE(desc.NewDescription("TCHIP", "PB1", nullptr));
  desc.modified = 1;
  for (const std::string& target : {dir / "missing/proj.xml", dir.Path()}) {
    box.shown.clear();
    EXPECT_FALSE(SaveProject(desc, target));
    EXPECT_EQ(desc.modified, 1) << target;
    ASSERT_EQ(box.shown.size(), 1u);
    EXPECT_EQ(box.shown[0].text, "Cannot write " + target);
    EXPECT_EQ(box.shown[0].type, unsigned{MB_OK | MB_ICONERROR});
  }
  EXPECT_EQ(FolderEntries(dir.Path()), std::vector<std::string>{"xml"}) << "no temporary file left";
}

TEST_F(ProjectFileTest, NothingLoadedSavesNothing) {
  desc.modified = 1;
  EXPECT_FALSE(SaveProject(desc, dir / "x.xml"));
  EXPECT_EQ(desc.modified, 0);
  EXPECT_FALSE(fs::exists(dir / "x.xml"));
}

TEST_F(ProjectFileTest, ConfirmSaveAnswers) {
  AnsweringDialog dialogs;
  ASSERT_TRUE(desc.NewDescription("TCHIP", "PB1", nullptr));
  EXPECT_TRUE(ConfirmSave(desc, &dialogs)) << "unmodified: nothing asked";
  EXPECT_TRUE(box.shown.empty());

  desc.modified = 1;
  box.answer = IDCANCEL;
  EXPECT_FALSE(ConfirmSave(desc, &dialogs));
  EXPECT_EQ(box.shown.back().text, "Save changes?");
  EXPECT_EQ(box.shown.back().type, unsigned{MB_YESNOCANCEL | MB_ICONWARNING});

  box.answer = IDNO;
  EXPECT_TRUE(ConfirmSave(desc, &dialogs));
  EXPECT_EQ(desc.modified, 1);
  EXPECT_EQ(dialogs.asked, 0);

  box.answer = IDYES;
  dialogs.accept = false;
  EXPECT_FALSE(ConfirmSave(desc, &dialogs)) << "no name chosen";
  EXPECT_EQ(dialogs.last.defaultExtension, "xml");
  EXPECT_EQ(dialogs.last.filter, "All File(*.*)|*.*||");

  dialogs.accept = true;
  dialogs.answer = dir / "chosen.xml";
  EXPECT_TRUE(ConfirmSave(desc, &dialogs));
  EXPECT_EQ(desc.path, dir / "chosen.xml");
  EXPECT_EQ(desc.modified, 0);
  EXPECT_TRUE(fs::exists(dir / "chosen.xml"));

  desc.modified = 1;
  desc.path = dir / "gone/proj.xml";
  EXPECT_FALSE(ConfirmSave(desc, &dialogs)) << "a save that failed must not let the caller drop the changes";
  EXPECT_EQ(desc.modified, 1);
}

}  // namespace
}  // namespace korvane
