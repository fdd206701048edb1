// korvane-sim: the programmer on a pseudo-terminal. It makes PATH a symlink to
// the terminal's slave side and answers every request as the programmer
// would, with a chip inside, optionally at the pace of a real serial line and
// with faults for testing the link. Several --link options make several
// programmers, each with its own memories, line and thread, so that a batch
// can drive them side by side.
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <sys/prctl.h>
#include <sys/signalfd.h>
#include <sys/stat.h>
#include <termios.h>
#include <atomic>
#include <memory>
#include <thread>
#include <unistd.h>
#include <vector>

#include "sim/ProgrammerModel.h"

namespace {

using korvane::FaultPlan;
using korvane::ModelReply;
using korvane::ProgrammerModel;
using Clock = std::chrono::steady_clock;

struct Options {
  std::vector<std::string> links;
  uint32_t chipType = 0;
  uint32_t funcType = 0;
  uint32_t baud = 0;  // 0: answers leave at once
  bool verbose = false;
  std::vector<FaultPlan> faults;
  // Where to write the host's turnaround of every exchange, in microseconds.
  std::string turnaroundPath;
};

void Usage() {
  std::fprintf(stderr,
               "usage: korvane-sim --link PATH [--link PATH2...] [--chip-type N] [--func-type N] [--baud N]\n"
               "                   [--fault KIND...] [--turnaround FILE] [-v]\n"
               "       korvane-sim --version\n"
               "  Each --link is a programmer of its own; the other options apply to each.\n"
               "  KIND: noise | badcheck | resync | status | silence | hangup | flip, optionally :COMMAND[:N]\n"
               "        (the fault hits the Nth request with that command code; noise hits every answer;\n"
               "        flip inverts the first data byte of the answer)\n"
               "  --turnaround FILE: on leaving, one line per request that followed an answer: the\n"
               "        microseconds from the answer's last byte out to the request's first byte in\n"
               "        (the first programmer only)\n");
}

bool ParseUnsigned(const char* text, uint32_t& out) {
  char* end = nullptr;
  errno = 0;
  const unsigned long v = std::strtoul(text, &end, 0);
  if (errno || !end || *end || end == text || v > 0xFFFFFFFFul) return false;
  out = static_cast<uint32_t>(v);
  return true;
}

bool ParseOptions(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    auto value = [&](uint32_t& out) { return i + 1 < argc && ParseUnsigned(argv[++i], out); };
    if (arg == "--link" && i + 1 < argc) {
      options.links.push_back(argv[++i]);
    } else if (arg == "--chip-type") {
      if (!value(options.chipType)) return false;
    } else if (arg == "--func-type") {
      if (!value(options.funcType)) return false;
    } else if (arg == "--baud") {
      if (!value(options.baud)) return false;
    } else if (arg == "--fault") {
      bool any = false;
      while (i + 1 < argc && std::strncmp(argv[i + 1], "--", 2) != 0) {
        auto fault = korvane::ParseFault(argv[++i]);
        if (!fault) {
          std::fprintf(stderr, "korvane-sim: unknown fault '%s'\n", argv[i]);
          return false;
        }
        options.faults.push_back(*fault);
        any = true;
      }
      if (!any) return false;
    } else if (arg == "--turnaround" && i + 1 < argc) {
      options.turnaroundPath = argv[++i];
    } else if (arg == "-v" || arg == "--verbose") {
      options.verbose = true;
    } else {
      return false;
    }
  }
  return !options.links.empty();
}

// One pseudo-terminal: the master we answer on, and a slave descriptor held
// open so that clients may close and reopen the line without hanging it up.
struct Terminal {
  int master = -1;
  int slave = -1;
  std::string slavePath;
};

bool OpenTerminal(Terminal& t) {
  t.master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (t.master < 0 || grantpt(t.master) != 0 || unlockpt(t.master) != 0) return false;
  const char* name = ptsname(t.master);
  if (!name) return false;
  t.slavePath = name;
  t.slave = open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (t.slave < 0) return false;
  termios tio{};
  if (tcgetattr(t.slave, &tio) == 0) {
    cfmakeraw(&tio);
    tcsetattr(t.slave, TCSANOW, &tio);
  }
  return true;
}

void CloseTerminal(Terminal& t) {
  if (t.slave >= 0) close(t.slave);
  if (t.master >= 0) close(t.master);
  t.slave = t.master = -1;
}

