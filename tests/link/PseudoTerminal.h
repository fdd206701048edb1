#pragma once
// A pseudo-terminal for the port tests: the test holds the master side and
// the port under test opens the slave.
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <string>

namespace korvane::test {

struct PseudoTerminal {
  int master = -1;
  std::string slave;

  PseudoTerminal() {
    master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master >= 0 && grantpt(master) == 0 && unlockpt(master) == 0) slave = ptsname(master);
  }
  ~PseudoTerminal() { HangUp(); }
  PseudoTerminal(const PseudoTerminal&) = delete;
  PseudoTerminal& operator=(const PseudoTerminal&) = delete;

  bool Ok() const { return master >= 0 && !slave.empty(); }
  void Send(const std::string& bytes) const { (void)!::write(master, bytes.data(), bytes.size()); }
  void HangUp() {
    if (master >= 0) ::close(master);
    master = -1;
  }
};

}  // namespace korvane::test
