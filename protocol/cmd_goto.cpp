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

// What differs between the two stops.
struct StopTexts {
  QString angle;           // the reserved angle after "AG"
  QString header_timeout;  // no STX within the reply period
  QString command;         // names the command in the other time-out texts
};

// Header of a stop reply. A stop clicked while another exchange waits for its
// reply (`nested`) shares the port with it: the other reply may still come
// first. Its frame is then dropped, once, and the wait goes on for the G reply,
// so the stop neither takes a foreign reply for its own nor reports it.
bool stop_header(bool nested, const StopTexts& t) {
  const HeaderTexts& texts = GENERIC_HEADER();
  for (int frames = 0;; ++frames) {
    if (!HEADER_WAIT()) {
      REPORT(t.header_timeout);
      return false;
    }
    QString c = GET_CHAR();
    if (c != QLatin1String("A")) return REPORT(texts.identifier + c), false;
    c = GET_CHAR();
    if (c != QLatin1String(",")) return REPORT(texts.separator1 + c), false;
    c = GET_CHAR();
    if (c != QLatin1String("G")) {
      if (nested && frames == 0 && !c.isEmpty()) continue;
      return REPORT(texts.cmd + c), false;
    }
    c = GET_CHAR();
    if (c != QLatin1String(",")) return REPORT(texts.separator2 + c), false;
    return true;
  }
}

void stop_exchange(QPushButton* button, const StopTexts& t) {
  // While the monitor is idle the port is open only inside an exchange: this
  // stop then runs nested in one that is waiting for its reply.
  const bool nested = MONITOR_IDLE() && MSComm1()->portOpen();
  {
    OwnButton own(button);
    [&] {
      if (OPEN_COM()) return;
      // The waiting exchange's reply timer may have run most of its period;
      // the stop gets a full one of its own.
      if (nested) TIMER_OFF();
      // The frame goes out before anything is read: a stop never waits.
      SEND_FRAME('G', t.angle);
      if (!MONITOR_IDLE()) return;
      if (!stop_header(nested, t)) return;
      const QString result = GET_CHAR();
      if (result.isEmpty()) {
        REPORT(t.command + QStringLiteral(": communication timeout on <result>"));
        return;
      }
      if (result == QLatin1String("E"))
        REPORT(QStringLiteral("Format Error on Fast-Stop command"));
      else if (result != QLatin1String("R"))
        REPORT(QStringLiteral("Unknow reply from Fast-Stop command:") + result);
      CHECK_TERMINATOR(QStringLiteral("<Return> invalid, received ASC:"), TERMINATOR_TIMEOUT(t.command));
    }();
    END_EXCHANGE();
  }
  // The waiting exchange has lost its reply (this stop read the port up to its
  // own reply) and its port (closed just now). Every wait of it ends at once as
  // after a time-out, so it reports that and ends through its own common end
  // instead of waiting on a closed port or reading a reply it never got.
  if (nested) {
    myVar::reply_timeout = true;
    INTERRUPT(t.command);
  }
}
}  // namespace

void velta::go_to_angle_Change() {
  const double v = Val(go_to_angle->text());
  ui::SET_BACKCOLOR(go_to_angle, v > 359 || v < 0 ? ui::RED() : ui::SYS_WINDOW_BACKGROUND());
}

void velta::execute_Click() {
  DISABLE_ALL();
  const QString angle = go_to_angle->text().trimmed();
  if (!valid_angle(angle)) {
    // Text that is no angle never reaches the motor controller.
    ui::SET_BACKCOLOR(go_to_angle, ui::RED());
    ui::MsgBox(QStringLiteral("cmd G not sent: the angle must be a whole number from 0 to 359, received:") +
               angle);
    ENABLE_ALL();
    return;
  }
  [&] {
    if (OPEN_COM()) return;
    SEND_FRAME('G', angle);
    if (!MONITOR_IDLE()) return;
    if (!HEADER_WAIT()) {
      REPORT(QStringLiteral("cmd G: communication timeout on <header>"));
      return;
    }
    if (!CHECK_HEADER('G', GENERIC_HEADER())) return;
    const QString result = GET_CHAR();
    if (result.isEmpty()) {
      REPORT(QStringLiteral("cmd G: communication timeout on <result>"));
      return;
    }
    if (result == QLatin1String("E")) {
      goto_replay->setText(QStringLiteral("WRONG"));
      ui::SET_BACKCOLOR(goto_replay, ui::RED());
      // Two characters follow a rejection; they carry nothing for the tool.
      GET_CHAR();
      GET_CHAR();
      return;
    }
    if (result == QLatin1String("R")) {
      goto_replay->setText(QStringLiteral("CORRECT"));
      ui::SET_BACKCOLOR(goto_replay, ui::SYS_WINDOW_BACKGROUND());
    } else {
      goto_replay->setText(result);
    }
    CHECK_TERMINATOR(QStringLiteral("<Return> invalid, received ASC:"),
                     TERMINATOR_TIMEOUT(QStringLiteral("cmd G")));
  }();
  END_EXCHANGE();
  ENABLE_ALL();
}

void velta::soft_stop_Click() {
  stop_exchange(soft_stop, {QStringLiteral("977"), QStringLiteral("cmd G777: communication timeout on <header>"),
                            QStringLiteral("cmd G777")});
}

void velta::fast_stop_Click() {
  stop_exchange(fast_stop, {QStringLiteral("999"), QStringLiteral("cmd G999: communication timeout on <header>"),
                            QStringLiteral("cmd G999")});
}
