#pragma once
// The parameter record: the fifteen values the controller keeps, in the order
// of the W dialogue and of fields 3 to 17 of the L reply, with the entry
// control each is typed into, the read-out box that shows it, and how it
// travels both ways. The read, the write, its guard, the entry checks, Set
// Default and the set files all work from this one table.
#include <QMap>
#include <QString>
#include <array>

namespace tune_cmd {
// The controller's time unit, in milliseconds.
inline constexpr double TICK_MS = 1.64;
inline constexpr int RECORD_VALUES = 15;
// The largest count a five-digit field of the controller holds.
inline constexpr double FIELD_MAX = 99999;

// How a value travels between the controller and the window.
enum class Unit {
  stop_mode,        // 0 north-stop, 1 south-stop, 2 absolute: the two option buttons
  degrees,          // whole degrees, sent as typed
  seconds,          // ticks on the wire, seconds in the window
  on_off,           // 0 off, anything else on: a check box
  pwm_on_time,      // A ticks: with B, the period (ms) and the maximum duty (%)
  pwm_off_time,     // B ticks
  pwm_min_on_time,  // C ticks: the minimum duty (%) of the period
  offset,           // degrees; the read may report a negative one as a 16-bit count
  check_angle,      // degrees, sent as a whole number
};

struct Parameter {
  int n;                 // 1 to 15: place in the W dialogue; field n + 2 of the L reply
  const char* name;      // a readable name
  const char* caption;   // the label beside its entry control
  Unit unit;
  const char* entry;     // object name of the entry control
  const char* read_out;  // object name of the read-out box
  bool read_when_sent;   // read from its box when it is sent, not before the W frame
  double lo, hi;         // the controller's range (for a typed whole number of degrees: the range let go)
};
const std::array<Parameter, RECORD_VALUES>& RECORD();
const Parameter& PARAMETER(int n);

// The texts of the entry controls by object name: text boxes as typed, check
// boxes and option buttons "1" (checked, selected) or "0".
using Entries = QMap<QString, QString>;
// The entry controls in the order Set Default writes them, with their defaults.
struct EntryDefault {
  const char* entry;
  const char* text;
};
const std::array<EntryDefault, 16>& ENTRY_DEFAULTS();

// A controller set: the fifteen values in the controller's own units (ticks,
// degrees, 0/1, stop mode 0/1/2).
using ControllerSet = std::array<double, RECORD_VALUES>;

// A time in seconds as ticks of 1.64 ms, rounded half up.
double T(double seconds);

// Wire text of value n (1 to 15) of the entries, without its CR.
QString WIRE_VALUE(const Entries& e, int n);

// The first value of the entries that would put a wrong value into the
// controller, told as "<caption> must be ..., received:<text>"; empty when
// every value can go. Only garbage is stopped: a number box holding no number
// as a whole, a limit that is not a whole number from 0 to 500, an offset not
// from -70 to 70, a tick count that is negative or does not fit a five-digit
// field. What the entry checks paint red goes out as computed.
QString RECORD_PROBLEM(const Entries& e);

// The read's conversions from the controller's units into the window's.
// Ticks as whole seconds, rounded half up; `exact`: as many decimals as needed.
QString SECONDS_TEXT(double ticks, bool exact = false);
// The period (ms, whole, rounded half up; `exact`: unrounded) and the maximum
// duty (%, unrounded) of on-time A and off-time B; empty when A + B is 0.
QString PERIOD_TEXT(double a, double b, bool exact = false);
QString MAX_DUTY_TEXT(double a, double b);
// The minimum duty of on-time C (%, whole, rounded half up; `exact`: unrounded).
QString MIN_DUTY_TEXT(double a, double b, double c, bool exact = false);
// The offset of a 16-bit count: 32768 to 65535 are the negative offsets.
double OFFSET_OF(double count);

// The entries that a controller set fills, as the start-up read fills them
// (`exact` false) or so that cmd W sends exactly the set again (`exact` true).
Entries ENTRIES_OF(const ControllerSet& set, bool exact);

// The set that cmd W sends from entries that RECORD_PROBLEM lets go, in the
// controller's units. Neither stop option selected is absolute mode (2), as
// the start-up read shows it.
ControllerSet SET_OF(const Entries& e);

// The first value of a set that the controller cannot hold, or that the
// entries cannot give back exactly (a PWM period of no ticks: the duties have
// no number then), told as "<name> must be ..., found: <value>"; empty when
// ENTRIES_OF(set, true) makes cmd W send exactly the set.
QString SET_PROBLEM(const ControllerSet& set);

// Value n (1 to 15) of a set in the user's units, unrounded, with its unit:
// "South-stop", "10°", "0.5002 sec", "ON", the PWM times in milliseconds.
QString USER_TEXT(const ControllerSet& set, int n);

// The rules of the entry checks.
// Offset O: outside -70 to 70.
bool OFFSET_OUT_OF_RANGE(double offset);
// Minimum duty Dmin of period P and maximum duty Dmax: outside 0 to 100,
// above the maximum, or an on-time P x Dmin / 100 below 1.6 ms.
bool MIN_DUTY_OUT_OF_RANGE(double period, double max_duty, double min_duty);
// Limits L and U: the upper below the lower.
bool LIMITS_OUT_OF_ORDER(double lower, double upper);
}  // namespace tune_cmd
