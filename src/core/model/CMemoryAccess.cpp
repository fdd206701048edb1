#include "core/model/CMemoryAccess.h"

#include <algorithm>
#include <cstring>

namespace korvane {

CMemoryAccess::CMemoryAccess() {
  blocks_.push_back({std::vector<uint8_t>(kWindowLimit, 0), 0});
  std::vector<uint8_t> second(kWindowLimit, 0);
  second[0] = 1;
  blocks_.push_back({std::move(second), 1});
}

CMemoryAccess::Block_* CMemoryAccess::Find(uint32_t key) {
  for (auto& b : blocks_)
    if (b.key == key) return &b;
  return nullptr;
}

const std::vector<uint8_t>* CMemoryAccess::Block(uint32_t key) const {
  for (const auto& b : blocks_)
    if (b.key == key) return &b.bytes;
  return nullptr;
}

int CMemoryAccess::GetRange(int32_t* first, int32_t* last) {
  if (!first || !last) return 1;
  *first = 0;
  *last = 0;
  Block_* b = Find(0);
  if (!b) return 0;
  *last = static_cast<int32_t>(b->bytes.size()) - 1;
  return 1;
}

uint32_t CMemoryAccess::Read(uint32_t key, uint32_t offset, uint8_t* destination, uint32_t count) {
  if (!destination || offset >= kWindowLimit) return 0;
  Block_* b = Find(key);
  if (!b || offset > b->bytes.size()) return 0;
  const uint32_t n = std::min<uint32_t>(count, static_cast<uint32_t>(b->bytes.size()) - offset);
  if (n) std::memcpy(destination, b->bytes.data() + offset, n);
  return n;
}

uint32_t CMemoryAccess::Write(uint32_t key, uint32_t offset, const uint8_t* source, uint32_t count) {
  if (!source || offset >= kWindowLimit) return 0;
  Block_* b = Find(key);
  if (!b || offset >= b->bytes.size()) return 0;
  const uint32_t room = std::min<uint32_t>(kWindowLimit, static_cast<uint32_t>(b->bytes.size())) - offset;
  const uint32_t n = std::min(count, room);
  if (n) std::memcpy(b->bytes.data() + offset, source, n);
  return n;
}

void CMemoryAccess::SetBlock(uint32_t size, uint32_t key, const uint8_t* data) {
  std::vector<uint8_t> bytes(size, 0);
  if (data && size) std::memcpy(bytes.data(), data, size);
  if (Block_* b = Find(key))
    b->bytes = std::move(bytes);
  else
    blocks_.push_back({std::move(bytes), key});
}

}  // namespace korvane
