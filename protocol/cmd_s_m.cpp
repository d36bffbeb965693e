
#include "app/myVar.h"
#include "protocol/tune_cmd.h"
#include "ui/velta.h"

namespace tune_cmd {
bool CMD_S() {
  velta& w = velta_form();
  bool failed = false;
  if (OPEN_COM()) {
    END_EXCHANGE();
    return true;
  }
  {
    OwnButton own(w.command_s);
    [&] {
      SEND_FRAME('S');
      if (!MONITOR_IDLE()) return;
      failed = true;
      if (!HEADER_WAIT()) {
        REPORT(QStringLiteral("cmd S, Communication timeout on <header>"));
        return;
      }
      if (!CHECK_HEADER('S', GENERIC_HEADER())) return;
      const QString state = GET_CHAR();
      if (state != QLatin1String("R")) {
        REPORT(QStringLiteral("R not received:") + state);
        return;
      }
      if (!CHECK_TERMINATOR(QStringLiteral("Terminator invalid, received ASC:"),
                            TERMINATOR_TIMEOUT(QStringLiteral("cmd S"))))
        return;
      failed = false;
    }();
    END_EXCHANGE();
  }
  return failed;
}

void CMD_M() {
  velta& w = velta_form();
  if (OPEN_COM()) {
    END_EXCHANGE();
    return;
  }
  OwnButton own(w.command_c);
  [&] {
    SEND_FRAME('M');
    if (!MONITOR_IDLE()) return;
    if (!HEADER_WAIT()) {
      REPORT(QStringLiteral("cmd M, Communication timeout on <header>"));
      return;
    }
    if (!CHECK_HEADER('M', GENERIC_HEADER())) return;
    const QString state = GET_CHAR();
    if (state == QLatin1String("B")) {
      REPORT(QStringLiteral("CBOX is in ABSOLUTE MODE: command M not executed!"));
      return;
    }
    if (state != QLatin1String("R")) {
      REPORT(QStringLiteral("Expected 'R', received '") + state + QStringLiteral("'"));
      return;
    }
    CHECK_TERMINATOR(QStringLiteral("Terminator invalid, received ASC:"),
                     TERMINATOR_TIMEOUT(QStringLiteral("cmd M")));
  }();
  END_EXCHANGE();
}
}  // namespace tune_cmd
