#include "control.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "controller.h"

namespace {
long long* param(Controller& c, const std::string& key) {
  for (int n = 1; n <= 15; ++n)
    if (key == PARAMS[n - 1].key) return &c.params[n];
  const std::pair<const char*, long long*> others[] = {
      {"position", &c.position}, {"target", &c.target},        {"version", &c.version},
      {"dip", &c.dip},           {"calfactor", &c.cal_factor},
  };
  for (const auto& [name, ptr] : others)
    if (key == name) return ptr;
  return nullptr;
}

std::string hex(const std::string& bytes) {
  std::string out;
  char buf[4];
  for (unsigned char ch : bytes) {
    std::snprintf(buf, sizeof buf, "%02x", ch);
    out += buf;
  }
  return out;
}

std::string unhex(const std::string& h) {
  std::string out;
  for (std::size_t i = 0; i + 1 < h.size(); i += 2)
    out += static_cast<char>(std::strtol(h.substr(i, 2).c_str(), nullptr, 16));
  return out;
}
}  // namespace

bool set_value(Controller& c, const std::string& key, const std::string& value, std::string* error) {
  if (long long* p = param(c, key)) {
    *p = std::atoll(value.c_str());
    return true;
  }
  const bool on = value == "1" || value == "on" || value == "true";
  if (key == "busy") c.busy = on;
  else if (key == "absolute") c.absolute_mode = on;
  else if (key == "pacing") c.out.set_pacing(on);
  else if (key == "speed") c.speed = std::atof(value.c_str());
  else return *error = "unknown key: " + key, false;
  return true;
}

std::string run_control(Controller& c, const std::string& line, bool* quit, bool* hangup) {
  std::istringstream in(line);
  std::string cmd;
  in >> cmd;
  std::string rest;
  std::getline(in, rest);
  if (!rest.empty() && rest[0] == ' ') rest.erase(0, 1);
  std::string error;
  if (cmd.empty()) return "ok";
  if (cmd == "fault") {
    if (rest == "clear" || rest == "none") {
      c.faults.clear();
      return "ok";
    }
    return c.faults.add(rest, &error) ? "ok" : "err " + error;
  }
  if (cmd == "set") {
    std::istringstream kv(rest);
    std::string key, value;
    kv >> key >> value;
    return set_value(c, key, value, &error) ? "ok" : "err " + error;
  }
  if (cmd == "raw") {
    if (rest == "clear") {
      c.raw_fields.clear();
      return "ok";
    }
    std::istringstream kv(rest);
    int n = 0;
    std::string text;
    kv >> n >> text;
    if (n < 1 || n > 19) return "err field number 1..19";
    c.raw_fields[n] = text;
    return "ok";
  }
  if (cmd == "write") {
    std::istringstream kv(rest);
    std::string what, arg;
    int k = 0;
    kv >> what >> k >> arg;
    WriteFaults& f = c.write_faults;
    if (what == "clear") f = WriteFaults{};
    else if (what == "stop-after" && k >= 1 && k <= 15) f.stop_after = k;
    else if (what == "answer" && k >= 1 && k <= 15 && !arg.empty()) {
      f.answer_after = k;
      f.answer = arg.size() > 1 ? static_cast<char>(std::atoi(arg.c_str())) : arg[0];
    } else if (what == "delay" && k >= 1 && k <= 15 && !arg.empty()) {
      f.delay_after = k;
      f.delay_ms = std::atof(arg.c_str());
    } else {
      return "err write stop-after K | answer K C | delay K MS | clear";
    }
    return "ok";
  }
  if (cmd == "get") {
    if (long long* p = param(c, rest)) return "ok " + std::to_string(*p);
    if (rest == "busy") return std::string("ok ") + (c.busy ? "1" : "0");
    if (rest == "absolute") return std::string("ok ") + (c.absolute_mode ? "1" : "0");
    if (rest == "faults") return "ok " + c.faults.describe();
    if (rest == "sets") return "ok " + std::to_string(c.sets_stored);
    return "err unknown key: " + rest;
  }
  if (cmd == "rx") return "ok " + hex(c.take_received());
  if (cmd == "send") {
    c.send_raw(unhex(rest), true);
    return "ok";
  }
  if (cmd == "stream") {
    std::istringstream kv(rest);
    std::string kind;
    double ms = 0;
    kv >> kind >> ms;
    if (kind == "status" && ms > 0) c.stream_status(ms);
    else if (kind == "flood") c.stream_flood();
    else if (kind == "off") c.stream_off();
    else return "err stream status MS | flood | off";
    return "ok";
  }
  if (cmd == "stats")
    return "ok sent=" + std::to_string(c.frames_sent) + " received=" +
           std::to_string(c.frames_received) + " queued=" + std::to_string(c.out.size()) +
           " last_sent_ns=" +
           std::to_string(std::chrono::duration_cast<std::chrono::nanoseconds>(
                              c.out.last_sent().time_since_epoch())
                              .count());
  if (cmd == "hangup") {
    *hangup = true;
    return "ok";
  }
  if (cmd == "quit") {
    *quit = true;
    return "ok";
  }
  return "err unknown command: " + cmd;
}
