// Every "[KEY]" the skin's templates show has a text in both languages, so
// neither interface shows a bare key.
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>

#include <gtest/gtest.h>

#include "core/text/LanguageTable.h"

namespace korvane {
namespace {

TEST(SkinTexts, EveryBracketedKeyOfTheTemplatesIsInBothLanguageTables) {
  const std::filesystem::path skin = std::filesystem::path(KORVANE_SOURCE_DIR) / "skin";
  const std::regex bracketed(R"(<string>[^<]*\[([A-Za-z0-9_\-]+)\][^<]*</string>)");
  std::set<std::string> keys;
  for (const auto& entry : std::filesystem::directory_iterator(skin)) {
    if (entry.path().extension() != ".ui") continue;
    std::ifstream in(entry.path());
    std::stringstream text;
    text << in.rdbuf();
    const std::string s = text.str();
    for (std::sregex_iterator it(s.begin(), s.end(), bracketed), end; it != end; ++it) keys.insert((*it)[1]);
  }
  ASSERT_FALSE(keys.empty());
  for (int language : {kLangChinese, kLangEnglish}) {
    const LanguageTable table = LanguageTable::ForLanguageId(language);
    for (const auto& key : keys) EXPECT_TRUE(table.Has(key)) << key << " missing in " << table.Name();
  }
}

}  // namespace
}  // namespace korvane
