#include "serial/yield.h"

#include <QCoreApplication>
#include <QEventLoop>

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

void YIELD(int wanted) {
  SerialComm* comm = MSComm1();
  const int waiting = comm ? comm->inBufferCount() : 0;
  pass(!myVar::reply_timeout && waiting < wanted);
}

void YIELD_FOR_INPUT() {
  SerialComm* comm = MSComm1();
  pass(!(comm && comm->inBufferCount() > 0));
}

long long yield_blocking_passes() { return blocking_passes; }
long long yield_quick_passes() { return quick_passes; }
}  // namespace tune_cmd
