// The main window's controls as one table, built by one loop: what each
// control is, its object name and design text, the group it stands in and
// its cell there. The rows stand in keyboard order. Button captions and
// colours come from the table of buttons (monitor/buttons.h), the labels of
// the parameters from the parameter record: each is written once.
#include <QGridLayout>
#include <QGroupBox>
#include <variant>

#include "monitor/buttons.h"
#include "protocol/parameter_record.h"
#include "ui/colours.h"
#include "ui/dial_controls.h"
#include "ui/menus.h"
#include "ui/tracking_controls.h"
#include "ui/velta.h"
#include "ui/widgets.h"

namespace {
using Member = std::variant<std::monostate, QGroupBox* velta::*, QPushButton* velta::*, QLineEdit* velta::*,
                            QCheckBox* velta::*, QRadioButton* velta::*, QLabel* velta::*, QPlainTextEdit* velta::*>;
enum Flag { none = 0, read_only = 1, checked = 2, tall = 4, red_text = 8, stretch = 16, group = 32 };

struct Item {
  Member member;     // monostate: a label or unit the program never touches
  const char* name;  // object name; for a label, the control it names
  const char* text;  // design text; nullptr: a button's caption, a parameter's label
  const char* in;    // the group (or the right-hand column); nullptr: the window itself
  int row, col, rows = 1, cols = 1, flags = none;
  const char* buddy = nullptr;  // a label the program touches: the control it names
};

constexpr const char* DEG = "\u00b0";
constexpr const char* LIMITS = "\u00b0 Abs(0-500)";

// clang-format off
const Item ITEMS[] = {
    {&velta::Frame1, "Frame1", "PARAMETERS SET", nullptr, 0, 0, 1, 2},
    {&velta::info_read, "info_read", "PARAMETERS READ", nullptr, 1, 0},
    {&velta::go_to, "go_to", "GOTO", nullptr, 1, 1},
    {&velta::Frame2, "Frame2", "COMMUNICATION MONITOR", nullptr, 2, 0, 1, 2},
    {{}, "column", nullptr, nullptr, 0, 2, 3, 1, group},
    {&velta::COM, "COM", "COMM PORT", "column", 4, 0},
    // PARAMETERS SET: a label, the entry and its unit a row; options and buttons at the right.
    {{}, "pwm_period", nullptr, "Frame1", 0, 0},
    {&velta::pwm_period, "pwm_period", "???", "Frame1", 0, 1},
    {{}, "", "ms", "Frame1", 0, 2},
    {{}, "pwm_max_duty", nullptr, "Frame1", 1, 0},
    {&velta::pwm_max_duty, "pwm_max_duty", "???", "Frame1", 1, 1},
    {{}, "", "%", "Frame1", 1, 2},
    {{}, "pwm_min_duty", nullptr, "Frame1", 2, 0},
    {&velta::pwm_min_duty, "pwm_min_duty", "???", "Frame1", 2, 1},
    {{}, "", "%", "Frame1", 2, 2},
    {{}, "ramp", nullptr, "Frame1", 3, 0},
    {&velta::ramp, "ramp", "???", "Frame1", 3, 1},
    {{}, "", DEG, "Frame1", 3, 2},
    {{}, "lower_limit", nullptr, "Frame1", 4, 0},
    {&velta::lower_limit, "lower_limit", "???", "Frame1", 4, 1},
    {{}, "", LIMITS, "Frame1", 4, 2},
    {{}, "upper_limit", nullptr, "Frame1", 5, 0},
    {&velta::upper_limit, "upper_limit", "???", "Frame1", 5, 1},
    {{}, "", LIMITS, "Frame1", 5, 2},
    {{}, "inv_delay", nullptr, "Frame1", 6, 0},
    {&velta::inv_delay, "inv_delay", "???", "Frame1", 6, 1},
    {{}, "", "sec", "Frame1", 6, 2},
    {{}, "pres_delay", nullptr, "Frame1", 7, 0},
    {&velta::pres_delay, "pres_delay", "???", "Frame1", 7, 1},
    {{}, "", "sec", "Frame1", 7, 2},
    {{}, "rot_timeout", nullptr, "Frame1", 8, 0},
    {&velta::rot_timeout, "rot_timeout", "???", "Frame1", 8, 1},
    {{}, "", "sec", "Frame1", 8, 2},
    {{}, "offset_write", "Offset (-70\u00b0..+70\u00b0)", "Frame1", 7, 3},
    {&velta::offset_write, "offset_write", "???", "Frame1", 7, 4},
    {{}, "", DEG, "Frame1", 7, 5},
    {{}, "check_angle_write", nullptr, "Frame1", 8, 3},
    {&velta::check_angle_write, "check_angle_write", "2", "Frame1", 8, 4},
    {{}, "", DEG, "Frame1", 8, 5},
    {&velta::pwm_on, "pwm_on", nullptr, "Frame1", 0, 4, 1, 2, checked},
    {&velta::optimize, "optimize", nullptr, "Frame1", 1, 4, 1, 2, checked},
    {&velta::mot_check, "mot_check", nullptr, "Frame1", 2, 4, 1, 2},
    {&velta::south_stop, "south_stop", "South-stop", "Frame1", 3, 4, 1, 2, checked},
    {&velta::north_stop, "north_stop", "North-stop", "Frame1", 4, 4, 1, 2},
    {&velta::write_mode, "write_mode", nullptr, "Frame1", 0, 3},
    {&velta::set_default, "set_default", nullptr, "Frame1", 3, 3},
    // PARAMETERS READ: two columns of read-only boxes and the read's button.
    {&velta::read_info, "read_info", nullptr, "info_read", 8, 3},
    {{}, "read_pwm_period", nullptr, "info_read", 0, 0},
    {&velta::read_pwm_period, "read_pwm_period", "???", "info_read", 0, 1, 1, 1, read_only},
    {{}, "read_pwm_max_duty", nullptr, "info_read", 1, 0},
    {&velta::read_pwm_max_duty, "read_pwm_max_duty", "???", "info_read", 1, 1, 1, 1, read_only},
    {{}, "read_pwm_min_duty", nullptr, "info_read", 2, 0},
    {&velta::read_pwm_min_duty, "read_pwm_min_duty", "???", "info_read", 2, 1, 1, 1, read_only},
    {{}, "read_ramp", nullptr, "info_read", 3, 0},
    {&velta::read_ramp, "read_ramp", "???", "info_read", 3, 1, 1, 1, read_only},
    {{}, "read_lower_limit", nullptr, "info_read", 4, 0},
    {&velta::read_lower_limit, "read_lower_limit", "???", "info_read", 4, 1, 1, 1, read_only},
    {{}, "read_upper_limit", nullptr, "info_read", 5, 0},
    {&velta::read_upper_limit, "read_upper_limit", "???", "info_read", 5, 1, 1, 1, read_only},
    {{}, "read_inv_delay", nullptr, "info_read", 6, 0},
    {&velta::read_inv_delay, "read_inv_delay", "???", "info_read", 6, 1, 1, 1, read_only},
    {{}, "read_pres_delay", nullptr, "info_read", 7, 0},
    {&velta::read_pres_delay, "read_pres_delay", "???", "info_read", 7, 1, 1, 1, read_only},
    {{}, "read_rot_timeout", nullptr, "info_read", 8, 0},
    {&velta::read_rot_timeout, "read_rot_timeout", "???", "info_read", 8, 1, 1, 1, read_only},
    {{}, "mode_msg", "Mode", "info_read", 9, 0},
    {&velta::mode_msg, "mode_msg", "??????????", "info_read", 9, 1, 1, 1, read_only},
    {.member = &velta::label_dipsw, .name = "label_dipsw", .text = "DIP-SW", .in = "info_read", .row = 10, .col = 0,
     .flags = red_text, .buddy = "dipsw"},
    {&velta::dipsw, "dipsw", "???????", "info_read", 10, 1, 1, 1, read_only | red_text},
    {{}, "offset_read", "Offset", "info_read", 0, 2},
    {&velta::offset_read, "offset_read", "???", "info_read", 0, 3, 1, 1, read_only},
    {{}, "optimize_msg", "Optimize", "info_read", 1, 2},
    {&velta::optimize_msg, "optimize_msg", "???", "info_read", 1, 3, 1, 1, read_only},
    {{}, "pwm_msg", "PWM is", "info_read", 2, 2},
    {&velta::pwm_msg, "pwm_msg", "???", "info_read", 2, 3, 1, 1, read_only},
    {{}, "curr_pos", "Position", "info_read", 3, 2},
    {&velta::curr_pos, "curr_pos", "???", "info_read", 3, 3, 1, 1, read_only},
    {{}, "cbox_status", "CBOX is", "info_read", 4, 2},
    {&velta::cbox_status, "cbox_status", "???", "info_read", 4, 3, 1, 1, read_only},
    {{}, "cal_fact", "Cal.Fact", "info_read", 5, 2},
    {&velta::cal_fact, "cal_fact", "?????", "info_read", 5, 3, 1, 1, read_only},
    {{}, "mot_check_msg", "Rot.Chk", "info_read", 6, 2},
    {&velta::mot_check_msg, "mot_check_msg", "???", "info_read", 6, 3, 1, 1, read_only},
    {{}, "check_angle", "Chk Angle", "info_read", 7, 2},
    {&velta::check_angle, "check_angle", "???", "info_read", 7, 3, 1, 1, read_only},
    // GOTO
    {&velta::execute, "execute", nullptr, "go_to", 0, 0},
    {&velta::go_to_angle, "go_to_angle", "?", "go_to", 0, 1},
    {{}, "", DEG, "go_to", 0, 2},
    {&velta::goto_replay, "goto_replay", "????????", "go_to", 1, 0, 1, 3, read_only},
    {&velta::fast_stop, "fast_stop", nullptr, "go_to", 2, 0, 1, 3, tall},
    {&velta::soft_stop, "soft_stop", nullptr, "go_to", 3, 0, 1, 3, tall},
    {{}, "", nullptr, "go_to", 4, 0, 1, 1, stretch},
    // COMMUNICATION MONITOR
    {&velta::cmd_monitor, "cmd_monitor", nullptr, "Frame2", 0, 0},
    {{}, "fast_pos", "Position", "Frame2", 0, 1},
    {&velta::fast_pos, "fast_pos", "???", "Frame2", 0, 2, 1, 1, read_only},
    {{}, "fast_status", "CBOX is", "Frame2", 0, 3},
    {&velta::fast_status, "fast_status", "???", "Frame2", 0, 4, 1, 1, read_only},
    {&velta::clr_reply, "clr_reply", nullptr, "Frame2", 0, 5},
    {{}, "cbox_reply_text", "CBOX replies", "Frame2", 1, 0, 1, 6},
    {&velta::cbox_reply_text, "cbox_reply_text", "", "Frame2", 2, 0, 1, 6, read_only},
    // COMM PORT, and the right-hand column of single commands.
    {{}, "com_port", "COM", "COM", 0, 0},
    {&velta::com_port, "com_port", "1", "COM", 0, 1},
    {&velta::calib, "calib", nullptr, "column", 0, 0},
    {&velta::command_v, "command_v", nullptr, "column", 1, 0},
    {&velta::firm_version, "firm_version", "???.??", "column", 2, 0},
    {{}, "", nullptr, "column", 3, 0, 1, 1, stretch},
    {&velta::command_s, "command_s", nullptr, "column", 5, 0},
    {&velta::command_c, "command_c", nullptr, "column", 6, 0},
    {&velta::command_qm, "command_qm", nullptr, "column", 7, 0},
};
// clang-format on

// What a screen reader calls the controls that no label names.
const std::pair<const char*, const char*> SPOKEN[] = {
    {"firm_version", "Firmware Version"}, {"go_to_angle", "GOTO angle"}, {"goto_replay", "GOTO reply"}};

// The text a row leaves open: a button's caption, else the label of the
// parameter whose entry or read-out box it names.
QString text_of(const Item& it) {
  if (it.text) return QString::fromUtf8(it.text);
  for (const tune_cmd::ButtonRow& b : tune_cmd::BUTTONS())
    if (qstrcmp(b.name, it.name) == 0) return QString::fromUtf8(b.caption);
  for (const tune_cmd::Parameter& p : tune_cmd::RECORD())
    if (qstrcmp(p.entry, it.name) == 0 || qstrcmp(p.read_out, it.name) == 0) return QString::fromUtf8(p.caption);
  return {};
}

// The widget of one row, its member of the window set to it.
struct Maker {
  velta& w;
  const Item& it;
  QWidget* parent;
  QString name() const { return QString::fromLatin1(it.name); }
  QWidget* operator()(std::monostate) const {
    if (it.flags & group) return new QWidget(parent);
    return new QLabel(text_of(it), parent);
  }
  QWidget* operator()(QGroupBox* velta::*m) const { return w.*m = new QGroupBox(text_of(it), parent); }
  QWidget* operator()(QPushButton* velta::*m) const {
    QPushButton* b = w.*m = ui::NEW_BUTTON(parent, name(), text_of(it), tune_cmd::BUTTON(it.name).design);
    if (it.flags & tall) b->setMinimumHeight(48);
    return b;
  }
  QWidget* operator()(QLineEdit* velta::*m) const {
    QLineEdit* e = w.*m = ui::NEW_BOX(parent, name(), text_of(it), it.flags & read_only);
    // The controller's values are short; keep the boxes compact.
    e->setMinimumWidth(70);
    return e;
  }
  QWidget* operator()(QCheckBox* velta::*m) const {
    auto* c = w.*m = new QCheckBox(text_of(it), parent);
    c->setChecked(it.flags & checked);
    return c;
  }
  QWidget* operator()(QRadioButton* velta::*m) const {
    auto* o = w.*m = new QRadioButton(text_of(it), parent);
    o->setChecked(it.flags & checked);
    return o;
  }
  QWidget* operator()(QLabel* velta::*m) const { return w.*m = new QLabel(text_of(it), parent); }
  QWidget* operator()(QPlainTextEdit* velta::*m) const {
    auto* t = w.*m = new QPlainTextEdit(parent);
    t->setReadOnly(true);
    t->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    t->setLineWrapMode(QPlainTextEdit::NoWrap);
    t->setMinimumHeight(120);
    return t;
  }
};
}  // namespace

