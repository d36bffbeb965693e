#include "protocol/rotator_lines.h"

#include <charconv>
#include <cmath>
#include <iterator>
#include <vector>

namespace rotator_lines {
namespace {
struct Known {
  const char* short_word;  // nullptr: only the long form
  const char* long_word;   // without its backslash
  Command command;
  std::size_t arguments;
};

// The requests trackers send. The CBOX turns azimuth only and has no free
// move and no reset; its park position is a go-to the server may know.
const Known KNOWN[] = {
    {"p", "get_pos", Command::get_pos, 0},     {"P", "set_pos", Command::set_pos, 2},
    {"S", "stop", Command::stop, 0},           {"_", "get_info", Command::get_info, 0},
    {nullptr, "dump_state", Command::dump_state, 0},
    {"K", "park", Command::park, 0},           {"M", "move", Command::not_available, 2},
    {"R", "reset", Command::not_available, 1}, {"q", nullptr, Command::quit, 0},
    {"Q", nullptr, Command::quit, 0},
};

bool blank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

std::vector<std::string_view> words_of(std::string_view line) {
  std::vector<std::string_view> words;
  std::size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && blank(line[i])) ++i;
    const std::size_t start = i;
    while (i < line.size() && !blank(line[i])) ++i;
    if (i > start) words.push_back(line.substr(start, i - start));
  }
  return words;
}

const Known* find(std::string_view word) {
  for (const Known& k : KNOWN) {
    if (k.short_word && word == k.short_word) return &k;
    if (k.long_word && word.size() > 1 && word[0] == '\\' && word.substr(1) == k.long_word) return &k;
  }
  return nullptr;
}

// The protocol's state: version 1, the model line, the azimuth range the
// CBOX turns and the fixed elevation of an azimuth-only rotator.
std::string state(bool extended) {
  const std::string az0 = FIXED6(0), az1 = FIXED6(360), el0 = FIXED6(0), el1 = FIXED6(90);
  if (!extended)
    return "1\n1\nmin_az=" + az0 + "\nmax_az=" + az1 + "\nmin_el=" + el0 + "\nmax_el=" + el1 +
           "\nsouth_zero=0\nrot_type=Az\ndone\n";
  return "rotctld Protocol Ver: 1\nRotor Model: 1\nMinimum Azimuth: " + az0 + "\nMaximum Azimuth: " + az1 +
         "\nMinimum Elevation: " + el0 + "\nMaximum Elevation: " + el1 + "\nSouth Zero: 0\nrot_type=Az\ndone\n";
}
}  // namespace

Request PARSE(std::string_view line) {
  Request r;
  std::vector<std::string_view> words = words_of(line);
  if (words.empty()) return r;
  std::string_view word = words[0];
  if (word.size() > 1 && word[0] == '+') {
    r.extended = true;
    word.remove_prefix(1);
  }
  for (std::size_t i = 1; i < words.size(); ++i) {
    if (i > 1) r.arguments += ' ';
    r.arguments += words[i];
  }
  r.command = Command::invalid;
  r.code = INVALID;
  const Known* known = find(word);
  if (!known) return r;
  r.name = known->long_word ? known->long_word : "";
  // Whatever follows a request the CBOX cannot do, it cannot do it.
  if (known->command == Command::quit || known->command == Command::not_available) {
    r.command = known->command;
    r.code = known->command == Command::quit ? OK : NOT_AVAILABLE;
    return r;
  }
  if (words.size() - 1 != known->arguments) return r;
  if (known->command == Command::set_pos) {
    // The elevation must be a number too, though the CBOX has no use for it.
    const std::optional<double> az = NUMBER(words[1]), el = NUMBER(words[2]);
    const std::optional<int> degrees = az && el ? WHOLE_DEGREES(*az) : std::nullopt;
    if (!degrees) return r;
    r.azimuth = *degrees;
  }
  r.command = known->command;
  r.code = known->command == Command::park ? NOT_AVAILABLE : OK;
  return r;
}

bool NEEDS_CONTROLLER(const Request& r) {
  return r.code == OK &&
         (r.command == Command::get_pos || r.command == Command::set_pos || r.command == Command::stop);
}

std::optional<double> NUMBER(std::string_view word) {
  if (const std::size_t comma = word.find(','); comma != std::string_view::npos) {
    const auto digit = [word](std::size_t i) { return i < word.size() && word[i] >= '0' && word[i] <= '9'; };
    // "1,000.5", "1,2,3", "10," and ",5" are no decimal comma.
    if (word.find(',', comma + 1) != std::string_view::npos || word.find('.') != std::string_view::npos ||
        comma == 0 || !digit(comma - 1) || !digit(comma + 1))
      return std::nullopt;
    std::string with_point(word);
    with_point[comma] = '.';
    return NUMBER(with_point);
  }
  // from_chars takes no "+", and no locale.
  if (word.size() > 1 && word[0] == '+' && word[1] != '-') word.remove_prefix(1);
  double x = 0;
  const char* end = word.data() + word.size();
  const auto [stop, error] = std::from_chars(word.data(), end, x, std::chars_format::general);
  if (error != std::errc() || stop != end || !std::isfinite(x)) return std::nullopt;
  return x;
}

std::optional<int> WHOLE_DEGREES(double azimuth) {
  if (!std::isfinite(azimuth) || azimuth < -360 || azimuth > 360) return std::nullopt;
  const long whole = std::lround(azimuth) % 360;
  return static_cast<int>(whole < 0 ? whole + 360 : whole);
}

std::string FIXED6(double x) {
  // Room for the widest double in fixed notation.
  char text[400];
  const auto [end, error] = std::to_chars(std::begin(text), std::end(text), x, std::chars_format::fixed, 6);
  return error == std::errc() ? std::string(text, end) : std::string("nan");
}

std::string INFO(std::string_view version) {
  if (version.empty()) return "CBOX firmware unknown";
  // Shown with three digits before the point: "003.23" is version 3.23.
  while (version.size() > 1 && version[0] == '0' && version[1] >= '0' && version[1] <= '9') version.remove_prefix(1);
  return "CBOX firmware " + std::string(version);
}

std::string ANSWER(const Request& r, int code, double azimuth, std::string_view info) {
  if (r.command == Command::blank || r.command == Command::quit) return {};
  std::string out;
  if (r.extended && !r.name.empty()) out = r.name + ":" + (r.arguments.empty() ? "" : " " + r.arguments) + "\n";
  const std::string rprt = "RPRT " + std::to_string(code) + "\n";
  if (code != OK) return out + rprt;
  switch (r.command) {
    case Command::get_pos:
      out += r.extended ? "Azimuth: " + FIXED6(azimuth) + "\nElevation: " + FIXED6(0) + "\n"
                        : FIXED6(azimuth) + "\n" + FIXED6(0) + "\n";
      break;
    case Command::get_info:
      out += (r.extended ? "Info: " : "") + std::string(info) + "\n";
      break;
    case Command::dump_state:
      out += state(r.extended);
      break;
    default:
      // set_pos and stop answer with their code alone.
      return out + rprt;
  }
  return r.extended ? out + rprt : out;
}
}  // namespace rotator_lines
