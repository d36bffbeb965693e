#pragma once
// The tune_cmd module: serial link, reply field readers, and one routine per
// controller command.
#include <QString>

class velta;

#include "protocol/exchange.h"
#include "protocol/number_text.h"
#include "serial/field_readers.h"
#include "serial/link.h"
#include "serial/yield.h"

namespace tune_cmd {
// Status "?": position into fast_pos, busy/ready into fast_status.
void CMD_STATUS();
// A status reply's busy/ready letter into fast_status: "BUSY" on red or
// "READY"; False (nothing shown) for any other letter.
bool SHOW_FAST_STATUS(const QString& state);
// S: True when the exchange failed.
bool CMD_S();
// M: refused by the controller in absolute mode.
void CMD_M();
// V: firmware version into firm_version; True when the exchange failed.
bool CMD_VERSION();

// The PARAMETERS READ boxes back to their unknown texts, as before any read.
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
}  // namespace tune_cmd
