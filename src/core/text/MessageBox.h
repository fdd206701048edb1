#pragma once
// The message box as the core sees it: the front end shows it (a window, a
// line on stderr, a test's recording) and answers with the pressed button.
#include <string>

namespace korvane {

// Windows message-box type values: low four bits the buttons, bits 4..7 the icon.
enum MessageBoxType : unsigned {
  MB_OK = 0x00,
  MB_OKCANCEL = 0x01,
  MB_YESNOCANCEL = 0x03,
  MB_YESNO = 0x04,
  MB_ICONERROR = 0x10,
  MB_ICONQUESTION = 0x20,
  MB_ICONWARNING = 0x30,
  MB_ICONINFORMATION = 0x40,
};

// Windows message-box results.
enum MessageBoxResult : int { IDOK = 1, IDCANCEL = 2, IDYES = 6, IDNO = 7 };

class IMessageBox {
 public:
  virtual ~IMessageBox() = default;
  // Shows text under caption and returns the pressed button's result.
  virtual int ShowMessageBox(const std::string& text, const std::string& caption, unsigned type) = 0;
};

}  // namespace korvane
