// Start-up and shutdown of the main window.
#include <QApplication>

#include "app/file_in.h"
#include "monitor/monitor.h"
#include "protocol/read_set.h"
#include "protocol/tune_cmd.h"
#include "serial/serial_vars.h"
#include "ui/calibration.h"
#include "ui/msgbox.h"
#include "ui/quale_com.h"
#include "ui/velta.h"

namespace {
const QString CONNECT_TEXT = QStringLiteral(
    "Connect the PC to the CBOX, power-on it and click on OK when the CBOX is ready");
const QString MONITOR_RUNS_TEXT =
    QStringLiteral("Please STOP the COMMUNICATION MONITOR before to exit.");
const QString UNREADABLE_TEXT = QStringLiteral(
    "The port number stored in velta.ini could not be read (the file cannot be read or its "
    "first line is not a number). Please choose the port.");
}  // namespace

void velta::Form_Load() {
  myVar::port_accepted = false;
  end_requested = false;
  if (given_port) {
    // Started on a port given beforehand (velta --port N): no chooser, no
    // question; the boxes show the number and closing stores it as ever.
    com_port->setText(QString::number(*given_port));
    myVar::com_port_number = static_cast<std::int16_t>(*given_port);
  } else {
    if (!choose_port()) return;
    ui::MsgBox(CONNECT_TEXT);
  }
  OPEN_CONFIGURED();
  READ_CONTROLLER();
}

bool velta::choose_port() {
  // Creating the chooser reads the stored number into both com_port boxes.
  // No file yet is the first run of a fresh install: the chooser shows 1.
  auto* chooser = new quale_com;
  if (chooser->initial_read() == file_in::Settings::unreadable) ui::MsgBox(UNREADABLE_TEXT);
  chooser->show();
  chooser->com_port->setFocus();
  chooser->com_port->selectAll();

  while (!myVar::port_accepted && !chooser->closed_without_accept()) tune_cmd::YIELD_FOR_INPUT();
  if (!myVar::port_accepted) {
    // The chooser was closed without ACCEPT: the technician chose to leave.
    delete chooser;
    end_requested = true;
    return false;
  }
  chooser->hide();
  chooser->close();
  QCoreApplication::processEvents();

  // Both boxes now show the number as stored (03 comes back as 3). A file
  // that could not be written leaves the boxes as the user accepted them.
  file_in::READ_SETTINGS();
  return true;
}

void velta::OPEN_CONFIGURED() {
  tune_cmd::MSComm1()->discardInput();
  myVar::configure_port = true;
  tune_cmd::OPEN_COM();
  myVar::configure_port = false;
}

bool velta::READ_CONTROLLER() {
  if (tune_cmd::CMD_S()) return false;
  if (tune_cmd::CMD_VERSION()) return false;
  myVar::fill_set_fields = true;
  const bool whole = read_under_lock();
  myVar::fill_set_fields = false;
  return whole;
}

void velta::Form_Unload(int& cancel) {
  cancel = 0;
  // A monitor that is starting is about to run: closing is refused as while
  // it runs, else its receive loop would go on behind a closed window.
  if (tune_cmd::MONITOR_RUNS() || tune_cmd::MONITOR_STARTING()) {
    ui::MsgBox(MONITOR_RUNS_TEXT);
    cancel = 1;
  }
  delete quale_com_form();
  if (CALIBRATION* form = calibration_form()) form->close();
  file_in::WRITE_SETTINGS();
}
