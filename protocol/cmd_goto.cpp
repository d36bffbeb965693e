// Go-to (command G with an angle) and the two stops (G with the reserved
// angles 977 and 999) of the main window's "GOTO" group.

#include "app/myVar.h"
#include "monitor/locking.h"
#include "protocol/tune_cmd.h"
#include "ui/colours.h"
#include "ui/msgbox.h"
#include "ui/velta.h"

using namespace tune_cmd;

namespace {
// A go-to angle the CBOX can be sent: a whole number of degrees, digits only
// (leading zeros allowed), 0 to 359.
bool valid_angle(const QString& trimmed) {
  if (!IS_DIGITS(trimmed)) return false;
  bool ok = false;
  const qulonglong v = trimmed.toULongLong(&ok);
  return ok && v <= 359;
}

// The result letter of a G reply; the terminator follows it.
bool check_terminator_after_result(const QString& command) {
  return CHECK_TERMINATOR(QStringLiteral("<Return> invalid, received ASC:"), TERMINATOR_TIMEOUT(command));
}

Outcome stop(QPushButton* button, const QString& angle, const QString& command) {
  // While the monitor is idle the port is open only inside an exchange: this
  // stop then runs nested in one that is waiting for its reply.
  const bool nested = MONITOR_IDLE() && MSComm1()->portOpen();
  // The waiting exchange's reply timer may have run most of its period; the
  // stop gets a full one of its own.
  if (nested) TIMER_OFF();
  // The frame goes out before anything is read: a stop never waits.
  const Outcome outcome =
      EXCHANGE({'G', angle, command + QStringLiteral(": communication timeout on <header>"), nullptr, button, nested},
               [&command] {
                 const QString result = GET_CHAR();
                 if (result.isEmpty()) {
                   REPORT(command + QStringLiteral(": communication timeout on <result>"), Failure::timeout);
                   return false;
                 }
                 bool right = result == QLatin1String("R");
                 if (result == QLatin1String("E"))
                   REPORT(QStringLiteral("Format Error on Fast-Stop command"));
                 else if (!right)
                   REPORT(QStringLiteral("Unknow reply from Fast-Stop command:") + result);
                 return check_terminator_after_result(command) && right;
               });
  // The waiting exchange has lost its reply (this stop read the port up to its
  // own reply) and its port (closed just now). Every wait of it ends at once as
  // after a time-out, so it reports that and ends through its own common end
  // instead of waiting on a closed port or reading a reply it never got.
  if (nested) {
    myVar::reply_timeout = true;
    INTERRUPT(command);
  }
  return outcome;
}
}  // namespace

namespace tune_cmd {
Outcome CMD_GOTO(const QString& angle, QString* result_out) {
  velta& w = velta_form();
  return EXCHANGE({'G', angle, QStringLiteral("cmd G: communication timeout on <header>")}, [&w, result_out] {
    const QString result = GET_CHAR();
    if (result_out) *result_out = result;
    if (result == QLatin1String("E")) {
      w.goto_replay->setText(QStringLiteral("WRONG"));
      ui::SET_BACKCOLOR(w.goto_replay, ui::RED());
      // Two characters follow a rejection; they carry nothing for the tool.
      GET_CHAR();
      GET_CHAR();
      return true;
    }
    if (result == QLatin1String("R")) {
      w.goto_replay->setText(QStringLiteral("CORRECT"));
      ui::SET_BACKCOLOR(w.goto_replay, ui::SYS_WINDOW_BACKGROUND());
    } else {
      // What came, as it came: after a time-out nothing, so that the result of
      // an earlier go-to never stands beside this one's failure.
      w.goto_replay->setText(result);
    }
    if (result.isEmpty()) {
      REPORT(QStringLiteral("cmd G: communication timeout on <result>"), Failure::timeout);
      return false;
    }
    return check_terminator_after_result(QStringLiteral("cmd G"));
  });
}

Outcome CMD_SOFT_STOP() { return stop(velta_form().soft_stop, QStringLiteral("977"), QStringLiteral("cmd G777")); }
Outcome CMD_FAST_STOP() { return stop(velta_form().fast_stop, QStringLiteral("999"), QStringLiteral("cmd G999")); }
}  // namespace tune_cmd

void velta::go_to_angle_Change() {
  const double v = Val(go_to_angle->text());
  ui::SET_BACKCOLOR(go_to_angle, v > 359 || v < 0 ? ui::RED() : ui::SYS_WINDOW_BACKGROUND());
}

void velta::execute_Click() {
  const Busy busy;
  DISABLE_ALL();
  const QString angle = TRIM_BLANKS(go_to_angle->text());
  if (valid_angle(angle)) {
    CMD_GOTO(angle);
  } else {
    // Text that is no angle never reaches the motor controller.
    ui::SET_BACKCOLOR(go_to_angle, ui::RED());
    ui::MsgBox(QStringLiteral("cmd G not sent: the angle must be a whole number from 0 to 359, received:") + angle);
  }
  ENABLE_ALL();
}

void velta::soft_stop_Click() { CMD_SOFT_STOP(); }
void velta::fast_stop_Click() { CMD_FAST_STOP(); }
