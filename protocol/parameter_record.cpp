#include "protocol/parameter_record.h"

#include <QRegularExpression>
#include <cmath>

#include "serial/number_text.h"

namespace tune_cmd {
namespace {
bool within(double x, double lo, double hi) { return x >= lo && x <= hi; }  // false for NaN

QString text(const Entries& e, const char* entry) { return TRIM_BLANKS(e.value(QString::fromLatin1(entry))); }
QString flag(bool on) { return on ? QStringLiteral("1") : QStringLiteral("0"); }

// On-time A and off-time B at maximum duty and minimum on-time C, in ticks,
// from the period (ms) and the two duties (%).
struct Pwm {
  double a, b, c;
};
Pwm pwm_ticks(const Entries& e) {
  const double p = Val(text(e, "pwm_period"));
  const double h = p * Val(text(e, "pwm_max_duty")) / 100;
  return {std::floor(h / TICK_MS + 0.5), std::floor((p - h) / TICK_MS + 0.5),
          std::floor(p * Val(text(e, "pwm_min_duty")) / 100 / TICK_MS + 0.5)};
}

QString received(const QString& what, const QString& got) { return what + QStringLiteral(", received:") + got; }

// A whole number of degrees within the parameter's range, digits only or,
// where the range reaches below zero, with a sign.
QString degrees_problem(const Parameter& p, const QString& t) {
  static const QRegularExpression with_sign(QStringLiteral("^[+-]?[0-9]+$"));
  const bool whole = p.lo < 0 ? with_sign.match(t).hasMatch() : IS_DIGITS(t);
  if (whole && within(Val(t), p.lo, p.hi)) return {};
  return received(QStringLiteral("%1 must be a whole number of degrees from %2 to %3").arg(p.caption).arg(p.lo).arg(p.hi),
                  t);
}

QString number_problem(const QString& caption, const QString& unit, const QString& t) {
  if (IS_NUMBER(t)) return {};
  return received(caption + QStringLiteral(" must be a number of ") + unit, t);
}

QString ticks_problem(const QString& what, double ticks, const QString& got) {
  if (within(ticks, 0, FIELD_MAX)) return {};
  return received(what + QStringLiteral(" of 0 to 99999 ticks of 1.64 ms"), got);
}
}  // namespace

const std::array<Parameter, RECORD_VALUES>& RECORD() {
  static const std::array<Parameter, RECORD_VALUES> record = {{
      {1, "stop_mode", "Stop mode", Unit::stop_mode, "south_stop", "mode_msg", false, 0, 2},
      {2, "lower_limit", "Lower Limit", Unit::degrees, "lower_limit", "read_lower_limit", true, 0, 500},
      {3, "upper_limit", "Upper Limit", Unit::degrees, "upper_limit", "read_upper_limit", true, 0, 500},
      {4, "reverse_delay", "Rev. Delay", Unit::seconds, "inv_delay", "read_inv_delay", true, 0, FIELD_MAX},
      {5, "pwm", "PWM", Unit::on_off, "pwm_on", "pwm_msg", false, 0, 1},
      {6, "pwm_on_time", "PWM:period", Unit::pwm_on_time, "pwm_period", "read_pwm_period", false, 0, FIELD_MAX},
      {7, "pwm_off_time", "PWM:max.duty", Unit::pwm_off_time, "pwm_max_duty", "read_pwm_max_duty", false, 0,
       FIELD_MAX},
      {8, "ramp", "PWM:ramp", Unit::degrees, "ramp", "read_ramp", true, 0, FIELD_MAX},
      {9, "pwm_min_on_time", "PWM:min.duty", Unit::pwm_min_on_time, "pwm_min_duty", "read_pwm_min_duty", false, 0,
       FIELD_MAX},
      {10, "optimize", "OPTIMIZE", Unit::on_off, "optimize", "optimize_msg", false, 0, 1},
      {11, "preset_delay", "Preset Delay", Unit::seconds, "pres_delay", "read_pres_delay", true, 0, FIELD_MAX},
      {12, "offset", "Offset", Unit::offset, "offset_write", "offset_read", true, -70, 70},
      {13, "rotation_check", "ROT CHECK", Unit::on_off, "mot_check", "mot_check_msg", false, 0, 1},
      {14, "check_angle", "Check angle", Unit::check_angle, "check_angle_write", "check_angle", true, -FIELD_MAX,
       FIELD_MAX},
      {15, "rotation_timeout", "Rot. Timeout", Unit::seconds, "rot_timeout", "read_rot_timeout", true, 0, FIELD_MAX},
  }};
  return record;
}

const Parameter& PARAMETER(int n) { return RECORD().at(static_cast<std::size_t>(n - 1)); }

const std::array<EntryDefault, 16>& ENTRY_DEFAULTS() {
  static const std::array<EntryDefault, 16> defaults = {{
      {"offset_write", "0"},
      {"pwm_period", "50"},
      {"pwm_max_duty", "100"},
      {"pwm_min_duty", "50"},
      {"ramp", "10"},
      {"lower_limit", "0"},
      {"upper_limit", "500"},
      {"inv_delay", "3"},
      {"pres_delay", "3"},
      {"rot_timeout", "5"},
      {"pwm_on", "1"},
      {"optimize", "1"},
      {"mot_check", "0"},
      {"south_stop", "1"},
      {"north_stop", "0"},
      {"check_angle_write", "2"},
  }};
  return defaults;
}

double T(double seconds) { return std::floor(seconds * 1000 / TICK_MS + 0.5); }

QString WIRE_VALUE(const Entries& e, int n) {
  const Parameter& p = PARAMETER(n);
  const QString t = text(e, p.entry);
  switch (p.unit) {
    case Unit::stop_mode:
      if (text(e, "north_stop") == QLatin1String("1")) return QStringLiteral("0");
      if (text(e, "south_stop") == QLatin1String("1")) return QStringLiteral("1");
      return {};
    case Unit::degrees: return t;
    case Unit::seconds: return S(T(Val(t)));
    case Unit::on_off: return flag(t == QLatin1String("1"));
    case Unit::pwm_on_time: return S(pwm_ticks(e).a);
    case Unit::pwm_off_time: return S(pwm_ticks(e).b);
    case Unit::pwm_min_on_time: return S(pwm_ticks(e).c);
    // A negative offset goes without its leading zeros (-05 as -5); any
    // other offset as it was typed.
    case Unit::offset: return t.startsWith('-') ? S(Val(t)) : t;
    case Unit::check_angle: return S(std::floor(Val(t)));
  }
  return {};
}

QString RECORD_PROBLEM(const Entries& e) {
  for (const Parameter& p : RECORD()) {
    const QString t = text(e, p.entry);
    QString problem;
    switch (p.unit) {
      case Unit::stop_mode:
      case Unit::on_off:
        break;
      case Unit::degrees:
      case Unit::offset:
        problem = degrees_problem(p, t);
        break;
      case Unit::seconds:
        problem = number_problem(p.caption, QStringLiteral("seconds"), t);
        if (problem.isEmpty())
          problem = ticks_problem(QString::fromLatin1(p.caption) + QStringLiteral(" must give a time"), T(Val(t)), t);
        break;
      case Unit::pwm_on_time: {
        const QString period = text(e, "pwm_period"), max_duty = text(e, "pwm_max_duty");
        problem = number_problem(QStringLiteral("PWM:period"), QStringLiteral("milliseconds"), period);
        if (problem.isEmpty()) problem = number_problem(QStringLiteral("PWM:max.duty"), QStringLiteral("percent"), max_duty);
        const Pwm ticks = pwm_ticks(e);
        const QString what = QStringLiteral("PWM:period and PWM:max.duty must give on- and off-times");
        const QString got = period + QStringLiteral(" and ") + max_duty;
        if (problem.isEmpty()) problem = ticks_problem(what, ticks.a, got);
        if (problem.isEmpty()) problem = ticks_problem(what, ticks.b, got);
        break;
      }
      case Unit::pwm_off_time:
        break;  // told with the on-time: both come from the same two boxes
      case Unit::pwm_min_on_time:
        problem = number_problem(QStringLiteral("PWM:min.duty"), QStringLiteral("percent"), t);
        if (problem.isEmpty())
          problem = ticks_problem(QStringLiteral("PWM:period and PWM:min.duty must give a minimum on-time"),
                                  pwm_ticks(e).c, text(e, "pwm_period") + QStringLiteral(" and ") + t);
        break;
      case Unit::check_angle:
        if (!IS_NUMBER(t) || !within(std::floor(Val(t)), p.lo, p.hi))
          problem = received(QStringLiteral("Check angle must be a number of degrees from -99999 to 99999"), t);
        break;
    }
    if (!problem.isEmpty()) return problem;
  }
  return {};
}

QString SECONDS_TEXT(double ticks, bool exact) {
  const double seconds = ticks * TICK_MS / 1000;
  return S(exact ? seconds : std::floor(seconds + 0.5));
}

QString PERIOD_TEXT(double a, double b, bool exact) {
  const double period = (a + b) * TICK_MS;
  return S(exact ? period : std::floor(period + 0.5));
}

QString MAX_DUTY_TEXT(double a, double b) { return a + b != 0 ? S(a * 100 / (a + b)) : QStringLiteral("???"); }

QString MIN_DUTY_TEXT(double a, double b, double c, bool exact) {
  if (a + b == 0) return QStringLiteral("???");
  const double duty = c * 100 / (a + b);
  return S(exact ? duty : std::floor(duty + 0.5));
}

double OFFSET_OF(double count) { return count > 32767 ? count - 65536 : count; }

Entries ENTRIES_OF(const ControllerSet& set, bool exact) {
  Entries e;
  const double a = set[5], b = set[6];
  for (const Parameter& p : RECORD()) {
    const double v = set[static_cast<std::size_t>(p.n - 1)];
    const QString entry = QString::fromLatin1(p.entry);
    switch (p.unit) {
      case Unit::stop_mode:
        e[QStringLiteral("north_stop")] = flag(v == 0);
        e[QStringLiteral("south_stop")] = flag(v == 1);
        break;
      case Unit::degrees:
      case Unit::check_angle: e[entry] = S(v); break;
      case Unit::seconds: e[entry] = SECONDS_TEXT(v, exact); break;
      case Unit::on_off: e[entry] = flag(v != 0); break;
      case Unit::pwm_on_time: e[entry] = PERIOD_TEXT(a, b, exact); break;
      case Unit::pwm_off_time: e[entry] = MAX_DUTY_TEXT(a, b); break;
      case Unit::pwm_min_on_time: e[entry] = MIN_DUTY_TEXT(a, b, v, exact); break;
      case Unit::offset: e[entry] = S(OFFSET_OF(v)); break;
    }
  }
  return e;
}

ControllerSet SET_OF(const Entries& e) {
  ControllerSet set{};
  for (const Parameter& p : RECORD()) {
    const QString wire = WIRE_VALUE(e, p.n);
    set[static_cast<std::size_t>(p.n - 1)] = p.unit == Unit::stop_mode && wire.isEmpty() ? 2 : Val(wire);
  }
  return set;
}

QString SET_PROBLEM(const ControllerSet& set) {
  for (const Parameter& p : RECORD()) {
    const double v = set[static_cast<std::size_t>(p.n - 1)];
    if (!within(v, p.lo, p.hi) || std::floor(v) != v)
      return QString::fromLatin1(p.name) + QStringLiteral(" must be a whole number from ") + S(p.lo) +
             QStringLiteral(" to ") + S(p.hi) + QStringLiteral(", found: ") + S(v);
  }
  if (set[5] + set[6] == 0)
    return QStringLiteral("pwm_on_time and pwm_off_time are both 0: PWM:period would be 0 ms and the duties no "
                          "number, which PARAMETERS SET cannot hold");
  return {};
}

QString USER_TEXT(const ControllerSet& set, int n) {
  const Parameter& p = PARAMETER(n);
  const double v = set[static_cast<std::size_t>(n - 1)];
  switch (p.unit) {
    case Unit::stop_mode: {
      static const char* const modes[] = {"North-stop", "South-stop", "Absolute"};
      return v == 0 || v == 1 || v == 2 ? QString::fromLatin1(modes[static_cast<int>(v)]) : S(v);
    }
    case Unit::degrees:
    case Unit::offset:
    case Unit::check_angle: return S(v) + QStringLiteral("\u00b0");
    case Unit::seconds: return SECONDS_TEXT(v, true) + QStringLiteral(" sec");
    case Unit::on_off: return v != 0 ? QStringLiteral("ON") : QStringLiteral("OFF");
    case Unit::pwm_on_time:
    case Unit::pwm_off_time:
    case Unit::pwm_min_on_time: return S(v * TICK_MS) + QStringLiteral(" ms");
  }
  return {};
}

bool OFFSET_OUT_OF_RANGE(double offset) { return offset > 70 || offset < -70; }

bool MIN_DUTY_OUT_OF_RANGE(double period, double max_duty, double min_duty) {
  return min_duty > 100 || min_duty < 0 || max_duty < min_duty || period * min_duty / 100 < 1.6;
}

bool LIMITS_OUT_OF_ORDER(double lower, double upper) { return upper < lower; }
}  // namespace tune_cmd
