#pragma once
// The main window: the whole working surface of the tool.
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QWidget>
#include <memory>
#include <optional>

#include "protocol/parameter_record.h"
#include "serial/serial_comm.h"

class QMenu;
class QMenuBar;
namespace ui {
class WindowPanel;
}

class velta : public QWidget {
  Q_OBJECT
 public:
  explicit velta(QWidget* parent = nullptr);
  ~velta() override;

  // Window caption: "KOR.DEL.VAN.", 23 blanks, "CONTROL BOX SETTINGS - V3.23.1".
  static const QString CAPTION;

  // Controls outside the groups.
  QPushButton* calib;
  QPushButton* command_v;
  QLineEdit* firm_version;
  QPushButton* command_s;
  QPushButton* command_c;
  QPushButton* command_qm;

  // "PARAMETERS SET"
  QGroupBox* Frame1;
  QLineEdit* pwm_period;
  QLineEdit* pwm_max_duty;
  QLineEdit* pwm_min_duty;
  QLineEdit* ramp;
  QLineEdit* lower_limit;
  QLineEdit* upper_limit;
  QLineEdit* inv_delay;
  QLineEdit* pres_delay;
  QLineEdit* rot_timeout;
  QLineEdit* offset_write;
  QLineEdit* check_angle_write;
  QPushButton* write_mode;
  QPushButton* set_default;
  QCheckBox* pwm_on;
  QCheckBox* optimize;
  QCheckBox* mot_check;
  QRadioButton* south_stop;
  QRadioButton* north_stop;

  // "PARAMETERS READ"
  QGroupBox* info_read;
  QLineEdit* read_pwm_period;
  QLineEdit* read_pwm_max_duty;
  QLineEdit* read_pwm_min_duty;
  QLineEdit* read_ramp;
  QLineEdit* read_lower_limit;
  QLineEdit* read_upper_limit;
  QLineEdit* read_inv_delay;
  QLineEdit* read_pres_delay;
  QLineEdit* read_rot_timeout;
  QLineEdit* mode_msg;
  QLabel* label_dipsw;
  QLineEdit* dipsw;
  QLineEdit* offset_read;
  QLineEdit* optimize_msg;
  QLineEdit* pwm_msg;
  QLineEdit* curr_pos;
  QLineEdit* cbox_status;
  QLineEdit* cal_fact;
  QLineEdit* mot_check_msg;
  QLineEdit* check_angle;
  QPushButton* read_info;

  // "GOTO"
  QGroupBox* go_to;
  QPushButton* execute;
  QLineEdit* go_to_angle;
  QLineEdit* goto_replay;
  QPushButton* fast_stop;
  QPushButton* soft_stop;

  // "COMMUNICATION MONITOR"
  QGroupBox* Frame2;
  QPushButton* cmd_monitor;
  QLineEdit* fast_pos;
  QLineEdit* fast_status;
  QPushButton* clr_reply;
  QPlainTextEdit* cbox_reply_text;

  // "COMM PORT"
  QGroupBox* COM;
  QLineEdit* com_port;

  // The menu bar above the content (ui/menus.h) and its last menu, Help:
  // a menu added later goes before it.
  QMenuBar* menu_bar = nullptr;
  QMenu* help_menu = nullptr;

  // Non-visual parts: the reply timer and the serial control.
  QTimer* Timer1;
  SerialComm* MSComm1;

  // Start-up and shutdown. Form_Unload sets cancel to 1 to keep the window open.
  void Form_Load();
  void Form_Unload(int& cancel);
  // The port given before Form_Load (velta --port N): no chooser then, and
  // no question before the controller is probed.
  std::optional<int> given_port;
  // The start-up's exchanges, for a start without the chooser too: the port
  // configured and opened (its failure told), then S, the firmware version
  // and the parameter read that fills the entries, each only after the one
  // before succeeded. True when the read got the whole reply.
  void OPEN_CONFIGURED();
  bool READ_CONTROLLER();
  // Set by Form_Load when the user closed the port chooser without ACCEPT:
  // the program ends without showing the main window.
  bool end_requested = false;
  // True once the window has been closed: an exchange still running then
  // ends without telling anyone (nobody is left to read it).
  bool closed() const { return closed_; }

  // The entry controls of "PARAMETERS SET" by object name: text boxes as
  // typed, check boxes and option buttons "1" or "0".
  tune_cmd::Entries entries() const;
  // Fills the named entry controls; each text runs the check of its box.
  void set_entries(const tune_cmd::Entries& e);

 signals:
  // A parameter read got the whole reply.
  void parameters_read();
  // The window has been closed for good (a close the window refused does not count).
  void window_closed();

 public slots:
  void calib_Click();
  void command_v_Click();
  void command_qm_Click();
  void command_c_Click();
  void command_s_Click();
  void cmd_monitor_Click();
  void clr_reply_Click();
  void read_info_Click();
  void write_mode_Click();
  void set_default_Click();
  void execute_Click();
  void fast_stop_Click();
  void soft_stop_Click();
  void go_to_angle_Change();
  void offset_write_Change();
  void pwm_min_duty_Change();
  void lower_limit_Change();
  void upper_limit_Change();
  void Timer1_Timer();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void build();
  void wire();
  // The chooser shown until ACCEPT; false when it was closed without.
  bool choose_port();
  // cmd L as its button runs it; true when the whole reply was read.
  bool read_under_lock();
  std::unique_ptr<ui::WindowPanel> panel_;
  bool closed_ = false;
};

// The one main window of the program (it lives from start to end).
velta& velta_form();
bool velta_exists();
