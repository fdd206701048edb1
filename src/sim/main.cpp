// korvane-sim: the programmer on a pseudo-terminal. It makes PATH a symlink to
// the terminal's slave side and answers every request as the programmer
// would, with a chip inside, optionally at the pace of a real serial line and
// with faults for testing the link.
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <sys/signalfd.h>
#include <sys/stat.h>
#include <termios.h>
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
  std::string link;
  uint32_t chipType = 0;
  uint32_t funcType = 0;
  uint32_t baud = 0;  // 0: answers leave at once
  bool verbose = false;
  std::vector<FaultPlan> faults;
};

void Usage() {
  std::fprintf(stderr,
               "usage: korvane-sim --link PATH [--chip-type N] [--func-type N] [--baud N] [--fault KIND...] [-v]\n"
               "  KIND: noise | badcheck | resync | status | silence | hangup, optionally :COMMAND[:N]\n"
               "        (the fault hits the Nth request with that command code; noise hits every answer)\n");
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
      options.link = argv[++i];
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
    } else if (arg == "-v" || arg == "--verbose") {
      options.verbose = true;
    } else {
      return false;
    }
  }
  return !options.link.empty();
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

// Writes bytes to the master, at line pace when a speed is set. Gives up on a
// line nobody reads for a while.
void SendPaced(int master, const std::vector<uint8_t>& bytes, Clock::duration byteTime, Clock::time_point& lineFree) {
  const size_t chunk = 16;
  Clock::time_point start = std::max(Clock::now(), lineFree);
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

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!ParseOptions(argc, argv, options)) {
    Usage();
    return 1;
  }

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

  ProgrammerModel model(options.chipType, options.funcType);
  for (const FaultPlan& fault : options.faults) model.AddFault(fault);

  Terminal terminal;
  if (!OpenTerminal(terminal) || !PointLink(options.link, terminal.slavePath)) {
    std::fprintf(stderr, "korvane-sim: cannot set up the pseudo-terminal\n");
    return 1;
  }
  std::fprintf(stderr, "korvane-sim: %s -> %s\n", options.link.c_str(), terminal.slavePath.c_str());

  const Clock::duration byteTime = ByteTime(options.baud);
  Clock::time_point inboundEnd = Clock::now();
  Clock::time_point outboundFree = Clock::now();
  std::vector<ModelReply> replies;
  uint8_t buffer[4096];
  bool running = true;
  int status = 0;

  while (running) {
    pollfd fds[2] = {{terminal.master, POLLIN, 0}, {signalFd, POLLIN, 0}};
    if (poll(fds, 2, 1000) < 0 && errno != EINTR) break;
    if (fds[1].revents & POLLIN) break;
    if (!(fds[0].revents & (POLLIN | POLLHUP))) continue;

    const ssize_t n = read(terminal.master, buffer, sizeof buffer);
    if (n <= 0) {
      if (n < 0 && errno != EAGAIN && errno != EINTR) std::this_thread::sleep_for(std::chrono::milliseconds(20));
      continue;
    }
    // When the last of these bytes would have crossed the line.
    inboundEnd = std::max(inboundEnd, Clock::now()) + byteTime * n;

    replies.clear();
    model.Feed(buffer, static_cast<size_t>(n), replies);
    for (const ModelReply& reply : replies) {
      if (options.verbose) std::fprintf(stderr, "korvane-sim: request %d\n", reply.command);
      if (reply.hangup) {
        // The line drops in the middle of things; a fresh terminal takes its
        // place so that the client can connect again.
        if (options.verbose) std::fprintf(stderr, "korvane-sim: hanging up\n");
        // The new terminal is in place under the name before the old one
        // drops, so a client that reconnects on the hang-up finds it.
        Terminal fresh;
        if (!OpenTerminal(fresh) || !PointLink(options.link, fresh.slavePath)) {
          running = false;
          status = 1;
        }
        CloseTerminal(terminal);
        terminal = fresh;
        model.ResetLine();
        break;
      }
      if (reply.bytes.empty()) continue;  // silence
      std::this_thread::sleep_until(inboundEnd);
      SendPaced(terminal.master, reply.bytes, byteTime, outboundFree);
    }
  }

  CloseTerminal(terminal);
  char target[4096];
  const ssize_t len = readlink(options.link.c_str(), target, sizeof target - 1);
  if (len > 0) {
    target[len] = 0;
    if (terminal.slavePath == target || std::strncmp(target, "/dev/pts/", 9) == 0) unlink(options.link.c_str());
  }
  return status;
}
