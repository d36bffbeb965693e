#include "ui/velta.h"

#include <QCloseEvent>

#include "monitor/locking.h"
#include "monitor/monitor.h"
#include "protocol/tune_cmd.h"
#include "ui/msgbox.h"
#include "ui/window_panel.h"

const QString velta::CAPTION =
    QStringLiteral("KOR.DEL.VAN.") + QString(23, ' ') + QStringLiteral("CONTROL BOX SETTINGS - V3.23.1");

namespace {
velta* the_velta = nullptr;
}  // namespace

velta& velta_form() { return *the_velta; }
bool velta_exists() { return the_velta != nullptr; }

velta::velta(QWidget* parent) : QWidget(parent), panel_(std::make_unique<ui::WindowPanel>(*this)) {
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
  // The routines below the window show and ask through it.
  tune_cmd::INSTALL_PANEL(panel_.get());
  tune_cmd::SET_USER_MESSAGES([](const QString& text) { ui::MsgBox(text); });
  tune_cmd::LOCK_MONITOR_WHILE_EXCHANGES_RUN();

  wire();
}

velta::~velta() {
  if (the_velta != this) return;
  the_velta = nullptr;
  tune_cmd::INSTALL_PANEL(nullptr);
  tune_cmd::SET_USER_MESSAGES({});
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

// The single commands: each runs its routine, whose result is its own messages.
void velta::command_v_Click() { tune_cmd::CMD_VERSION(); }
void velta::command_qm_Click() { tune_cmd::CMD_STATUS(); }
void velta::command_c_Click() { tune_cmd::CMD_M(); }
void velta::command_s_Click() { tune_cmd::CMD_S(); }

// The PARAMETERS READ group: cmd L under the long lock, the stops left usable
// so that one can be sent while the read waits.
void velta::read_info_Click() { read_under_lock(); }

bool velta::read_under_lock() {
  const tune_cmd::Busy busy;
  tune_cmd::DISABLE_ALL();
  fast_stop->setEnabled(true);
  soft_stop->setEnabled(true);
  const bool whole = tune_cmd::CMD_READ_INFO();
  tune_cmd::ENABLE_ALL();
  return whole;
}

// The COMMUNICATION MONITOR group.
void velta::cmd_monitor_Click() { tune_cmd::MONITOR_LOOP(); }
void velta::clr_reply_Click() { cbox_reply_text->clear(); }
