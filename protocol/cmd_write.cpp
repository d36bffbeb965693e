// Command W, the parameter write: the controller asks for the fifteen values
// of the parameter record one by one with "N", the tool answers each with one
// line. Nothing that would put a wrong value into the controller is sent: the
// set is checked before anything goes out, and each value read at the moment
// it is sent is checked again then.
#include "protocol/parameter_record.h"
#include "protocol/read_set.h"
#include "protocol/tune_cmd.h"

namespace tune_cmd {
namespace {
const QString NOTHING_WRITTEN = QStringLiteral("Nothing was written to the CBOX.");
const QString PART_WRITTEN = QStringLiteral("The CBOX may hold the new set only in part: read it with cmd L.");

// The controller's readiness after the W header, and its first prompt.
bool ready_for_values() {
  const QString c = GET_CHAR();
  if (c == QLatin1String("B")) {
    REPORT(QStringLiteral("CBOX Busy, parameters cannot be updated!"));
    return false;
  }
  if (c != QLatin1String("R")) {
    REPORT(QStringLiteral("<data> B or R invalid, received:") + c, KIND_OF(c));
    return false;
  }
  if (!CHECK_TERMINATOR(QStringLiteral("Terminator invalid, received ASC:"), TERMINATOR_TIMEOUT(QStringLiteral("cmd W"))))
    return false;
  const QString n = GET_CHAR();
  if (n == QLatin1String("N")) return true;
  REPORT(QStringLiteral("Expected N, received:") + n, KIND_OF(n));
  return false;
}

// The values, one line each. `record` holds the entries taken before the W
// frame went out; the values read when sent are taken anew from the window.
bool send_values(const std::function<Entries()>& entries_now, Entries& record, WaitingExchange& waiting) {
  for (const Parameter& p : RECORD()) {
    if (p.read_when_sent) {
      // The boxes stay editable while the write waits: this value and the
      // later ones are read anew (values already sent stay as they went), and
      // a value that has turned invalid stops the set before it goes out.
      const Entries now = entries_now();
      for (const Parameter& later : RECORD())
        if (later.n >= p.n && later.read_when_sent) record[later.entry] = now.value(later.entry);
      const QString problem = RECORD_PROBLEM(record);
      if (!problem.isEmpty()) {
        REPORT(QStringLiteral("cmd W stopped before value %1: ").arg(p.n) + problem);
        return false;
      }
    }
    MSComm1()->output((WIRE_VALUE(record, p.n) + QChar(CR)).toLatin1());
    waiting.set_consequence(PART_WRITTEN);
    const QString c = GET_CHAR();
    if (p.n < RECORD_VALUES) {
      if (c == QLatin1String("N")) continue;
      REPORT(QStringLiteral("Expected N as replay, received: ") + c, KIND_OF(c));
      return false;
    }
    if (c.isEmpty()) {
      // No terminator: the controller never confirmed the set.
      REPORT(TERMINATOR_TIMEOUT(QStringLiteral("cmd W")), Failure::timeout);
      return false;
    }
    if (c.at(0) != QChar(CR)) {
      REPORT(QStringLiteral("Terminator invalid, received ASC:") + QString::number(c.at(0).unicode()) +
             QStringLiteral(" - ") + c);
      return false;
    }
  }
  return true;
}
}  // namespace

const QString CMD_W_NOT_SENT = QStringLiteral("cmd W not sent: ");

bool CMD_WRITE(const std::function<Entries()>& entries_now, Entries* sent) {
  WaitingExchange waiting(QStringLiteral("cmd W"), NOTHING_WRITTEN);
  // Its result does not matter: a failed S has told the user, the write goes
  // on; only a stop sent meanwhile ends it here.
  CMD_S();
  if (INTERRUPTED()) return false;
  // The boxes could be edited while S waited: the values taken now are
  // checked once more before the frame goes out.
  Entries record = entries_now();
  if (const QString problem = RECORD_PROBLEM(record); !problem.isEmpty()) {
    TELL(CMD_W_NOT_SENT + problem);
    return false;
  }
  const bool confirmed =
      EXCHANGE({'W', {}, QStringLiteral("cmd W: communication timeout on <header>")},
               [&] { return ready_for_values() && send_values(entries_now, record, waiting); }) == Outcome::done;
  if (!confirmed) return false;
  // The controller now holds what went out, value by value as it was sent.
  KEEP_WRITTEN_SET(record);
  if (sent) *sent = record;
  return true;
}
}  // namespace tune_cmd

