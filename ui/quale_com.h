#pragma once
// The port chooser: shown once at every start, before the main window, to
// choose or confirm the number of the serial port.
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>

#include "app/file_in.h"

class quale_com : public QWidget {
  Q_OBJECT
 public:
  explicit quale_com(QWidget* parent = nullptr);
  ~quale_com() override;

  static const QString CAPTION;  // "CHOOSE or CONFIRM COM PORT"

  // In tab order.
  QLineEdit* com_port;
  QLabel* Label45;
  QPushButton* continue_button;

  // What the settings file gave when the window was created.
  file_in::Settings initial_read() const { return initial_read_; }
  // True once the user closed the window by its own close control.
  bool closed_without_accept() const { return closed_without_accept_; }

  file_in::Settings Form_Initialize();
  void Form_Load() {}

 public slots:
  void com_port_Change();
  void continue_button_Click();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  file_in::Settings initial_read_ = file_in::Settings::missing;
  bool closed_without_accept_ = false;
};

// The chooser while it exists, nullptr before start-up creates it and after
// shutdown has closed it for good.
quale_com* quale_com_form();
