// Command V: the firmware version, shown as three digits, a point and the rest.
#include "protocol/reports.h"
#include "protocol/tune_cmd.h"

namespace tune_cmd {
bool CMD_VERSION() {
  static const HeaderTexts header{
      QStringLiteral("V cmd, <Identifier> invalid, received:"),
      QStringLiteral("V cmd, <Separator>#1 invalid, received:"),
      QStringLiteral("V cmd, <Cmd> invalid, received:"),
      QStringLiteral("V cmd, <Separator>#2 invalid, received:"),
  };
  const Outcome outcome =
      EXCHANGE({'V', {}, QStringLiteral("cmd V, Communication timeout on <header>"), &header}, [] {
        // A version field cut short has been told by its reader; it is a failed
        // exchange all the same, so start-up does not go on to the parameter read.
        QString version = TRIM_BLANKS(GET_NUM05NT());
        if (version.isEmpty()) return false;
        if (version.size() < 5) version = QString(5 - version.size(), '0') + version;
        const QString shown = version.left(3) + QStringLiteral(".") + version.mid(3, 5);
        PANEL().set_text(QStringLiteral("firm_version"), shown);
        emit REPORTS().version_read(shown);
        return CHECK_TERMINATOR(QStringLiteral("V cmd, <return> invalid, received ASC:"),
                                TERMINATOR_TIMEOUT(QStringLiteral("cmd V")));
      });
  return outcome == Outcome::failed;
}
}  // namespace tune_cmd