void velta::build() {
  auto* top = new QGridLayout(this);
  QHash<QString, QGridLayout*> grids;
  QList<std::pair<QLabel*, QString>> labels;  // a label and the control it names
  QWidget* previous = nullptr;
  for (const Item& it : ITEMS) {
    QGridLayout* grid = it.in ? grids.value(QString::fromLatin1(it.in)) : top;
    if (it.flags & stretch) {
      grid->setRowStretch(it.row, 1);
      continue;
    }
    QWidget* made = std::visit(Maker{*this, it, grid->parentWidget()}, it.member);
    grid->addWidget(made, it.row, it.col, it.rows, it.cols);
    if (it.flags & red_text) ui::SET_FORECOLOR(made, colours::RED());
    // A label no routine touches has no name of its own: its row names the
    // control it stands for.
    const bool plain_label = std::holds_alternative<std::monostate>(it.member) && !(it.flags & group);
    if (auto* label = qobject_cast<QLabel*>(made); label && (it.buddy || plain_label))
      labels << std::pair{label, QString::fromLatin1(it.buddy ? it.buddy : it.name)};
    if (!plain_label) made->setObjectName(QString::fromLatin1(it.name));
    if (qobject_cast<QGroupBox*>(made) || (it.flags & group)) grids[made->objectName()] = new QGridLayout(made);
    if (made->focusPolicy() & Qt::TabFocus) {
      if (previous) setTabOrder(previous, made);
      previous = made;
    }
  }
  for (const auto& [label, name] : labels)
    if (!name.isEmpty()) label->setBuddy(findChild<QWidget*>(name));
  // One fixed window: its size is what its content needs.
  top->setSizeConstraint(QLayout::SetFixedSize);
  menus::BUILD_MENUS(*this);
  tracking_controls::BUILD(*this);
  dial_controls::BUILD(*this);

  // A screen reader names each box by the label beside it and its frame, so
  // that "PWM:period" of the set and of the read stay apart.
  for (const auto& [name, spoken] : SPOKEN) findChild<QWidget*>(QLatin1String(name))->setAccessibleName(spoken);
  for (QGroupBox* g : findChildren<QGroupBox*>()) {
    for (QLabel* l : g->findChildren<QLabel*>()) {
      if (l->buddy() && l->buddy()->accessibleName().isEmpty())
        l->buddy()->setAccessibleName(l->text() + QStringLiteral(" (") + g->title() + QStringLiteral(")"));
    }
  }
}
