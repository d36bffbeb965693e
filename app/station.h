#pragma once
// A station: the tool started by the system on a computer without a screen
// (velta --headless --tracking-server [HOST:]PORT [--port N] [--verbose]),
// serving tracking programs for as long as it runs. Nothing waits for a
// click: the start-up runs without the chooser and the connection question,
// every message a box would show goes to the log, and a controller or an
// adapter that is missing, silent or pulled only makes the requests fail
// until it is back. velta.ini is never written.
//
// The log is stderr (the system's journal keeps it), one line each, the
// local time first (ISO 8601 with milliseconds and the offset from UTC).
//
// SIGTERM or SIGINT stops it: no new request is taken, the running exchange
// ends, every client is closed, the port released, exit 0; a second signal
// ends it at once (exit 1). An address that cannot be taken: exit 1.
class QApplication;
class QString;

namespace station {
int RUN_STATION(QApplication& app);
// From before the application object exists: the toolkit's own warnings
// become lines of the log too (but for its notes on a desktop's runtime
// folder, which windowless::NO_DISPLAY leaves out).
void TAKE_TOOLKIT_MESSAGES();

// One line of the log: the local time, a blank, the text. Line breaks
// become " / " and other control characters "?", so that every entry stays
// one line whatever a controller or a client sent.
void LOG(const QString& text);
}  // namespace station
