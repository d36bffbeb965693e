#include "app/myVar.h"
#include "protocol/tune_cmd.h"
#include "ui/colours.h"
#include "ui/velta.h"

namespace tune_cmd {
bool SHOW_FAST_STATUS(const QString& state) {
  velta& w = velta_form();
  if (state == QLatin1String("B")) {
    w.fast_status->setText(QStringLiteral("BUSY"));
    ui::SET_BACKCOLOR(w.fast_status, ui::RED());
  } else if (state == QLatin1String("R")) {
    w.fast_status->setText(QStringLiteral("READY"));
    ui::SET_BACKCOLOR(w.fast_status, ui::SYS_WINDOW_BACKGROUND());
  } else {
    return false;
  }
  return true;
}

void CMD_STATUS() {
  velta& w = velta_form();
  OwnButton own(w.command_qm);
  const HeaderTexts texts{
      QStringLiteral("? cmd, <Identifier> invalid, received:"),
      QStringLiteral("? cmd, <Separator>#1 invalid, received:"),
      QStringLiteral("? cmd, <Cmd> invalid, received:"),
      QStringLiteral("? cmd, <Separator>#2 invalid, received:"),
  };
  [&] {
    if (OPEN_COM()) return;
    SEND_FRAME('?');
    if (!MONITOR_IDLE()) return;
    if (!HEADER_WAIT()) {
      REPORT(QStringLiteral("cmd ?, Communication timeout on <header>"));
      return;
    }
    if (!CHECK_HEADER('?', texts)) return;

    const QString position = GET_NUM03_SILENT();
    if (position.isEmpty()) {
      // The reader itself stays silent; a failed exchange must not look
      // like a success, so the position's time-out is told here.
      REPORT(QStringLiteral("cmd ?, Communication timeout on <position>"));
      return;
    }
    w.fast_pos->setText((position + QStringLiteral("\u00b0")).trimmed());

    const QString separator = GET_CHAR();
    if (separator != QLatin1String(",")) {
      REPORT(QStringLiteral("? cmd, <Separator>#3 invalid, received:") + separator);
      return;
    }
    const QString state = GET_CHAR();
    if (!SHOW_FAST_STATUS(state)) {
      // The terminator is still tested after this message.
      REPORT(QStringLiteral("? cmd, <data>(R or B) invalid, received:") + state);
    }
    CHECK_TERMINATOR(QStringLiteral("? cmd, <return> invalid, received ASC:"),
                     TERMINATOR_TIMEOUT(QStringLiteral("cmd ?")));
  }();
  END_EXCHANGE();
}
}  // namespace tune_cmd
