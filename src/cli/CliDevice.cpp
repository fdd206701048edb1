#include "cli/CliDevice.h"

#include <poll.h>
#include <signal.h>
#include <sys/eventfd.h>
#include <sys/signalfd.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>

#include <cstring>

#include "core/text/TextFormat.h"
#include "link/IniFile.h"
#include "link/OperationRunner.h"
#include "link/PortSetup.h"

namespace korvane {

void PortOptions::AddLineOptions(CLI::App* sub) {
  sub->add_option("--baud", baud, "Baud rate (default: the saved one)")->type_name("N");
  sub->add_option("--databits", dataBits, "Data bits")->check(CLI::Range(5, 8))->type_name("N");
  sub->add_option("--parity", parity, "Parity")
      ->check(CLI::IsMember({"none", "odd", "even", "mark", "space"}))
      ->type_name("none|odd|even|mark|space");
  sub->add_option("--stopbits", stopBits, "Stop bits")->check(CLI::IsMember({1, 2}))->type_name("1|2");
}

void PortOptions::Add(CLI::App* sub) {
  sub->add_option("--port", port, "Serial port (device path or name under /dev; default: the saved one)")
      ->type_name("P");
  AddLineOptions(sub);
}

PortSettings PortOptions::Resolve(const std::string& portName) const {
  IniFile ini;
  ini.Load(SettingsFilePath());
  PortSettings s = ParsePortSettings(LoadPortSettings(ini));
  if (!portName.empty()) s.portName = portName;
  else if (!port.empty()) s.portName = port;
  if (baud) s.baudRate = baud;
  if (dataBits) s.dataBits = dataBits;
  if (!parity.empty()) {
    const char* names[] = {"none", "odd", "even", "mark", "space"};
    for (uint32_t i = 0; i < 5; ++i)
      if (parity == names[i]) s.parity = i;
  }
  if (stopBits) s.stopBits = stopBits == 2 ? 2 : 0;
  return s;
}

InterruptWatch::InterruptWatch(std::function<void()> onInterrupt) : onInterrupt_(std::move(onInterrupt)) {
  sigset_t interrupt;
  sigemptyset(&interrupt);
  sigaddset(&interrupt, SIGINT);
  sigaddset(&interrupt, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &interrupt, &previous_);
  signals_ = ::signalfd(-1, &interrupt, SFD_NONBLOCK | SFD_CLOEXEC);
  wake_ = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
  watcher_ = std::thread([this, interrupt] {
    // Without either descriptor the watcher falls back to looking every tick.
    const bool ticking = signals_ < 0 || wake_ < 0;
    while (!done_.load()) {
      pollfd fds[2] = {{wake_, POLLIN, 0}, {signals_, POLLIN, 0}};
      const int waited = ::poll(fds, 2, ticking || interrupted_.load() ? 100 : -1);
      if (waited < 0 && errno != EINTR) break;
      if (fds[0].revents & POLLIN) break;
      if (signals_ >= 0) {
        signalfd_siginfo info;
        while (::read(signals_, &info, sizeof info) == static_cast<ssize_t>(sizeof info)) interrupted_.store(true);
      } else {
        const timespec now{0, 0};
        if (sigtimedwait(&interrupt, nullptr, &now) > 0) interrupted_.store(true);
      }
      if (interrupted_.load() && onInterrupt_) onInterrupt_();
    }
  });
}

InterruptWatch::~InterruptWatch() {
  done_.store(true);
  if (wake_ >= 0) {
    const uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = ::write(wake_, &one, sizeof one);
  }
  watcher_.join();
  if (signals_ >= 0) ::close(signals_);
  if (wake_ >= 0) ::close(wake_);
  pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
}

const CLI::Validator& TargetNames() {
  static const CLI::Validator targets = CLI::IsMember({"tool", "chip"});
  return targets;
}

TargetKind ParseTarget(const std::string& text) { return text == "chip" ? TargetKind::Chip : TargetKind::Tool; }

int Device::Open(const PortOptions& options) {
  const PortSettings settings = options.Resolve();
  if (settings.portName.empty()) {
    session.Error("no port given (--port) and none saved in " + SettingsFilePath());
    return kExitUsage;
  }
  if (!OpenPort(link, settings)) {
    const int error = link.port.LastError();
    session.Error("cannot open port " + settings.portName + ": " + std::strerror(error) + StrFormat(" (%d)", error));
    const std::string hint = PortAccessHint(settings.portName, error);
    if (!hint.empty()) session.Error(hint);
    return kExitDevice;
  }
  return kExitOk;
}

int Device::Run(OperationRequest request) {
  InterruptWatch watch([this] {
    link.userCancel.store(1);
    link.cancel.store(1);
  });
  return RunOperationBlocking(link, std::move(request));
}

}  // namespace korvane
