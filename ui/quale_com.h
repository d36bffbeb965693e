#pragma once
// The port chooser: shown once at every start, before the main window, to
// choose or confirm the number of the serial port.
#include <QComboBox>
#include <QFileSystemWatcher>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QWidget>
#include <vector>

#include "app/file_in.h"
#include "serial/port_links.h"

namespace myVar {
// Set by the port chooser's ACCEPT; the start-up sequence waits for it.
extern bool port_accepted;
}  // namespace myVar

class quale_com : public QWidget {
  Q_OBJECT
 public:
  explicit quale_com(QWidget* parent = nullptr);
  ~quale_com() override;

  static const QString CAPTION;  // "CHOOSE or CONFIRM COM PORT"

  // In tab order.
  QLineEdit* com_port;
  QLabel* Label45;
  QComboBox* device_list;
  QLabel* device_label;
  QPushButton* continue_button;

  // What the settings file gave when the window was created.
  file_in::Settings initial_read() const { return initial_read_; }
  // True once the user closed the window by its own close control.
  bool closed_without_accept() const { return closed_without_accept_; }

  file_in::Settings Form_Initialize();
  void Form_Load() {}

  // Lists these devices under the port the number box stands for, keeping
  // the technician's pick when it is still there.
  void SHOW_DEVICES(std::vector<port_links::PortDescription> ports);
  // The line of device_list picked now.
  const port_links::ListEntry& device_picked() const;

 public slots:
  void com_port_Change();
  void continue_button_Click();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  void build();
  void dev_watch_Change();
  void refresh_timer_Timer();
  // Links the device picked to the port; empty on success, else why not.
  QString LINK_PICKED();

  std::vector<port_links::PortDescription> ports_;
  std::vector<port_links::ListEntry> entries_;  // device_list's lines
  int listed_port_ = 0;                         // the number they were built for
  QFileSystemWatcher dev_watch_;
  QTimer refresh_timer_;
  file_in::Settings initial_read_ = file_in::Settings::missing;
  bool closed_without_accept_ = false;
};

// The chooser while it exists, nullptr before start-up creates it and after
// shutdown has closed it for good.
quale_com* quale_com_form();
