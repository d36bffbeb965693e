#include "output_queue.h"

#include <unistd.h>

#include <cerrno>

namespace {
Clock::duration ms(double v) {
  return std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double, std::milli>(v));
}
}  // namespace

Clock::duration OutputQueue::until_due(Clock::time_point now) const {
  if (items_.empty()) return Clock::duration::max();
  Clock::time_point due = std::max(now, next_free_);
  if (items_.front().pause_ms > 0) {
    if (!pause_armed_) {
      pause_until_ = due + ms(items_.front().pause_ms);
      pause_armed_ = true;
    }
    due = pause_until_;
  }
  return due > now ? due - now : Clock::duration::zero();
}

void OutputQueue::pump(int fd, Clock::time_point now, const std::function<void()>& on_hangup,
                       const std::function<void()>& on_frame) {
  while (!items_.empty()) {
    if (until_due(now) > Clock::duration::zero()) return;
    OutItem& item = items_.front();
    if (item.pause_ms > 0) {
      // The pause has been waited out once the item is due.
      item.pause_ms = 0;
      pause_armed_ = false;
      next_free_ = now;
    }
    if (item.hangup) {
      items_.clear();
      on_hangup();
      return;
    }
    const ssize_t n = ::write(fd, &item.c, 1);
    if (n != 1) return;  // the line is full (EAGAIN): try again later
    const bool frame_end = item.frame_end;
    items_.pop_front();
    last_sent_ = Clock::now();
    if (frame_end) on_frame();
    if (pacing_) {
      // The character occupies the line for one character time. A little
      // lateness of the loop is made up, so the average rate stays exact.
      const Clock::time_point start = std::max(next_free_, now - ms(CHAR_MS / 2));
      next_free_ = start + ms(CHAR_MS);
      if (next_free_ > now) return;
    } else {
      next_free_ = now;
    }
  }
}
