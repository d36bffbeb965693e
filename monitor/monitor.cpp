#include "monitor/monitor.h"

#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <optional>
#include <utility>

#include "monitor/locking.h"
#include "monitor/reply_box.h"
#include "protocol/panel.h"
#include "protocol/reports.h"
#include "protocol/tune_cmd.h"
#include "serial/serial_vars.h"

namespace myVar {
QString monitor_line;
}  // namespace myVar

namespace tune_cmd {
namespace {
const QString START = QLatin1String(MONITOR_START);
const QString STOP = QLatin1String(MONITOR_STOP);
const QString BUTTON = QStringLiteral("cmd_monitor");
const QString GOTO_REPLY = QStringLiteral("goto_replay");

// Set by a status reply whose terminator never came: the monitor ends.
bool status_terminator_lost = false;
// From a click on START... until the monitor runs.
bool starting = false;
// From a click on STOP until the monitor is idle again the frame in hand is
// completed and the closing S runs: the monitor counts as an exchange that
// has not ended yet. A monitor started anew meanwhile runs nested inside the
// one that is stopping, each with its own mark; this is the innermost.
std::optional<Busy>* stopping = nullptr;

// Replies the controller still owes for frames sent while the monitor ran,
// and when the last of those frames went out. A stop lists them before the
// port closes, within a reply period of that send: the reply of a command
// clicked, or of a tracker's request sent, just before STOP would otherwise be
// lost with the port, or be read by the closing S as a wrong reply to it.
int replies_due = 0;
QElapsedTimer last_sent;

void count_frames_sent() {
  static const bool connected = QObject::connect(&REPORTS(), &Reports::frame_sent, [](char, const QString&) {
    if (!MONITOR_RUNS()) return;  // any other exchange reads its own reply
    ++replies_due;
    last_sent.start();
  });
  Q_UNUSED(connected);
}

// Stopped by the user and owed no reply any more.
bool stopped() {
  if (MONITOR_RUNS()) return false;
  return replies_due == 0 || !last_sent.isValid() || last_sent.elapsed() >= Timer1()->interval();
}

void set_caption(const QString& caption) { PANEL().set_text(BUTTON, caption); }

// Every received character goes into the line with its blanks trimmed; the
// terminating CR shows as "|r>".
void add(const QString& c) {
  myVar::monitor_line += c == QLatin1String("\r") ? QStringLiteral("|r>") : TRIM_BLANKS(c);
}

// The line head of frame `n`: " 7: <h|".
QString line_head(long long n) { return QLatin1Char(' ') + QString::number(n) + QStringLiteral(": <h|"); }

// Controls after every way the monitor ends.
void back_to_idle() {
  set_caption(START);
  PANEL().set_enabled(GOTO_REPLY, true);
  ENABLE_ALL();
}

enum class LoopEnd { stopped, bad_header, link_lost, status_terminator };

// Waits for STX, reading one character per pass. False when the user
// stopped the monitor or the device vanished.
bool wait_for_stx() {
  for (;;) {
    YIELD_FOR_INPUT();
    if ((MONITOR_IDLE() && stopped()) || LINK_LOST()) return false;
    if (READ_PORT() == QLatin1String("\x02")) {
      replies_due = std::max(0, replies_due - 1);
      return true;
    }
  }
}

LoopEnd receive_loop() {
  long long frame = 1;
  myVar::monitor_line.clear();
  status_terminator_lost = false;
  replies_due = 0;
  for (;;) {
    if (stopped()) return LoopEnd::stopped;
    if (!wait_for_stx()) return LINK_LOST() ? LoopEnd::link_lost : LoopEnd::stopped;
    myVar::monitor_line = line_head(frame++);
    const QString a = GET_CHAR();
    if (a != QLatin1String("A")) return LINK_LOST() ? LoopEnd::link_lost : LoopEnd::bad_header;
    add(a);
    const QString comma = GET_CHAR();
    if (comma != QLatin1String(",")) return LINK_LOST() ? LoopEnd::link_lost : LoopEnd::bad_header;
    add(comma);
    const QString code = GET_CHAR();
    add(code);
    if (code == QLatin1String("?")) {
      SHOW_STATUS_REPLY();
      if (status_terminator_lost) return LoopEnd::status_terminator;
    } else {
      SHOW_RAW_REPLY();
    }
    if (LINK_LOST()) return LoopEnd::link_lost;
  }
}

void stop_request() {
  if (stopping && !*stopping) stopping->emplace();
  // The loop waits for a reply still owed: this wakes it when none comes.
  if (replies_due > 0 && last_sent.isValid())
    QTimer::singleShot(std::max<qint64>(0, Timer1()->interval() - last_sent.elapsed()), [] {});
  set_caption(START);
  ENABLE_CMD_MONITOR();
  PANEL().set_enabled(GOTO_REPLY, true);
  ENABLE_WRITE_MODE();
}
}  // namespace

void MONITOR_LOOP() {
  if (!MONITOR_IDLE()) {
    // Clicked while running: the loop further up the call stack sees the
    // caption at its next check and ends.
    stop_request();
    return;
  }
  count_frames_sent();
  DISABLE_CMD_MONITOR();
  PANEL().set_enabled(GOTO_REPLY, false);
  DISABLE_WRITE_MODE();
  {
    const Busy busy;
    starting = true;
    CMD_S();
    CMD_STATUS();
    CMD_M();
    starting = false;
    // Running before the mark of the opening exchanges goes: its button is to
    // offer the stop, not the start.
    set_caption(STOP);
  }
  DISABLE_WRITE_MODE();
  ENABLE_CMD_MONITOR();

  // A port that cannot be opened has been told by OPEN_COM: there is nothing
  // to listen to, so the monitor goes straight back to idle.
  LoopEnd end = LoopEnd::stopped;
  const bool opened = !OPEN_COM();
  std::optional<Busy> stopping_mark;
  if (opened) {
    std::optional<Busy>* const outer = std::exchange(stopping, &stopping_mark);
    end = receive_loop();
    if (end == LoopEnd::bad_header) SHOW_RAW_REPLY();
    stopping = outer;
  }
  const Busy busy;
  CLOSE_COM();
  myVar::reply_timeout = false;
  TIMER_OFF();
  if (end == LoopEnd::link_lost || LINK_LOST()) {
    // The device is gone: say so once; an S exchange would only fail again.
    END_LINK_REPORT();
  } else if (opened) {
    set_caption(START);  // S runs as a full exchange with its reply check
    // A monitor that ended by itself still offers the stop on its button: it
    // offers no start before the closing S has ended either.
    ENABLE_CMD_MONITOR();
    CMD_S();
  }
  back_to_idle();
}

void SHOW_STATUS_REPLY() {
  static const StatusTexts texts{
      {},  // a position that never comes: the line as far as it came
      QStringLiteral("Separator invalid, received:"),
      {},  // a letter other than B or R: "???"
      QStringLiteral("Terminator invalid, received ASC:"),
      // No terminator within the reply period: the frame is shown as far as
      // it came and the monitor ends rather than guess.
      QStringLiteral("COMMUNICATION MONITOR, Communication timeout on <return>"),
  };
  const QString c = GET_CHAR();
  add(c);
  if (c != QLatin1String(",")) {
    REPORT(QStringLiteral("<Separator> invalid, received:") + c, KIND_OF(c));
  } else {
    Status status;
    const StatusRead read = READ_STATUS(texts, add, status);
    if (read == StatusRead::terminator_missing) {
      myVar::reply_timeout = false;
      status_terminator_lost = true;
    } else if (read == StatusRead::complete && status.position) {
      emit REPORTS().status_frame(*status.position, status.state);
    }
  }
  ADD_REPLY_LINE(myVar::monitor_line);
}

void SHOW_RAW_REPLY() {
  for (;;) {
    const QString c = GET_CHAR();
    if (c.isEmpty()) {
      // A frame cut short is dropped; the wait for the next STX starts
      // afresh, so the next frame is not lost to this one's time-out.
      myVar::reply_timeout = false;
      return;
    }
    add(c);
    if (c.at(0).unicode() == 13) break;
  }
  ADD_REPLY_LINE(myVar::monitor_line);
}
bool MONITOR_STARTING() { return starting; }
}  // namespace tune_cmd
