#pragma once
// What the fuzz programs share: a file in memory that the loaders open by
// path like any other file, and a reader that takes numbers and texts off
// the front of the fuzzer's input.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace korvane::fuzz {

// An anonymous in-memory file, reachable as /proc/self/fd/N. Each Set
// replaces its whole contents, so the loaders see exactly the run's bytes.
class MemoryFile {
 public:
  explicit MemoryFile(const char* name) : fd_(::memfd_create(name, MFD_CLOEXEC)) {}
  ~MemoryFile() { ::close(fd_); }
  MemoryFile(const MemoryFile&) = delete;
  MemoryFile& operator=(const MemoryFile&) = delete;

  void Set(std::string_view bytes) const {
    if (::ftruncate(fd_, 0) != 0) return;
    size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t n = ::pwrite(fd_, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
      if (n <= 0) return;
      done += static_cast<size_t>(n);
    }
  }
  std::string Path() const { return "/proc/self/fd/" + std::to_string(fd_); }

 private:
  int fd_;
};

class InputReader {
 public:
  InputReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }
  uint32_t Word() {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= static_cast<uint32_t>(Byte()) << (8 * i);
    return v;
  }
  // The text up to the next line feed (which is dropped), or the rest.
  std::string Line() {
    const size_t start = pos_;
    while (pos_ < size_ && data_[pos_] != '\n') ++pos_;
    std::string text(reinterpret_cast<const char*>(data_) + start, pos_ - start);
    if (pos_ < size_) ++pos_;
    return text;
  }
  // Up to count bytes from the front.
  std::string_view Take(size_t count) {
    const size_t n = count < size_ - pos_ ? count : size_ - pos_;
    const std::string_view bytes(reinterpret_cast<const char*>(data_) + pos_, n);
    pos_ += n;
    return bytes;
  }
  std::string_view Rest() {
    const std::string_view rest(reinterpret_cast<const char*>(data_) + pos_, size_ - pos_);
    pos_ = size_;
    return rest;
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
};

}  // namespace korvane::fuzz
