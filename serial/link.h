#pragma once
// Serial link routines of the tune_cmd module: the port and the reply timer
// of the main window, OPEN_COM, GET_CHAR, the one rule every bounded wait
// follows, and the one way an exchange tells what went wrong.
#include <QDeadlineTimer>
#include <QString>
#include <functional>

#include "serial/serial_comm.h"

class QTimer;

namespace tune_cmd {
// The window hands its serial control and reply timer to the link once.
void ATTACH(SerialComm* comm, QTimer* timer);
SerialComm* MSComm1();
QTimer* Timer1();

// Reply timer on (a running timer keeps its period) and off.
void TIMER_ON();
void TIMER_OFF();
// The tick of the reply timer.
void Timer1_Timer();

// One wait for reply characters (the header wait, GET_CHAR, a field reader),
// bounded by one reply period from its start. An exchange clicked meanwhile
// runs nested inside a pass of the wait and, at its end, switches the shared
// reply timer off and clears reply_timeout: the wait never trusts that timer
// alone and keeps its own end, so it ends within its own period whatever ran
// inside it, at the latest as soon as what ran inside it has returned.
class ReplyWait {
 public:
  ReplyWait();
  // One pass for `wanted` characters: the reply timer on (a running timer
  // keeps its period), one yield. False once the reply period has run out:
  // reply_timeout is then True.
  bool pass(int wanted = 1);
  // One yield that never blocks past this wait's end, the reply timer left
  // as it is (a reader taking a field that is already in the port).
  void yield(int wanted = 1) const;

 private:
  QDeadlineTimer end_;
};

// Configures (when configure_port is True) and opens the port. True on failure,
// after "ERROR OPENING COM PORT #" and the number has been told.
bool OPEN_COM();
// Closes the port when it is open.
void CLOSE_COM();
// One character under the reply time-out; empty after a time-out.
QString GET_CHAR();
// One direct read of the port: at most one character, empty when none waits.
QString READ_PORT();

// Where the texts of failures go while a person is there to read them: the
// window's message box. The window installs it once.
void SET_USER_MESSAGES(std::function<void(const QString&)> show);
// Tells a text as it stands, to the user or to an unattended caller (a check
// that refused to send, not a failure of the link).
void TELL(const QString& text);

// What kind of failure an exchange met: the port could not be opened (or the
// device vanished), the controller did not answer in time, or its reply broke
// the protocol.
enum class Failure { none, port, timeout, protocol };

// Tells an exchange failure. When the device vanished during this exchange the
// user is told that instead, once, and further failure texts of the same
// exchange (which would only describe the silence that follows) are dropped.
void REPORT(const QString& text, Failure kind = Failure::protocol);
// A header or separator character that was not the one expected: a time-out
// when nothing came at all, else a protocol fault.
inline Failure KIND_OF(const QString& received) { return received.isEmpty() ? Failure::timeout : Failure::protocol; }
// Called at the end of every exchange: tells of a vanished device if nothing
// has told of it yet, and forgets it, so the next exchange starts afresh.
void END_LINK_REPORT();
// True while the device has vanished during the exchange in progress.
bool LINK_LOST();

// While one lives, exchanges run for a caller that is not a person: nothing
// is shown, the first failure is kept instead.
class Unattended {
 public:
  Unattended();
  ~Unattended();
  Unattended(const Unattended&) = delete;
  Unattended& operator=(const Unattended&) = delete;
  Failure failure() const { return failure_; }
  QString text() const { return text_; }
  // Keeps the first failure told while this one is the innermost.
  void keep(Failure kind, const QString& text);

 private:
  Unattended* outer_;
  Failure failure_ = Failure::none;
  QString text_;
};

// While one lives, exchanges run for a person even inside a request of a
// caller that is not one: a stop clicked while a tracker's request waits
// tells its failures in message boxes as ever.
class Attended {
 public:
  Attended();
  ~Attended();
  Attended(const Attended&) = delete;
  Attended& operator=(const Attended&) = delete;

 private:
  Unattended* outer_;
};

// Marks the long exchange (cmd L, cmd W, a tracker's request) a stop may be sent in while it
// waits for its reply. `consequence` tells the user what is left of it;
// `forget` runs before the user is told (a read shows nothing half-done).
class WaitingExchange {
 public:
  WaitingExchange(const QString& name, const QString& consequence, std::function<void()> forget = {});
  ~WaitingExchange();
  WaitingExchange(const WaitingExchange&) = delete;
  WaitingExchange& operator=(const WaitingExchange&) = delete;
  // What is left of the exchange changes as it goes on (a write that has sent
  // a value).
  void set_consequence(const QString& consequence);
};
// Called by a stop sent inside a waiting exchange: that exchange's next
// failure is told as its interruption, once, and the rest kept quiet.
void INTERRUPT(const QString& stop);
bool INTERRUPTED();
}  // namespace tune_cmd
