#pragma once
// The myVar module: every program-wide variable, each declared and defined
// with the layer that owns it (the serial link, the parameter read, the
// monitor, the port chooser). Code above those layers includes this one
// header to reach them all.
#include "monitor/monitor.h"
#include "protocol/read_set.h"
#include "serial/serial_vars.h"
#include "ui/quale_com.h"
