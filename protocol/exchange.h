#pragma once
// The exchange pattern every command routine follows: the command frame,
// the wait for STX, the reply header, the terminator and the common end.
#include <QString>

class QWidget;

namespace tune_cmd {
inline constexpr char STX = 2;
inline constexpr char CR = 13;

// The monitor is idle exactly when the caption of cmd_monitor is "START...".
bool MONITOR_IDLE();

// STX, "A", the command code, the data, CR, in one write.
void SEND_FRAME(char code, const QString& data = QString());

// Header wait: clears reply_timeout, runs the reply timer and drops every
// character up to STX. False when the reply period ran out first.
bool HEADER_WAIT();

// The four texts of a header mismatch, by position.
struct HeaderTexts {
  QString identifier, separator1, cmd, separator2;
};
// "<Identifier> invalid, received:" and its three companions.
const HeaderTexts& GENERIC_HEADER();

// Reads "A", ",", code, "," with GET_CHAR; at the first mismatch shows the
// text of that position with the received character appended. True when all
// four matched.
bool CHECK_HEADER(char code, const HeaderTexts& texts);

// Reads the terminator. True on CR. Otherwise shows `text` followed by the
// decimal code of the character, or `timeout_text` when no character came
// within the reply period (then there is no code to show).
bool CHECK_TERMINATOR(const QString& text, const QString& timeout_text);

// The text told when a terminator never came, e.g.
// "cmd ?, Communication timeout on <return>".
QString TERMINATOR_TIMEOUT(const QString& command);

// Common end of every exchange: reply timer off, reply_timeout cleared, the
// port closed when the monitor is idle.
void END_EXCHANGE();

// A command's own button, disabled for the exchange and given back at its
// end. A button that was already disabled (by a lock around the exchange)
// stays disabled.
class OwnButton {
 public:
  explicit OwnButton(QWidget* button);
  ~OwnButton();
  OwnButton(const OwnButton&) = delete;
  OwnButton& operator=(const OwnButton&) = delete;

 private:
  QWidget* button_;
  bool was_enabled_;
};
}  // namespace tune_cmd
