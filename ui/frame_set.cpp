// The PARAMETERS SET group: its entry controls read and filled as one set of
// entries, checked while they are typed (a box turns red while its value is
// out of range or contradicts another box; the checks only advise: typing is
// never blocked and no text is changed), filled with the default set, and
// written to the CBOX by cmd W, after a backup of the set it replaces.
#include <QRadioButton>

#include "monitor/locking.h"
#include "protocol/parameter_record.h"
#include "protocol/tune_cmd.h"
#include "serial/number_text.h"
#include "ui/backups.h"
#include "ui/colours.h"
#include "ui/menus.h"
#include "ui/msgbox.h"
#include "ui/options.h"
#include "ui/velta.h"

using tune_cmd::Val;

namespace {
QColor paint(bool red) { return red ? colours::RED() : colours::SYS_WINDOW_BACKGROUND(); }

// File > Read back after cmd W: cmd L after a write that ended well, and what
// the controller holds otherwise than it was sent, in one message (a read
// that fails has told its own story).
void read_back(const tune_cmd::Entries& sent) {
  if (!tune_cmd::CMD_READ_INFO()) return;
  if (const QStringList lines = menus::READ_BACK_DIFFERENCES(sent); !lines.isEmpty())
    ui::MsgBox(menus::READ_BACK_DIFFERS + lines.join('\n'));
}
}  // namespace

tune_cmd::Entries velta::entries() const {
  tune_cmd::Entries e;
  for (const tune_cmd::EntryDefault& d : tune_cmd::ENTRY_DEFAULTS()) {
    const QString name = QString::fromLatin1(d.entry);
    QWidget* control = findChild<QWidget*>(name);
    if (auto* box = qobject_cast<QLineEdit*>(control)) e[name] = box->text();
    // Only a fully checked box counts; the greyed state is "0".
    else if (auto* check = qobject_cast<QCheckBox*>(control)) e[name] = check->checkState() == Qt::Checked ? "1" : "0";
    else if (auto* option = qobject_cast<QRadioButton*>(control)) e[name] = option->isChecked() ? "1" : "0";
  }
  return e;
}

void velta::set_entries(const tune_cmd::Entries& e) {
  // In the order of the default set, so that the boxes a check reads are
  // filled before the box it paints.
  for (const tune_cmd::EntryDefault& d : tune_cmd::ENTRY_DEFAULTS()) {
    const QString name = QString::fromLatin1(d.entry);
    if (!e.contains(name)) continue;
    const QString text = e.value(name);
    QWidget* control = findChild<QWidget*>(name);
    if (auto* box = qobject_cast<QLineEdit*>(control)) {
      // Each text runs the check of its box, also when the box held it
      // already and no change would be signalled.
      if (box->text() == text) emit box->textChanged(text);
      else box->setText(text);
    } else if (auto* check = qobject_cast<QCheckBox*>(control)) {
      check->setCheckState(text == QLatin1String("1") ? Qt::Checked : Qt::Unchecked);
    } else if (auto* option = qobject_cast<QRadioButton*>(control)) {
      // Both stop options may be cleared (absolute mode): the group's
      // exclusivity is lifted while this one is unchecked.
      const bool exclusive = option->autoExclusive();
      option->setAutoExclusive(text == QLatin1String("1"));
      option->setChecked(text == QLatin1String("1"));
      option->setAutoExclusive(exclusive);
    }
  }
}

void velta::offset_write_Change() {
  ui::SET_BACKCOLOR(offset_write, paint(tune_cmd::OFFSET_OUT_OF_RANGE(Val(offset_write->text()))));
}

// Runs only on a change of the minimum duty: a later change of the period or
// the maximum duty leaves its colour as it was.
void velta::pwm_min_duty_Change() {
  const bool red =
      tune_cmd::MIN_DUTY_OUT_OF_RANGE(Val(pwm_period->text()), Val(pwm_max_duty->text()), Val(pwm_min_duty->text()));
  ui::SET_BACKCOLOR(pwm_min_duty, paint(red));
}

// Either limit changing paints both: the pair is out of order, not one box.
void velta::lower_limit_Change() {
  const QColor c = paint(tune_cmd::LIMITS_OUT_OF_ORDER(Val(lower_limit->text()), Val(upper_limit->text())));
  ui::SET_BACKCOLOR(lower_limit, c);
  ui::SET_BACKCOLOR(upper_limit, c);
}

void velta::upper_limit_Change() { lower_limit_Change(); }

void velta::set_default_Click() {
  if (!ui::ASK_OVERWRITE(QStringLiteral("THIS COMMAND OVERWRITES THE -PARAMETERS SET- VALUES!!! ARE YOU SURE?")))
    return;
  tune_cmd::Entries defaults;
  for (const tune_cmd::EntryDefault& d : tune_cmd::ENTRY_DEFAULTS())
    defaults[QString::fromLatin1(d.entry)] = QString::fromLatin1(d.text);
  set_entries(defaults);
}

void velta::write_mode_Click() {
  using namespace tune_cmd;
  if (!ui::ASK_OVERWRITE(QStringLiteral("THIS COMMAND OVERWRITES THE CBOX SETTINGS!!! ARE YOU SURE?"))) return;
  const Busy busy;
  DISABLE_ALL();
  // A stop must still be possible while the write waits.
  fast_stop->setEnabled(true);
  soft_stop->setEnabled(true);
  inv_delay->setText(TRIM_BLANKS(inv_delay->text()));
  if (!MONITOR_IDLE()) {
    ui::MsgBox(QStringLiteral("Monitor is ACTIVE, cmd W not allowed!"));
  } else if (const QString problem = RECORD_PROBLEM(entries()); !problem.isEmpty()) {
    // Garbage must never reach the controller's stored settings: the set is
    // refused before anything is sent.
    ui::MsgBox(CMD_W_NOT_SENT + problem);
  } else {
    // The set it replaces is kept first; No to writing without a backup ends
    // cmd W here as any refusal does.
    Entries sent;
    if (backups::BACK_UP_OR_ASK() && CMD_WRITE([this] { return entries(); }, &sent) &&
        ui::OPTION(QString::fromLatin1(menus::READ_BACK_OPTION)))
      read_back(sent);
  }
  ENABLE_ALL();
}
