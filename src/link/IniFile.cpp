#include "link/IniFile.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/text/AtomicFile.h"
#include "core/text/TextFormat.h"

namespace korvane {

namespace {

// A value as the settings library reads it: a quoted text with escapes, or a
// plain text trimmed of white space.
std::string DecodeValue(const std::string& raw) {
  const std::string text = TrimWhite(raw);
  std::string out;
  bool quoted = false;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '"') {
      quoted = !quoted;
      continue;
    }
    if (c == '\\' && i + 1 < text.size()) {
      const char e = text[++i];
      switch (e) {
        case 'n': out += '\n'; break;
        case 't': out += '\t'; break;
        case 'r': out += '\r'; break;
        case '0': out += '\0'; break;
        default: out += e; break;
      }
      continue;
    }
    if (c == ';' && !quoted) break;  // a comment after the value
    out += c;
  }
  // "@@x" stands for a text that starts with "@".
  if (out.size() >= 2 && out[0] == '@' && out[1] == '@') out.erase(0, 1);
  return out;
}

std::string EncodeValue(const std::string& value) {
  bool quote = !value.empty() && (std::isspace(static_cast<unsigned char>(value.front())) ||
                                  std::isspace(static_cast<unsigned char>(value.back())));
  std::string body;
  if (!value.empty() && value[0] == '@') body += '@';
  for (char c : value) {
    switch (c) {
      case '"': body += "\\\""; break;
      case '\\': body += "\\\\"; break;
      case '\n': body += "\\n"; break;
      case '\t': body += "\\t"; break;
      case '\r': body += "\\r"; break;
      case ';':
      case ',':
      case '=':
        quote = true;
        body += c;
        break;
      default: body += c; break;
    }
  }
  return quote ? "\"" + body + "\"" : body;
}

}  // namespace

bool IniFile::Load(const std::string& path) {
  sections_.clear();
  std::ifstream in(path, std::ios::binary);
  if (!in) return !std::filesystem::exists(path);
  std::stringstream text;
  text << in.rdbuf();
  return Parse(text.str());
}

bool IniFile::Parse(const std::string& text) {
  sections_.clear();
  Section* current = nullptr;
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const std::string trimmed = TrimWhite(line);
    if (trimmed.empty() || trimmed[0] == ';' || trimmed[0] == '#') continue;
    if (trimmed.front() == '[' && trimmed.back() == ']') {
      const std::string name = trimmed.substr(1, trimmed.size() - 2);
      current = FindSection(name);
      if (!current) {
        sections_.push_back({name, {}});
        current = &sections_.back();
      }
      continue;
    }
    const size_t eq = trimmed.find('=');
    if (eq == std::string::npos) continue;
    if (!current) {
      current = FindSection("General");
      if (!current) {
        sections_.push_back({"General", {}});
        current = &sections_.back();
      }
    }
    const std::string key = TrimWhite(trimmed.substr(0, eq));
    const std::string value = DecodeValue(trimmed.substr(eq + 1));
    bool replaced = false;
    for (auto& entry : current->entries)
      if (entry.first == key) {
        entry.second = value;
        replaced = true;
      }
    if (!replaced) current->entries.emplace_back(key, value);
  }
  return true;
}

std::string IniFile::Serialise() const {
  std::string out;
  for (const Section& section : sections_) {
    if (!out.empty()) out += '\n';
    out += "[" + section.name + "]\n";
    for (const auto& [key, value] : section.entries) out += key + "=" + EncodeValue(value) + "\n";
  }
  return out;
}

bool IniFile::Save(const std::string& path) const {
  std::error_code ec;
  const std::filesystem::path target(path);
  if (target.has_parent_path()) std::filesystem::create_directories(target.parent_path(), ec);
  return ReplaceFileAtomically(path, Serialise());
}

std::string IniFile::Get(const std::string& section, const std::string& key, const std::string& fallback) const {
  if (const Section* s = FindSection(section))
    for (const auto& entry : s->entries)
      if (entry.first == key) return entry.second;
  return fallback;
}

bool IniFile::Has(const std::string& section, const std::string& key) const {
  if (const Section* s = FindSection(section))
    for (const auto& entry : s->entries)
      if (entry.first == key) return true;
  return false;
}

void IniFile::Set(const std::string& section, const std::string& key, const std::string& value) {
  Section* s = FindSection(section);
  if (!s) {
    sections_.push_back({section, {}});
    s = &sections_.back();
  }
  for (auto& entry : s->entries)
    if (entry.first == key) {
      entry.second = value;
      return;
    }
  s->entries.emplace_back(key, value);
}

IniFile::Section* IniFile::FindSection(const std::string& name) {
  for (Section& s : sections_)
    if (s.name == name) return &s;
  return nullptr;
}

const IniFile::Section* IniFile::FindSection(const std::string& name) const {
  for (const Section& s : sections_)
    if (s.name == name) return &s;
  return nullptr;
}

std::string SettingsFilePath() {
  std::string base;
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg == '/') {
    base = xdg;
  } else if (const char* home = std::getenv("HOME"); home && *home) {
    base = std::string(home) + "/.config";
  } else {
    base = ".config";
  }
  return base + "/Korvane/Korvane.ini";
}

}  // namespace korvane
