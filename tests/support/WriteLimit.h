#pragma once
// Writes that fail part-way, as on a full disk: the process's file size limit
// is lowered while a ScopedWriteLimit lives (the signal it would raise is
// ignored), so a writer can be interrupted at a chosen size.
#include <sys/resource.h>

#include <csignal>

namespace korvane::test {

class ScopedWriteLimit {
 public:
  explicit ScopedWriteLimit(rlim_t bytes) {
    ::getrlimit(RLIMIT_FSIZE, &old_);
    oldSignal_ = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit limit = old_;
    limit.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~ScopedWriteLimit() {
    ::setrlimit(RLIMIT_FSIZE, &old_);
    std::signal(SIGXFSZ, oldSignal_);
  }
  ScopedWriteLimit(const ScopedWriteLimit&) = delete;
  ScopedWriteLimit& operator=(const ScopedWriteLimit&) = delete;

 private:
  struct rlimit old_ {};
  void (*oldSignal_)(int) = SIG_DFL;
};

}  // namespace korvane::test
