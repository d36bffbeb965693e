#pragma once
// The file_in module: the settings file "velta.ini" in the working directory,
// which keeps the serial port number between runs.
#include <QString>
#include <optional>

class QFile;

namespace file_in {
inline constexpr const char* SETTINGS_FILE = "velta.ini";

// What READ_SETTINGS found.
enum class Settings {
  read,        // the stored number is in both com_port boxes
  missing,     // no settings file yet: the first run of a fresh install
  unreadable,  // a file that cannot be read, or whose first line is no number
};

// Stores the number shown in the main window's com_port box: into
// com_port_number and, as one line, into the settings file. A number the
// port number cannot hold (outside -32768..32767) is refused with a message
// and the previous number kept. True when the number was refused.
bool WRITE_SETTINGS();

// The number kept when a typed one is refused: the one the boxes showed from
// the settings file, or the one stored last.
QString KEPT_NUMBER();

// Puts the stored number into the chooser's com_port box (when the chooser
// exists) and the main window's com_port box. Tells nobody anything: the
// caller decides what a missing or unreadable file means.
Settings READ_SETTINGS();

// The port number velta.ini holds, read as READ_SETTINGS reads it and made
// whole as WRITE_SETTINGS makes it; nothing when there is no such file or
// its first line is no port number. Touches no window.
std::optional<int> STORED_PORT();

// The first line of the open file: a CR is dropped with the character after
// it, a lone LF ends the line and stays in the text.
QString READ_INI_LINE(QFile& file);

// The bytes of the settings file for a port number: " 3 \r\n" for 3.
QByteArray SETTINGS_LINE(int number);

// Forgets that the user was told the file cannot be written (a new run).
void RESET_WRITE_WARNING();
}  // namespace file_in
