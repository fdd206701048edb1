#include "link/OperationKind.h"

namespace korvane {

const char* OperationKey(int kind) {
  static const char* const kKeys[] = {
      nullptr,
      "COMMAND_READ_TOOL_CONFIG_REQ",
      "COMMAND_WRITE_TOOL_CONFIG_REQ",
      "COMMAND_WRITE_TOOL_CODE_REQ",
      "COMMAND_READ_CHIP_CONFIG_REQ",
      "COMMAND_WRITE_CHIP_CONFIG_REQ",
      "COMMAND_WRITE_CHIP_CODE_REQ",
      "COMMAND_FIREWARE_UPDATE_REQ",
      "COMMAND_READ_TOOL_CODE_FLASH_REQ",
      "COMMAND_READ_CHIP_CODE_FLASH_REQ",
      "COMMAND_WRITE_TOOL_CODE_FLASH_REQ",
      "COMMAND_WRITE_CHIP_CODE_FLASH_REQ",
      "COMMAND_READ_TOOL_CONF_FLASH_REQ",
      "COMMAND_READ_CHIP_CONF_FLASH_REQ",
      "COMMAND_WRITE_TOOL_CONF_FLASH_REQ",
      "COMMAND_WRITE_CHIP_CONF_FLASH_REQ",
      "COMMAND_READ_TOOL_OPTION_FLASH_REQ",
      "COMMAND_READ_CHIP_OPTION_FLASH_REQ",
      "COMMAND_WRITE_TOOL_OPTION_FLASH_REQ",
      "COMMAND_WRITE_CHIP_OPTION_FLASH_REQ",
      "COMMAND_READ_BURN_CONF_REQ",
      "COMMAND_WRITE_BURN_CONF_REQ",
      "COMMAND_READ_CHECK_REQ",
      "COMMAND_READ_TOOL_INFO_REQ",
      "COMMAND_READ_CHIP_INFO_REQ",
  };
  if (kind >= 1 && kind <= 24) return kKeys[kind];
  return "COMMAND_UNKNOWN_REQ";
}

bool IsChipOperation(int kind) {
  switch (kind) {
    case 4: case 5: case 6: case 9: case 11: case 13: case 15: case 17: case 19: case 24:
      return true;
    default:
      return false;
  }
}

bool IsWriteOperation(int kind) {
  switch (kind) {
    case 2: case 3: case 5: case 6: case 10: case 11: case 14: case 15: case 18: case 19:
      return true;
    default:
      return false;
  }
}

bool IsToolWriteOperation(int kind) {
  switch (kind) {
    case 2: case 3: case 10: case 14: case 18:
      return true;
    default:
      return false;
  }
}

}  // namespace korvane
