#include "core/model/AreaLayout.h"

#include <algorithm>

namespace korvane {

void ClampArea(int64_t start, int64_t end, uint32_t& outStart, uint32_t& outSize) {
  const int64_t image = kImageSize;
  start = std::clamp<int64_t>(start, 0, image);
  int64_t size = end - start + 1;
  size = std::clamp<int64_t>(size, 0, image - start);
  outStart = static_cast<uint32_t>(start);
  outSize = static_cast<uint32_t>(size);
}

}  // namespace korvane
