#include "ui/velta.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "serial/link.h"
#include "ui/colours.h"
#include "ui/menus.h"
#include "ui/tracking_controls.h"

const QString velta::CAPTION =
    QStringLiteral("KOR.DEL.VAN.") + QString(23, ' ') + QStringLiteral("CONTROL BOX SETTINGS - V3.23.1");

namespace {
velta* the_velta = nullptr;

QPushButton* button(QWidget* parent, const char* name, const QString& caption, QColor colour) {
  auto* b = new QPushButton(caption, parent);
  b->setObjectName(QString::fromLatin1(name));
  b->setAutoDefault(false);
  ui::SET_BACKCOLOR(b, colour);
  return b;
}

QLineEdit* box(QWidget* parent, const char* name, const QString& text, bool read_only) {
  auto* e = new QLineEdit(text, parent);
  e->setObjectName(QString::fromLatin1(name));
  e->setReadOnly(read_only);
  // Kept so that a box can be given back its design text (an interrupted read).
  e->setProperty("design_text", text);
  // The controller's values are short; keep the boxes compact.
  e->setMinimumWidth(70);
  return e;
}

// A caption label that names the box beside it (for keyboard and screen readers).
QLabel* label(QWidget* parent, const QString& text, QWidget* buddy = nullptr) {
  auto* l = new QLabel(text, parent);
  if (buddy) l->setBuddy(buddy);
  return l;
}

QGroupBox* group(QWidget* parent, const char* name, const QString& title) {
  auto* g = new QGroupBox(title, parent);
  g->setObjectName(QString::fromLatin1(name));
  return g;
}
}  // namespace

velta& velta_form() { return *the_velta; }
bool velta_exists() { return the_velta != nullptr; }

velta::velta(QWidget* parent) : QWidget(parent) {
  the_velta = this;
  setObjectName(QStringLiteral("velta"));
  setWindowTitle(CAPTION);
  build();

  Timer1 = new QTimer(this);
  Timer1->setObjectName(QStringLiteral("Timer1"));
  Timer1->setInterval(3300);
  Timer1->setTimerType(Qt::PreciseTimer);
  MSComm1 = new SerialComm(this);
  MSComm1->setObjectName(QStringLiteral("MSComm1"));
  tune_cmd::ATTACH(MSComm1, Timer1);

  wire();
}

velta::~velta() {
  if (the_velta == this) the_velta = nullptr;
}

