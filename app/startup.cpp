#include "ui/velta.h"

// Start-up and shutdown: not built yet.
void velta::Form_Load() {}
void velta::Form_Unload(int& cancel) { cancel = 0; }
