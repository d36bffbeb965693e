#include "ui/velta.h"

// Go-to and stops: not built yet.
void velta::execute_Click() {}
void velta::fast_stop_Click() {}
void velta::soft_stop_Click() {}
void velta::go_to_angle_Change() {}
