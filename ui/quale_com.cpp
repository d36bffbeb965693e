#include "ui/quale_com.h"

#include <QCloseEvent>

#include "app/myVar.h"
#include "ui/colours.h"
#include "ui/fonts.h"
#include "ui/velta.h"

const QString quale_com::CAPTION = QStringLiteral("CHOOSE or CONFIRM COM PORT");

namespace {
quale_com* the_chooser = nullptr;

}  // namespace

quale_com* quale_com_form() { return the_chooser; }

quale_com::quale_com(QWidget* parent) : QWidget(parent) {
  the_chooser = this;
  setObjectName(QStringLiteral("quale_com"));
  setWindowTitle(CAPTION);
  // Start-up decides what the end of this window means; the program must
  // not quit just because the chooser went away.
  setAttribute(Qt::WA_QuitOnClose, false);
  // It never outlives the main window, however that ends.
  if (velta_exists()) connect(&velta_form(), &QObject::destroyed, this, [this] { delete this; });
  setFixedSize(300, 90);

  Label45 = new QLabel(QStringLiteral("COM"), this);
  Label45->setObjectName(QStringLiteral("Label45"));
  Label45->setFont(ui::ARIAL_BOLD(12));
  Label45->setGeometry(16, 28, 50, 30);

  com_port = new QLineEdit(QStringLiteral("1"), this);
  com_port->setObjectName(QStringLiteral("com_port"));
  com_port->setFont(ui::ARIAL_BOLD(12));
  com_port->setGeometry(68, 26, 80, 34);
  Label45->setBuddy(com_port);
  com_port->setAccessibleName(QStringLiteral("COM"));

  continue_button = new QPushButton(QStringLiteral("ACCEPT"), this);
  continue_button->setObjectName(QStringLiteral("continue_button"));
  continue_button->setFont(ui::ARIAL_BOLD(10));
  continue_button->setGeometry(172, 22, 110, 42);
  continue_button->setDefault(true);
  ui::SET_BACKCOLOR(continue_button, QColor(255, 128, 0));

  setTabOrder(com_port, continue_button);
  com_port->setFocus();

  connect(com_port, &QLineEdit::textChanged, this, &quale_com::com_port_Change);
  connect(com_port, &QLineEdit::returnPressed, this, &quale_com::continue_button_Click);
  connect(continue_button, &QPushButton::clicked, this, &quale_com::continue_button_Click);

  initial_read_ = Form_Initialize();
}

quale_com::~quale_com() {
  if (the_chooser == this) the_chooser = nullptr;
}

file_in::Settings quale_com::Form_Initialize() { return file_in::READ_SETTINGS(); }

void quale_com::com_port_Change() {
  if (velta_exists()) velta_form().com_port->setText(com_port->text());
}

void quale_com::continue_button_Click() {
  // A number the port cannot have is refused there and then; the user
  // corrects it in this window.
  if (file_in::WRITE_SETTINGS()) {
    com_port->setText(file_in::KEPT_NUMBER());
    return;
  }
  myVar::port_accepted = true;
}

void quale_com::closeEvent(QCloseEvent* event) {
  // Start-up hides and closes the window after ACCEPT; any other close comes
  // from the window's own close control.
  if (!myVar::port_accepted) closed_without_accept_ = true;
  event->accept();
}
