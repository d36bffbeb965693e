#pragma once
// The rotator daemon's text protocol, as tracking programs speak it over TCP:
// one request a line, read into what the controller is asked for, and the
// answers in the forms those programs read. Nothing here touches the window
// or the port, and no locale: numbers are read and written with a point on
// every desktop.
#include <optional>
#include <string>
#include <string_view>

namespace rotator_lines {
// A line longer than this (its "\n" not counted) ends the client.
inline constexpr std::size_t MAX_LINE = 256;

// The answer codes ("RPRT n") the tool gives.
inline constexpr int OK = 0;
inline constexpr int INVALID = -1;        // no request we know, or not its arguments
inline constexpr int NOT_AVAILABLE = -4;  // move, reset, and park without a park position
inline constexpr int TIMED_OUT = -5;      // no reply in time, or no turn within the wait limit
inline constexpr int PORT_FAULT = -6;     // the serial port cannot be opened or was lost
inline constexpr int PROTOCOL_FAULT = -8; // the reply broke the controller's protocol
inline constexpr int REJECTED = -9;       // the controller answered the go-to with E

enum class Command {
  blank,          // an empty line: no answer
  dump_state,     // \dump_state
  get_pos,        // p, \get_pos
  set_pos,        // P az el, \set_pos az el
  stop,           // S, \stop
  get_info,       // _, \get_info
  park,           // K, \park: NOT_AVAILABLE here; the server knows where the park position is
  not_available,  // M \move, R \reset
  quit,           // q, Q: the client is closed
  invalid,        // anything else
};

struct Request {
  Command command = Command::blank;
  // A leading "+": the answer names the request and ends with its code.
  bool extended = false;
  // The long name the extended answer starts with ("get_pos"); empty when
  // the word is no request at all.
  std::string name;
  // The words after the request's own, one blank between them, as sent.
  std::string arguments;
  // The code when nothing is asked of the controller: INVALID for a request
  // that cannot be run, NOT_AVAILABLE, else OK.
  int code = OK;
  // set_pos: the azimuth in whole degrees, 0 to 359.
  int azimuth = 0;
};

// One line as received, without its "\n" (a trailing "\r" is taken as a
// blank). Words are separated by blanks and tabs.
Request PARSE(std::string_view line);

// True when the request asks the controller something (a valid p, P or S).
bool NEEDS_CONTROLLER(const Request& r);

// A decimal number filling the whole word: an optional sign, digits with at
// most one point, an optional exponent; finite. A tracker on a desktop whose
// locale writes a decimal comma sends one in place of the point ("174,46"):
// one comma with a digit on either side and no point reads as that point.
// Nothing otherwise.
std::optional<double> NUMBER(std::string_view word);

// The azimuth the CBOX is sent for a tracker's one: -360 to 360, rounded to
// the nearest whole degree (a half away from zero) and brought into 0 to 359
// (-90 is 270, 359.6 is 0). Nothing when outside or not finite.
std::optional<int> WHOLE_DEGREES(double azimuth);

// Six decimals after a point, e.g. "123.000000".
std::string FIXED6(double x);

// The info line from the firmware version as the V read shows it ("003.23"
// gives "CBOX firmware 3.23"; none read yet: "CBOX firmware unknown").
std::string INFO(std::string_view version);

// The whole answer to `r`, every line ended by "\n": for code OK the values
// the request returns (the position, the info line, the state), else only
// the code; nothing for a blank line or quit.
std::string ANSWER(const Request& r, int code, double azimuth = 0, std::string_view info = {});
}  // namespace rotator_lines
