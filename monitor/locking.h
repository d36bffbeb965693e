#pragma once
// Locking of the main window's seven exchange buttons while long exchanges
// run. A disabled button wears the system's button-face colour, an enabled
// one its own colour; the enabled flags of the buttons are the whole lock.

namespace tune_cmd {
void DISABLE_WRITE_MODE();
void DISABLE_READ_INFO();
void DISABLE_EXECUTE();
void DISABLE_CMD_MONITOR();
void DISABLE_FAST_STOP();
void DISABLE_SOFT_STOP();
void DISABLE_COMMAND_S();
// Enables write_mode only while the monitor is idle.
void ENABLE_WRITE_MODE();
void ENABLE_READ_INFO();
void ENABLE_EXECUTE();
// Light green while the caption offers a start, red while it offers a stop.
void ENABLE_CMD_MONITOR();
void ENABLE_FAST_STOP();
void ENABLE_SOFT_STOP();
void ENABLE_COMMAND_S();

void DISABLE_ALL();
void ENABLE_ALL();
}  // namespace tune_cmd
