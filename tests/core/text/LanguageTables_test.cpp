// The two language tables built into the program must offer a usable text for
// every key the program looks up, in both languages, and the format texts must
// take exactly the one argument the callers pass.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "core/text/LanguageTable.h"

namespace korvane {
namespace {

const char* const kLanguages[] = {"en-us", "zh-cn"};

// Keys handed to a printf-style formatter with one string argument.
const std::set<std::string> kFormatKeys = {
    "ReadFileError", "DecodeFileLengthError", "WriteFileError", "FILE_EXIST_MESSAGE",
    "DescriptionTooLargeError", "DescriptionTooDeepError",
    "Dev-Connected", "Dev-Disconnect",        "OpenComPortError",      "CHECKSUM_MISMATCH", "COMPARE_ITEMS_BYTES",
    // the About box and the grid's description pane
    "ABOUT_VERSION", "ABOUT_DATA_DIR", "GRID_NAME", "GRID_RANGE", "GRID_DEFAULT", "GRID_TOOL_VALUE", "GRID_CHIP_VALUE"};

std::vector<std::string> RequiredKeys() {
  std::vector<std::string> keys = {
      // shell and files
      "MessageBoxTitle", "APP_NAME", "APP_VER", "NewProject", "NewNotify", "SaveNotify",
      "ChangeLanguageNotify", "ReadFileError", "DecodeFileLengthError", "WriteFileError",
      "FILE_EXIST_MESSAGE", "EXPORT_OK", "DEV_PRE_READ_OR_IMPORT", "DescriptionTooLargeError",
      "DescriptionTooDeepError", "CODE_WRITE_NEEDS_PROJECT",
      // dialogs
      "MUST_SELECT_TYPE", "FILE_NOT_EXIST", "FILE_PATH_INVALID",
      // views
      "Param", "Value", "MAXMIN_Value_Notify", "Name", "SoftName", "ToolName", "ChipName",
      "CONF_CHECKSUM", "CODE_CHECKSUM", "OPTION_CHECKSUM", "CONF_SIZE", "CODE_SIZE", "OPTION_SIZE",
      // serial port and device presence
      "SELECT_PORT_NOTREADY", "Dev-Connected", "Dev-Disconnect", "OpenComPortError",
      "DEV_ONLINE_EVENT", "DEV_OFFLINE_EVENT",
      // device information lines
      "SOFTWARE_VERSION", "HARDWARE_VERSION", "CHIP_TYPE_ID", "FUNC_TYPE_ID", "DATA_CHECKSUM",
      "PROG_CHECKSUM", "ConfAreaSize", "CodeAreaSize", "ConfOptionSize",
      // operations, in the order of their codes 1..24, then the fallback name
      "COMMAND_READ_TOOL_CONFIG_REQ", "COMMAND_WRITE_TOOL_CONFIG_REQ", "COMMAND_WRITE_TOOL_CODE_REQ",
      "COMMAND_READ_CHIP_CONFIG_REQ", "COMMAND_WRITE_CHIP_CONFIG_REQ", "COMMAND_WRITE_CHIP_CODE_REQ",
      "COMMAND_FIREWARE_UPDATE_REQ", "COMMAND_READ_TOOL_CODE_FLASH_REQ",
      "COMMAND_READ_CHIP_CODE_FLASH_REQ", "COMMAND_WRITE_TOOL_CODE_FLASH_REQ",
      "COMMAND_WRITE_CHIP_CODE_FLASH_REQ", "COMMAND_READ_TOOL_CONF_FLASH_REQ",
      "COMMAND_READ_CHIP_CONF_FLASH_REQ", "COMMAND_WRITE_TOOL_CONF_FLASH_REQ",
      "COMMAND_WRITE_CHIP_CONF_FLASH_REQ", "COMMAND_READ_TOOL_OPTION_FLASH_REQ",
      "COMMAND_READ_CHIP_OPTION_FLASH_REQ", "COMMAND_WRITE_TOOL_OPTION_FLASH_REQ",
      "COMMAND_WRITE_CHIP_OPTION_FLASH_REQ", "COMMAND_READ_BURN_CONF_REQ",
      "COMMAND_WRITE_BURN_CONF_REQ", "COMMAND_READ_CHECK_REQ", "COMMAND_READ_TOOL_INFO_REQ",
      "COMMAND_READ_CHIP_INFO_REQ", "COMMAND_UNKNOWN_REQ",
      // the item comparison with the device
      "COMPARE_ITEMS_MATCH", "COMPARE_ITEMS_BYTES",
      // the About box and the grid's description pane
      "ABOUT_VERSION", "ABOUT_DATA_DIR", "GRID_NAME", "GRID_RANGE", "GRID_DEFAULT", "GRID_TOOL_VALUE",
      "GRID_CHIP_VALUE"};
  for (const char* area : {"CONF", "CODE", "OPTION"}) {
    const std::string a = area;
    for (const std::string& key : {"PC_" + a + "_CHECKSUM", "ARM_" + a + "_CHECKSUM",
                                   a + "_CHECKSUM_SUCCESS", a + "_CHECKSUM_FAIL"})
      keys.push_back(key);
    keys.push_back("CHECKSUM_AREA_" + a);
  }
  // the verdict of a comparison that found differences
  keys.push_back("CHECKSUM_MISMATCH");
  // every result code: success, each status byte of the programmer, the link's own codes
  for (int code = 0; code <= 255; ++code) keys.push_back("ERROR_" + std::to_string(code));
  for (int code : {1001, 1002, 1003, 1004, 1005, 1007, 1008, 1009, 1010})
    keys.push_back("ERROR_" + std::to_string(code));
  return keys;
}

std::set<std::string> KeySet(const LanguageTable& table) {
  std::set<std::string> keys;
  for (const auto& [key, text] : table.Texts()) keys.insert(key);
  return keys;
}

TEST(LanguageTables, BothLanguagesHoldTheSameKeys) {
  const LanguageTable english = LanguageTable::Embedded("en-us");
  const LanguageTable chinese = LanguageTable::Embedded("zh-cn");
  EXPECT_EQ(english.Name(), "en-us");
  EXPECT_EQ(chinese.Name(), "zh-cn");
  ASSERT_FALSE(english.Texts().empty());
  const std::set<std::string> en = KeySet(english);
  const std::set<std::string> zh = KeySet(chinese);
  for (const std::string& key : en) EXPECT_TRUE(zh.count(key)) << "missing in zh-cn: " << key;
  for (const std::string& key : zh) EXPECT_TRUE(en.count(key)) << "missing in en-us: " << key;
}

TEST(LanguageTables, EveryLookedUpKeyHasAText) {
  const std::vector<std::string> required = RequiredKeys();
  for (const char* language : kLanguages) {
    const LanguageTable table = LanguageTable::Embedded(language);
    for (const std::string& key : required)
      EXPECT_TRUE(table.Has(key)) << language << ": missing " << key;
    for (const auto& [key, text] : table.Texts()) {
      EXPECT_FALSE(key.empty()) << language;
      EXPECT_NE(text.find_first_not_of(" \t\r\n"), std::string::npos) << language << ": empty " << key;
      // No text may pull in another key's text by a bracketed name by accident.
      EXPECT_EQ(table.LookupText(key), text) << language << ": " << key;
    }
  }
}

TEST(LanguageTables, OnlyFormatKeysCarryAPlaceholder) {
  for (const char* language : kLanguages) {
    const LanguageTable table = LanguageTable::Embedded(language);
    for (const auto& [key, text] : table.Texts()) {
      if (kFormatKeys.count(key)) {
        const size_t at = text.find("%s");
        ASSERT_NE(at, std::string::npos) << language << ": " << key;
        EXPECT_EQ(text.find('%', at + 2), std::string::npos) << language << ": " << key;
        EXPECT_EQ(text.find('%'), at) << language << ": " << key;
      } else {
        EXPECT_EQ(text.find('%'), std::string::npos) << language << ": " << key;
      }
    }
  }
}

TEST(LanguageTables, FixedTextsAndPrefixes) {
  for (const char* language : kLanguages) {
    const LanguageTable table = LanguageTable::Embedded(language);
    EXPECT_EQ(table.LookupText("APP_NAME"), "Korvane") << language;
    EXPECT_EQ(table.LookupText("APP_VER"), "1.0.0") << language;
    EXPECT_EQ(table.LookupText("MessageBoxTitle"), "Korvane") << language;
    // The range warning is glued to "min ~ max!", so its closing blank must survive loading.
    const std::string range = table.LookupText("MAXMIN_Value_Notify");
    ASSERT_FALSE(range.empty()) << language;
    EXPECT_EQ(range.back(), ' ') << language;
  }
}

}  // namespace
}  // namespace korvane
