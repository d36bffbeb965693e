// Calibration commands C (360°), c (default), K (at an angle) and F (set the
// calibration factor), sent from the CALIBRATION window.
#include "protocol/tune_cmd.h"

namespace tune_cmd {
namespace {
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
}  // namespace

void CMD_CALIB_360() { calib_command('C'); }
void CMD_CALIB_DEFAULT() { calib_command('c'); }
void CMD_CALIB_ANGLE(const QString& angle) { calib_command('K', angle); }
void CMD_CALIB_FACTOR(const QString& factor) { calib_command('F', factor); }
}  // namespace tune_cmd
