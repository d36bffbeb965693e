#pragma once
// The rotator dial window (View > Rotator dial): where the antenna points,
// shown as a compass rose beside the main window, turned by a click, with
// eight memory positions (presets). It sends nothing to the controller by
// itself: it marks angles and asks for the go-to, and the main window, which
// owns every exchange, feeds back what the controller said.
#include <QLabel>
#include <QPushButton>
#include <QWidget>
#include <array>
#include <optional>

#include "app/presets.h"
#include "ui/dial_rose.h"

class DIAL : public QWidget {
  Q_OBJECT
 public:
  explicit DIAL(QWidget* parent = nullptr);

  static const QString CAPTION;  // "Rotator"

  dial::ROSE* rose;
  QLabel* dial_position;                                    // "123°", "???" before any position
  QLabel* dial_target;                                      // "to 250°", empty without a target
  QLabel* dial_state;                                       // "READY", "BUSY", "???"
  std::array<QPushButton*, presets::COUNT> preset_buttons;  // preset_1 .. preset_8

  // Reads the presets file and keeps its path for every change. A damaged
  // file is told once, leaves eight empty presets, and stays as it is until
  // a preset is changed.
  void load_presets(const QString& path);
  const presets::Presets& presets() const { return presets_; }

 signals:
  // A click on the rose or a key turned the marked angle (0 to 359).
  void angle_marked(int degrees);
  // A double-click on the rose, or Enter while it has the focus.
  void execute_requested();
  // A click on a preset that is set.
  void preset_go(int azimuth);
  void presets_changed();
  void closed();

 public slots:
  // The status exchange's result: state "B" busy, "R" ready, anything else
  // unknown; no position keeps the last one shown.
  void show_status(std::optional<int> position, const QString& state);
  // The last go-to's angle; nothing clears it.
  void show_target(std::optional<int> target);
  // 0 north-stop, 1 south-stop, 2 absolute; nothing while unknown.
  void show_stop_mode(std::optional<int> mode);
  // The angle in the go-to box, nothing when it holds no valid angle: the
  // keys turn it from there.
  void show_marked(std::optional<int> marked);
  // The presets send a go-to, so they follow Execute.
  void set_execute_enabled(bool enabled);

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  QPushButton* preset_button(int index);
  void ask_preset(int index);
  void change_preset(int index, const std::optional<presets::Preset>& preset);
  void show_presets();

  presets::Presets presets_;
  QString path_ = presets::FILE_NAME;
  std::optional<int> position_;
};
