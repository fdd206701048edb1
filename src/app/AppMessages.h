#pragma once
// Window messages between the parts of the application, and the identifiers
// of the native views of the main window.
#include <string>

namespace korvane {

constexpr int UM_SWITCH_CHINESE = 3024;
constexpr int UM_SWITCH_ENGLISH = 3025;
constexpr int UM_PORT_SETTINGS = 3026;
constexpr int UM_CHECKSUM_POLL = 3027;
// lParam: a `new WarningText`, which the main window deletes.
constexpr int UM_SHOW_WARNING = 3028;
using WarningText = std::string;

constexpr int IDC_LOG_PANEL = 1111;
constexpr int IDC_CONFIG_TREE = 1112;
constexpr int IDC_CHECKSUM_LIST = 1113;
constexpr int IDC_PROPERTY_GRID = 1114;

}  // namespace korvane
