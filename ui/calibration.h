#pragma once
// The calibration window: the four calibration commands of the CBOX (360°,
// default, at an entered angle, set the calibration factor) and their entries.
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>

class CALIBRATION : public QWidget {
  Q_OBJECT
 public:
  explicit CALIBRATION(QWidget* parent = nullptr);
  ~CALIBRATION() override;

  static const QString CAPTION;  // "KOR.DEL.VAN.  -  CALIBRATION FORM"

  // In tab order.
  QPushButton* calib_def;
  QPushButton* calib360;
  QPushButton* calib;
  QLineEdit* calib_angle;
  QLabel* Label1;
  QLineEdit* cal_factor;
  QPushButton* write_factor;

 public slots:
  void calib_def_Click();
  void calib360_Click();
  void calib_Click();
  void write_factor_Click();
  void cal_factor_Change();
  void calib_angle_Change();
};

// The open calibration window, nullptr while none is open. Closing the window
// discards it; the next showing builds it anew from its design texts.
CALIBRATION* calibration_form();
