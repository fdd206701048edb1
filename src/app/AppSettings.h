#pragma once
// The per-user settings: one section per setting, each with one value "Value",
// in the INI file of organisation and application "Korvane", the same file the
// command line reads.
#include <memory>
#include <string>

class QSettings;

namespace korvane {

class AppSettings {
 public:
  AppSettings();
  ~AppSettings();

  int GetInt(const std::string& section, int defaultValue) const;
  void WriteInt(const std::string& section, int value);
  std::string GetString(const std::string& section, const std::string& defaultValue) const;
  void WriteString(const std::string& section, const std::string& value);
  bool Has(const std::string& section) const;
  // The setting with the default of its section (kSettingDefaults).
  int Number(const std::string& section) const;
  std::string Text(const std::string& section) const;
  // Where the settings live (also separates the instance channels of different stores).
  std::string FileName() const;

 private:
  std::unique_ptr<QSettings> store_;
};

// Every setting the application keeps, with its default.
struct SettingDefault {
  const char* section;
  bool number;
  int numberDefault;
  const char* textDefault;
};
extern const SettingDefault kSettingDefaults[10];
const SettingDefault* FindSettingDefault(const std::string& section);

}  // namespace korvane
