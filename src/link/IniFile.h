#pragma once
// The program's settings file: INI text as the desktop application's settings
// library writes it ("[Section]" groups, "key=value" lines, values quoted with
// backslash escapes where they need it), so both front ends share one file.
// Entries this program does not know are kept as they are.
#include <string>
#include <utility>
#include <vector>

namespace korvane {

class IniFile {
 public:
  // Reads path; a missing file is an empty, valid settings file.
  bool Load(const std::string& path);
  // Writes through a temporary file and a rename, creating the folder if needed.
  bool Save(const std::string& path) const;

  bool Parse(const std::string& text);
  std::string Serialise() const;

  std::string Get(const std::string& section, const std::string& key, const std::string& fallback) const;
  bool Has(const std::string& section, const std::string& key) const;
  void Set(const std::string& section, const std::string& key, const std::string& value);

 private:
  struct Section {
    std::string name;
    std::vector<std::pair<std::string, std::string>> entries;
  };
  Section* FindSection(const std::string& name);
  const Section* FindSection(const std::string& name) const;

  std::vector<Section> sections_;
};

// ~/.config/Korvane/Korvane.ini, or $XDG_CONFIG_HOME/Korvane/Korvane.ini: the file the desktop
// application's settings library uses for organisation and application "Korvane" in INI format.
std::string SettingsFilePath();

}  // namespace korvane
