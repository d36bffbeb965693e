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

namespace {
// What one control word may change beyond the controller.
struct Flags {
  bool* quit;
  bool* hangup;
};
// One control word: the rest of its line in, its answer out.
using Word = std::string (*)(Controller& c, const std::string& rest, Flags flags);

std::string fault_word(Controller& c, const std::string& rest, Flags) {
  if (rest == "clear" || rest == "none") {
    c.faults.clear();
    c.out.drop_pauses();
    return "ok";
  }
  std::string error;
  return c.faults.add(rest, &error) ? "ok" : "err " + error;
}

std::string set_word(Controller& c, const std::string& rest, Flags) {
  std::istringstream kv(rest);
  std::string key, value, error;
  kv >> key >> value;
  return set_value(c, key, value, &error) ? "ok" : "err " + error;
}

std::string raw_word(Controller& c, const std::string& rest, Flags) {
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

std::string write_word(Controller& c, const std::string& rest, Flags) {
  std::istringstream kv(rest);
  std::string what, arg;
  int k = 0;
  kv >> what >> k >> arg;
  WriteFaults& f = c.write_faults;
  const bool value_k = k >= 1 && k <= 15 && !arg.empty();
  if (what == "clear") f = WriteFaults{};
  else if (what == "stop-after" && k >= 1 && k <= 15) f.stop_after = k;
  else if (what == "answer" && value_k) {
    f.answer_after = k;
    f.answer = arg.size() > 1 ? static_cast<char>(std::atoi(arg.c_str())) : arg[0];
  } else if (what == "delay" && value_k) {
    f.delay_after = k;
    f.delay_ms = std::atof(arg.c_str());
  } else if (what == "store" && value_k) {
    f.store_k = k;
    f.store_value = std::atoll(arg.c_str());
  } else {
    return "err write stop-after K | answer K C | delay K MS | store K VALUE | clear";
  }
  return "ok";
}

std::string get_word(Controller& c, const std::string& rest, Flags) {
  if (long long* p = param(c, rest)) return "ok " + std::to_string(*p);
  if (rest == "busy") return std::string("ok ") + (c.busy ? "1" : "0");
  if (rest == "absolute") return std::string("ok ") + (c.absolute_mode ? "1" : "0");
  if (rest == "faults") return "ok " + c.faults.describe();
  if (rest == "sets") return "ok " + std::to_string(c.sets_stored);
  return "err unknown key: " + rest;
}

std::string stream_word(Controller& c, const std::string& rest, Flags) {
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

std::string stats_word(Controller& c, const std::string&, Flags) {
  const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(c.out.last_sent().time_since_epoch());
  return "ok sent=" + std::to_string(c.frames_sent) + " received=" + std::to_string(c.frames_received) +
         " queued=" + std::to_string(c.out.size()) + " last_sent_ns=" + std::to_string(ns.count());
}

const std::pair<const char*, Word> WORDS[] = {
    {"fault", fault_word},
    {"set", set_word},
    {"raw", raw_word},
    {"write", write_word},
    {"get", get_word},
    {"rx", [](Controller& c, const std::string&, Flags) { return "ok " + hex(c.take_received()); }},
    {"send",
     [](Controller& c, const std::string& rest, Flags) {
       c.send_raw(unhex(rest), true);
       return std::string("ok");
     }},
    {"stream", stream_word},
    {"stats", stats_word},
    {"hangup", [](Controller&, const std::string&, Flags f) { return *f.hangup = true, std::string("ok"); }},
    {"quit", [](Controller&, const std::string&, Flags f) { return *f.quit = true, std::string("ok"); }},
};
}  // namespace

std::string run_control(Controller& c, const std::string& line, bool* quit, bool* hangup) {
  std::istringstream in(line);
  std::string cmd;
  in >> cmd;
  std::string rest;
  std::getline(in, rest);
  if (!rest.empty() && rest[0] == ' ') rest.erase(0, 1);
  if (cmd.empty()) return "ok";
  for (const auto& [word, run] : WORDS)
    if (cmd == word) return run(c, rest, Flags{quit, hangup});
  return "err unknown command: " + cmd;
}