// Replaces PATH by a symlink to target; refuses to replace anything but a symlink.
bool PointLink(const std::string& path, const std::string& target) {
  struct stat st{};
  if (lstat(path.c_str(), &st) == 0) {
    if (!S_ISLNK(st.st_mode)) {
      std::fprintf(stderr, "korvane-sim: %s exists and is not a symlink\n", path.c_str());
      return false;
    }
    unlink(path.c_str());
  }
  const std::string temporary = path + ".new";
  unlink(temporary.c_str());
  if (symlink(target.c_str(), temporary.c_str()) != 0 || rename(temporary.c_str(), path.c_str()) != 0) {
    std::fprintf(stderr, "korvane-sim: cannot link %s: %s\n", path.c_str(), std::strerror(errno));
    return false;
  }
  return true;
}

// The time one byte takes on the line: a start bit, eight data bits, a stop bit.
Clock::duration ByteTime(uint32_t baud) {
  return baud ? std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(10.0 / baud))
              : Clock::duration::zero();
}

// Writes bytes to the master, at line pace when a speed is set, starting no
// sooner than notBefore (when the request they answer has crossed the line).
// One sleep per chunk and none apart: each wake-up is latency the host would
// be blamed for. Gives up on a line nobody reads for a while.
void SendPaced(int master, const std::vector<uint8_t>& bytes, Clock::duration byteTime, Clock::time_point notBefore,
               Clock::time_point& lineFree) {
  const size_t chunk = 16;
  Clock::time_point start = std::max({Clock::now(), lineFree, notBefore});
  size_t sent = 0;
  while (sent < bytes.size()) {
    const size_t n = std::min(chunk, bytes.size() - sent);
    if (byteTime != Clock::duration::zero()) std::this_thread::sleep_until(start + byteTime * (sent + n));
    size_t done = 0;
    const auto giveUp = Clock::now() + std::chrono::seconds(2);
    while (done < n) {
      const ssize_t w = write(master, bytes.data() + sent + done, n - done);
      if (w > 0) {
        done += static_cast<size_t>(w);
        continue;
      }
      if (w < 0 && errno == EINTR) continue;
      if (w < 0 && errno != EAGAIN) return;
      if (Clock::now() > giveUp) return;
      pollfd p{master, POLLOUT, 0};
      poll(&p, 1, 10);
    }
    sent += n;
  }
  lineFree = start + byteTime * bytes.size();
}

// One programmer on a pseudo-terminal of its own, answered on its own thread.
class Line {
 public:
  Line(const Options& options, std::string link)
      : options_(options), link_(std::move(link)), model_(options.chipType, options.funcType) {
    for (const FaultPlan& fault : options.faults) model_.AddFault(fault);
  }

  bool Start() {
    if (!OpenTerminal(terminal_) || !PointLink(link_, terminal_.slavePath)) {
      std::fprintf(stderr, "korvane-sim: cannot set up the pseudo-terminal for %s\n", link_.c_str());
      return false;
    }
    std::fprintf(stderr, "korvane-sim: %s -> %s\n", link_.c_str(), terminal_.slavePath.c_str());
    return true;
  }

