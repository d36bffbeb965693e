// Calibration commands C (360°), c (default), K (at an angle) and F (set the
// calibration factor), sent from the CALIBRATION window.
#include <QRegularExpression>

#include "protocol/tune_cmd.h"
#include "ui/calibration.h"
#include "ui/msgbox.h"

namespace tune_cmd {
namespace {
// K and F carry a whole number as typed; the CBOX decides on its range.
bool whole_number(const QString& trimmed) {
  static const QRegularExpression number(QStringLiteral("^-?[0-9]+$"));
  return number.match(trimmed).hasMatch();
}

// One calibration exchange. No button is disabled: the window's buttons stay
// usable throughout.
void calib_command(char code, const QString& data = QString()) {
  const QString name = QString(QChar(code));
  EXCHANGE({code, data, QStringLiteral("cmd ") + name + QStringLiteral(", Communication timeout on <header>")},
           [&name] {
             if (GET_CHAR() == QLatin1String("B")) {
               REPORT(QStringLiteral("Cmd ") + name +
                      QStringLiteral(" not accepted: the CBOX is BUSY or NOT in ABSOLUTE mode!"));
               return false;
             }
             return CHECK_TERMINATOR(QStringLiteral("Terminator invalid, received ASC:"),
                                     TERMINATOR_TIMEOUT(QStringLiteral("cmd ") + name));
           });
}

// The entry's text for K or F, or nothing (after a message) when it is no
// whole number and so must not reach the CBOX.
bool entry_data(const QLineEdit* entry, const QString& command, const QString& what, QString* data) {
  *data = TRIM_BLANKS(entry->text());
  if (whole_number(*data)) return true;
  ui::MsgBox(command + QStringLiteral(" not sent: the ") + what +
             QStringLiteral(" must be a whole number, received:") + *data);
  return false;
}
}  // namespace

void CMD_CALIB_360() { calib_command('C'); }

void CMD_CALIB_DEFAULT() { calib_command('c'); }

void CMD_CALIB_ANGLE() {
  CALIBRATION* form = calibration_form();
  QString data;
  if (!form || !entry_data(form->calib_angle, QStringLiteral("cmd K"), QStringLiteral("calibration angle"), &data))
    return;
  calib_command('K', data);
}

void CMD_CALIB_FACTOR() {
  CALIBRATION* form = calibration_form();
  QString data;
  if (!form ||
      !entry_data(form->cal_factor, QStringLiteral("cmd F"), QStringLiteral("calibration factor"), &data))
    return;
  calib_command('F', data);
}
}  // namespace tune_cmd
