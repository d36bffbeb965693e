#include "app/myVar.h"

namespace myVar {
std::int16_t com_port_number = 1;
bool configure_port = false;
bool reply_timeout = false;
QString rx_buffer;
bool fill_set_fields = false;
QString monitor_line;
bool port_accepted = false;
}  // namespace myVar
