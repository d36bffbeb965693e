#pragma once
// The eight memory positions of the rotator dial, kept in presets.json beside
// velta.ini so that a station's usual headings survive a restart.
//
// The file is a JSON array of exactly eight entries, one per button in
// order: null for an empty preset, or an object
//   {"azimuth": 180, "name": "Park"}
// with "azimuth" a whole number of degrees from 0 to 359 and "name" a string
// of at most MAX_NAME characters once the blanks at its ends are taken off.
// The name may be empty: the button then shows the angle alone. Any other
// member is ignored, so that a hand-edited note does no harm.
#include <QString>
#include <array>
#include <optional>

namespace presets {
inline const QString FILE_NAME = QStringLiteral("presets.json");
inline constexpr int COUNT = 8;
inline constexpr int MAX_NAME = 20;

struct Preset {
  QString name;  // trimmed
  int azimuth = 0;
  bool operator==(const Preset&) const = default;
};
using Presets = std::array<std::optional<Preset>, COUNT>;

// Fills `out` from the file; empty on success. A missing file is no problem:
// eight empty presets. A file that cannot be read or is damaged also gives
// eight empty presets, and the returned text says what is wrong (for a bad
// entry: its number, 1 to 8, and what).
QString READ_PRESETS(const QString& path, Presets& out);
// Writes the whole file beside its place and renames it in; empty on
// success, else why it failed.
QString WRITE_PRESETS(const QString& path, const Presets& presets);

// The azimuth of the first preset named "Park" (any case, blanks at the ends
// ignored); nothing when there is none.
std::optional<int> PARK(const Presets& presets);
// The button caption: "Park 180°", "180°" for an unnamed preset, "(empty)".
QString BUTTON_TEXT(const std::optional<Preset>& preset);
// "180°".
QString DEGREES_TEXT(int degrees);

// The angle typed for a preset, checked as the go-to box is: digits only
// (blanks at the ends allowed), 0 to 359. Nothing otherwise.
std::optional<int> ANGLE_OF(const QString& text);
// What is wrong with a name, empty when it will do.
QString NAME_PROBLEM(const QString& name);
}  // namespace presets
