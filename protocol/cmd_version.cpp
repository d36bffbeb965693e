#include "app/myVar.h"
#include "protocol/tune_cmd.h"
#include "ui/velta.h"

namespace tune_cmd {
bool CMD_VERSION() {
  velta& w = velta_form();
  const HeaderTexts texts{
      QStringLiteral("V cmd, <Identifier> invalid, received:"),
      QStringLiteral("V cmd, <Separator>#1 invalid, received:"),
      QStringLiteral("V cmd, <Cmd> invalid, received:"),
      QStringLiteral("V cmd, <Separator>#2 invalid, received:"),
  };
  bool failed = true;
  [&] {
    if (OPEN_COM()) return;
    SEND_FRAME('V');
    if (!MONITOR_IDLE()) {
      failed = false;
      return;
    }
    if (!HEADER_WAIT()) {
      REPORT(QStringLiteral("cmd V, Communication timeout on <header>"));
      return;
    }
    if (!CHECK_HEADER('V', texts)) return;
    // A version field cut short has been told by its reader; it is a failed
    // exchange all the same, so start-up does not go on to the parameter read.
    QString version = GET_NUM05NT().trimmed();
    if (version.isEmpty()) return;
    if (version.size() < 5) version = QString(5 - version.size(), '0') + version;
    w.firm_version->setText(version.left(3) + QStringLiteral(".") + version.mid(3, 5));
    if (!CHECK_TERMINATOR(QStringLiteral("V cmd, <return> invalid, received ASC:"),
                          TERMINATOR_TIMEOUT(QStringLiteral("cmd V"))))
      return;
    failed = false;
  }();
  END_EXCHANGE();
  return failed;
}
}  // namespace tune_cmd
