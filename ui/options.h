#pragma once
// The window's choices that outlive a run (which windows were open, what a
// menu's check items say), kept in velta-options.ini beside velta.ini: the
// toolkit's settings in INI form. velta.ini stays the one line of the port
// number it has always been.
#include <QString>

namespace ui {
inline constexpr const char* OPTIONS_FILE = "velta-options.ini";

bool OPTION(const QString& key, bool fallback = false);
void SET_OPTION(const QString& key, bool value);
}  // namespace ui
