#pragma once
// The interface language of a start: the one the user chose in the language
// menu, else the one of the user's locale, so that a first start speaks the
// user's language.
#include <functional>
#include <string>

namespace korvane {

class AppSettings;

// Reads an environment variable; an unset one reads as the empty text.
using EnvironmentReader = std::function<std::string(const char* name)>;

// The process's own environment.
std::string ReadEnvironment(const char* name);

// The language of the locale's messages as POSIX picks the locale: the first
// of LC_ALL, LC_MESSAGES and LANG that is set and not empty. A Chinese locale
// ("zh", "zh_CN.UTF-8", "zh_TW", ...) gives 2052; anything else, an unset, "C"
// or "POSIX" locale included, gives 1033.
int LanguageForLocale(const EnvironmentReader& environment);

// The stored choice ("DuiLanguage") when there is one, else the locale's.
int StartLanguage(const AppSettings& settings, const EnvironmentReader& environment);

}  // namespace korvane
