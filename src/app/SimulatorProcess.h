#pragma once
// The emulated programmer of a demonstration run: korvane-sim from beside the
// executable, on a pseudo-terminal reached through a symlink in a folder of
// this run's own. It goes when this object goes, and with the program if the
// program dies first.
#include <string>
#include <vector>

#include <sys/types.h>

namespace korvane {

class SimulatorProcess {
 public:
  SimulatorProcess() = default;
  ~SimulatorProcess() { Stop(); }
  SimulatorProcess(const SimulatorProcess&) = delete;
  SimulatorProcess& operator=(const SimulatorProcess&) = delete;

  // Starts the emulator with extra arguments and waits until its port is
  // there; false with a reason when it could not be started.
  bool Start(const std::string& executable, const std::vector<std::string>& extra, std::string* error);
  void Stop();

  const std::string& Port() const { return link_; }
  bool Running() const { return pid_ > 0; }

 private:
  pid_t pid_ = -1;
  std::string dir_;
  std::string link_;
};

}  // namespace korvane
