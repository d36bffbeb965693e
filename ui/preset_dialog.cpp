#include "ui/preset_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>

#include "protocol/tune_cmd.h"
#include "ui/colours.h"

PRESET_DIALOG::PRESET_DIALOG(int number, const std::optional<presets::Preset>& now, std::optional<int> position,
                             QWidget* parent)
    : QDialog(parent) {
  setObjectName(QStringLiteral("preset_dialog"));
  setWindowTitle(QStringLiteral("Preset ") + QString::number(number));
  preset_name = new QLineEdit(now ? now->name : QString(), this);
  preset_name->setObjectName(QStringLiteral("preset_name"));
  // Longer names would not fit the buttons under the dial.
  preset_name->setMaxLength(presets::MAX_NAME);
  const std::optional<int> angle = now ? std::optional<int>(now->azimuth) : position;
  preset_angle = new QLineEdit(angle ? QString::number(*angle) : QString(), this);
  preset_angle->setObjectName(QStringLiteral("preset_angle"));
  preset_problem = new QLabel(this);
  preset_problem->setObjectName(QStringLiteral("preset_problem"));
  preset_problem->setWordWrap(true);
  ui::SET_FORECOLOR(preset_problem, colours::RED());

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &PRESET_DIALOG::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &PRESET_DIALOG::reject);
  auto* form = new QFormLayout(this);
  form->addRow(QStringLiteral("&Name"), preset_name);
  form->addRow(QStringLiteral("&Angle (0-359\u00b0)"), preset_angle);
  form->addRow(preset_problem);
  form->addRow(buttons);
}

void PRESET_DIALOG::accept() {
  QString problem = presets::NAME_PROBLEM(preset_name->text());
  const QString typed = tune_cmd::TRIM_BLANKS(preset_angle->text());
  const bool valid = tune_cmd::VALID_ANGLE(typed);
  if (problem.isEmpty() && !valid)
    problem = QStringLiteral("the angle must be a whole number from 0 to 359, received:") + preset_angle->text();
  // As the go-to box: a bad angle turns its box red, nothing is changed.
  ui::SET_BACKCOLOR(preset_angle, valid ? colours::SYS_WINDOW_BACKGROUND() : colours::RED());
  preset_problem->setText(problem);
  if (!problem.isEmpty()) return;
  entered_ = {preset_name->text().trimmed(), typed.toInt()};
  QDialog::accept();
}
