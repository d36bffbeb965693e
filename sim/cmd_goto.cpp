// Go-to G: an angle 0..359 starts the rotator turning towards it at `speed`
// degrees per second, busy until it gets there; 977 (soft stop) and 999 (fast
// stop) end the turn where the rotator stands. Anything else is rejected.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <memory>

#include "controller.h"

namespace {
struct Turn {
  Clock::time_point last{};
  double progress = 0;  // degrees moved since the last whole degree
};

bool angle_of(const std::string& data, long long* angle) {
  if (data.empty() || data.size() > 6) return false;
  for (char ch : data)
    if (!std::isdigit(static_cast<unsigned char>(ch))) return false;
  *angle = std::stoll(data);
  return *angle <= 359;
}

Reply g_reply(const std::string& result) {
  Reply r;
  r.bytes = std::string("\x02") + "A,G," + result + "\r";
  r.state_pos = 5;
  return r;
}

void stop_turning(Controller& c) {
  c.target = -1;
  c.busy = false;
}
}  // namespace

void register_goto(Controller& c) {
  auto turn = std::make_shared<Turn>();
  c.on('G', [turn](Controller& c, const std::string& data) {
    long long angle = 0;
    if (data == "977" || data == "999") {
      stop_turning(c);
      c.reply('G', g_reply("R"));
    } else if (angle_of(data, &angle)) {
      c.target = angle;
      c.busy = angle != c.position;
      turn->last = Clock::now();
      turn->progress = 0;
      if (!c.busy) c.target = -1;
      c.reply('G', g_reply("R"));
    } else {
      // A rejected go-to: "E" and a two-character error code.
      c.reply('G', g_reply("E01"));
    }
  });
  c.add_ticker(
      [turn](Controller& c, Clock::time_point now) {
        const double dt = std::chrono::duration<double>(now - turn->last).count();
        turn->last = now;
        turn->progress += c.speed * dt;
        const long long whole = static_cast<long long>(std::floor(turn->progress));
        turn->progress -= static_cast<double>(whole);
        const long long left = std::llabs(c.target - c.position);
        const long long step = std::min(whole, left);
        c.position += c.target > c.position ? step : -step;
        if (c.position == c.target) stop_turning(c);
      },
      [](const Controller& c) { return c.target >= 0 && c.busy; });
}
