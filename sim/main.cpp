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
}  // namespace

int main(int argc, char** argv) {
  int port = 1;
  std::string dir = ".";
  bool control = false;
  Controller c;
  std::string error;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    auto next = [&]() -> std::string {
      if (i + 1 >= argc) {
        usage();
        std::exit(2);
      }
      return argv[++i];
    };
    if (a == "--port") port = std::atoi(next().c_str());
    else if (a == "--dir") dir = next();
    else if (a == "--no-pacing") c.out.set_pacing(false);
    else if (a == "--log") c.log_path = next();
    else if (a == "--control") control = true;
    else if (a == "--stream-status") c.stream_status(std::atof(next().c_str()));
    else if (a == "--flood") c.stream_flood();
    else if (a == "--fault") {
      if (!c.faults.add(next(), &error)) {
        std::fprintf(stderr, "cbox-sim: %s\n", error.c_str());
        return 2;
      }
    } else if (a == "--set") {
      const std::string kv = next();
      const auto eq = kv.find('=');
      if (eq == std::string::npos || !set_value(c, kv.substr(0, eq), kv.substr(eq + 1), &error)) {
        std::fprintf(stderr, "cbox-sim: bad --set %s %s\n", kv.c_str(), error.c_str());
        return 2;
      }
    } else {
      usage();
      return 2;
    }
  }

  signal(SIGINT, on_signal);
  signal(SIGTERM, on_signal);
  signal(SIGPIPE, SIG_IGN);

  PtyLink link;
  if (!link.open(dir, port, &error)) {
    std::fprintf(stderr, "cbox-sim: %s\n", error.c_str());
    return 1;
  }
  say("ready " + link.slave_path() + " " + link.entry_path());

  bool quit = false;
  bool hangup = false;
  std::string control_line;
  bool stdin_open = control;
  auto do_hangup = [&] {
    c.out.clear();
    if (!link.hangup_and_renew(&error)) {
      std::fprintf(stderr, "cbox-sim: %s\n", error.c_str());
      quit = true;
      return;
    }
    say("renewed " + link.slave_path());
  };

  while (!quit && !stop_requested) {
    const Clock::time_point now = Clock::now();
    Clock::duration wait = c.out.until_due(now);
    if (c.needs_ticks()) wait = std::min<Clock::duration>(wait, std::chrono::milliseconds(10));
    pollfd fds[2] = {{link.master(), POLLIN, 0}, {stdin_open ? 0 : -1, POLLIN, 0}};
    timespec ts{};
    timespec* tsp = nullptr;
    if (wait != Clock::duration::max()) {
      const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(wait).count();
      ts.tv_sec = static_cast<time_t>(ns / 1000000000);
      ts.tv_nsec = static_cast<long>(ns % 1000000000);
      tsp = &ts;
    }
    const int n = ppoll(fds, 2, tsp, nullptr);
    if (n < 0 && errno != EINTR) break;

    if (fds[0].revents & POLLIN) {
      char buf[512];
      const ssize_t got = ::read(link.master(), buf, sizeof buf);
      if (got > 0) c.on_bytes(buf, static_cast<std::size_t>(got));
    }
    if (fds[1].revents & (POLLIN | POLLHUP)) {
      char buf[512];
      const ssize_t got = ::read(0, buf, sizeof buf);
      if (got <= 0) {
        stdin_open = false;
        quit = true;  // the controlling test is gone
      } else {
        for (ssize_t i = 0; i < got; ++i) {
          if (buf[i] != '\n') {
            control_line += buf[i];
            continue;
          }
          say(run_control(c, control_line, &quit, &hangup));
          control_line.clear();
          if (hangup) {
            hangup = false;
            do_hangup();
          }
        }
      }
    }
    const Clock::time_point later = Clock::now();
    c.tick(later);
    c.out.pump(link.master(), later, do_hangup, [&] { ++c.frames_sent; });
  }
  link.close();
  return 0;
}