void velta::build() {
  const QColor light_green(128, 255, 128), green(0, 255, 0), light_orange(255, 192, 128);

  // Controls outside the groups, in the right-hand column.
  calib = button(this, "calib", QStringLiteral("-Calibration- open form ..."), QColor(255, 255, 0));
  command_v = button(this, "command_v", QStringLiteral("Firmware Version"), QColor(255, 224, 192));
  firm_version = box(this, "firm_version", QStringLiteral("???.??"), false);
  command_s = button(this, "command_s", QStringLiteral("cmd S"), QColor(192, 192, 255));
  command_c = button(this, "command_c", QStringLiteral("cmd M"), QColor(192, 255, 255));
  command_qm = button(this, "command_qm", QStringLiteral("cmd ?"), QColor(255, 192, 255));
  firm_version->setAccessibleName(QStringLiteral("Firmware Version"));

  // "PARAMETERS SET"
  Frame1 = group(this, "Frame1", QStringLiteral("PARAMETERS SET"));
  auto* set = new QGridLayout(Frame1);
  const QString unknown = QStringLiteral("???");
  pwm_period = box(Frame1, "pwm_period", unknown, false);
  pwm_max_duty = box(Frame1, "pwm_max_duty", unknown, false);
  pwm_min_duty = box(Frame1, "pwm_min_duty", unknown, false);
  ramp = box(Frame1, "ramp", unknown, false);
  lower_limit = box(Frame1, "lower_limit", unknown, false);
  upper_limit = box(Frame1, "upper_limit", unknown, false);
  inv_delay = box(Frame1, "inv_delay", unknown, false);
  pres_delay = box(Frame1, "pres_delay", unknown, false);
  rot_timeout = box(Frame1, "rot_timeout", unknown, false);
  offset_write = box(Frame1, "offset_write", unknown, false);
  check_angle_write = box(Frame1, "check_angle_write", QStringLiteral("2"), false);
  write_mode = button(Frame1, "write_mode", QStringLiteral("cmd W"), light_green);
  set_default = button(Frame1, "set_default", QStringLiteral("Set Default"), QColor(255, 128, 0));
  pwm_on = new QCheckBox(QStringLiteral("PWM"), Frame1);
  pwm_on->setObjectName(QStringLiteral("pwm_on"));
  pwm_on->setChecked(true);
  optimize = new QCheckBox(QStringLiteral("OPTIMIZE"), Frame1);
  optimize->setObjectName(QStringLiteral("optimize"));
  optimize->setChecked(true);
  mot_check = new QCheckBox(QStringLiteral("ROT CHECK"), Frame1);
  mot_check->setObjectName(QStringLiteral("mot_check"));
  south_stop = new QRadioButton(QStringLiteral("South-stop"), Frame1);
  south_stop->setObjectName(QStringLiteral("south_stop"));
  north_stop = new QRadioButton(QStringLiteral("North-stop"), Frame1);
  north_stop->setObjectName(QStringLiteral("north_stop"));
  south_stop->setChecked(true);

  struct Row {
    const char* caption;
    QLineEdit* entry;
    const char* unit;
  };
  const Row set_rows[] = {
      {"PWM:period", pwm_period, "ms"},       {"PWM:max.duty", pwm_max_duty, "%"},
      {"PWM:min.duty", pwm_min_duty, "%"},    {"PWM:ramp", ramp, "\u00b0"},
      {"Lower Limit", lower_limit, "\u00b0 Abs(0-500)"},
      {"Upper Limit", upper_limit, "\u00b0 Abs(0-500)"},
      {"Rev. Delay", inv_delay, "sec"},       {"Preset Delay", pres_delay, "sec"},
      {"Rot. Timeout", rot_timeout, "sec"},
  };
  int r = 0;
  for (const Row& row : set_rows) {
    set->addWidget(label(Frame1, QString::fromUtf8(row.caption), row.entry), r, 0);
    set->addWidget(row.entry, r, 1);
    set->addWidget(label(Frame1, QString::fromUtf8(row.unit)), r, 2);
    ++r;
  }
  set->addWidget(write_mode, 0, 3);
  set->addWidget(pwm_on, 0, 4);
  set->addWidget(optimize, 1, 4);
  set->addWidget(mot_check, 2, 4);
  set->addWidget(set_default, 3, 3);
  set->addWidget(south_stop, 3, 4);
  set->addWidget(north_stop, 4, 4);
  set->addWidget(label(Frame1, QStringLiteral("Offset (-70\u00b0..+70\u00b0)"), offset_write), 7, 3);
  auto* offset_row = new QHBoxLayout;
  offset_row->addWidget(offset_write);
  offset_row->addWidget(label(Frame1, QStringLiteral("\u00b0")));
  set->addLayout(offset_row, 7, 4);
  set->addWidget(label(Frame1, QStringLiteral("Check angle"), check_angle_write), 8, 3);
  auto* check_row = new QHBoxLayout;
  check_row->addWidget(check_angle_write);
  check_row->addWidget(label(Frame1, QStringLiteral("\u00b0")));
  set->addLayout(check_row, 8, 4);

  // "PARAMETERS READ"
  info_read = group(this, "info_read", QStringLiteral("PARAMETERS READ"));
  auto* got = new QGridLayout(info_read);
  read_pwm_period = box(info_read, "read_pwm_period", unknown, true);
  read_pwm_max_duty = box(info_read, "read_pwm_max_duty", unknown, true);
  read_pwm_min_duty = box(info_read, "read_pwm_min_duty", unknown, true);
  read_ramp = box(info_read, "read_ramp", unknown, true);
  read_lower_limit = box(info_read, "read_lower_limit", unknown, true);
  read_upper_limit = box(info_read, "read_upper_limit", unknown, true);
  read_inv_delay = box(info_read, "read_inv_delay", unknown, true);
  read_pres_delay = box(info_read, "read_pres_delay", unknown, true);
  read_rot_timeout = box(info_read, "read_rot_timeout", unknown, true);
  mode_msg = box(info_read, "mode_msg", QStringLiteral("??????????"), true);
  dipsw = box(info_read, "dipsw", QStringLiteral("???????"), true);
  offset_read = box(info_read, "offset_read", unknown, true);
  optimize_msg = box(info_read, "optimize_msg", unknown, true);
  pwm_msg = box(info_read, "pwm_msg", unknown, true);
  curr_pos = box(info_read, "curr_pos", unknown, true);
  cbox_status = box(info_read, "cbox_status", unknown, true);
  cal_fact = box(info_read, "cal_fact", QStringLiteral("?????"), true);
  mot_check_msg = box(info_read, "mot_check_msg", unknown, true);
  check_angle = box(info_read, "check_angle", unknown, true);
  read_info = button(info_read, "read_info", QStringLiteral("cmd L"), green);

  const std::pair<const char*, QLineEdit*> left[] = {
      {"PWM:period", read_pwm_period}, {"PWM:max.duty", read_pwm_max_duty},
      {"PWM:min.duty", read_pwm_min_duty}, {"PWM:ramp", read_ramp},
      {"Lower Limit", read_lower_limit}, {"Upper Limit", read_upper_limit},
      {"Rev. Delay", read_inv_delay}, {"Preset Delay", read_pres_delay},
      {"Rot. Timeout", read_rot_timeout}, {"Mode", mode_msg},
  };
  const std::pair<const char*, QLineEdit*> right[] = {
      {"Offset", offset_read},   {"Optimize", optimize_msg}, {"PWM is", pwm_msg},
      {"Position", curr_pos},    {"CBOX is", cbox_status},   {"Cal.Fact", cal_fact},
      {"Rot.Chk", mot_check_msg}, {"Chk Angle", check_angle},
  };
  r = 0;
  for (const auto& [caption, b] : left) {
    got->addWidget(label(info_read, QString::fromLatin1(caption), b), r, 0);
    got->addWidget(b, r, 1);
    ++r;
  }
  label_dipsw = label(info_read, QStringLiteral("DIP-SW"), dipsw);
  label_dipsw->setObjectName(QStringLiteral("label_dipsw"));
  ui::SET_FORECOLOR(label_dipsw, ui::RED());
  ui::SET_FORECOLOR(dipsw, ui::RED());
  got->addWidget(label_dipsw, r, 0);
  got->addWidget(dipsw, r, 1);
  r = 0;
  for (const auto& [caption, b] : right) {
    got->addWidget(label(info_read, QString::fromLatin1(caption), b), r, 2);
    got->addWidget(b, r, 3);
    ++r;
  }
  got->addWidget(read_info, 8, 3);

  // "GOTO"
  go_to = group(this, "go_to", QStringLiteral("GOTO"));
  auto* go = new QGridLayout(go_to);
  execute = button(go_to, "execute", QStringLiteral("Execute"), green);
  go_to_angle = box(go_to, "go_to_angle", QStringLiteral("?"), false);
  go_to_angle->setAccessibleName(QStringLiteral("GOTO angle"));
  goto_replay = box(go_to, "goto_replay", QStringLiteral("????????"), true);
  goto_replay->setAccessibleName(QStringLiteral("GOTO reply"));
  fast_stop = button(go_to, "fast_stop", QStringLiteral("STOP!"), light_orange);
  soft_stop = button(go_to, "soft_stop", QStringLiteral("Soft STOP"), light_orange);
  fast_stop->setMinimumHeight(48);
  soft_stop->setMinimumHeight(48);
  go->addWidget(execute, 0, 0);
  go->addWidget(go_to_angle, 0, 1);
  go->addWidget(label(go_to, QStringLiteral("\u00b0")), 0, 2);
  go->addWidget(goto_replay, 1, 0, 1, 3);
  go->addWidget(fast_stop, 2, 0, 1, 3);
  go->addWidget(soft_stop, 3, 0, 1, 3);
  go->setRowStretch(4, 1);

  // "COMMUNICATION MONITOR"
  Frame2 = group(this, "Frame2", QStringLiteral("COMMUNICATION MONITOR"));
  auto* mon = new QGridLayout(Frame2);
  cmd_monitor = button(Frame2, "cmd_monitor", QStringLiteral("START..."), green);
  fast_pos = box(Frame2, "fast_pos", unknown, true);
  fast_status = box(Frame2, "fast_status", unknown, true);
  clr_reply = button(Frame2, "clr_reply", QStringLiteral("CLR REPLIES"), QColor(255, 192, 192));
  cbox_reply_text = new QPlainTextEdit(Frame2);
  cbox_reply_text->setObjectName(QStringLiteral("cbox_reply_text"));
  cbox_reply_text->setReadOnly(true);
  cbox_reply_text->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  cbox_reply_text->setLineWrapMode(QPlainTextEdit::NoWrap);
  cbox_reply_text->setMinimumHeight(120);
  mon->addWidget(cmd_monitor, 0, 0);
  mon->addWidget(label(Frame2, QStringLiteral("Position"), fast_pos), 0, 1);
  mon->addWidget(fast_pos, 0, 2);
  mon->addWidget(label(Frame2, QStringLiteral("CBOX is"), fast_status), 0, 3);
  mon->addWidget(fast_status, 0, 4);
  mon->addWidget(clr_reply, 0, 5);
  mon->addWidget(label(Frame2, QStringLiteral("CBOX replies"), cbox_reply_text), 1, 0, 1, 6);
  mon->addWidget(cbox_reply_text, 2, 0, 1, 6);

  // "COMM PORT"
  COM = group(this, "COM", QStringLiteral("COMM PORT"));
  auto* port = new QHBoxLayout(COM);
  com_port = box(COM, "com_port", QStringLiteral("1"), false);
  port->addWidget(label(COM, QStringLiteral("COM"), com_port));
  port->addWidget(com_port);

  // Placement: PARAMETERS SET top left; PARAMETERS READ and GOTO below;
  // COMMUNICATION MONITOR bottom left with COMM PORT to its right; the
  // single-command buttons in a column on the right.
  auto* grid = new QGridLayout(this);
  grid->addWidget(Frame1, 0, 0, 1, 2);
  grid->addWidget(info_read, 1, 0);
  grid->addWidget(go_to, 1, 1);
  grid->addWidget(Frame2, 2, 0, 1, 2);
  auto* column = new QVBoxLayout;
  column->addWidget(calib);
  column->addWidget(command_v);
  column->addWidget(firm_version);
  column->addStretch(1);
  column->addWidget(COM);
  column->addWidget(command_s);
  column->addWidget(command_c);
  column->addWidget(command_qm);
  grid->addLayout(column, 0, 2, 3, 1);
  // One fixed window: its size is what its content needs.
  grid->setSizeConstraint(QLayout::SetFixedSize);
  menus::BUILD_MENUS(*this);
  tracking_controls::BUILD(*this);

  // A screen reader names each box by the label beside it and its frame, so
  // that "PWM:period" of the set and of the read stay apart.
  for (QGroupBox* g : findChildren<QGroupBox*>()) {
    for (QLabel* l : g->findChildren<QLabel*>()) {
      if (l->buddy() && l->buddy()->accessibleName().isEmpty())
        l->buddy()->setAccessibleName(l->text() + QStringLiteral(" (") + g->title() + QStringLiteral(")"));
    }
  }

  // Keyboard order: the parameter set row by row, its options and buttons,
  // the read-outs, the go-to, the monitor, then the right-hand column.
  const QList<QWidget*> order = {
      pwm_period, pwm_max_duty, pwm_min_duty, ramp, lower_limit, upper_limit, inv_delay, pres_delay,
      rot_timeout, offset_write, check_angle_write, pwm_on, optimize, mot_check, south_stop, north_stop,
      write_mode, set_default, read_info, read_pwm_period, read_pwm_max_duty, read_pwm_min_duty,
      read_ramp, read_lower_limit, read_upper_limit, read_inv_delay, read_pres_delay, read_rot_timeout,
      mode_msg, dipsw, offset_read, optimize_msg, pwm_msg, curr_pos, cbox_status, cal_fact,
      mot_check_msg, check_angle, execute, go_to_angle, goto_replay, fast_stop, soft_stop, cmd_monitor,
      fast_pos, fast_status, clr_reply, cbox_reply_text, com_port, calib, command_v, firm_version,
      command_s, command_c, command_qm};
  for (int i = 0; i + 1 < order.size(); ++i) setTabOrder(order[i], order[i + 1]);
}

