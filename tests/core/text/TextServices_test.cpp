#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "core/text/LanguageTable.h"
#include "core/text/LogFile.h"
#include "core/text/ParseNumber.h"
#include "core/text/TextFormat.h"
#include "core/text/XmlLoader.h"
#include "support/TempDir.h"

namespace korvane {
namespace {
namespace fs = std::filesystem;

TEST(ParseNumber, ReadsEveryWrittenForm) {
  struct Case {
    const char* text;
    int32_t fallback;
    int32_t expected;
  } cases[] = {
      {"0x10", 0, 16},     {"10H", 0, 16},        {"0010h", 0, 16},       {"  16  ", 0, 16},
      {"H10", 0, 0},       {"", 7, 7},            {"   ", -1, -1},        {"-5", 0, -5},
      {"1FH", 0, 0x1F},    {"7FFFH", 0, 0x7FFF},  {"0X7FFF", 0, 0x7FFF}, {"0xFFFFFFFF", 0, -1},
      {"12abc", 0, 12},    {"abc", 3, 0},         {"0x", 0, 0},           {"0x1G", 0, 1},
      {"99999999999", 0, INT32_MAX},              {"-99999999999", 0, INT32_MIN},
      {"0x123456789", 0, -1},                     {"+42", 0, 42},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseNumber(c.text, c.fallback), c.expected) << c.text;
}

TEST(FormatText, FillsOnlyTheFirstTextPlaceholder) {
  EXPECT_EQ(FormatText("Cannot read %s.", "/a b"), "Cannot read /a b.");
  EXPECT_EQ(FormatText("100%% of %s and %s", "x"), "100% of x and ");
  EXPECT_EQ(FormatText("%d %n %s", "y"), "%d %n y");  // other conversions stay as text
  EXPECT_EQ(FormatText("tail %", "z"), "tail %");
}

LanguageTable TableOf(const std::string& body) {
  LanguageTable t;
  EXPECT_TRUE(t.LoadFromXml("<language name=\"xx\">" + body + "</language>"));
  return t;
}

TEST(LookupText, SubstitutesBracketedKeysOnly) {
  LanguageTable t = TableOf(
      "<text key=\"APP_VER\">1.2</text><text key=\"V\">Version [APP_VER]</text>"
      "<text key=\"U\">[NOPE] and [APP_VER][APP_VER] [[APP_VER]]</text><text key=\"O\">open [ end</text>");
  EXPECT_EQ(t.LookupText("V"), "Version 1.2");
  EXPECT_EQ(t.LookupText("U"), "[NOPE] and 1.21.2 [1.2]");
  EXPECT_EQ(t.LookupText("O"), "open [ end");
  EXPECT_EQ(t.LookupText("MISSING"), "");
  EXPECT_EQ(t.Name(), "xx");
}

TEST(LanguageTable, RejectsDocumentsThatAreNoTable) {
  LanguageTable t;
  EXPECT_FALSE(t.LoadFromXml("<other/>"));
  EXPECT_FALSE(t.LoadFromXml("<language><text key=\"a\">"));
  EXPECT_TRUE(t.Texts().empty());
}

TEST(LanguageTable, PicksTheTableByLanguageId) {
  EXPECT_EQ(LanguageNameForId(2052), "zh-cn");
  for (int id : {1028, 3076, 4100}) EXPECT_EQ(LanguageNameForId(id), "zh-tw");
  for (int id : {1033, 0, 9999}) EXPECT_EQ(LanguageNameForId(id), "en-us");
  EXPECT_EQ(LanguageTable::ForLanguageId(2052).Name(), "zh-cn");
  EXPECT_EQ(LanguageTable::ForLanguageId(1028).Name(), "zh-cn");  // no table of its own
  EXPECT_EQ(LanguageTable::ForLanguageId(1033).Name(), "en-us");
  EXPECT_FALSE(LanguageTable::Embedded("en-us").LookupText("MessageBoxTitle").empty());
}

class LogFileTest : public ::testing::Test {
 protected:
  std::string Read(const fs::path& p) { return test::ReadText(p.string()); }
  test::TempDir temp_;
  fs::path dir_ = temp_.Path();
};

TEST_F(LogFileTest, WritesLevelStampThreadAndMessage) {
  LogFile log({(dir_ / "k.log").string(), LOG_INFO, 1024, 3});
  log.WriteLog(LOG_DEBUG, "hidden");  // below the minimum level
  log.WriteLog(LOG_ERROR, "broken %s");
  log.WriteLog(LOG_CRITICAL, "two\nlines\n");
  log.WriteLog(3, "odd level");  // named DEBUG, but 3 ≥ 2 is written
  const std::string text = Read(dir_ / "k.log");
  EXPECT_EQ(text.find("hidden"), std::string::npos);
  EXPECT_NE(text.find("] : broken %s\n"), std::string::npos);
  EXPECT_NE(text.find("CRITICAL "), std::string::npos);
  EXPECT_NE(text.find("two\nlines\n"), std::string::npos);
  EXPECT_EQ(text.find("lines\n\n"), std::string::npos);  // a message with a line feed gets none added
  EXPECT_NE(text.find("DEBUG "), std::string::npos);
  ASSERT_EQ(text.rfind("ERROR ", 0), 0u);
  // "ERROR YYYY-MM-DD hh:mm:ss[tid] : "
  EXPECT_EQ(text[10], '-');
  EXPECT_EQ(text[22], ':');
  EXPECT_EQ(text[25], '[');
}

TEST_F(LogFileTest, CutsLongMessagesAndIsOffWithoutAPath) {
  LogFile off;
  off.WriteLog(LOG_ERROR, "nothing");
  LogFile log({(dir_ / "k.log").string(), LOG_DEBUG, 1024, 3});
  log.WriteLog(LOG_INFO, std::string(5000, 'x'));
  const std::string text = Read(dir_ / "k.log");
  EXPECT_EQ(std::count(text.begin(), text.end(), 'x'), 999);
}

TEST_F(LogFileTest, RotatesIntoBackupsAndPrunesTheOldest) {
  LogFile log({(dir_ / "k.log").string(), LOG_DEBUG, 1, 2});  // 1 KiB
  for (int i = 0; i < 60; ++i) log.WriteLog(LOG_INFO, std::string(100, 'a' + i % 26));
  int backups = 0;
  for (const auto& e : fs::directory_iterator(dir_)) {
    const std::string name = e.path().filename().string();
    if (name == "k.log") continue;
    ++backups;
    EXPECT_EQ(name.rfind("k.logbak.", 0), 0u) << name;
    EXPECT_EQ(e.path().extension(), ".log");
  }
  EXPECT_EQ(backups, 2);
  EXPECT_LE(fs::file_size(dir_ / "k.log"), 2048u);
}

TEST_F(LogFileTest, SerialisesWritersOfSeveralThreads) {
  LogFile log({(dir_ / "k.log").string(), LOG_DEBUG, 1 << 20, 2});
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([&log, t] {
      for (int i = 0; i < 200; ++i) log.WriteLog(LOG_INFO, "thread " + std::to_string(t) + " line");
    });
  for (auto& th : threads) th.join();
  const std::string text = Read(dir_ / "k.log");
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 800);
}

TEST_F(LogFileTest, XmlLoaderReportsMissingFilesAndKeepsAttributeWhiteSpace) {
  LogFile log({(dir_ / "k.log").string(), LOG_DEBUG, 1024, 2});
  pugi::xml_document doc;
  EXPECT_FALSE(LoadXmlFile(doc, (dir_ / "none.xml").string(), &log));
  EXPECT_NE(Read(dir_ / "k.log").find("DuiSystem::LoadXmlFile"), std::string::npos);

  std::ofstream(dir_ / "a.xml") << "<?xml version=\"1.0\"?><!-- c --><config a=\"x\ty\r\nz\"/>";
  ASSERT_TRUE(LoadXmlFile(doc, (dir_ / "a.xml").string(), &log));
  EXPECT_STREQ(doc.child("config").attribute("a").value(), "x\ty\nz");
  EXPECT_EQ(doc.first_child().type(), pugi::node_element);  // no comment or declaration kept
}

}  // namespace
}  // namespace korvane
