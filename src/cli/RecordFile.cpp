#include "cli/RecordFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace korvane {

RecordFile::~RecordFile() {
  if (fd_ >= 0) ::close(fd_);
}

bool RecordFile::Open(const std::string& path) {
  fd_ = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
  if (fd_ < 0) return false;
  path_ = path;
  struct stat st{};
  if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
    const int error = S_ISDIR(st.st_mode) ? EISDIR : errno;
    ::close(fd_);
    fd_ = -1;
    errno = error ? error : EINVAL;
    return false;
  }
  // A file that does not end with a line feed gets one before our first
  // line, so that every line we add stands whole.
  if (st.st_size > 0) {
    const int reader = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    char last = '\n';
    if (reader >= 0) {
      if (::pread(reader, &last, 1, st.st_size - 1) != 1) last = '\n';
      ::close(reader);
    }
    needsBreak_ = last != '\n';
  }
  return true;
}

bool RecordFile::Append(const std::string& line) {
  if (fd_ < 0) return false;
  const std::string whole = (needsBreak_ ? "\n" : "") + line + "\n";
  struct stat before{};
  if (::fstat(fd_, &before) != 0) return false;
  const ssize_t n = ::write(fd_, whole.data(), whole.size());
  if (n != static_cast<ssize_t>(whole.size())) {
    // A short write (a full disk) would leave half a line: take it back.
    const int error = n < 0 ? errno : ENOSPC;
    const bool takenBack = n <= 0 || ::ftruncate(fd_, before.st_size) == 0;
    static_cast<void>(takenBack);  // the line is lost either way; the caller hears of it
    errno = error;
    return false;
  }
  needsBreak_ = false;
  return ::fsync(fd_) == 0;
}

}  // namespace korvane