void velta::wire() {
  connect(calib, &QPushButton::clicked, this, &velta::calib_Click);
  connect(command_v, &QPushButton::clicked, this, &velta::command_v_Click);
  connect(command_qm, &QPushButton::clicked, this, &velta::command_qm_Click);
  connect(command_c, &QPushButton::clicked, this, &velta::command_c_Click);
  connect(command_s, &QPushButton::clicked, this, &velta::command_s_Click);
  connect(cmd_monitor, &QPushButton::clicked, this, &velta::cmd_monitor_Click);
  connect(clr_reply, &QPushButton::clicked, this, &velta::clr_reply_Click);
  connect(read_info, &QPushButton::clicked, this, &velta::read_info_Click);
  connect(write_mode, &QPushButton::clicked, this, &velta::write_mode_Click);
  connect(set_default, &QPushButton::clicked, this, &velta::set_default_Click);
  connect(execute, &QPushButton::clicked, this, &velta::execute_Click);
  connect(fast_stop, &QPushButton::clicked, this, &velta::fast_stop_Click);
  connect(soft_stop, &QPushButton::clicked, this, &velta::soft_stop_Click);
  connect(go_to_angle, &QLineEdit::textChanged, this, &velta::go_to_angle_Change);
  connect(offset_write, &QLineEdit::textChanged, this, &velta::offset_write_Change);
  connect(pwm_min_duty, &QLineEdit::textChanged, this, &velta::pwm_min_duty_Change);
  connect(lower_limit, &QLineEdit::textChanged, this, &velta::lower_limit_Change);
  connect(upper_limit, &QLineEdit::textChanged, this, &velta::upper_limit_Change);
  connect(Timer1, &QTimer::timeout, this, &velta::Timer1_Timer);
}

void velta::Timer1_Timer() { tune_cmd::Timer1_Timer(); }

void velta::clr_reply_Click() { cbox_reply_text->clear(); }

void velta::closeEvent(QCloseEvent* event) {
  int cancel = 0;
  Form_Unload(cancel);
  if (cancel) {
    event->ignore();
    return;
  }
  closed_ = true;
  event->accept();
  emit window_closed();
}

#include "protocol/tune_cmd.h"

void velta::command_v_Click() { tune_cmd::CMD_VERSION(); }
void velta::command_qm_Click() { tune_cmd::CMD_STATUS(); }
void velta::command_c_Click() { tune_cmd::CMD_M(); }
void velta::command_s_Click() { tune_cmd::CMD_S(); }
void velta::cmd_monitor_Click() { tune_cmd::MONITOR_LOOP(); }
