#pragma once
// The block store that feeds the hex data window: a list of keyed byte blocks,
// of which block 0 is the one shown.
#include <cstdint>
#include <vector>

namespace korvane {

class CMemoryAccess {
 public:
  // Offsets at or above this are refused by Read and Write.
  static constexpr uint32_t kWindowLimit = 0xF400;

  CMemoryAccess();
  virtual ~CMemoryAccess() = default;

  // Range of block 0: 1 with first 0 and last its size − 1; 0 without block 0;
  // 1 and nothing written when either pointer is null.
  virtual int GetRange(int32_t* first, int32_t* last);
  virtual int AccessFlags() { return 3; }
  virtual uint32_t Read(uint32_t key, uint32_t offset, uint8_t* destination, uint32_t count);
  virtual uint32_t Write(uint32_t key, uint32_t offset, const uint8_t* source, uint32_t count);

  // Replaces the block with that key by size bytes copied from data (zeroed
  // when data is null), or appends a new block.
  void SetBlock(uint32_t size, uint32_t key, const uint8_t* data);

  // Block contents for the front ends (null when there is no such block).
  const std::vector<uint8_t>* Block(uint32_t key) const;

 private:
  struct Block_ {
    std::vector<uint8_t> bytes;
    uint32_t key;
  };
  Block_* Find(uint32_t key);
  std::vector<Block_> blocks_;
};

}  // namespace korvane
