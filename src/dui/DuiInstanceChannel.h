#pragma once
// Commands between instances of the program over a local socket: the first
// instance listens, a later one hands it a record and learns that it exists.
#include <functional>
#include <memory>
#include <string>

#include "dui/DuiTypes.h"

class QLocalServer;

namespace korvane {

class DuiInstanceChannel {
 public:
  using Receiver = std::function<void(const DuiCommandRecord&)>;

  explicit DuiInstanceChannel(std::string serverName);
  ~DuiInstanceChannel();

  // Delivers record to a listening instance; false when none answers.
  bool SendToFirst(const DuiCommandRecord& record, int timeoutMs = 500);
  // Starts listening; every complete record received goes to receiver.
  bool Listen(Receiver receiver);

  const std::string& ServerName() const { return serverName_; }

 private:
  std::string serverName_;
  std::unique_ptr<QLocalServer> server_;
  Receiver receiver_;
};

}  // namespace korvane
