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
#include <QObject>
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

// What is wrong with a name, empty when it will do.
QString NAME_PROBLEM(const QString& name);

// The presets the program goes by, one set for the whole program: the dial's
// buttons show them and a tracker's park turns to the one named "Park".
class Kept : public QObject {
  Q_OBJECT
 public:
  const Presets& presets() const { return presets_; }
  // Reads the file into the presets and keeps its path for every change. A
  // damaged file is told once through ui::MsgBox (a program without a window
  // turns the box into a log line), leaves eight empty presets, and stays as
  // it is until a preset is changed.
  void load(const QString& path);
  // Changes one preset (0 to 7) and writes the whole file at once, so that a
  // preset set just before a crash or a pulled plug is still there at the
  // next start; a file that cannot be written is told.
  void change(int index, const std::optional<Preset>& preset);

 signals:
  void changed();

 private:
  Presets presets_;
  QString path_ = FILE_NAME;
};
Kept& KEPT();

// The start-up's reading of presets.json in the working folder, beside
// velta.ini: the window's start and a start without a window both call it
// before the tracking server listens.
void LOAD_PRESETS();
}  // namespace presets
