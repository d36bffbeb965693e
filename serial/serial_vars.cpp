#include "serial/serial_vars.h"

namespace myVar {
std::int16_t com_port_number = 1;
bool configure_port = false;
bool reply_timeout = false;
QString rx_buffer;
}  // namespace myVar
