#include "ui/velta.h"

// Parameter read, command L: not built yet.
void velta::read_info_Click() {}
