// The status command "?" and the one reader of a status reply's fields, which
// the communication monitor uses for the status frames it lists.
#include "protocol/colours.h"
#include "protocol/reports.h"
#include "protocol/tune_cmd.h"

namespace tune_cmd {
bool SHOW_STATE(const QString& box, const QString& state) {
  Panel& p = PANEL();
  if (state == QLatin1String("B")) {
    p.set_text(box, QStringLiteral("BUSY"));
    p.set_backcolor(box, colours::RED());
  } else if (state == QLatin1String("R")) {
    p.set_text(box, QStringLiteral("READY"));
    p.set_backcolor(box, colours::SYS_WINDOW_BACKGROUND());
  } else {
    return false;
  }
  return true;
}

StatusRead READ_STATUS(const StatusTexts& t, const std::function<void(const QString&)>& seen, Status& got) {
  Panel& p = PANEL();
  const QString position = GET_NUM03_SILENT();
  seen(position);
  if (position.isEmpty()) {
    if (!t.position_timeout.isEmpty()) REPORT(t.position_timeout, Failure::timeout);
    return StatusRead::failed;
  }
  p.set_text(QStringLiteral("fast_pos"), TRIM_BLANKS(position + QStringLiteral("\u00b0")));
  if (IS_DIGITS(position)) {
    got.position = position.toInt();
    emit REPORTS().position_read(*got.position);
  }
  const QString separator = GET_CHAR();
  seen(separator);
  if (separator != QLatin1String(",")) {
    REPORT(t.separator + separator, KIND_OF(separator));
    return StatusRead::failed;
  }
  const QString state = GET_CHAR();
  seen(state);
  got.state = state;
  emit REPORTS().state_read(state);
  bool right = true;
  if (!SHOW_STATE(QStringLiteral("fast_status"), state)) {
    // The terminator is still tested after this.
    if (t.state.isEmpty()) {
      p.set_text(QStringLiteral("fast_status"), QStringLiteral("???"));
    } else {
      REPORT(t.state + state, KIND_OF(state));
      right = false;
    }
  }
  const QString terminator = GET_CHAR();
  if (terminator.isEmpty()) {
    REPORT(t.terminator_timeout, Failure::timeout);
    return StatusRead::terminator_missing;
  }
  if (terminator.at(0) != QChar(CR)) {
    REPORT(t.terminator + QString::number(terminator.at(0).unicode()));
    return StatusRead::failed;
  }
  seen(terminator);
  return right ? StatusRead::complete : StatusRead::failed;
}

Outcome CMD_STATUS(Status* got) {
  static const HeaderTexts header{
      QStringLiteral("? cmd, <Identifier> invalid, received:"),
      QStringLiteral("? cmd, <Separator>#1 invalid, received:"),
      QStringLiteral("? cmd, <Cmd> invalid, received:"),
      QStringLiteral("? cmd, <Separator>#2 invalid, received:"),
  };
  static const StatusTexts fields{
      // The position reader itself is silent; a failed exchange must not look
      // like a success, so its time-out is told here.
      QStringLiteral("cmd ?, Communication timeout on <position>"),
      QStringLiteral("? cmd, <Separator>#3 invalid, received:"),
      QStringLiteral("? cmd, <data>(R or B) invalid, received:"),
      QStringLiteral("? cmd, <return> invalid, received ASC:"),
      TERMINATOR_TIMEOUT(QStringLiteral("cmd ?")),
  };
  return EXCHANGE({'?', {}, QStringLiteral("cmd ?, Communication timeout on <header>"), &header,
                   "command_qm"},
                  [got] {
                    Status status;
                    const bool complete = READ_STATUS(fields, [](const QString&) {}, status) == StatusRead::complete;
                    if (got) *got = status;
                    return complete;
                  });
}
}  // namespace tune_cmd
