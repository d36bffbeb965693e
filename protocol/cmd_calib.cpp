#include "protocol/tune_cmd.h"

// Calibration commands: not built yet.
namespace tune_cmd {
void CMD_CALIB_360() {}
void CMD_CALIB_DEFAULT() {}
void CMD_CALIB_ANGLE() {}
void CMD_CALIB_FACTOR() {}
}  // namespace tune_cmd
