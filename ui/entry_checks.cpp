#include "ui/velta.h"

// Entry checks and the default set: not built yet.
void velta::offset_write_Change() {}
void velta::pwm_min_duty_Change() {}
void velta::lower_limit_Change() {}
void velta::upper_limit_Change() {}
void velta::set_default_Click() {}
