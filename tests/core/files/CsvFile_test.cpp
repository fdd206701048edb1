// Tables as spreadsheets write them.
#include <gtest/gtest.h>

#include "core/files/CsvFile.h"
#include "support/TempDir.h"

namespace korvane {
namespace {

using Rows = std::vector<std::vector<std::string>>;

Rows Fields(const CsvTable& t) {
  Rows rows;
  for (const CsvRow& r : t.rows) rows.push_back(r.fields);
  return rows;
}

TEST(ParseCsv, FieldsQuotesLineEndsAndBlankLines) {
  struct Case {
    const char* text;
    Rows rows;
  };
  const Case cases[] = {
      {"a,b\n1,2\n", {{"a", "b"}, {"1", "2"}}},
      {"a,b\r\n1,2", {{"a", "b"}, {"1", "2"}}},
      {"\xEF\xBB\xBF" "a\n\n\n1\n", {{"a"}, {"1"}}},
      {" a , b \n 1 ,\t2\n", {{"a", "b"}, {"1", "2"}}},
      {"a,b\n\"x, y\",\"say \"\"hi\"\"\"\n", {{"a", "b"}, {"x, y", "say \"hi\""}}},
      {"a\n\"two\nlines\"\n", {{"a"}, {"two\nlines"}}},
      {"a,b,c\n1,,3\n", {{"a", "b", "c"}, {"1", "", "3"}}},
      {"a,b\n1\n", {{"a", "b"}, {"1"}}},
      {"", {}},
  };
  for (const Case& c : cases) EXPECT_EQ(Fields(ParseCsv(c.text)), c.rows) << c.text;
}

TEST(ParseCsv, RowsKnowTheirLineAndWhatIsWrongWithThem) {
  const CsvTable t = ParseCsv("a,b\n\n\"x\ny\",1\n\"open,2\n");
  ASSERT_EQ(t.rows.size(), 3u);
  EXPECT_EQ(t.rows[1].line, 3);
  EXPECT_TRUE(t.rows[1].problem.empty());
  EXPECT_EQ(t.rows[2].line, 5);
  EXPECT_FALSE(t.rows[2].problem.empty()) << "an unclosed quote";
  EXPECT_FALSE(ParseCsv("a\n\"x\"y\n").rows[1].problem.empty()) << "text after a closing quote";
}

TEST(ReadCsvFile, ReadsAFileAndRefusesWhatIsNone) {
  test::TempDir dir;
  CsvTable t;
  EXPECT_TRUE(ReadCsvFile(dir.File("v.csv", "n\n1\n"), t));
  EXPECT_EQ(Fields(t), (Rows{{"n"}, {"1"}}));
  EXPECT_FALSE(ReadCsvFile(dir / "missing.csv", t));
  EXPECT_FALSE(ReadCsvFile(dir.Path(), t));
}

}  // namespace
}  // namespace korvane
