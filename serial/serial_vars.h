#pragma once
// The program-wide variables of the serial link (module myVar): the port to
// open, whether the next open configures it, the reply time-out flag and the
// characters of the read in progress.
#include <QString>
#include <cstdint>

namespace myVar {
// Number of the serial port to use (1 = first port).
extern std::int16_t com_port_number;
// True only while start-up makes its first OPEN_COM: apply the full configuration.
extern bool configure_port;
// True once the reply timer has ticked; cleared by the command routines and readers.
extern bool reply_timeout;
// Characters gathered by the read in progress.
extern QString rx_buffer;
}  // namespace myVar
