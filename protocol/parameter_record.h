#pragma once
// The parameter record: the fifteen values of the W command, as the entry
// controls of "PARAMETERS SET" hold them, and how each goes on the wire.
// Times are entered in seconds and sent as ticks of 1.64 ms; the PWM period
// (ms) and the two duties (%) become three tick counts; angles are degrees.
#include <QString>

namespace tune_cmd {
// The contents of the entry controls, one member per control. A check box
// counts only when fully checked; the greyed state is false.
struct ParameterRecord {
  bool north_stop = false;
  bool south_stop = false;
  QString lower_limit;
  QString upper_limit;
  QString inv_delay;
  bool pwm_on = false;
  QString pwm_period;
  QString pwm_max_duty;
  QString ramp;
  QString pwm_min_duty;
  bool optimize = false;
  QString pres_delay;
  QString offset_write;
  bool mot_check = false;
  QString check_angle_write;
  QString rot_timeout;
};

inline constexpr int RECORD_VALUES = 15;

// A time in seconds as ticks of 1.64 ms, rounded half up.
double T(double seconds);

// Wire text of value n (1 to 15, in record order), without its CR.
QString WIRE_VALUE(const ParameterRecord& r, int n);

// The first value of the record that must not reach the controller, told as
// "<caption> must be ..., received:<text>"; empty when every value can go.
// Numbers must be numbers as a whole (no trailing rest that Val would drop),
// the ranges are those the entry checks paint red plus the limits' 0 to 500,
// and every tick count must fit the controller's five-digit fields.
QString RECORD_PROBLEM(const ParameterRecord& r);

// The rules of the entry checks, shared with RECORD_PROBLEM.
// Offset O: outside -70 to 70.
bool OFFSET_OUT_OF_RANGE(double offset);
// Minimum duty Dmin of period P and maximum duty Dmax: outside 0 to 100,
// above the maximum, or an on-time P x Dmin / 100 below 1.6 ms.
bool MIN_DUTY_OUT_OF_RANGE(double period, double max_duty, double min_duty);
// Limits L and U: the upper below the lower.
bool LIMITS_OUT_OF_ORDER(double lower, double upper);
}  // namespace tune_cmd
