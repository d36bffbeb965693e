#pragma once
// The tune_cmd module: serial link, reply field readers, and one routine per
// controller command.
#include <QString>
#include <functional>

class velta;
class QLineEdit;

#include "protocol/exchange.h"
#include "protocol/number_text.h"
#include "serial/field_readers.h"
#include "serial/link.h"
#include "serial/yield.h"

namespace tune_cmd {
// Status "?": position into fast_pos, busy/ready into fast_status.
Outcome CMD_STATUS();
// A busy/ready letter into its box (fast_status, cbox_status): "BUSY" on red
// or "READY"; False (nothing shown) for any other letter.
bool SHOW_STATE(QLineEdit* box, const QString& state);

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
// into fast_pos and fast_status. Every item read (the position as its text,
// the terminator only when it is CR) is handed to `seen`.
StatusRead READ_STATUS(const StatusTexts& t, const std::function<void(const QString&)>& seen);

// S: True when the exchange failed.
bool CMD_S();
// M: refused by the controller in absolute mode.
void CMD_M();
// V: firmware version into firm_version; True when the exchange failed.
bool CMD_VERSION();

// Go-to: the angle's text as it goes on the wire (digits, 0 to 359). The
// result letter lands in goto_replay; `result` gets it too when given.
Outcome CMD_GOTO(const QString& angle, QString* result = nullptr);
// The soft stop (G977) and the fast stop (G999).
Outcome CMD_SOFT_STOP();
Outcome CMD_FAST_STOP();

// Parameter read L. True when the whole reply was read.
bool CMD_READ_INFO();
// The PARAMETERS READ boxes back to their design texts and colours, as before
// any read.
void FORGET_READ_VALUES(velta& w);

// Calibration commands of the CALIBRATION window.
void CMD_CALIB_360();
void CMD_CALIB_DEFAULT();
void CMD_CALIB_ANGLE();
void CMD_CALIB_FACTOR();

// Communication monitor.
void MONITOR_LOOP();
void SHOW_STATUS_REPLY();
void SHOW_RAW_REPLY();
// True from a click on START... until the monitor runs (its opening S, ? and
// M): the monitor is neither idle nor stoppable yet.
bool MONITOR_STARTING();
}  // namespace tune_cmd
