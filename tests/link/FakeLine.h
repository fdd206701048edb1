#pragma once
// A byte channel for the link tests: what the link writes is recorded and
// handed to the programmer model (when there is one), whose answers are read
// back; a read that finds too few bytes behaves like one whose polls ran out.
#include <deque>
#include <functional>
#include <memory>
#include <vector>

#include "link/IByteChannel.h"
#include "sim/ProgrammerModel.h"

namespace korvane::test {

class FakeLine : public IByteChannel {
 public:
  explicit FakeLine(ProgrammerModel* model = nullptr) : model(model) {}

  bool IsOpen() const override { return open; }

  int Write(const uint8_t* data, uint32_t count, uint32_t& written) override {
    written = 0;
    if (failWrites) return 5;
    written = shortWrite ? count - 1 : count;
    written_.emplace_back(data, data + count);
    if (model) {
      std::vector<ModelReply> replies;
      model->Feed(data, count, replies);
      for (const ModelReply& r : replies) {
        if (r.hangup) hungUp = true;
        incoming.insert(incoming.end(), r.bytes.begin(), r.bytes.end());
      }
      if (onRequest) onRequest(*this);
    }
    return 0;
  }

  int Read(const std::atomic<int>& cancel, uint8_t* buffer, uint32_t count, uint32_t& got, int timeout) override {
    got = 0;
    lastTimeout = timeout;
    ++reads;
    if (cancel.load()) return -1;
    if (hungUp && incoming.empty()) return 5;
    while (got < count && !incoming.empty()) {
      buffer[got++] = incoming.front();
      incoming.pop_front();
    }
    if (onRead) onRead(*this);
    return 0;
  }

  int Purge() override {
    ++purges;
    incoming.clear();
    return 0;
  }

  void Push(const std::vector<uint8_t>& bytes) { incoming.insert(incoming.end(), bytes.begin(), bytes.end()); }
  const std::vector<std::vector<uint8_t>>& Written() const { return written_; }

  ProgrammerModel* model;
  std::deque<uint8_t> incoming;
  bool open = true;
  bool failWrites = false;
  bool shortWrite = false;
  bool hungUp = false;
  int purges = 0;
  int reads = 0;
  int lastTimeout = 0;
  std::function<void(FakeLine&)> onRequest;  // after each write, e.g. to raise a cancel
  std::function<void(FakeLine&)> onRead;

 private:
  std::vector<std::vector<uint8_t>> written_;
};

}  // namespace korvane::test
