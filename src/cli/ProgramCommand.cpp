// korvane-cli program: a production batch. Every unit is a fresh copy of the
// project's items with values of its own (a serial number, a row of a
// table), downloaded with conf, code and option and verified, over one
// programmer or several at once; each finished unit can go to a record file.
#include "cli/ProgramCommand.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "cli/CliDevice.h"
#include "cli/RecordFile.h"
#include "core/files/CodeFile.h"
#include "core/files/CsvFile.h"
#include "core/files/ImagePreparation.h"
#include "core/text/TextFormat.h"
#include "link/BatchRunner.h"
#include "link/IniFile.h"

namespace korvane {

namespace {

struct ProgramArgs {
  PortOptions line;  // the line settings every port shares
  std::vector<std::string> ports;
  std::string project, target = "chip", valuesFile, recordFile, verify;
  int count = 0;  // 0: not given
  std::vector<std::string> serials;
  bool wait = false;
};

// Waits for a line on stdin; false at its end or when the batch stops.
bool WaitForEnter(const BatchRunner& runner) {
  for (;;) {
    if (runner.Stopping()) return false;
    pollfd in{STDIN_FILENO, POLLIN, 0};
    const int ready = ::poll(&in, 1, 100);
    if (ready < 0 && errno != EINTR) return false;
    if (ready <= 0) continue;
    char c = 0;
    const ssize_t n = ::read(STDIN_FILENO, &c, 1);
    if (n == 0) return false;
    if (n < 0 && errno != EINTR && errno != EAGAIN) return false;
    if (n == 1 && c == '\n') return true;
  }
}

VerifyMode ParseVerify(const std::string& text, TargetKind target) {
  if (text == "bytes") return VerifyMode::Bytes;
  if (text == "sums") return VerifyMode::Sums;
  if (text == "none") return VerifyMode::None;
  // Reading a chip back is what proves it; the tool is compared by its sums.
  return target == TargetKind::Chip ? VerifyMode::Bytes : VerifyMode::Sums;
}

// The values of each unit, checked against the project before any unit
// starts: every name must be a value item. The exit status when they are
// not sound.
int BuildValues(CliSession& s, const ProgramArgs& a, UnitValueTable& table) {
  std::string why;
  if (!a.valuesFile.empty()) {
    CsvTable csv;
    if (!ReadCsvFile(a.valuesFile, csv)) {
      s.Error("cannot read " + a.valuesFile + ": " + std::strerror(errno ? errno : EIO));
      return kExitFile;
    }
    if (!table.SetTable(csv, a.valuesFile, why)) {
      s.Error(why);
      return kExitUsage;
    }
  }
  for (const std::string& text : a.serials) {
    const auto series = ParseSerialSeries(text, why);
    if (!series || !table.AddSeries(*series, why)) {
      s.Error(why);
      return kExitUsage;
    }
  }
  for (const std::string& name : table.Names()) {
    const ConfigItem* item = FindItem(nullptr, s.desc.root.get(), name);
    if (!item) {
      s.Error("no item named '" + name + "' in " + a.project);
      return kExitUsage;
    }
    if (!item->IsValueItem()) {
      s.Error("'" + name + "' in " + a.project + " is a group, not a value item");
      return kExitUsage;
    }
  }
  return kExitOk;
}

int UnitCount(CliSession& s, const ProgramArgs& a, const UnitValueTable& table) {
  if (!table.HasTable()) return a.count > 0 ? a.count : 1;
  if (a.count > table.Rows())
    s.Warning(StrFormat("--count %d is more than the %d rows of %s; %d units follow", a.count, table.Rows(),
                        a.valuesFile.c_str(), table.Rows()));
  return a.count > 0 ? std::min(a.count, table.Rows()) : table.Rows();
}

int RunProgram(CliSession& s, ProgramArgs a) {
  if (a.ports.empty() && !a.line.Resolve().portName.empty()) a.ports.push_back(a.line.Resolve().portName);
  if (a.ports.empty()) {
    s.Error("no port given (--port) and none saved in " + SettingsFilePath());
    return kExitUsage;
  }
  for (size_t i = 0; i < a.ports.size(); ++i)
    if (std::count(a.ports.begin(), a.ports.end(), a.ports[i]) > 1) {
      s.Error("port " + a.ports[i] + " is given twice: one programmer takes one unit at a time");
      return kExitUsage;
    }
  if (a.wait && a.ports.size() > 1) {
    s.Error("--wait asks for one unit at a time: give one --port");
    return kExitUsage;
  }
  const TargetKind target = ParseTarget(a.target);
  const VerifyMode verify = ParseVerify(a.verify, target);
  if (verify == VerifyMode::Sums && target == TargetKind::Chip)
    s.Warning("--verify sums compares the programmer's own memory, not the chip's");

  if (!s.OpenProject(a.project)) return kExitFile;
  UnitValueTable table;
  if (int status = BuildValues(s, a, table)) return status;
  const int count = UnitCount(s, a, table);
  if (count < 1) {
    s.Error(a.valuesFile + " has no rows: there is no unit to program");
    return kExitUsage;
  }
  // The code file every unit carries is loaded once now, so that a missing
  // one stops the batch before any unit instead of failing each.
  const std::string codePath = GetCodeFilePath(s.desc);
  if (!PrepareImage(s.desc, false, codePath, true)) return kExitFile;
  RecordFile record;
  if (!a.recordFile.empty() && !record.Open(a.recordFile)) {
    s.Error("cannot open " + a.recordFile + " for appending: " + std::strerror(errno));
    return kExitFile;
  }

  BatchRunner runner(s.desc, {target, codePath, verify, count, [&table](int unit) { return table.PlanOf(unit); }});
  std::vector<std::unique_ptr<CliLinkView>> views;
  for (const std::string& port : a.ports) {
    // Several programmers log side by side: each line says whose it is.
    views.push_back(std::make_unique<CliLinkView>(stderr, a.ports.size() > 1 ? "[" + port + "] " : ""));
    runner.AddProgrammer(a.line.Resolve(port), views.back().get());
  }
  if (a.wait)
    runner.beforeUnit = [&runner](int unit) {
      std::fprintf(stderr, "Insert unit %d and press Enter\n", unit);
      return WaitForEnter(runner);
    };
  runner.onUnitStart = [](int unit, const std::string& port) {
    std::fprintf(stderr, "korvane-cli: unit %d on %s: programming\n", unit, port.c_str());
  };
  bool recordFailed = false;
  runner.onUnitDone = [&](const UnitOutcome& o) {
    if (o.passed)
      std::fprintf(stderr, "korvane-cli: unit %d on %s: passed (%.1f s)\n", o.unit, o.port.c_str(), o.seconds);
    else
      std::fprintf(stderr, "korvane-cli: unit %d on %s: FAILED: %s\n", o.unit, o.port.c_str(), o.message.c_str());
    if (a.recordFile.empty() || record.Append(CliOutput::UnitRecord(o))) return true;
    s.Error(StrFormat("cannot append unit %d to %s: %s; no more units start", o.unit, a.recordFile.c_str(),
                      std::strerror(errno)));
    recordFailed = true;
    return false;
  };
  runner.onProgrammerLost = [&s](const std::string& port, const std::string& why) {
    s.Error(why + "; the programmer on " + port + " takes no more units");
  };

  BatchSummary summary;
  {
    InterruptWatch watch([&runner] { runner.RequestStop(); });
    summary = runner.Run();
  }
  std::fprintf(stderr, "%d passed, %d failed\n", summary.passed, summary.failed);
  if (summary.notProgrammed) std::fprintf(stderr, "%d not programmed\n", summary.notProgrammed);
  const bool allPassed = summary.failed == 0 && summary.notProgrammed == 0 && !recordFailed;
  return allPassed ? kExitOk : kExitDevice;
}

}  // namespace

void AddProgramCommand(CLI::App& app, CliSession& session) {
  auto a = std::make_shared<ProgramArgs>();
  CLI::App* sub = app.add_subcommand(
      "program", "Program a batch of units, each with values of its own, over one or several programmers at once");
  sub->add_option("PROJECT", a->project, "Project file (never changed)")->required();
  sub->add_option("--port", a->ports, "A programmer's serial port; give it once per programmer (default: the saved one)")
      ->type_name("P")
      ->allow_extra_args(false);
  a->line.AddLineOptions(sub);
  sub->add_option("--target", a->target, "Write to the chip (default) or the programmer itself")
      ->check(TargetNames())
      ->type_name("chip|tool");
  sub->add_option("--count", a->count, "Units to program (default 1, or the rows of --values)")
      ->check(CLI::Range(1, 1000000))
      ->type_name("N");
  sub->add_option("--serial", a->serials, "Item NAME takes START + unit x STEP (decimal, or hexadecimal as 0x...)")
      ->type_name("NAME=START[:STEP]")
      ->allow_extra_args(false);
  sub->add_option("--values", a->valuesFile, "CSV file: a header row of item names, then one row per unit")
      ->type_name("FILE.csv");
  sub->add_option("--record", a->recordFile, "Append one JSON line per finished unit")->type_name("FILE.jsonl");
  sub->add_option("--verify", a->verify, "After writing: read back and compare bytes (default for the chip), "
                                         "compare checksums (default for the tool), or nothing")
      ->check(CLI::IsMember({"bytes", "sums", "none"}))
      ->type_name("bytes|sums|none");
  sub->add_flag("--wait", a->wait, "Before each unit, wait for Enter on stdin (one port only)");
  session.AddCommand(sub, [&session, a] { return RunProgram(session, *a); });
}

}  // namespace korvane
