#include "protocol/exchange.h"

#include <QPushButton>

#include "app/myVar.h"
#include "serial/link.h"
#include "serial/yield.h"
#include "ui/velta.h"

namespace tune_cmd {
bool MONITOR_IDLE() { return velta_form().cmd_monitor->text() == QLatin1String("START..."); }

void SEND_FRAME(char code, const QString& data) {
  QByteArray frame;
  frame += STX;
  frame += 'A';
  frame += code;
  frame += data.toLatin1();
  frame += CR;
  MSComm1()->output(frame);
}

bool HEADER_WAIT() {
  myVar::reply_timeout = false;
  TIMER_ON();
  for (;;) {
    YIELD();
    QString c = READ_PORT();
    if (c.isEmpty()) c = QStringLiteral(" ");
    if (myVar::reply_timeout) break;
    if (c.at(0) == QChar(STX)) break;
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

bool CHECK_HEADER(char code, const HeaderTexts& texts) {
  const struct {
    QChar expected;
    const QString& text;
  } steps[] = {
      {QChar('A'), texts.identifier},
      {QChar(','), texts.separator1},
      {QChar(code), texts.cmd},
      {QChar(','), texts.separator2},
  };
  for (const auto& step : steps) {
    const QString c = GET_CHAR();
    if (c != QString(step.expected)) {
      REPORT(step.text + c);
      return false;
    }
  }
  return true;
}

bool CHECK_TERMINATOR(const QString& text, const QString& timeout_text) {
  const QString c = GET_CHAR();
  if (c.isEmpty()) {
    REPORT(timeout_text);
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

OwnButton::OwnButton(QWidget* button) : button_(button), was_enabled_(button->isEnabled()) {
  button_->setEnabled(false);
}

OwnButton::~OwnButton() {
  if (was_enabled_) button_->setEnabled(true);
}
}  // namespace tune_cmd