  // Answers requests until stop is set; false when the line could not be set up again.
  bool Serve(const std::atomic<bool>& stop) {
    const Clock::duration byteTime = ByteTime(options_.baud);
    Clock::time_point inboundEnd = Clock::now();
    Clock::time_point outboundFree = Clock::now();
    std::vector<ModelReply> replies;
    uint8_t buffer[4096];
    while (!stop.load()) {
      pollfd fds[1] = {{terminal_.master, POLLIN, 0}};
      if (poll(fds, 1, 100) < 0 && errno != EINTR) return false;
      if (!(fds[0].revents & (POLLIN | POLLHUP))) continue;

      const ssize_t n = read(terminal_.master, buffer, sizeof buffer);
      if (n <= 0) {
        if (n < 0 && errno != EAGAIN && errno != EINTR) std::this_thread::sleep_for(std::chrono::milliseconds(20));
        continue;
      }
      const Clock::time_point arrived = Clock::now();
      if (answered_) {
        answered_ = false;
        turnarounds_.push_back(static_cast<uint32_t>(
            std::chrono::duration_cast<std::chrono::microseconds>(arrived - lastAnswerOut_).count()));
      }
      // When the last of these bytes would have crossed the line.
      inboundEnd = std::max(inboundEnd, arrived) + byteTime * n;

      replies.clear();
      model_.Feed(buffer, static_cast<size_t>(n), replies);
      for (const ModelReply& reply : replies) {
        if (options_.verbose) std::fprintf(stderr, "korvane-sim: %s: request %d\n", link_.c_str(), reply.command);
        if (reply.hangup) {
          // The line drops in the middle of things; a fresh terminal takes its
          // place so that the client can connect again.
          if (options_.verbose) std::fprintf(stderr, "korvane-sim: %s: hanging up\n", link_.c_str());
          // The new terminal is in place under the name before the old one
          // drops, so a client that reconnects on the hang-up finds it.
          Terminal fresh;
          const bool replaced = OpenTerminal(fresh) && PointLink(link_, fresh.slavePath);
          CloseTerminal(terminal_);
          terminal_ = fresh;
          model_.ResetLine();
          if (!replaced) return false;
          break;
        }
        if (reply.bytes.empty()) continue;  // silence
        SendPaced(terminal_.master, reply.bytes, byteTime, inboundEnd, outboundFree);
        lastAnswerOut_ = Clock::now();
        answered_ = true;
      }
    }
    return true;
  }

  // Closes the terminal and takes the symlink away when it is still ours.
  void Finish() {
    CloseTerminal(terminal_);
    if (!options_.turnaroundPath.empty() && link_ == options_.links.front()) {
      if (FILE* out = std::fopen(options_.turnaroundPath.c_str(), "w")) {
        for (uint32_t us : turnarounds_) std::fprintf(out, "%u\n", us);
        std::fclose(out);
      }
    }
    char target[4096];
    const ssize_t len = readlink(link_.c_str(), target, sizeof target - 1);
    if (len > 0) {
      target[len] = 0;
      if (terminal_.slavePath == target || std::strncmp(target, "/dev/pts/", 9) == 0) unlink(link_.c_str());
    }
  }

 private:
  const Options& options_;
  std::string link_;
  ProgrammerModel model_;
  Terminal terminal_;
  // The host's turnaround: an answer's last byte out to the next request in.
  Clock::time_point lastAnswerOut_;
  bool answered_ = false;
  std::vector<uint32_t> turnarounds_;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && !std::strcmp(argv[1], "--version")) {
    std::printf("korvane-sim %s\n", KORVANE_VERSION);
    return 0;
  }
  Options options;
  if (!ParseOptions(argc, argv, options)) {
    Usage();
    return 1;
  }

  // Blocked before any line's thread starts, so that only the signal
  // descriptor below sees them.
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGTERM);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGHUP);
  sigprocmask(SIG_BLOCK, &signals, nullptr);
  signal(SIGPIPE, SIG_IGN);
  const int signalFd = signalfd(-1, &signals, SFD_CLOEXEC);
  if (signalFd < 0) {
    std::perror("korvane-sim: signalfd");
    return 1;
  }

  std::vector<std::unique_ptr<Line>> lines;
  bool started = true;
  for (const std::string& link : options.links) {
    lines.push_back(std::make_unique<Line>(options, link));
    if (!lines.back()->Start()) {
      started = false;
      break;
    }
  }
  if (!started) {
    for (auto& line : lines) line->Finish();
    return 1;
  }

  // Pacing sleeps end when asked to, not up to the default 50 µs later: at
  // high speeds that slack would be the emulator's latency, not the host's.
  // Set before the lines' threads start, which inherit it.
  prctl(PR_SET_TIMERSLACK, 1UL, 0, 0, 0);

  std::atomic<bool> stop{false};
  std::atomic<int> failures{0};
  std::vector<std::thread> threads;
  for (auto& line : lines)
    threads.emplace_back([&stop, &failures, &line] {
      if (!line->Serve(stop)) ++failures;
    });
  // Runs until a signal comes, or until every line has failed.
  while (failures.load() < static_cast<int>(lines.size())) {
    pollfd fd{signalFd, POLLIN, 0};
    if (poll(&fd, 1, 200) > 0) break;
  }
  stop.store(true);
  for (std::thread& t : threads) t.join();
  for (auto& line : lines) line->Finish();
  return failures.load() ? 1 : 0;
}
