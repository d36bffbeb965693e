#pragma once
// Characters on their way to the tool, paced at the wire speed of 9600 baud
// 8N1 (about 1.04 ms a character) unless pacing is off.
#include <chrono>
#include <deque>
#include <functional>
#include <string>

using Clock = std::chrono::steady_clock;

struct OutItem {
  char c = 0;
  double pause_ms = 0;    // extra wait before this character
  bool hangup = false;    // hang the line up instead of sending
  bool frame_end = false; // last character of a frame (for counting)
};

class OutputQueue {
 public:
  static constexpr double CHAR_MS = 10.0 * 1000.0 / 9600.0;

  void set_pacing(bool on) { pacing_ = on; }
  bool pacing() const { return pacing_; }
  void push(const OutItem& item) { items_.push_back(item); }
  void clear() {
    items_.clear();
    pause_armed_ = false;
  }
  // The pauses a fault put between the characters still queued go: what is
  // on its way goes on at wire speed.
  void drop_pauses() {
    for (OutItem& item : items_) item.pause_ms = 0;
    pause_armed_ = false;
  }
  bool empty() const { return items_.empty(); }
  std::size_t size() const { return items_.size(); }

  // Time until the next character is due; zero when due now; max() when empty.
  Clock::duration until_due(Clock::time_point now) const;
  // Writes what is due to fd. Calls on_hangup at a hang-up item (the queue
  // is then cleared) and on_frame for every completed frame.
  void pump(int fd, Clock::time_point now, const std::function<void()>& on_hangup,
            const std::function<void()>& on_frame);
  // When the last character left the queue.
  Clock::time_point last_sent() const { return last_sent_; }

 private:
  std::deque<OutItem> items_;
  bool pacing_ = true;
  Clock::time_point next_free_{};  // when the line is free for the next character
  Clock::time_point last_sent_{};
  // The end of the pause before the front character, fixed when that pause
  // is first looked at, so that later polls do not push it further away.
  mutable bool pause_armed_ = false;
  mutable Clock::time_point pause_until_{};
};
