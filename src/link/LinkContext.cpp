#include "link/LinkContext.h"

#include <chrono>

namespace korvane {

LinkContext::~LinkContext() {
  // Every port read looks at the cancel flag each poll, so the worker ends
  // promptly; it must not outlive the records it works on.
  cancel.store(1);
  if (worker.joinable()) worker.join();
}

void LinkContext::MarkWorkerDone() {
  {
    std::lock_guard<std::mutex> lock(workerLock_);
    workerDone_.store(true);
  }
  workerEnded_.notify_all();
}

bool LinkContext::WaitWorkerFor(int ms) {
  std::unique_lock<std::mutex> lock(workerLock_);
  return workerEnded_.wait_for(lock, std::chrono::milliseconds(ms), [this] { return workerDone_.load(); });
}

}  // namespace korvane
