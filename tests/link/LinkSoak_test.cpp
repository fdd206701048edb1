// Hundreds of device operations in a row against the emulator, with faults
// injected at random: each ends with the result its fault calls for, none
// hangs, and the process holds no more descriptors, threads or memory after
// them than before.
#include <dirent.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "LinkFixture.h"
#include "link/OperationKind.h"
#include "link/OperationRunner.h"
#include "link/PortSetup.h"
#include "support/Simulator.h"

#if defined(__SANITIZE_ADDRESS__)
#define KORVANE_SOAK_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KORVANE_SOAK_ASAN 1
#endif
#endif

namespace korvane {
namespace {

using test::SimProcess;

int EntriesIn(const char* folder) {
  DIR* dir = ::opendir(folder);
  if (!dir) return -1;
  int n = 0;
  while (const dirent* e = ::readdir(dir))
    if (e->d_name[0] != '.') ++n;
  ::closedir(dir);
  return n;
}

struct Usage {
  int fds = 0;
  int threads = 0;
  long rssKiB = 0;
};

Usage Measure() {
  Usage u;
  u.fds = EntriesIn("/proc/self/fd") - 1;  // less the listing's own
  u.threads = EntriesIn("/proc/self/task");
  long pages = 0, resident = 0;
  if (FILE* f = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(f);
  }
  u.rssKiB = resident * (::sysconf(_SC_PAGESIZE) / 1024);
  return u;
}

// What goes wrong in one operation, and the result it must end with.
enum class Fault { None, Noise, BadCheck, Resync, Status, Hangup, SilenceCancelled, SilenceTimedOut, Flip };

struct Planned {
  int kind;
  Fault fault;
  std::string plan;  // the emulator's --fault text, empty for none
  int expected;
};

// Operations that cover every way of talking to the programmer: downloads,
// single-area writes and reads, the checksum compare and device information,
// to the programmer and to the chip.
constexpr int kKinds[] = {kOpWriteToolConfig,    kOpWriteToolCode,     kOpReadToolConfig,    kOpReadToolConfFlash,
                          kOpReadToolCodeFlash,  kOpWriteToolConfFlash, kOpReadToolOptionFlash, kOpCompareChecksums,
                          kOpReadToolInfo,       kOpReadChipConfig,    kOpWriteChipConfig,   kOpReadChipInfo};

// The commands an operation of kind surely sends (each op reads the device
// information; most open and close; reads and writes move blocks).
std::vector<int> CommandsOf(int kind) {
  const OperationInfo* op = OperationInfoOf(kind);
  std::vector<int> commands = {kCmdReadInfo};
  if (op->Serves(OpDirection::ReadInfo)) return commands;
  commands.push_back(kCmdBegin);
  if (op->Serves(OpDirection::Compare)) commands.push_back(kCmdReadChecksum);
  else if (op->Writes()) commands.push_back(kCmdWriteBlock);
  else commands.push_back(kCmdReadBlock);
  return commands;
}

Planned PlanOne(std::mt19937& rng, int kind) {
  Planned p{kind, Fault::None, {}, 0};
  if (std::uniform_int_distribution<int>(0, 99)(rng) >= 35) return p;
  const std::vector<int> commands = CommandsOf(kind);
  const int command = commands[std::uniform_int_distribution<size_t>(0, commands.size() - 1)(rng)];
  const struct {
    Fault fault;
    const char* name;
    int expected;
  } kFaults[] = {
      {Fault::Noise, "noise", kLinkOk},          {Fault::BadCheck, "badcheck", kLinkBadCheck},
      {Fault::Resync, "resync", kLinkResyncStatus}, {Fault::Status, "status", kFaultStatus},
      {Fault::Hangup, "hangup", kLinkNoAnswer},  {Fault::SilenceCancelled, "silence", kLinkCancelled},
  };
  const auto& f = kFaults[std::uniform_int_distribution<size_t>(0, std::size(kFaults) - 1)(rng)];
  p.fault = f.fault;
  p.expected = f.expected;
  p.plan = std::string(f.name) + ":" + std::to_string(command) + ":1";
  if (kind == kOpCompareChecksums && command == kCmdReadChecksum && f.fault == Fault::Noise) {
    // A checksum read back wrong is a difference, never a failure.
    p.fault = Fault::Flip;
    p.plan = "flip:" + std::to_string(kCmdReadChecksum) + ":1";
  }
  return p;
}

struct LinkSoak : ::testing::Test {
  CoreContext core;
  LinkContext link{core};
  test::RecordingView view;
  std::unique_ptr<SimProcess> sim = std::make_unique<SimProcess>();
  PortSettings settings;

