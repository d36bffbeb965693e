#pragma once
// Locking of the main window's exchange buttons while long exchanges run. A
// disabled button wears the system's button-face colour, an enabled one its
// own colour; the enabled flags of the buttons are the whole lock.
namespace tune_cmd {
// The seven buttons of the long lock (monitor/buttons.h), in their order.
void DISABLE_ALL();
void ENABLE_ALL();

void DISABLE_WRITE_MODE();
void DISABLE_CMD_MONITOR();
// Enables write_mode only while the monitor is idle.
void ENABLE_WRITE_MODE();
// Light green while the caption offers a start, red while it offers a stop.
// A start is offered only once no exchange runs: until then the button stays
// disabled and comes back when the last one has ended.
void ENABLE_CMD_MONITOR();

// Keeps START... disabled, in the button-face colour, for as long as any
// exchange runs, so that the monitor, a loop that runs until the user stops
// it, never starts nested inside an exchange that waits for its reply: that
// exchange could then not end before the monitor does. Called once by the
// window.
void LOCK_MONITOR_WHILE_EXCHANGES_RUN();
}  // namespace tune_cmd
