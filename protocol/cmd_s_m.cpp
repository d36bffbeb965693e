// Commands S and M: no data, one state letter in the reply.
#include "protocol/tune_cmd.h"

namespace tune_cmd {
bool CMD_S() {
  const Outcome outcome =
      EXCHANGE({'S', {}, QStringLiteral("cmd S, Communication timeout on <header>"), nullptr, "command_s"},
               [] {
                 const QString state = GET_CHAR();
                 if (state != QLatin1String("R")) {
                   REPORT(QStringLiteral("R not received:") + state, KIND_OF(state));
                   return false;
                 }
                 return CHECK_TERMINATOR(QStringLiteral("Terminator invalid, received ASC:"),
                                         TERMINATOR_TIMEOUT(QStringLiteral("cmd S")));
               });
  return outcome == Outcome::failed;
}

void CMD_M() {
  EXCHANGE({'M', {}, QStringLiteral("cmd M, Communication timeout on <header>"), nullptr, "command_c"},
           [] {
             const QString state = GET_CHAR();
             if (state == QLatin1String("B")) {
               REPORT(QStringLiteral("CBOX is in ABSOLUTE MODE: command M not executed!"));
               return false;
             }
             if (state != QLatin1String("R")) {
               REPORT(QStringLiteral("Expected 'R', received '") + state + QStringLiteral("'"), KIND_OF(state));
               return false;
             }
             return CHECK_TERMINATOR(QStringLiteral("Terminator invalid, received ASC:"),
                                     TERMINATOR_TIMEOUT(QStringLiteral("cmd M")));
           });
}
}  // namespace tune_cmd
