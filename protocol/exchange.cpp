#include "protocol/exchange.h"

#include <utility>
#include <vector>

#include "protocol/reports.h"
#include "serial/serial_vars.h"

namespace tune_cmd {
namespace {
int busy_depth = 0;
std::vector<std::pair<const void*, std::function<void(bool)>>> listeners;

void tell_listeners(bool running) {
  // A listener may come or go while they are told.
  const auto now = listeners;
  for (const auto& [owner, listener] : now) listener(running);
}
// The header after STX: "A", ",", the code, ",". True when all four matched;
// else the text of the first mismatch is told, with the character received.
// Retries once on a foreign reply when the command asks for it.
bool read_header(const Command& c) {
  const HeaderTexts& texts = c.header ? *c.header : GENERIC_HEADER();
  for (int frames = 0;; ++frames) {
    if (!HEADER_WAIT()) {
      REPORT(c.header_timeout, Failure::timeout);
      return false;
    }
    const struct {
      QChar expected;
      const QString& text;
    } steps[] = {{QChar('A'), texts.identifier},
                 {QChar(','), texts.separator1},
                 {QChar(c.code), texts.cmd},
                 {QChar(','), texts.separator2}};
    bool foreign = false;
    for (const auto& step : steps) {
      const QString got = GET_CHAR();
      if (got == QString(step.expected)) continue;
      if (&step.text == &texts.cmd && c.skip_foreign_reply && frames == 0 && !got.isEmpty()) {
        foreign = true;
        break;
      }
      REPORT(step.text + got, KIND_OF(got));
      return false;
    }
    if (!foreign) return true;
  }
}
}  // namespace

Busy::Busy() {
  if (busy_depth++ == 0) tell_listeners(true);
}
Busy::~Busy() {
  if (--busy_depth == 0) tell_listeners(false);
}
bool EXCHANGE_RUNNING() { return busy_depth > 0; }

void ON_EXCHANGES(const void* owner, std::function<void(bool running)> listener) {
  std::erase_if(listeners, [owner](const auto& l) { return l.first == owner; });
  if (listener) listeners.emplace_back(owner, std::move(listener));
}

void SEND_FRAME(char code, const QString& data) {
  QByteArray frame;
  frame += STX;
  frame += 'A';
  frame += code;
  frame += data.toLatin1();
  frame += CR;
  MSComm1()->output(frame);
  emit REPORTS().frame_sent(code, data);
}

bool HEADER_WAIT() {
  myVar::reply_timeout = false;
  ReplyWait wait;
  while (wait.pass()) {
    if (READ_PORT() == QString(QChar(STX))) break;
  }
  TIMER_OFF();
  return !myVar::reply_timeout;
}

const HeaderTexts& GENERIC_HEADER() {
  static const HeaderTexts texts{
      QStringLiteral("<Identifier> invalid, received:"),
      QStringLiteral("<Separator>1 invalid, received:"),
      QStringLiteral("<Cmd> invalid, received:"),
      QStringLiteral("<Separator>2 invalid, received:"),
  };
  return texts;
}

bool CHECK_TERMINATOR(const QString& text, const QString& timeout_text) {
  const QString c = GET_CHAR();
  if (c.isEmpty()) {
    REPORT(timeout_text, Failure::timeout);
    return false;
  }
  if (c.at(0) != QChar(CR)) {
    REPORT(text + QString::number(c.at(0).unicode()));
    return false;
  }
  return true;
}

QString TERMINATOR_TIMEOUT(const QString& command) {
  return command + QStringLiteral(", Communication timeout on <return>");
}

void END_EXCHANGE() {
  myVar::reply_timeout = false;
  TIMER_OFF();
  if (MONITOR_IDLE()) CLOSE_COM();
  END_LINK_REPORT();
}

Outcome EXCHANGE(const Command& c, const std::function<bool()>& fields) {
  const Busy busy;
  // A button already disabled (by a lock around this exchange) stays so.
  const QString button = QLatin1String(c.own_button);
  const bool give_back = c.own_button && PANEL().enabled(button);
  if (c.own_button) PANEL().set_enabled(button, false);
  Outcome outcome = Outcome::failed;
  if (!OPEN_COM()) {
    SEND_FRAME(c.code, c.data);
    if (!MONITOR_IDLE()) outcome = Outcome::sent_only;
    else if (read_header(c) && (!fields || fields())) outcome = Outcome::done;
  }
  END_EXCHANGE();
  if (give_back) PANEL().set_enabled(button, true);
  return outcome;
}
}  // namespace tune_cmd
