#pragma once
// What the device commands share: the port options (with the settings the
// desktop application saved behind them), a programmer opened on a port,
// and Ctrl-C turned into the cancel of the running operation.
#include <atomic>
#include <functional>
#include <string>
#include <thread>

#include <CLI/CLI.hpp>

#include "cli/CliLinkView.h"
#include "cli/CliSession.h"
#include "link/LinkContext.h"

namespace korvane {

// The port options every device command takes; what is not given comes from
// the settings the desktop application saved.
struct PortOptions {
  std::string port, parity;
  uint32_t baud = 0, dataBits = 0, stopBits = 0;

  // All but --port, for a command that takes several ports.
  void AddLineOptions(CLI::App* sub);
  void Add(CLI::App* sub);
  // The settings for port (the --port given when empty).
  PortSettings Resolve(const std::string& portName = std::string()) const;
};

// SIGINT and SIGTERM while it lives: blocked for this thread and every thread
// started meanwhile, and taken by a watcher that calls onInterrupt at once and
// then on every tick (100 ms), so that a cancel cleared by the start of a next
// operation is set again. Until a signal comes the watcher sleeps without a
// tick, and its end wakes it, so that a command never waits for it.
class InterruptWatch {
 public:
  explicit InterruptWatch(std::function<void()> onInterrupt);
  ~InterruptWatch();
  InterruptWatch(const InterruptWatch&) = delete;
  InterruptWatch& operator=(const InterruptWatch&) = delete;
  bool Interrupted() const { return interrupted_.load(); }

 private:
  std::function<void()> onInterrupt_;
  std::atomic<bool> done_{false};
  std::atomic<bool> interrupted_{false};
  sigset_t previous_;
  int signals_ = -1;  // a signalfd for the two signals
  int wake_ = -1;     // an eventfd the destructor writes to
  std::thread watcher_;
};

const CLI::Validator& TargetNames();
TargetKind ParseTarget(const std::string& text);

// One programmer for one command.
struct Device {
  CliSession& session;
  CliLinkView view;
  LinkContext link;

  explicit Device(CliSession& s) : session(s), link(s.ctx) { link.view = &view; }

  // Opens the port; the exit status when it cannot be.
  int Open(const PortOptions& options);
  // Runs the request to its end; Ctrl-C cancels it the way closing the
  // progress dialog does. The result of the operation.
  int Run(OperationRequest request);
  int Status(int result) const { return result == kLinkOk ? kExitOk : kExitDevice; }
};

}  // namespace korvane
