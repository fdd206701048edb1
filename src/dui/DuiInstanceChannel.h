#pragma once
// Commands between instances of the program over a local socket: the first
// instance listens, a later one hands it a record and learns that it exists.
// Only the same user's instances talk: the socket is user-only and both ends
// check the other's account.
#include <functional>
#include <memory>
#include <string>

#include <QtGlobal>

#include "dui/DuiTypes.h"

class QLocalServer;

namespace korvane {

// True when the process at the other end of a connected local socket runs
// as this process's user.
bool PeerIsThisUser(qintptr descriptor);

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
  // The socket's path while listening; empty otherwise.
  std::string SocketPath() const;

 private:
  std::string serverName_;
  std::unique_ptr<QLocalServer> server_;
  Receiver receiver_;
};

}  // namespace korvane
