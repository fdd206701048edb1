#include "app/AppSettings.h"

#include <QSettings>

#include "link/IniFile.h"

namespace korvane {

const SettingDefault kSettingDefaults[10] = {
    {"DuiLanguage", true, 2052, ""}, {"BkColor", true, 0x843400, ""}, {"BkType", true, 1, ""},
    {"BkPicRes", true, 0, ""},       {"BkPicFile", false, 0, ""},     {"Port", false, 0, ""},
    {"Baudrate", false, 0, "57600"}, {"Databit", false, 0, "8"},      {"Parity", false, 0, "0"},
    {"Stopbit", false, 0, "0"},
};

const SettingDefault* FindSettingDefault(const std::string& section) {
  for (const auto& d : kSettingDefaults)
    if (section == d.section) return &d;
  return nullptr;
}

namespace {
QString Key(const std::string& section) { return QString::fromStdString(section) + "/Value"; }
}  // namespace

// The file the command line reads too (Korvane/Korvane.ini in the user's
// configuration folder), written as Qt writes INI files.
AppSettings::AppSettings()
    : store_(std::make_unique<QSettings>(QString::fromStdString(SettingsFilePath()), QSettings::IniFormat)) {}

AppSettings::~AppSettings() = default;

int AppSettings::GetInt(const std::string& section, int defaultValue) const {
  bool ok = false;
  const int v = store_->value(Key(section)).toInt(&ok);
  return ok ? v : defaultValue;
}

void AppSettings::WriteInt(const std::string& section, int value) {
  store_->setValue(Key(section), value);
  store_->sync();
}

std::string AppSettings::GetString(const std::string& section, const std::string& defaultValue) const {
  const QVariant v = store_->value(Key(section));
  return v.isValid() ? v.toString().toStdString() : defaultValue;
}

void AppSettings::WriteString(const std::string& section, const std::string& value) {
  store_->setValue(Key(section), QString::fromStdString(value));
  store_->sync();
}

int AppSettings::Number(const std::string& section) const {
  const SettingDefault* d = FindSettingDefault(section);
  return GetInt(section, d && d->number ? d->numberDefault : 0);
}

std::string AppSettings::Text(const std::string& section) const {
  const SettingDefault* d = FindSettingDefault(section);
  return GetString(section, d && !d->number ? d->textDefault : "");
}

bool AppSettings::Has(const std::string& section) const { return store_->contains(Key(section)); }

std::string AppSettings::FileName() const { return store_->fileName().toStdString(); }

}  // namespace korvane
