#include "controller.h"

#include <cstdio>
#include <fstream>

std::string field5(long long v) {
  char buf[32];
  if (v < 0) std::snprintf(buf, sizeof buf, "-%05lld", -v);
  else std::snprintf(buf, sizeof buf, "%05lld", v);
  return buf;
}

std::string field3(long long v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%03lld", v);
  return buf;
}

Controller::Controller() {
  register_status(*this);
  register_s_m_v(*this);
  register_read(*this);
  register_goto(*this);
  register_calib(*this);
  register_write(*this);
}

void Controller::on_bytes(const char* data, std::size_t n) {
  received_.append(data, n);
  if (!log_path.empty()) {
    std::ofstream log(log_path, std::ios::app | std::ios::binary);
    log.write(data, static_cast<std::streamsize>(n));
  }
  for (std::size_t i = 0; i < n; ++i) {
    const char c = data[i];
    // A dialogue the tool broke off ends with the next command frame.
    if (dialogue_ && c == '\x02') {
      dialogue_.reset();
      line_.clear();
    }
    if (dialogue_) {
      if (c == '\r') {
        const std::string line = line_;
        line_.clear();
        if (!dialogue_->on_line(line)) dialogue_.reset();
      } else {
        line_ += c;
      }
      continue;
    }
    if (c == '\x02') {
      in_frame_ = true;
      frame_.clear();
    } else if (in_frame_ && c == '\r') {
      in_frame_ = false;
      dispatch(frame_);
    } else if (in_frame_) {
      frame_ += c;
    }
  }
}

std::string Controller::take_received() {
  std::string r;
  r.swap(received_);
  return r;
}

void Controller::dispatch(const std::string& frame) {
  ++frames_received;
  if (frame.size() < 2 || frame[0] != 'A') return;
  const char code = frame[1];
  auto it = handlers_.find(code);
  if (it == handlers_.end()) return;  // an unknown command gets no answer
  it->second(*this, frame.substr(2));
}

void Controller::reply(char code, const Reply& r) {
  for (const OutItem& item : faults.apply(code, r)) out.push(item);
}

void Controller::send_raw(const std::string& bytes, bool frame) {
  for (std::size_t i = 0; i < bytes.size(); ++i)
    out.push({bytes[i], 0, false, frame && i + 1 == bytes.size()});
}

bool Controller::needs_ticks() const {
  if (streaming()) return true;
  for (const Ticker& t : tickers_)
    if (t.active(*this)) return true;
  return false;
}

void Controller::tick(Clock::time_point now) {
  for (Ticker& t : tickers_)
    if (t.active(*this)) t.run(*this, now);
  if (!status_frame) return;
  if (flood_) {
    // Keep the line busy: a frame or two always waiting.
    while (out.size() < 24) reply('?', status_frame(*this));
  } else if (stream_ms_ > 0 && now >= next_stream_) {
    reply('?', status_frame(*this));
    next_stream_ = now + std::chrono::duration_cast<Clock::duration>(
                             std::chrono::duration<double, std::milli>(stream_ms_));
  }
}
