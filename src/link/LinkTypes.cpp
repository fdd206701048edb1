#include "link/LinkTypes.h"

namespace korvane {

const char* DeviceKindName(uint32_t funcType) {
  static const char* const kNames[] = {"Power Bank", "Adapter", "Car Charge", "Hub", "Emarker"};
  return funcType < 5 ? kNames[funcType] : "Unknown Type";
}

}  // namespace korvane
