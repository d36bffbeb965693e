#include "protocol/parameter_record.h"

#include <QRegularExpression>
#include <cmath>

#include "protocol/number_text.h"

namespace tune_cmd {
namespace {
// The largest count a five-digit field of the controller holds.
constexpr double FIELD_MAX = 99999;

struct Pwm {
  double a, b, c;
};

// On-time A and off-time B at maximum duty, minimum on-time C, in ticks.
Pwm pwm_ticks(const ParameterRecord& r) {
  const double p = Val(r.pwm_period.trimmed());
  const double dmax = Val(r.pwm_max_duty.trimmed());
  const double dmin = Val(r.pwm_min_duty.trimmed());
  const double h = p * dmax / 100;
  return {std::floor(h / 1.64 + 0.5), std::floor((p - h) / 1.64 + 0.5), std::floor(p * dmin / 100 / 1.64 + 0.5)};
}

QString time_ticks(const QString& text) { return S(T(Val(text))); }
QString flag(bool on) { return on ? QStringLiteral("1") : QStringLiteral("0"); }

// A whole number, digits only (leading zeros allowed), or with a sign when
// `signed_ok`; *value set when it is one.
bool is_whole(const QString& t, bool signed_ok, double* value) {
  static const QRegularExpression with_sign(QStringLiteral("^[+-]?[0-9]+$"));
  if (!(signed_ok ? with_sign.match(t).hasMatch() : IS_DIGITS(t))) return false;
  *value = Val(t);
  return true;
}

bool within(double x, double lo, double hi) { return x >= lo && x <= hi; }  // false for NaN

QString received(const QString& what, const QString& text) {
  return what + QStringLiteral(", received:") + text;
}

// A time in seconds that must give 0 to 99999 ticks.
QString time_problem(const QString& caption, const QString& text) {
  const QString t = text.trimmed();
  if (IS_NUMBER(t) && within(T(Val(t)), 0, FIELD_MAX)) return {};
  return received(caption + QStringLiteral(" must be a number of seconds from 0 to 163.99 (99999 ticks of 1.64 ms)"),
                  t);
}

// A whole number of degrees within [lo, hi].
QString angle_problem(const QString& caption, const QString& text, bool signed_ok, double lo, double hi) {
  const QString t = text.trimmed();
  double v = 0;
  if (is_whole(t, signed_ok, &v) && within(v, lo, hi)) return {};
  return received(caption + QStringLiteral(" must be a whole number of degrees from %1 to %2").arg(lo).arg(hi), t);
}
}  // namespace

double T(double seconds) { return std::floor(seconds * 1000 / 1.64 + 0.5); }

QString WIRE_VALUE(const ParameterRecord& r, int n) {
  switch (n) {
    case 1:
      if (r.north_stop) return QStringLiteral("0");
      if (r.south_stop) return QStringLiteral("1");
      return {};
    case 2: return r.lower_limit.trimmed();
    case 3: return r.upper_limit.trimmed();
    case 4: return time_ticks(r.inv_delay);
    case 5: return flag(r.pwm_on);
    case 6: return S(pwm_ticks(r).a);
    case 7: return S(pwm_ticks(r).b);
    case 8: return r.ramp.trimmed();
    case 9: return S(pwm_ticks(r).c);
    case 10: return flag(r.optimize);
    case 11: return time_ticks(r.pres_delay);
    case 12: {
      // A negative offset goes without its leading zeros (-05 as -5); any
      // other offset as it was typed.
      const QString t = r.offset_write.trimmed();
      return t.startsWith('-') ? S(Val(t)) : t;
    }
    case 13: return flag(r.mot_check);
    case 14: return S(std::floor(Val(r.check_angle_write)));
    case 15: return time_ticks(r.rot_timeout);
  }
  return {};
}

bool OFFSET_OUT_OF_RANGE(double offset) { return offset > 70 || offset < -70; }

bool MIN_DUTY_OUT_OF_RANGE(double period, double max_duty, double min_duty) {
  return min_duty > 100 || min_duty < 0 || max_duty < min_duty || period * min_duty / 100 < 1.6;
}

bool LIMITS_OUT_OF_ORDER(double lower, double upper) { return upper < lower; }

QString RECORD_PROBLEM(const ParameterRecord& r) {
  QString problem;
  // Values 2 and 3: the limits, each within 0 to 500, and in order.
  if (!(problem = angle_problem(QStringLiteral("Lower Limit"), r.lower_limit, false, 0, 500)).isEmpty()) return problem;
  if (!(problem = angle_problem(QStringLiteral("Upper Limit"), r.upper_limit, false, 0, 500)).isEmpty()) return problem;
  const QString lower = r.lower_limit.trimmed(), upper = r.upper_limit.trimmed();
  if (LIMITS_OUT_OF_ORDER(Val(lower), Val(upper)))
    return received(QStringLiteral("Lower Limit must not be above Upper Limit"), lower + QStringLiteral(" and ") + upper);

  // Value 4: reverse delay.
  if (!(problem = time_problem(QStringLiteral("Rev. Delay"), r.inv_delay)).isEmpty()) return problem;

  // Values 6, 7 and 9: period and duties, then the three tick counts.
  const QString period = r.pwm_period.trimmed(), max_duty = r.pwm_max_duty.trimmed(),
                min_duty = r.pwm_min_duty.trimmed();
  if (!IS_NUMBER(period)) return received(QStringLiteral("PWM:period must be a number of milliseconds"), period);
  if (!IS_NUMBER(max_duty) || !within(Val(max_duty), 0, 100))
    return received(QStringLiteral("PWM:max.duty must be a number of percent from 0 to 100"), max_duty);
  if (!(problem = angle_problem(QStringLiteral("PWM:ramp"), r.ramp, false, 0, FIELD_MAX)).isEmpty()) return problem;
  if (!IS_NUMBER(min_duty) || !within(Val(min_duty), 0, 100))
    return received(QStringLiteral("PWM:min.duty must be a number of percent from 0 to 100"), min_duty);
  const double p = Val(period), dmax = Val(max_duty), dmin = Val(min_duty);
  if (dmax < dmin)
    return received(QStringLiteral("PWM:min.duty must not be above PWM:max.duty"),
                    min_duty + QStringLiteral(" and ") + max_duty);
  if (MIN_DUTY_OUT_OF_RANGE(p, dmax, dmin) || !within(p, 0, HUGE_VAL))
    return received(QStringLiteral("PWM:min.duty must give an on-time of at least 1.6 ms"),
                    min_duty + QStringLiteral("% of ") + period + QStringLiteral("ms"));
  const Pwm ticks = pwm_ticks(r);
  if (!within(ticks.a, 0, FIELD_MAX) || !within(ticks.b, 0, FIELD_MAX) || !within(ticks.c, 0, FIELD_MAX))
    return received(QStringLiteral("PWM:period must give on- and off-times of 0 to 99999 ticks of 1.64 ms"), period);

  // Value 11: preset delay; 12: offset; 14: check angle; 15: rotation timeout.
  if (!(problem = time_problem(QStringLiteral("Preset Delay"), r.pres_delay)).isEmpty()) return problem;
  if (!(problem = angle_problem(QStringLiteral("Offset"), r.offset_write, true, -70, 70)).isEmpty()) return problem;
  const QString check = r.check_angle_write.trimmed();
  if (!IS_NUMBER(check) || !within(std::floor(Val(check)), -FIELD_MAX, FIELD_MAX))
    return received(QStringLiteral("Check angle must be a number of degrees from -99999 to 99999"), check);
  if (!(problem = time_problem(QStringLiteral("Rot. Timeout"), r.rot_timeout)).isEmpty()) return problem;
  return {};
}
}  // namespace tune_cmd
