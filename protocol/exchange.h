#pragma once
// The exchange pattern every command routine follows, written once: the
// command frame, the wait for STX, the reply header, the terminator and the
// common end.
#include <QString>
#include <functional>

#include "protocol/panel.h"
#include "serial/link.h"

namespace tune_cmd {
inline constexpr char STX = 2;
inline constexpr char CR = 13;

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

// Reads the terminator. True on CR. Otherwise tells `text` followed by the
// decimal code of the character, or `timeout_text` when no character came
// within the reply period (then there is no code to show).
bool CHECK_TERMINATOR(const QString& text, const QString& timeout_text);

// The text told when a terminator never came, e.g.
// "cmd ?, Communication timeout on <return>".
QString TERMINATOR_TIMEOUT(const QString& command);

// Common end of every exchange: reply timer off, reply_timeout cleared, the
// port closed when the monitor is idle, a vanished device told.
void END_EXCHANGE();

// One command as the exchange pattern runs it: what differs between the
// commands is their frame, their texts, their own button and their fields.
struct Command {
  char code;
  QString data;                         // after the code: an angle, a factor
  QString header_timeout;               // no STX within the reply period
  const HeaderTexts* header = nullptr;  // nullptr: the generic texts
  const char* own_button = nullptr;     // its object name: disabled while the exchange runs
  // A stop sent while another exchange waits for its reply shares the port
  // with it: that reply may come first. Its frame is then skipped, once, and
  // the wait goes on for the stop's own reply.
  bool skip_foreign_reply = false;
};

// Marks a handler that runs exchanges (a command, a long exchange with its
// lock, the monitor's opening and closing exchanges) for as long as it lives.
// Callers that are not a person wait until none runs before they start one.
class Busy {
 public:
  Busy();
  ~Busy();
  Busy(const Busy&) = delete;
  Busy& operator=(const Busy&) = delete;
};
bool EXCHANGE_RUNNING();
// Whoever must know when exchanges run is told true when the first one starts
// and false once the last one has ended. One listener per owner; an empty
// function forgets the owner's.
void ON_EXCHANGES(const void* owner, std::function<void(bool running)> listener);

enum class Outcome {
  failed,     // told already
  sent_only,  // the monitor runs and shows the reply
  done,       // the whole reply was right
};

// The pattern: the own button off (a button already locked by a caller stays
// locked), OPEN_COM, the frame in one write, the reply left to a running
// monitor, the header wait and the header check, then `fields` reads the rest
// and tells its own faults (true when the reply was right), and the common
// end on every way out.
Outcome EXCHANGE(const Command& c, const std::function<bool()>& fields = {});
}  // namespace tune_cmd
