#pragma once
// Asks the name and angle of one preset; the angle is checked as the go-to
// box is, and the dialog stays open saying what is wrong until it will do.
#include <QDialog>
#include <optional>

#include "app/presets.h"

class QLabel;
class QLineEdit;

class PRESET_DIALOG : public QDialog {
  Q_OBJECT
 public:
  // Opens with the preset as it is, or with the position the antenna was
  // last reported at for an empty one. `number` is 1 to 8.
  PRESET_DIALOG(int number, const std::optional<presets::Preset>& now, std::optional<int> position,
                QWidget* parent = nullptr);

  QLineEdit* preset_name;
  QLineEdit* preset_angle;
  QLabel* preset_problem;

  // What was entered; valid once the dialog has been accepted.
  presets::Preset preset() const { return entered_; }

 public slots:
  void accept() override;

 private:
  presets::Preset entered_;
};
