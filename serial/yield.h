#pragma once
// One pass of the event loop, as every wait of the program makes it.
//
// A pass never burns a core: when the wait it serves cannot end yet (fewer
// characters buffered than wanted and the reply timer has not ticked) it
// blocks until the next event (serial data, a timer tick, user input);
// otherwise it handles what is pending and returns at once.

#include <QDeadlineTimer>

namespace tune_cmd {
// For waits bounded by the reply timer: returns at once when `wanted`
// characters are buffered, reply_timeout is already True or `until` has
// passed; never blocks past `until`.
void YIELD(int wanted = 1, QDeadlineTimer until = QDeadlineTimer(QDeadlineTimer::Forever));
// For waits with no timer (the monitor's wait for STX): returns at once only
// when a character is buffered.
void YIELD_FOR_INPUT();
// Passes made so far that blocked / returned at once (for benchmarks and tests).
long long yield_blocking_passes();
long long yield_quick_passes();
}  // namespace tune_cmd
