#pragma once
// A record file that grows one complete line at a time: each line goes out in
// one write and reaches the disk before Append returns, so a crash or an
// interrupt loses no line that was appended and leaves no half line behind.
#include <string>

namespace korvane {

class RecordFile {
 public:
  RecordFile() = default;
  ~RecordFile();
  RecordFile(const RecordFile&) = delete;
  RecordFile& operator=(const RecordFile&) = delete;

  // Opens path for appending, creating it when missing; false (errno kept) when it cannot be.
  bool Open(const std::string& path);
  // Appends line and a line feed. False when it could not be written whole;
  // what was written of it is taken back.
  bool Append(const std::string& line);
  const std::string& Path() const { return path_; }

 private:
  int fd_ = -1;
  std::string path_;
  bool needsBreak_ = false;  // the file ended inside a line someone else left
};

}  // namespace korvane
