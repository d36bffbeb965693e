// The GOTO group: the angle box coloured while it is typed, the go-to under
// the long lock, and the two stops.
#include "monitor/locking.h"
#include "protocol/tune_cmd.h"
#include "ui/colours.h"
#include "ui/msgbox.h"
#include "ui/velta.h"

using namespace tune_cmd;

void velta::go_to_angle_Change() {
  const double v = Val(go_to_angle->text());
  ui::SET_BACKCOLOR(go_to_angle, v > 359 || v < 0 ? colours::RED() : colours::SYS_WINDOW_BACKGROUND());
}

void velta::execute_Click() {
  const Busy busy;
  DISABLE_ALL();
  const QString angle = TRIM_BLANKS(go_to_angle->text());
  if (VALID_ANGLE(angle)) {
    CMD_GOTO(angle);
  } else {
    // Text that is no angle never reaches the motor controller.
    ui::SET_BACKCOLOR(go_to_angle, colours::RED());
    ui::MsgBox(QStringLiteral("cmd G not sent: the angle must be a whole number from 0 to 359, received:") + angle);
  }
  ENABLE_ALL();
}

// A stop clicked while a tracker's request waits is the technician's own: its
// failures are told to them.
void velta::soft_stop_Click() {
  const Attended person;
  CMD_SOFT_STOP();
}
void velta::fast_stop_Click() {
  const Attended person;
  CMD_FAST_STOP();
}
