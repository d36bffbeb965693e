// Entry checks of "PARAMETERS SET": a box turns red while its value is out of
// range or contradicts another box. They only advise: typing is never
// blocked and no text is changed. And "Set Default", which fills the frame
// with a default set after a confirmation.
#include "protocol/number_text.h"
#include "protocol/parameter_record.h"
#include "ui/colours.h"
#include "ui/msgbox.h"
#include "ui/velta.h"

using tune_cmd::Val;

namespace {
QColor paint(bool red) { return red ? ui::RED() : ui::SYS_WINDOW_BACKGROUND(); }
}  // namespace

void velta::offset_write_Change() {
  ui::SET_BACKCOLOR(offset_write, paint(tune_cmd::OFFSET_OUT_OF_RANGE(Val(offset_write->text()))));
}

// Runs only on a change of the minimum duty: a later change of the period or
// the maximum duty leaves its colour as it was.
void velta::pwm_min_duty_Change() {
  const bool red =
      tune_cmd::MIN_DUTY_OUT_OF_RANGE(Val(pwm_period->text()), Val(pwm_max_duty->text()), Val(pwm_min_duty->text()));
  ui::SET_BACKCOLOR(pwm_min_duty, paint(red));
}

// Either limit changing paints both: the pair is out of order, not one box.
void velta::lower_limit_Change() {
  const QColor c = paint(tune_cmd::LIMITS_OUT_OF_ORDER(Val(lower_limit->text()), Val(upper_limit->text())));
  ui::SET_BACKCOLOR(lower_limit, c);
  ui::SET_BACKCOLOR(upper_limit, c);
}

void velta::upper_limit_Change() { lower_limit_Change(); }

void velta::set_default_Click() {
  if (!ui::ASK_OVERWRITE(QStringLiteral("THIS COMMAND OVERWRITES THE -PARAMETERS SET- VALUES!!! ARE YOU SURE?")))
    return;
  // In this order. Each box's check runs on its text, also when the box held
  // that text already (a change signal would not come then), so that a box
  // left red by an earlier set ends in the normal colour.
  auto write = [this](QLineEdit* box, const char* text, void (velta::*check)()) {
    const QString t = QString::fromLatin1(text);
    if (box->text() == t) {
      if (check) (this->*check)();
    } else {
      box->setText(t);
    }
  };
  write(offset_write, "0", &velta::offset_write_Change);
  write(pwm_period, "50", nullptr);
  write(pwm_max_duty, "100", nullptr);
  write(pwm_min_duty, "50", &velta::pwm_min_duty_Change);
  write(ramp, "10", nullptr);
  write(lower_limit, "0", &velta::lower_limit_Change);
  write(upper_limit, "500", &velta::upper_limit_Change);
  write(inv_delay, "3", nullptr);
  write(pres_delay, "3", nullptr);
  write(rot_timeout, "5", nullptr);
  pwm_on->setCheckState(Qt::Checked);
  optimize->setCheckState(Qt::Checked);
  mot_check->setCheckState(Qt::Unchecked);
  south_stop->setChecked(true);
  north_stop->setChecked(false);
  write(check_angle_write, "2", nullptr);
}
