// Command L, the parameter read: the controller's position, busy/ready state,
// its fifteen parameters, DIP switches and calibration factor, converted into
// the user's units and shown in the "PARAMETERS READ" boxes. At start-up
// (fill_set_fields True) the values also go into the entry controls.
#include <cmath>

#include "app/myVar.h"
#include "monitor/locking.h"
#include "protocol/tune_cmd.h"
#include "ui/colours.h"
#include "ui/velta.h"

namespace tune_cmd {
namespace {
const QString DEGREE = QStringLiteral("\u00b0");

// Ticks of 1.64 ms as whole seconds, rounded half up.
QString ticks_to_seconds(const QString& t) { return S(std::floor(Val(t) * 1.64 / 1000 + 0.5)); }

// Both option buttons cleared: they are exclusive, so the group's exclusivity
// is lifted while they are unchecked.
void clear_both(QRadioButton* a, QRadioButton* b) {
  a->setAutoExclusive(false);
  b->setAutoExclusive(false);
  a->setChecked(false);
  b->setChecked(false);
  a->setAutoExclusive(true);
  b->setAutoExclusive(true);
}

// The body of the L reply after its header, item by item. Returns when the
// reply is complete or at its first fault, which has been told by then.
void read_body(velta& w) {
  const bool fill = myVar::fill_set_fields;

  // The separator between two items; false (and told) when it is not ",".
  auto separator = [] {
    const QString c = GET_CHAR();
    if (c == QLatin1String(",")) return true;
    REPORT(QStringLiteral("Separator invalid, received:") + c);
    return false;
  };
  // Field readers tell their own time-out; an empty text ends the body.
  QString t;
  auto field = [&t] {
    t = GET_NUM05NT();
    return !t.isEmpty();
  };
  auto on_off = [&t](QLineEdit* box, QCheckBox* entry, bool fill_entry) {
    box->setText(t == QLatin1String("0") ? QStringLiteral("OFF") : QStringLiteral("ON"));
    if (fill_entry) entry->setChecked(t != QLatin1String("0"));
  };
  auto degrees = [&t](QLineEdit* box, QLineEdit* entry, bool fill_entry) {
    box->setText(t + DEGREE);
    if (fill_entry) entry->setText(t);
  };
  auto seconds = [&t](QLineEdit* box, QLineEdit* entry, bool fill_entry) {
    const QString s = ticks_to_seconds(t);
    box->setText(s + QStringLiteral("sec"));
    if (fill_entry) entry->setText(s);
  };

  // 1: current position.
  if (!field()) return;
  w.curr_pos->setText(t + DEGREE);
  if (!separator()) return;

  // 2: busy or ready. Anything else leaves the rest of the reply unreadable.
  t = GET_CHAR();
  if (t == QLatin1String("B")) {
    w.cbox_status->setText(QStringLiteral("BUSY"));
    ui::SET_BACKCOLOR(w.cbox_status, ui::RED());
  } else if (t == QLatin1String("R")) {
    w.cbox_status->setText(QStringLiteral("READY"));
    ui::SET_BACKCOLOR(w.cbox_status, ui::SYS_WINDOW_BACKGROUND());
  } else {
    REPORT(QStringLiteral("cmd L, <data>(R or B) invalid, received:") + t);
    return;
  }
  if (!separator()) return;

  // 3: stop mode.
  t = GET_NUM05();
  if (t.isEmpty()) return;
  if (t == QLatin1String("0")) {
    w.mode_msg->setText(QStringLiteral("North-stop"));
    if (fill) {
      w.north_stop->setChecked(true);
      w.south_stop->setChecked(false);
    }
  } else if (t == QLatin1String("1")) {
    w.mode_msg->setText(QStringLiteral("South-stop"));
    if (fill) {
      w.north_stop->setChecked(false);
      w.south_stop->setChecked(true);
    }
  } else if (t == QLatin1String("2")) {
    w.mode_msg->setText(QStringLiteral("Absolute"));
    if (fill) clear_both(w.north_stop, w.south_stop);
  } else {
    REPORT(QStringLiteral("cmd L, <mode>(0, 1 or 2) invalid, received:") + t);
    return;
  }
  if (!separator()) return;

  // 4, 5: limits; 6: reverse delay; 7: PWM on/off.
  if (!field()) return;
  degrees(w.read_lower_limit, w.lower_limit, fill);
  if (!separator()) return;
  if (!field()) return;
  degrees(w.read_upper_limit, w.upper_limit, fill);
  if (!separator()) return;
  if (!field()) return;
  seconds(w.read_inv_delay, w.inv_delay, fill);
  if (!separator()) return;
  if (!field()) return;
  on_off(w.pwm_msg, w.pwm_on, fill);
  if (!separator()) return;

  // 8, 9: PWM on- and off-time at maximum duty; shown once both are in.
  if (!field()) return;
  const double a = Val(t);
  if (!separator()) return;
  if (!field()) return;
  const double b = Val(t);
  if (!separator()) return;
  if (a + b != 0) {
    const QString period = S(std::floor((a + b) * 1.64 + 0.5));
    const QString max_duty = S(a * 100 / (a + b));
    w.read_pwm_period->setText(period + QStringLiteral("ms"));
    w.read_pwm_max_duty->setText(max_duty + QStringLiteral("%"));
    if (fill) {
      w.pwm_period->setText(period);
      w.pwm_max_duty->setText(max_duty);
    }
  } else {
    w.read_pwm_period->setText(QStringLiteral("???ms"));
    w.read_pwm_max_duty->setText(QStringLiteral("???%"));
    if (fill) {
      w.pwm_period->setText(QStringLiteral("0"));
      w.pwm_max_duty->setText(QStringLiteral("???"));
    }
  }

  // 10: ramp.
  if (!field()) return;
  degrees(w.read_ramp, w.ramp, fill);
  if (!separator()) return;

  // 11: minimum on-time, as a duty of the period.
  if (!field()) return;
  const double c = Val(t);
  if (a + b != 0) {
    const QString min_duty = S(std::floor(c * 100 / (a + b) + 0.5));
    w.read_pwm_min_duty->setText(min_duty + QStringLiteral("%"));
    if (fill) w.pwm_min_duty->setText(min_duty);
  } else {
    w.read_pwm_min_duty->setText(QStringLiteral("???%"));
    if (fill) w.pwm_min_duty->setText(QStringLiteral("???"));
  }
  if (!separator()) return;

  // 12: optimize; 13: preset delay.
  if (!field()) return;
  on_off(w.optimize_msg, w.optimize, fill);
  if (!separator()) return;
  if (!field()) return;
  seconds(w.read_pres_delay, w.pres_delay, fill);
  if (!separator()) return;

  // 14: offset, a 16-bit two's complement count. A count the 16 bits cannot
  // hold is shown as invalid, never wrapped into a plausible angle, and is
  // kept out of the entry control so it cannot be written back. The field
  // had its full width, so the items after it are still in step and read on.
  if (!field()) return;
  const double offset = Val(t);
  if (offset > 65535) {
    w.offset_read->setText(QStringLiteral("invalid:") + t);
  } else {
    if (offset > 32767) t = S(offset - 65536);
    degrees(w.offset_read, w.offset_write, fill);
  }
  if (!separator()) return;

  // 15: rotation check; 16: check angle; 17: rotation timeout.
  if (!field()) return;
  on_off(w.mot_check_msg, w.mot_check, fill);
  if (!separator()) return;
  if (!field()) return;
  degrees(w.check_angle, w.check_angle_write, fill);
  if (!separator()) return;
  if (!field()) return;
  seconds(w.read_rot_timeout, w.rot_timeout, fill);
  if (!separator()) return;

  // 18: DIP switches, red while enabled.
  if (!field()) return;
  const bool enabled = t != QLatin1String("0");
  w.dipsw->setText(enabled ? QStringLiteral("ENABLED") : QStringLiteral("DISABLED"));
  const QColor text_colour = enabled ? ui::RED() : ui::SYS_WINDOW_TEXT();
  ui::SET_FORECOLOR(w.dipsw, text_colour);
  ui::SET_FORECOLOR(w.label_dipsw, text_colour);
  if (!separator()) return;

  // 19: calibration factor, as it came.
  if (!field()) return;
  w.cal_fact->setText(t);

  CHECK_TERMINATOR(QStringLiteral("<Return> invalid, received ASC:"),
                   TERMINATOR_TIMEOUT(QStringLiteral("cmd L")));
}
}  // namespace

void FORGET_READ_VALUES(velta& w) {
  for (QLineEdit* box : w.info_read->findChildren<QLineEdit*>())
    box->setText(box->property("design_text").toString());
  ui::SET_BACKCOLOR(w.cbox_status, ui::SYS_WINDOW_BACKGROUND());
  ui::SET_FORECOLOR(w.dipsw, ui::SYS_WINDOW_TEXT());
  ui::SET_FORECOLOR(w.label_dipsw, ui::SYS_WINDOW_TEXT());
}
}  // namespace tune_cmd

void velta::read_info_Click() {
  using namespace tune_cmd;
  DISABLE_ALL();
  // A stop must still be possible while the read waits.
  fast_stop->setEnabled(true);
  soft_stop->setEnabled(true);
  const WaitingExchange waiting(QStringLiteral("cmd L"),
                                QStringLiteral("The PARAMETERS READ boxes show nothing of its reply."));
  if (!OPEN_COM()) {
    SEND_FRAME('L');
    // While the monitor runs it reads and shows the reply itself.
    if (MONITOR_IDLE()) {
      if (HEADER_WAIT()) {
        if (CHECK_HEADER('L', GENERIC_HEADER())) read_body(*this);
      } else {
        REPORT(QStringLiteral("cmd L: communication timeout on <header>"));
      }
      // A read a stop broke into must not look like a complete one.
      if (INTERRUPTED()) FORGET_READ_VALUES(*this);
      END_EXCHANGE();
    }
  }
  ENABLE_ALL();
}
