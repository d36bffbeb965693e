#pragma once
// The tune_cmd module: serial link, reply field readers, and one routine per
// controller command.
#include <QString>
#include <functional>
#include <optional>

#include "protocol/exchange.h"
#include "protocol/parameter_record.h"
#include "serial/field_readers.h"
#include "serial/number_text.h"
#include "serial/link.h"
#include "serial/yield.h"

namespace tune_cmd {
// What a status reply said: its position in whole degrees (nothing when the
// field held no such number or never came) and its busy/ready letter.
struct Status {
  std::optional<int> position;
  QString state;
};
// Status "?": position into fast_pos, busy/ready into fast_status; `got`
// gets them too when given.
Outcome CMD_STATUS(Status* got = nullptr);
// A busy/ready letter into its box (fast_status, cbox_status): "BUSY" on red
// or "READY"; False (nothing shown) for any other letter.
bool SHOW_STATE(const QString& box, const QString& state);

// The texts of the fields of a status reply, as "cmd ?" and the monitor tell
// them (an empty text: nothing is told there).
struct StatusTexts {
  QString position_timeout;
  QString separator;  // before the busy/ready letter
  QString state;      // a letter other than B or R; empty: "???" is shown
  QString terminator;
  QString terminator_timeout;
};
enum class StatusRead { complete, failed, terminator_missing };
// The fields of a status reply after the separator that follows its code:
// position, separator, busy/ready letter, CR; the position and the state go
// into fast_pos and fast_status, and into `got`. Every item read (the
// position as its text, the terminator only when it is CR) is handed to `seen`.
StatusRead READ_STATUS(const StatusTexts& t, const std::function<void(const QString&)>& seen, Status& got);

// S: True when the exchange failed.
bool CMD_S();
// M: refused by the controller in absolute mode.
void CMD_M();
// V: firmware version into firm_version; True when the exchange failed.
bool CMD_VERSION();

// A go-to angle the CBOX can be sent: a whole number of degrees, digits only
// (leading zeros allowed), 0 to 359.
bool VALID_ANGLE(const QString& trimmed);
// Go-to: the angle's text as it goes on the wire (digits, 0 to 359). The
// result letter lands in goto_replay; `result` gets it too when given.
Outcome CMD_GOTO(const QString& angle, QString* result = nullptr);
// The soft stop (G977) and the fast stop (G999).
Outcome CMD_SOFT_STOP();
Outcome CMD_FAST_STOP();

// Parameter read L: the PARAMETERS READ boxes, and at start-up
// (fill_set_fields) the entries too. True when the whole reply was read. The
// caller holds the lock around it.
bool CMD_READ_INFO();

// Parameter write W of a set the caller has checked and confirmed: S, then
// the W dialogue. `entries_now` gives the entries as they stand when a value
// that is read when sent goes out. True when the controller confirmed the
// whole set; `sent` then gets the entries as they went out (KNOWN_SET, too,
// holds that set from then on). The caller holds the lock around it.
bool CMD_WRITE(const std::function<Entries()>& entries_now, Entries* sent = nullptr);
// "cmd W not sent: " and why: the set holds what must not reach the CBOX.
extern const QString CMD_W_NOT_SENT;

// Calibration commands: C (360°), c (default), K at an angle and F with a
// calibration factor, the data as typed.
void CMD_CALIB_360();
void CMD_CALIB_DEFAULT();
void CMD_CALIB_ANGLE(const QString& angle);
void CMD_CALIB_FACTOR(const QString& factor);
}  // namespace tune_cmd
