#pragma once
// The commands a script gives the tool, one a run, without the window and
// without a display, on port N from --port N or velta.ini:
//   --status            one line of JSON: {"port":1,"azimuth":123,"state":"ready"}
//   --read-set FILE     S, V and L as the start-up runs them, into a set file
//                       ("-": standard output)
//   --write-set FILE    a set file ("-": standard input) written as cmd W
//                       writes it: read first, backed up, written, read back
//   --goto AZ [--wait SECONDS]   the go-to; with --wait the status every
//                       second until READY, at most SECONDS
//   --stop              the soft stop
// Every failure is one line on stderr in the window's words; the exit status
// says what failed (EXIT_CODES).
#include <QStringList>
#include <optional>

class QApplication;

namespace script_commands {
// Each takes its option's arguments: nothing when they are right, else the
// exit status of a usage error (told: a wrong argument, a second command).
std::optional<int> STATUS(const QStringList& args);
std::optional<int> READ_SET(const QStringList& args);
std::optional<int> WRITE_SET(const QStringList& args);
std::optional<int> GOTO(const QStringList& args);
std::optional<int> WAIT(const QStringList& args);
std::optional<int> STOP(const QStringList& args);

// The program of the command taken, in place of the window's: its exit status.
int RUN(QApplication& app);

// What the exit statuses mean, for --help.
extern const char* const EXIT_CODES;
}  // namespace script_commands
