#include "ui/velta.h"

// Parameter write, command W: not built yet.
void velta::write_mode_Click() {}
