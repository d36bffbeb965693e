#include "serial/yield.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include "serial/serial_vars.h"
#include "serial/link.h"

namespace tune_cmd {
namespace {
long long blocking_passes = 0;
long long quick_passes = 0;

void pass(bool may_block) {
  if (may_block) {
    ++blocking_passes;
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  } else {
    ++quick_passes;
    QCoreApplication::processEvents(QEventLoop::AllEvents);
  }
}
}  // namespace

void YIELD(int wanted, QDeadlineTimer until) {
  SerialComm* comm = MSComm1();
  const int waiting = comm ? comm->inBufferCount() : 0;
  const bool may_block = !myVar::reply_timeout && waiting < wanted && !until.hasExpired();
  // The reply timer may tick later than this wait's own end (a nested
  // exchange switched it off and it was started anew): a timer of the wait's
  // own wakes the pass in time.
  static QTimer* wake = nullptr;
  if (may_block && !until.isForever()) {
    if (!wake) {
      wake = new QTimer(QCoreApplication::instance());
      wake->setSingleShot(true);
      wake->setTimerType(Qt::PreciseTimer);
    }
    wake->start(static_cast<int>(until.remainingTime()));
  }
  pass(may_block);
}

void YIELD_FOR_INPUT() {
  SerialComm* comm = MSComm1();
  pass(!(comm && comm->inBufferCount() > 0));
}

long long yield_blocking_passes() { return blocking_passes; }
long long yield_quick_passes() { return quick_passes; }
}  // namespace tune_cmd
