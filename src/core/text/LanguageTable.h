#pragma once
// The language string tables: every user-visible text is a key looked up here
// at the moment of use.
#include <map>
#include <string>

namespace korvane {

// Windows language identifiers the program stores and passes around.
constexpr int kLangChinese = 2052;
constexpr int kLangEnglish = 1033;

// 2052 → "zh-cn"; 1028, 3076, 4100 → "zh-tw"; anything else "en-us".
std::string LanguageNameForId(int languageId);

class LanguageTable {
 public:
  LanguageTable() = default;

  // Parses "<language name=…><text key=…>…</text>…</language>". Returns false
  // and leaves the table empty when the text is not such a document.
  bool LoadFromXml(const std::string& xmlText);

  // The table built into the program for a language name; a name without a
  // table of its own ("zh-tw") falls back to "zh-cn", an unknown one to "en-us".
  static LanguageTable Embedded(const std::string& languageName);
  static LanguageTable ForLanguageId(int languageId) { return Embedded(LanguageNameForId(languageId)); }

  // The text of key with every "[NAME]" whose NAME is a key replaced by that
  // key's text; a missing key gives the empty text.
  std::string LookupText(const std::string& key) const;

  bool Has(const std::string& key) const { return texts_.count(key) != 0; }
  const std::string& Name() const { return name_; }
  const std::map<std::string, std::string>& Texts() const { return texts_; }

 private:
  std::string name_;
  std::map<std::string, std::string> texts_;
};

}  // namespace korvane
