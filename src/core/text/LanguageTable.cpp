#include "core/text/LanguageTable.h"

#include <pugixml.hpp>

extern const unsigned char korvane_lang_en_us[];
extern const unsigned long korvane_lang_en_us_size;
extern const unsigned char korvane_lang_zh_cn[];
extern const unsigned long korvane_lang_zh_cn_size;

namespace korvane {

std::string LanguageNameForId(int languageId) {
  switch (languageId) {
    case 2052: return "zh-cn";
    case 1028:
    case 3076:
    case 4100: return "zh-tw";
    default: return "en-us";
  }
}

bool LanguageTable::LoadFromXml(const std::string& xmlText) {
  name_.clear();
  texts_.clear();
  pugi::xml_document doc;
  if (!doc.load_buffer(xmlText.data(), xmlText.size(), pugi::parse_default & ~pugi::parse_wconv_attribute))
    return false;
  pugi::xml_node root = doc.child("language");
  if (!root) return false;
  name_ = root.attribute("name").value();
  for (pugi::xml_node t = root.child("text"); t; t = t.next_sibling("text"))
    texts_[t.attribute("key").value()] = t.child_value();
  return true;
}

LanguageTable LanguageTable::Embedded(const std::string& languageName) {
  LanguageTable table;
  const bool chinese = languageName == "zh-cn" || languageName == "zh-tw";
  if (chinese)
    table.LoadFromXml(std::string(reinterpret_cast<const char*>(korvane_lang_zh_cn), korvane_lang_zh_cn_size));
  else
    table.LoadFromXml(std::string(reinterpret_cast<const char*>(korvane_lang_en_us), korvane_lang_en_us_size));
  return table;
}

std::string LanguageTable::LookupText(const std::string& key) const {
  auto it = texts_.find(key);
  if (it == texts_.end()) return {};
  const std::string& text = it->second;
  std::string out;
  size_t i = 0;
  while (i < text.size()) {
    size_t open = text.find('[', i);
    if (open == std::string::npos) break;
    size_t close = text.find(']', open + 1);
    if (close == std::string::npos) break;
    out.append(text, i, open - i);
    auto inner = texts_.find(text.substr(open + 1, close - open - 1));
    if (inner != texts_.end()) {
      out += inner->second;
      i = close + 1;
    } else {
      out += '[';  // not a key: keep the bracket and look for the next one after it
      i = open + 1;
    }
  }
  out.append(text, i, std::string::npos);
  return out;
}

}  // namespace korvane
