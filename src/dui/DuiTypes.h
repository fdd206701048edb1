#pragma once
// The message vocabulary of the window framework: notification codes from
// controls, the framework's own window messages, and the record that another
// instance of the program sends.
#include <cstdint>
#include <string>

namespace korvane {

using WPARAM = uintptr_t;
using LPARAM = intptr_t;

// Notification codes (the msg of OnDuiMessage) from controls.
constexpr int DUI_MSG_PRESS = 1;         // a button went down
constexpr int DUI_MSG_CLICK = 2;         // a button was released over itself, or a menu entry chosen
constexpr int DUI_MSG_MOVE = 7;          // the pointer moved over a control
constexpr int DUI_MSG_COMBO_CHANGE = 16; // a combo box selection changed; lParam the new position

// How a dialog ended: the result its modal run returns and the wParam of
// UM_END_DIALOG.
constexpr int DUI_RESULT_OK = 1;     // confirmed
constexpr int DUI_RESULT_CLOSE = 2;  // closed without confirming: its close button, a cancel, a close request

// Window messages the framework itself knows.
constexpr int WM_DEVICECHANGE = 537;
constexpr int UM_END_DIALOG = 1029;        // wParam the close result
constexpr int UM_OPERATION_RESULT = 1030;  // passed to the dialog's own handler too

// The uID under which commands from another instance arrive.
constexpr int DUI_UID_INSTANCE_COMMAND = 100;
// Control notifications carry uIDs from here on, so they never look like an
// inter-instance command or a window message (uID 0).
constexpr int DUI_FIRST_CONTROL_UID = 1000;

// A command from another process: what it carries, as it arrives in lParam.
struct DuiCommandRecord {
  int uID = DUI_UID_INSTANCE_COMMAND;
  std::string name;
  int msg = 0;
  WPARAM wParam = 0;
  std::string text;
};

}  // namespace korvane
