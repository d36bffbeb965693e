// Command W, the parameter write: the controller asks for the fifteen values
// of the parameter record one by one with "N", the tool answers each with one
// line. Nothing the controller cannot hold is sent: the record is checked
// before anything goes out, and each value read at the moment it is sent is
// checked again then.
#include "monitor/locking.h"
#include "protocol/parameter_record.h"
#include "protocol/tune_cmd.h"
#include "ui/msgbox.h"
#include "ui/velta.h"

namespace tune_cmd {
namespace {
const QString NOT_SENT = QStringLiteral("cmd W not sent: ");

// Only a fully checked box counts; the greyed state sends "0".
bool checked(const QCheckBox* b) { return b->checkState() == Qt::Checked; }

// The values read from their boxes at the moment each is sent; the others
// (stop mode, the three check boxes, the PWM tick counts) are taken once,
// before the command goes out.
bool read_when_sent(int n) {
  return n == 2 || n == 3 || n == 4 || n == 8 || n == 11 || n == 12 || n == 14 || n == 15;
}

// Value n of the record from its control, for the values read when sent.
void read_box(const velta& w, ParameterRecord& r, int n) {
  switch (n) {
    case 2: r.lower_limit = w.lower_limit->text(); break;
    case 3: r.upper_limit = w.upper_limit->text(); break;
    case 4: r.inv_delay = w.inv_delay->text(); break;
    case 8: r.ramp = w.ramp->text(); break;
    case 11: r.pres_delay = w.pres_delay->text(); break;
    case 12: r.offset_write = w.offset_write->text(); break;
    case 14: r.check_angle_write = w.check_angle_write->text(); break;
    case 15: r.rot_timeout = w.rot_timeout->text(); break;
  }
}

// The whole record as the controls hold it now.
ParameterRecord read_record(const velta& w) {
  ParameterRecord r;
  r.north_stop = w.north_stop->isChecked();
  r.south_stop = w.south_stop->isChecked();
  r.pwm_on = checked(w.pwm_on);
  r.pwm_period = w.pwm_period->text();
  r.pwm_max_duty = w.pwm_max_duty->text();
  r.pwm_min_duty = w.pwm_min_duty->text();
  r.optimize = checked(w.optimize);
  r.mot_check = checked(w.mot_check);
  for (int n = 1; n <= RECORD_VALUES; ++n)
    if (read_when_sent(n)) read_box(w, r, n);
  return r;
}

// The dialogue after the W frame: header, readiness, then value by value.
// `record` holds the values taken before the frame went out.
void write_dialogue(const velta& w, ParameterRecord record) {
  SEND_FRAME('W');
  if (!HEADER_WAIT()) {
    REPORT(QStringLiteral("cmd W: communication timeout on <header>"));
    return;
  }
  if (!CHECK_HEADER('W', GENERIC_HEADER())) return;
  QString c = GET_CHAR();
  if (c == QLatin1String("B")) {
    REPORT(QStringLiteral("CBOX Busy, parameters cannot be updated!"));
    return;
  }
  if (c != QLatin1String("R")) {
    REPORT(QStringLiteral("<data> B or R invalid, received:") + c);
    return;
  }
  if (!CHECK_TERMINATOR(QStringLiteral("Terminator invalid, received ASC:"), TERMINATOR_TIMEOUT(QStringLiteral("cmd W"))))
    return;
  c = GET_CHAR();
  if (c != QLatin1String("N")) {
    REPORT(QStringLiteral("Expected N, received:") + c);
    return;
  }

  for (int n = 1; n <= RECORD_VALUES; ++n) {
    if (read_when_sent(n)) {
      // The boxes stay editable while the write waits: this value and the
      // later ones are read anew (values already sent stay as they went), and
      // a value that has turned invalid stops the set before it goes out.
      for (int k = n; k <= RECORD_VALUES; ++k)
        if (read_when_sent(k)) read_box(w, record, k);
      const QString problem = RECORD_PROBLEM(record);
      if (!problem.isEmpty()) {
        REPORT(QStringLiteral("cmd W stopped before value %1: ").arg(n) + problem);
        return;
      }
    }
    MSComm1()->output((WIRE_VALUE(record, n) + QChar(CR)).toLatin1());
    c = GET_CHAR();
    if (n < RECORD_VALUES) {
      if (c != QLatin1String("N")) {
        REPORT(QStringLiteral("Expected N as replay, received: ") + c);
        return;
      }
    } else if (c.isEmpty()) {
      // No terminator: the controller never confirmed the set.
      REPORT(TERMINATOR_TIMEOUT(QStringLiteral("cmd W")));
    } else if (c.at(0) != QChar(CR)) {
      REPORT(QStringLiteral("Terminator invalid, received ASC:") + QString::number(c.at(0).unicode()) +
             QStringLiteral(" - ") + c);
    }
  }
}
}  // namespace
}  // namespace tune_cmd

void velta::write_mode_Click() {
  using namespace tune_cmd;
  if (!ui::ASK_OVERWRITE(QStringLiteral("THIS COMMAND OVERWRITES THE CBOX SETTINGS!!! ARE YOU SURE?"))) return;
  // A typo must never reach the controller's stored settings: refuse the set
  // before anything is locked or sent.
  const QString problem = RECORD_PROBLEM(read_record(*this));
  if (!problem.isEmpty()) {
    ui::MsgBox(NOT_SENT + problem);
    return;
  }
  DISABLE_ALL();
  // A stop must still be possible while the write waits.
  fast_stop->setEnabled(true);
  soft_stop->setEnabled(true);
  inv_delay->setText(inv_delay->text().trimmed());
  if (!MONITOR_IDLE()) {
    ui::MsgBox(QStringLiteral("Monitor is ACTIVE, cmd W not allowed!"));
    ENABLE_ALL();
    return;
  }
  const WaitingExchange waiting(
      QStringLiteral("cmd W"),
      QStringLiteral("The CBOX may hold the new set only in part: read it with cmd L."));
  // Its result does not matter: a failed S has told the user, the write goes
  // on; only a stop sent meanwhile ends it here.
  CMD_S();
  if (!INTERRUPTED() && !OPEN_COM()) {
    // The boxes could be edited while S waited: the values taken now are
    // checked once more before the frame goes out.
    const ParameterRecord record = read_record(*this);
    const QString late_problem = RECORD_PROBLEM(record);
    if (late_problem.isEmpty()) write_dialogue(*this, record);
    else ui::MsgBox(NOT_SENT + late_problem);
    END_EXCHANGE();
  }
  ENABLE_ALL();
}
