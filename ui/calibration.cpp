#include "ui/velta.h"

// Calibration window: not built yet.
void velta::calib_Click() {}
