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

 signals:
  // A click on the rose or a key turned the marked angle (0 to 359).
  void angle_marked(int degrees);
  // A double-click on the rose, or Enter while it has the focus.
  void execute_requested();
  // A click on a preset that is set.
  void preset_go(int azimuth);
  void closed();

 public slots:
  // A position the controller reported, in whole degrees.
  void show_position(int degrees);
  // A busy/ready letter it reported: "B" busy, "R" ready, anything else unknown.
  void show_state(const QString& letter);
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
  // A preset's menu, also while its button is disabled (a disabled button
  // takes its context menu event and does nothing): changing a preset sends
  // nothing.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QPushButton* preset_button(int index);
  void ask_preset(int index);
  void show_presets();

  std::optional<int> position_;
  bool busy_ = false;
};
