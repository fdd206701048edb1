#pragma once
// The user's last choices in the selection dialogs, so that each dialog opens
// the way it was last confirmed (or last tried).
#include <string>

namespace korvane {

struct DialogChoices {
  int downloadTarget = 0;  // 0 the tool, 1 the chip
  int downloadConf = 1;
  int downloadCode = 1;
  int exportConf = 1;
  int exportCode = 1;
  std::string exportPath;
  int flashArea = 0;        // 0 conf, 1 code, 2 option
  int operationTarget = 0;  // 0 the tool, 1 the chip
  int checksumConf = 1;
  int checksumCode = 1;     // the code area with the option area
};

}  // namespace korvane
