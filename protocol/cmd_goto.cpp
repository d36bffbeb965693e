// Go-to (command G with an angle) and the two stops (G with the reserved
// angles 977 and 999) of the main window's "GOTO" group.
#include "protocol/colours.h"
#include "protocol/reports.h"
#include "protocol/tune_cmd.h"
#include "serial/serial_vars.h"

using namespace tune_cmd;

namespace {
// The result letter of a G reply; the terminator follows it.
bool check_terminator_after_result(const QString& command) {
  return CHECK_TERMINATOR(QStringLiteral("<Return> invalid, received ASC:"), TERMINATOR_TIMEOUT(command));
}

Outcome stop(const char* button, const QString& angle, const QString& command) {
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
bool VALID_ANGLE(const QString& trimmed) {
  if (!IS_DIGITS(trimmed)) return false;
  bool ok = false;
  const qulonglong v = trimmed.toULongLong(&ok);
  return ok && v <= 359;
}

Outcome CMD_GOTO(const QString& angle, QString* result_out) {
  static const QString reply_box = QStringLiteral("goto_replay");
  return EXCHANGE({'G', angle, QStringLiteral("cmd G: communication timeout on <header>")}, [result_out] {
    Panel& p = PANEL();
    const QString result = GET_CHAR();
    if (result_out) *result_out = result;
    emit REPORTS().go_to_result(result);
    if (result == QLatin1String("E")) {
      p.set_text(reply_box, QStringLiteral("WRONG"));
      p.set_backcolor(reply_box, colours::RED());
      // Two characters follow a rejection; they carry nothing for the tool.
      GET_CHAR();
      GET_CHAR();
      return true;
    }
    if (result == QLatin1String("R")) {
      p.set_text(reply_box, QStringLiteral("CORRECT"));
      p.set_backcolor(reply_box, colours::SYS_WINDOW_BACKGROUND());
    } else {
      // What came, as it came: after a time-out nothing, so that the result of
      // an earlier go-to never stands beside this one's failure.
      p.set_text(reply_box, result);
    }
    if (result.isEmpty()) {
      REPORT(QStringLiteral("cmd G: communication timeout on <result>"), Failure::timeout);
      return false;
    }
    return check_terminator_after_result(QStringLiteral("cmd G"));
  });
}

Outcome CMD_SOFT_STOP() { return stop("soft_stop", QStringLiteral("977"), QStringLiteral("cmd G777")); }
Outcome CMD_FAST_STOP() { return stop("fast_stop", QStringLiteral("999"), QStringLiteral("cmd G999")); }
}  // namespace tune_cmd
