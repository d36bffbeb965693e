#include "faults.h"

#include <cctype>
#include <cstdlib>
#include <sstream>

namespace {
const char* const KNOWN[] = {"silence", "noise",  "wrong-header", "wrong-code", "bad-sep",
                             "short-field", "wrong-term", "slow", "busy", "hangup",
                             "cut", "replace", "delay"};

bool split_pair(const std::string& arg, int* index, std::string* rest) {
  const auto colon = arg.find(':');
  if (colon == std::string::npos) return false;
  *index = std::atoi(arg.substr(0, colon).c_str());
  *rest = arg.substr(colon + 1);
  return true;
}

char parse_char(const std::string& s) {
  if (s.size() > 1 && std::isdigit(static_cast<unsigned char>(s[0]))) return static_cast<char>(std::atoi(s.c_str()));
  return s.empty() ? ' ' : s[0];
}
}  // namespace

bool Faults::add(const std::string& spec, std::string* error) {
  std::istringstream words(spec);
  std::string head, word;
  words >> head;
  Fault f;
  const auto eq = head.find('=');
  f.name = head.substr(0, eq);
  if (eq != std::string::npos) f.arg = head.substr(eq + 1);
  while (words >> word) {
    if (word == "once") f.once = true;
    else if (word.rfind("for=", 0) == 0) f.codes = word.substr(4);
    else return *error = "unknown word: " + word, false;
  }
  bool known = false;
  for (const char* k : KNOWN) known = known || f.name == k;
  if (!known) return *error = "unknown fault: " + f.name, false;
  int index = 0;
  std::string rest;
  if ((f.name == "replace" || f.name == "delay") && !split_pair(f.arg, &index, &rest))
    return *error = f.name + " needs I:VALUE", false;
  if (f.name == "cut" && f.arg.empty()) return *error = "cut needs =I", false;
  faults_.push_back(f);
  return true;
}

std::string Faults::describe() const {
  std::string out;
  for (const Fault& f : faults_) {
    if (!out.empty()) out += ' ';
    out += f.name + (f.arg.empty() ? "" : "=" + f.arg);
  }
  return out.empty() ? "none" : out;
}

bool Faults::applies(const Fault& f, char code) const {
  return f.codes.empty() || f.codes.find(code) != std::string::npos;
}

void Faults::consume_once(char code, const std::string& name) {
  for (auto it = faults_.begin(); it != faults_.end(); ++it) {
    if (it->once && it->name == name && applies(*it, code)) {
      faults_.erase(it);
      return;
    }
  }
}

bool Faults::busy_for(char code) {
  for (const Fault& f : faults_) {
    if (f.name == "busy" && applies(f, code)) {
      consume_once(code, "busy");
      return true;
    }
  }
  return false;
}

namespace {
// A reply on its way out, as the faults shape it.
struct Shaped {
  std::string bytes;
  std::vector<double> pause;  // before each character
  int hangup_at = -1;
  std::string noise;
  double slow_ms = 0;
};

// Changes the frame's characters: what comes instead, and what not at all.
bool replace_chars(const Fault& f, const Reply& reply, Shaped& s, std::size_t base) {
  if (f.name == "silence") {
    s.bytes.clear();
    s.pause.assign(1, 0.0);
  } else if (f.name == "wrong-header" && s.bytes.size() > base + 1) {
    s.bytes[base + 1] = 'X';
  } else if (f.name == "wrong-code" && s.bytes.size() > base + 3) {
    s.bytes[base + 3] = 'Z';
  } else if (f.name == "bad-sep" && s.bytes.size() > base + 4) {
    s.bytes[base + 4] = ';';
  } else if (f.name == "short-field" && reply.field_pos >= 0 && reply.field_len > 0) {
    s.bytes.erase(static_cast<std::size_t>(reply.field_pos + reply.field_len - 1), 1);
    s.pause.resize(s.bytes.size() + 1);
  } else if (f.name == "wrong-term") {
    // The frame's own CR, which need not be the last character: W's reply
    // asks for the first value with "N" right after it.
    const std::size_t cr = s.bytes.find('\r', base);
    if (cr != std::string::npos) s.bytes[cr] = '\n';
  } else if (f.name == "cut") {
    const auto n = static_cast<std::size_t>(std::atoi(f.arg.c_str()));
    if (n < s.bytes.size()) s.bytes.resize(n);
  } else if (f.name == "replace") {
    int i = 0;
    std::string rest;
    split_pair(f.arg, &i, &rest);
    if (i >= 0 && static_cast<std::size_t>(i) < s.bytes.size()) s.bytes[i] = parse_char(rest);
  } else {
    return false;
  }
  return true;
}

// Changes when the characters go: noise before, pauses, a hang-up.
void retime(const Fault& f, Shaped& s) {
  if (f.name == "noise") {
    const int n = f.arg.empty() ? 6 : std::atoi(f.arg.c_str());
    static const char pattern[] = "x7#q\n,A R?";
    for (int i = 0; i < n; ++i) s.noise += pattern[i % (sizeof pattern - 1)];
  } else if (f.name == "slow") {
    s.slow_ms = f.arg.empty() ? 3500 : std::atof(f.arg.c_str());
  } else if (f.name == "hangup") {
    s.hangup_at = f.arg.empty() ? static_cast<int>(s.bytes.size() / 2) : std::atoi(f.arg.c_str());
  } else if (f.name == "delay") {
    int i = 0;
    std::string rest;
    split_pair(f.arg, &i, &rest);
    if (i >= 0) {
      if (static_cast<std::size_t>(i) >= s.pause.size()) s.pause.resize(i + 1, 0.0);
      s.pause[i] += std::atof(rest.c_str());
    }
  }
}

std::vector<OutItem> items_of(const Shaped& s, const Reply& reply) {
  std::vector<OutItem> out;
  for (char c : s.noise) out.push_back({c, 0, false, false});
  for (std::size_t i = 0; i < s.bytes.size(); ++i) {
    if (s.hangup_at >= 0 && static_cast<std::size_t>(s.hangup_at) == i) {
      out.push_back({0, 0, true, false});
      return out;
    }
    OutItem item{s.bytes[i], i < s.pause.size() ? s.pause[i] : 0.0, false, false};
    if (s.slow_ms > 0 && i > 0) item.pause_ms += s.slow_ms;
    out.push_back(item);
  }
  if (s.hangup_at >= 0 && static_cast<std::size_t>(s.hangup_at) >= s.bytes.size()) out.push_back({0, 0, true, false});
  if (!out.empty() && reply.frame && !out.back().hangup) out.back().frame_end = true;
  return out;
}
}  // namespace

std::vector<OutItem> Faults::apply(char code, const Reply& reply) {
  Shaped s;
  s.bytes = reply.bytes;
  s.pause.assign(reply.bytes.size() + 1, 0.0);
  std::vector<std::string> used;
  for (const Fault& f : faults_) {
    if (!applies(f, code) || f.name == "busy") continue;
    used.push_back(f.name);
    const std::size_t stx = s.bytes.find('\x02');
    if (!replace_chars(f, reply, s, stx == std::string::npos ? 0 : stx)) retime(f, s);
  }
  for (const std::string& name : used) consume_once(code, name);
  return items_of(s, reply);
}