  LinkSoak() {
    test::SetTestLayout(core);
    link.view = &view;
    link.epiloguePauseMs = 0;
    link.request.image.assign(kImageSize, 0xFF);
    for (uint32_t i = 0; i < 0x20000; ++i) link.request.image[i] = uint8_t(i * 31 + (i >> 7));
    link.request.writeLength[kLinkAreaCode] = 0x1000;
    link.request.writeLength[kLinkAreaConf] = 0x200;
    link.request.writeLength[kLinkAreaOption] = 0x10;
    link.request.checkMask = 7;
  }

  // A fresh emulator with the fault plan (an unplug and a replug under the
  // same name), and the port opened on it again.
  bool Restart(const std::string& plan) {
    std::vector<std::string> args = {"--chip-type", std::to_string(test::kChipType)};
    if (!plan.empty()) args.insert(args.end(), {"--fault", plan});
    if (!sim->Start(args)) return false;
    settings.portName = sim->Link();
    return link.PortOpen() ? link.port.Reopen(settings) : OpenPort(link, settings);
  }

  int Run(const Planned& p) {
    OperationRequest request = link.request;
    request.kind = p.kind;
    std::thread canceller;
    if (p.fault == Fault::SilenceCancelled)
      canceller = std::thread([this] {
        // The user gives up on a programmer that does not answer.
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        link.userCancel = 1;
        link.cancel = 1;
      });
    const int result = RunOperationBlocking(link, std::move(request));
    if (canceller.joinable()) canceller.join();
    return result;
  }
};

TEST_F(LinkSoak, FiveHundredOperationsWithRandomFaultsLeaveNothingBehind) {
  unsigned seed = 20261210;
  if (const char* s = std::getenv("KORVANE_SOAK_SEED")) seed = unsigned(std::strtoul(s, nullptr, 10));
  std::mt19937 rng(seed);
  SCOPED_TRACE("KORVANE_SOAK_SEED=" + std::to_string(seed));
  ASSERT_TRUE(Restart(""));

  constexpr int kOperations = 500;
  constexpr int kWarmUp = 25;  // first uses of every path allocate for good
  // One operation waits out the whole answer time-out (ten seconds): the
  // others that meet silence are cancelled by their user.
  constexpr int kTimedOut = 300;
  Usage before;
  int faults = 0;
  for (int i = 0; i < kOperations; ++i) {
    if (i == kWarmUp) before = Measure();
    Planned p = PlanOne(rng, kKinds[std::uniform_int_distribution<size_t>(0, std::size(kKinds) - 1)(rng)]);
    if (i == kTimedOut) p = {kOpReadToolInfo, Fault::SilenceTimedOut, "silence:6:1", kLinkNoAnswer};
    SCOPED_TRACE("operation " + std::to_string(i) + ", kind " + std::to_string(p.kind) + ", fault '" + p.plan + "'");
    if (p.fault != Fault::None) {
      ++faults;
      ASSERT_TRUE(Restart(p.plan));
    } else if (link.port.CheckAlive() != 0) {
      ASSERT_TRUE(link.port.Reopen(settings)) << "the programmer comes back after a hang-up";
    }
    view.log.clear();
    view.status.clear();
    view.progress.clear();
    view.reads.clear();
    view.infos.clear();

    const auto start = std::chrono::steady_clock::now();
    const int result = Run(p);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    ASSERT_EQ(result, p.expected);
    ASSERT_LT(seconds, p.fault == Fault::SilenceTimedOut ? 15.0 : 5.0) << "no operation hangs";
    ASSERT_FALSE(link.WorkerRunning());
    if (p.fault == Fault::Flip) {
      EXPECT_NE(link.compareMismatch, 0u);
    }
    if (result != kLinkOk) {
      EXPECT_EQ(view.log.back().colour, kColourFailure) << "a failure ends in red";
    }
  }
  EXPECT_GT(faults, kOperations / 5);

  const Usage after = Measure();
  std::printf("soak: %d operations, %d with faults; descriptors %d -> %d, threads %d -> %d, resident %ld -> %ld KiB\n",
              kOperations, faults, before.fds, after.fds, before.threads, after.threads, before.rssKiB, after.rssKiB);
  EXPECT_EQ(after.fds, before.fds) << "descriptors";
  EXPECT_EQ(after.threads, before.threads) << "threads";
#ifndef KORVANE_SOAK_ASAN
  // Under AddressSanitizer freed memory is held back on purpose (and leaks
  // are its own report), so resident memory says nothing there.
  EXPECT_LT(after.rssKiB - before.rssKiB, 4 * 1024) << "resident memory grew (KiB " << before.rssKiB << " -> "
                                                     << after.rssKiB << ")";
#endif
}

}  // namespace
}  // namespace korvane
