#pragma once
// The program's command-line options. Those that do their work and end the
// program (listing and linking ports, the help) run before any window system
// is touched, so they work from a script or over ssh without a display.
#include <optional>

class QApplication;

namespace tracking {
struct Endpoint;
}

namespace command_line {
// Runs the options among the arguments. Gives the exit status when an option
// ended the program or the arguments were wrong (then one line on stderr,
// status 2); nothing when the program is to start its windows. Arguments with
// a single dash (-platform NAME, -style NAME) belong to the window toolkit and
// are left to it.
std::optional<int> RUN_OPTIONS(int argc, char** argv);
// The address --tracking-server gave, for the start to listen on once the
// main window is open; nothing when the option was not given.
const std::optional<tracking::Endpoint>& TRACKING_SERVER();
// The port --port gave; nothing when the option was not given.
std::optional<int> PORT();
// True when --verbose asked a station to log every request and answer.
bool VERBOSE();

// A program an option chose that runs without the window (a station, a
// script's command): it needs no display and gives the exit status.
using Windowless = int (*)(QApplication& app);
// The one chosen; nothing: the window's own program.
Windowless WINDOWLESS();
}  // namespace command_line
