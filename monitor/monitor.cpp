#include "protocol/tune_cmd.h"

// Communication monitor: not built yet.
namespace tune_cmd {
void MONITOR_LOOP() {}
void SHOW_STATUS_REPLY() {}
void SHOW_RAW_REPLY() {}
}  // namespace tune_cmd
