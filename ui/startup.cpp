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
    return;
  }
  chooser->hide();
  chooser->close();
  QCoreApplication::processEvents();

  // Both boxes now show the number as stored (03 comes back as 3). A file
  // that could not be written leaves the boxes as the user accepted them.
  file_in::READ_SETTINGS();

  ui::MsgBox(CONNECT_TEXT);

  tune_cmd::MSComm1()->discardInput();
  myVar::configure_port = true;
  tune_cmd::OPEN_COM();
  myVar::configure_port = false;

  if (tune_cmd::CMD_S()) return;
  if (tune_cmd::CMD_VERSION()) return;
  myVar::fill_set_fields = true;
  read_info_Click();
  myVar::fill_set_fields = false;
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
