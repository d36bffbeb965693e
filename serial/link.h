#pragma once
// Serial link routines of the tune_cmd module: the port and the reply timer
// of the main window, OPEN_COM, GET_CHAR, and the one way an exchange tells
// the user what went wrong.
#include <QString>

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

// Configures (when configure_port is True) and opens the port. True on failure,
// after "ERROR OPENING COM PORT #" and the number has been shown.
bool OPEN_COM();
// Closes the port when it is open.
void CLOSE_COM();
// One character under the reply time-out; empty after a time-out.
QString GET_CHAR();
// One direct read of the port: at most one character, empty when none waits.
QString READ_PORT();

// Shows an exchange failure. When the device vanished during this exchange the
// user is told that instead, once, and further failure texts of the same
// exchange (which would only describe the silence that follows) are dropped.
void REPORT(const QString& text);
// Called at the end of every exchange: tells of a vanished device if nothing
// has told of it yet, and forgets it, so the next exchange starts afresh.
void END_LINK_REPORT();
// True while the device has vanished during the exchange in progress.
bool LINK_LOST();

// Marks the long exchange (cmd L, cmd W) a stop may be sent in while it
// waits for its reply. `consequence` tells the user what is left of it.
class WaitingExchange {
 public:
  WaitingExchange(const QString& name, const QString& consequence);
  ~WaitingExchange();
  WaitingExchange(const WaitingExchange&) = delete;
  WaitingExchange& operator=(const WaitingExchange&) = delete;
};
// Called by a stop sent inside a waiting exchange: that exchange's next
// failure is told as its interruption, once, and the rest kept quiet.
void INTERRUPT(const QString& stop);
bool INTERRUPTED();
}  // namespace tune_cmd
