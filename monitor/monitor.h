#pragma once
// The communication monitor: holds the port open and lists every reply frame
// the controller sends, numbered, in cbox_reply_text. Its only state is the
// caption of cmd_monitor ("START..." idle, "STOP" running).
#include <QString>

namespace myVar {
// Display line of the frame the monitor is receiving.
extern QString monitor_line;
}  // namespace myVar

namespace tune_cmd {
// Starts the monitor when it is idle and returns once it has ended; while it
// runs, asks it to stop and returns at once. A stopped monitor first lists the
// replies still owed for frames sent while it ran (within a reply period of
// the last such frame), then closes.
void MONITOR_LOOP();
// The rest of a status frame: the position and state also into fast_pos and
// fast_status; the line into the box.
void SHOW_STATUS_REPLY();
// The rest of any other frame, as it came.
void SHOW_RAW_REPLY();
// True from a click on START... until the monitor runs (its opening S, ? and
// M): the monitor is neither idle nor stoppable yet.
bool MONITOR_STARTING();
}  // namespace tune_cmd
