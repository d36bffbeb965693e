// cbox-sim: plays the CBOX controller on a pseudo-terminal.
//
//   cbox-sim [--port N] [--dir DIR] [--no-pacing] [--log FILE] [--control]
//            [--fault SPEC]... [--set KEY=VALUE]... [--stream-status MS] [--flood]
//
// It creates DIR/ports/com<N> (default: ./ports/com1) pointing at its pty and
// prints "ready <pty> <entry>". With --control it reads control commands on
// standard input (see control.h) and ends when standard input closes.
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>

#include "control.h"
#include "controller.h"
#include "pty_link.h"

namespace {
volatile sig_atomic_t stop_requested = 0;
void on_signal(int) { stop_requested = 1; }

void usage() {
  std::fprintf(stderr,
               "usage: cbox-sim [--port N] [--dir DIR] [--no-pacing] [--log FILE] [--control]\n"
               "                [--fault SPEC]... [--set KEY=VALUE]... [--stream-status MS] [--flood]\n");
}

void say(const std::string& line) {
  std::fputs((line + "\n").c_str(), stdout);
  std::fflush(stdout);
}

struct Options {
  int port = 1;
  std::string dir = ".";
  bool control = false;
};

// Reads the arguments into `o` and the controller; an exit status when they
// are wrong.
std::optional<int> parse(int argc, char** argv, Options& o, Controller& c) {
  std::string error;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    const bool has_value = i + 1 < argc;
    const auto next = [&] { return std::string(argv[++i]); };
    if (a == "--no-pacing") c.out.set_pacing(false);
    else if (a == "--control") o.control = true;
    else if (a == "--flood") c.stream_flood();
    else if (!has_value) return usage(), 2;
    else if (a == "--port") o.port = std::atoi(next().c_str());
    else if (a == "--dir") o.dir = next();
    else if (a == "--log") c.log_path = next();
    else if (a == "--stream-status") c.stream_status(std::atof(next().c_str()));
    else if (a == "--fault") {
      if (!c.faults.add(next(), &error)) return std::fprintf(stderr, "cbox-sim: %s\n", error.c_str()), 2;
    } else if (a == "--set") {
      const std::string kv = next();
      const auto eq = kv.find('=');
      if (eq == std::string::npos || !set_value(c, kv.substr(0, eq), kv.substr(eq + 1), &error))
        return std::fprintf(stderr, "cbox-sim: bad --set %s %s\n", kv.c_str(), error.c_str()), 2;
    } else {
      return usage(), 2;
    }
  }
  return std::nullopt;
}

// The pty, the control channel and the controller, served until a signal,
// "quit" or the control channel closing ends them.
class Loop {
 public:
  Loop(Controller& c, PtyLink& link, bool control) : c_(c), link_(link), stdin_open_(control) {}
  void run() {
    while (!quit_ && !stop_requested) {
      if (!wait()) break;
      if (fds_[0].revents & POLLIN) read_pty();
      if (fds_[1].revents & (POLLIN | POLLHUP)) read_control();
      const Clock::time_point now = Clock::now();
      c_.tick(now);
      c_.out.pump(link_.master(), now, [this] { hangup(); }, [this] { ++c_.frames_sent; });
    }
  }

 private:
  // Sleeps until the pty or the control channel has something, or the next
  // character or tick is due. False on a failure of the wait itself.
  bool wait() {
    Clock::duration due = c_.out.until_due(Clock::now());
    if (c_.needs_ticks()) due = std::min<Clock::duration>(due, std::chrono::milliseconds(10));
    fds_[0] = {link_.master(), POLLIN, 0};
    fds_[1] = {stdin_open_ ? 0 : -1, POLLIN, 0};
    timespec ts{};
    if (due != Clock::duration::max()) {
      const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(due).count();
      ts.tv_sec = static_cast<time_t>(ns / 1000000000);
      ts.tv_nsec = static_cast<long>(ns % 1000000000);
    }
    return ppoll(fds_, 2, due == Clock::duration::max() ? nullptr : &ts, nullptr) >= 0 || errno == EINTR;
  }

  void read_pty() {
    char buf[512];
    const ssize_t got = ::read(link_.master(), buf, sizeof buf);
    if (got > 0) c_.on_bytes(buf, static_cast<std::size_t>(got));
  }

  void read_control() {
    char buf[512];
    const ssize_t got = ::read(0, buf, sizeof buf);
    if (got <= 0) {
      stdin_open_ = false;
      quit_ = true;  // the controlling test is gone
      return;
    }
    for (ssize_t i = 0; i < got; ++i) {
      if (buf[i] != '\n') {
        line_ += buf[i];
        continue;
      }
      bool hang = false;
      say(run_control(c_, line_, &quit_, &hang));
      line_.clear();
      if (hang) hangup();
    }
  }

  void hangup() {
    c_.out.clear();
    std::string error;
    if (!link_.hangup_and_renew(&error)) {
      std::fprintf(stderr, "cbox-sim: %s\n", error.c_str());
      quit_ = true;
      return;
    }
    say("renewed " + link_.slave_path());
  }

  Controller& c_;
  PtyLink& link_;
  bool stdin_open_;
  bool quit_ = false;
  std::string line_;
  pollfd fds_[2] = {};
};
}  // namespace

int main(int argc, char** argv) {
  Options o;
  Controller c;
  if (const std::optional<int> status = parse(argc, argv, o, c)) return *status;
  signal(SIGINT, on_signal);
  signal(SIGTERM, on_signal);
  signal(SIGPIPE, SIG_IGN);

  PtyLink link;
  std::string error;
  if (!link.open(o.dir, o.port, &error)) {
    std::fprintf(stderr, "cbox-sim: %s\n", error.c_str());
    return 1;
  }
  say("ready " + link.slave_path() + " " + link.entry_path());
  Loop(c, link, o.control).run();
  link.close();
  return 0;
}
