#pragma once
// What every command of the command line works with: the core context, the
// one chip description, the language table, message boxes printed on stderr,
// the exit statuses, and helpers to load projects.
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "cli/CliOutput.h"
#include "core/model/ChipDescription.h"
#include "core/model/CoreContext.h"
#include "core/text/LogFile.h"
#include "core/text/MessageBox.h"

namespace korvane {

enum ExitCode : int {
  kExitOk = 0,
  kExitUsage = 1,     // bad usage or refused input
  kExitFile = 2,      // a file could not be read or written, or a project not loaded
  kExitDevice = 3,    // a device operation failed
  kExitMismatch = 4,  // verify found a mismatch
};

// Message boxes become lines on stderr: "error: ", "warning: " or nothing
// before the text, by the box's icon. Questions are answered with the first
// button (OK or Yes): the command line asks nothing interactively.
class StderrMessageBox : public IMessageBox {
 public:
  explicit StderrMessageBox(std::ostream& out) : out_(out) {}
  int ShowMessageBox(const std::string& text, const std::string& caption, unsigned type) override;

 private:
  std::ostream& out_;
};

class CliSession {
 public:
  CliSession();
  CliSession(const CliSession&) = delete;
  CliSession& operator=(const CliSession&) = delete;

  // The global options, given before or after the command name.
  void AddGlobalOptions(CLI::App& app);
  // Applies the global options; called once parsing is done, before a command runs.
  void Configure();

  // Registers what runs when sub was given on the command line; the result is the exit status.
  void AddCommand(CLI::App* sub, std::function<int()> run);
  // Runs the command that was parsed; kExitUsage when none was.
  int RunParsedCommand();

  // Loads a project or description file; false (the reason printed) when it cannot be.
  bool OpenProject(const std::string& path);

  // The area check of download, verify and export: false, with the reason
  // printed, when the options leave neither area to command.
  bool ChoosesAnArea(const char* command, bool conf, bool code) const;

  // --json on a command whose findings the output module prints.
  void AddJsonFlag(CLI::App* sub);
  // Where the command hands its findings: text lines or JSON on stdout.
  CliOutput Output() const;

  // "korvane-cli: " + text on stderr.
  void Error(const std::string& text) const;
  void Warning(const std::string& text) const;

  CoreContext ctx;
  ChipDescription desc{ctx};
  StderrMessageBox messageBox;
  LogFile log;
  std::string baseDirOption;
  std::string language = "en-us";
  bool json = false;

 private:
  std::vector<std::pair<CLI::App*, std::function<int()>>> commands_;
};

}  // namespace korvane
