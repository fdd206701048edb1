#include "app/UserLanguage.h"

#include <cstdlib>

#include "app/AppSettings.h"
#include "core/text/LanguageTable.h"

namespace korvane {

std::string ReadEnvironment(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

int LanguageForLocale(const EnvironmentReader& environment) {
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const std::string locale = environment ? environment(name) : ReadEnvironment(name);
    if (locale.empty()) continue;
    return locale.compare(0, 2, "zh") == 0 ? kLangChinese : kLangEnglish;
  }
  return kLangEnglish;
}

int StartLanguage(const AppSettings& settings, const EnvironmentReader& environment) {
  if (settings.Has("DuiLanguage")) return settings.Number("DuiLanguage");
  return LanguageForLocale(environment);
}

}  // namespace korvane
