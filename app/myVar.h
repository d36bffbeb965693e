#pragma once
// Program-wide variables shared by the windows and the code modules.
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
// True only while start-up runs the parameter read: also load the entry controls.
extern bool fill_set_fields;
// Display line of the frame the monitor is receiving.
extern QString monitor_line;
// Set by the port chooser's ACCEPT; the start-up sequence waits for it.
extern bool port_accepted;
}  // namespace myVar
