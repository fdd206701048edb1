#pragma once
// Window messages between the parts of the application, the skin window's
// questions, the main window's timers and tab page, and the identifiers of
// its native views.
#include <string>

namespace korvane {

constexpr int UM_SWITCH_CHINESE = 3024;
constexpr int UM_SWITCH_ENGLISH = 3025;
constexpr int UM_PORT_SETTINGS = 3026;
constexpr int UM_CHECKSUM_POLL = 3027;
// lParam: a `new WarningText`, which the main window deletes.
constexpr int UM_SHOW_WARNING = 3028;
using WarningText = std::string;

// What the framework's skin window ("skin.wnd") asks the main window about
// its background: msg says what, wParam which setting.
constexpr int SKIN_GET_TYPE = 1;   // wParam: where the type goes
constexpr int SKIN_GET_VALUE = 2;  // lParam: where the setting goes
constexpr int SKIN_SET_VALUE = 3;  // lParam: the new value (the text's address for the picture file)
constexpr int SKIN_PICTURE_RESOURCE = 0;
constexpr int SKIN_COLOUR = 1;
constexpr int SKIN_PICTURE_FILE = 2;

// The main window's tab page that holds the configuration tree and the grid.
constexpr int MAIN_TAB_EDITOR = 0;
// How often the checksum bar looks at the code file, and the device watcher at the serial devices.
constexpr int CODE_FILE_POLL_MS = 2000;
constexpr int DEVICE_POLL_MS = 1000;

constexpr int IDC_LOG_PANEL = 1111;
constexpr int IDC_CONFIG_TREE = 1112;
constexpr int IDC_CHECKSUM_LIST = 1113;
constexpr int IDC_PROPERTY_GRID = 1114;

}  // namespace korvane
