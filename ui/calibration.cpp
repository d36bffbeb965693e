#include "ui/calibration.h"

#include <QRegularExpression>

#include "protocol/tune_cmd.h"
#include "ui/colours.h"
#include "ui/fonts.h"
#include "ui/msgbox.h"
#include "ui/velta.h"
#include "ui/widgets.h"

const QString CALIBRATION::CAPTION = QStringLiteral("KOR.DEL.VAN.  -  CALIBRATION FORM");

namespace {
CALIBRATION* the_calibration = nullptr;

// Positions and sizes of the window are kept in twips, 15 to a pixel.
constexpr int px(int twips) { return twips / 15; }

// Colour values in the 0x00BBGGRR form of the window's design.
QColor bgr(unsigned v) { return QColor(v & 0xFF, (v >> 8) & 0xFF, (v >> 16) & 0xFF); }

QPushButton* button(QWidget* parent, const char* name, const QString& caption, unsigned colour,
                    int left, int top, int width, int height) {
  QPushButton* b = ui::NEW_BUTTON(parent, QString::fromLatin1(name), caption, bgr(colour), true);
  b->setFont(ui::ARIAL_BOLD(9.75));
  b->setGeometry(px(left), px(top), px(width), px(height));
  return b;
}

QLineEdit* box(QWidget* parent, const char* name, const QString& text, unsigned colour, int left,
               int top, int width, int height) {
  QLineEdit* e = ui::NEW_BOX(parent, QString::fromLatin1(name), text, false, bgr(colour));
  e->setFont(ui::ARIAL_BOLD(24));
  e->setGeometry(px(left), px(top), px(width), px(height));
  return e;
}

// The entry's text for K or F, or nothing (after a message) when it is no
// whole number and so must not reach the CBOX, which decides on its range.
bool entry_data(const QLineEdit* entry, const QString& command, const QString& what, QString* data) {
  static const QRegularExpression whole_number(QStringLiteral("^-?[0-9]+$"));
  *data = tune_cmd::TRIM_BLANKS(entry->text());
  if (whole_number.match(*data).hasMatch()) return true;
  ui::MsgBox(command + QStringLiteral(" not sent: the ") + what +
             QStringLiteral(" must be a whole number, received:") + *data);
  return false;
}

// Red outside the inclusive range, the system's window colour inside it.
void colour_by_range(QLineEdit* e, double low, double high) {
  const double v = tune_cmd::Val(e->text());
  ui::SET_BACKCOLOR(e, v < low || v > high ? colours::RED() : colours::SYS_WINDOW_BACKGROUND());
}
}  // namespace

CALIBRATION* calibration_form() { return the_calibration; }

CALIBRATION::CALIBRATION(QWidget* parent) : QWidget(parent) {
  the_calibration = this;
  setObjectName(QStringLiteral("CALIBRATION"));
  setWindowTitle(CAPTION);
  setAttribute(Qt::WA_DeleteOnClose);
  // A window of the main window: it neither keeps the program running once
  // the main window is closed nor outlives it.
  setAttribute(Qt::WA_QuitOnClose, false);
  if (velta_exists()) connect(&velta_form(), &QObject::destroyed, this, [this] { delete this; });
  setFixedSize(px(4185), px(2850));

  calib_def = button(this, "calib_def", QStringLiteral("-Calibration- default (c)"), 0x00C0FFFF, 600, 240,
                     1455, 615);
  calib360 = button(this, "calib360", QStringLiteral("-Calibration- 360\u00b0 (C)"), 0x0000FFFF, 2160, 240,
                    1335, 615);
  calib = button(this, "calib", QStringLiteral("-Calibration- any angle (K)"), 0x00FFC0C0, 600, 1080, 1455,
                 615);
  calib_angle = box(this, "calib_angle", QStringLiteral("90"), 0x00FFC0C0, 2160, 1080, 1215, 600);
  Label1 = new QLabel(QStringLiteral("\u00b0"), this);
  Label1->setObjectName(QStringLiteral("Label1"));
  Label1->setFont(ui::ARIAL_BOLD(18));
  Label1->setGeometry(px(3360), px(1080), px(135), px(255));
  cal_factor = box(this, "cal_factor", QStringLiteral("?"), 0x00C0FFC0, 2160, 2040, 1695, 600);
  write_factor = button(this, "write_factor", QStringLiteral("-Calibration- calib factor set (F)"),
                        0x00C0FFC0, 600, 1920, 1455, 855);
  cal_factor->setAccessibleName(QStringLiteral("calibration factor"));
  calib_angle->setAccessibleName(QStringLiteral("calibration angle"));

  setTabOrder(calib_def, calib360);
  setTabOrder(calib360, calib);
  setTabOrder(calib, calib_angle);
  setTabOrder(calib_angle, cal_factor);
  setTabOrder(cal_factor, write_factor);

  connect(calib_def, &QPushButton::clicked, this, &CALIBRATION::calib_def_Click);
  connect(calib360, &QPushButton::clicked, this, &CALIBRATION::calib360_Click);
  connect(calib, &QPushButton::clicked, this, &CALIBRATION::calib_Click);
  connect(write_factor, &QPushButton::clicked, this, &CALIBRATION::write_factor_Click);
  connect(cal_factor, &QLineEdit::textChanged, this, &CALIBRATION::cal_factor_Change);
  connect(calib_angle, &QLineEdit::textChanged, this, &CALIBRATION::calib_angle_Change);
}

CALIBRATION::~CALIBRATION() {
  if (the_calibration == this) the_calibration = nullptr;
}

void CALIBRATION::calib_def_Click() { tune_cmd::CMD_CALIB_DEFAULT(); }
void CALIBRATION::calib360_Click() { tune_cmd::CMD_CALIB_360(); }
void CALIBRATION::calib_Click() {
  QString angle;
  if (entry_data(calib_angle, QStringLiteral("cmd K"), QStringLiteral("calibration angle"), &angle))
    tune_cmd::CMD_CALIB_ANGLE(angle);
}
void CALIBRATION::write_factor_Click() {
  QString factor;
  if (entry_data(cal_factor, QStringLiteral("cmd F"), QStringLiteral("calibration factor"), &factor))
    tune_cmd::CMD_CALIB_FACTOR(factor);
}

void CALIBRATION::cal_factor_Change() { colour_by_range(cal_factor, 1000, 15000); }
void CALIBRATION::calib_angle_Change() { colour_by_range(calib_angle, 10, 500); }

// Shows the calibration window beside the main window without making it modal;
// an open one comes to the front with its entries as they are.
void velta::calib_Click() {
  CALIBRATION* form = calibration_form();
  if (!form) form = new CALIBRATION;
  form->show();
  form->raise();
  form->activateWindow();
}
