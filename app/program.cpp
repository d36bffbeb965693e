#include "app/program.h"

#include <QApplication>
#include <QIcon>
#include <QStyle>
#include <QStyleFactory>

#include "app/command_line.h"
#include "app/presets.h"
#include "app/tracking_server.h"
#include "ui/tracking_controls.h"
#include "ui/velta.h"

int RUN_PROGRAM(QApplication& app) {
  // The graphical button style, so that the buttons show their colours.
  QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
  QApplication::setPalette(QApplication::style()->standardPalette());
  // Without the toolkit's SVG plugin the icon is empty and the windows show
  // the desktop's default one.
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/velta.svg")));
  QGuiApplication::setDesktopFileName(QStringLiteral("velta"));
  velta window;
  window.given_port = command_line::PORT();
  window.Form_Load();
  // The port chooser closed without ACCEPT: the technician chose to leave.
  if (window.end_requested) return 0;
  // Before any tracker can ask for the park position.
  presets::LOAD_PRESETS();
  window.show();
  // A port that cannot be taken is told; the window goes on without the server.
  if (const auto& at = command_line::TRACKING_SERVER()) tracking_controls::SERVER(window).start(*at);
  return app.exec();
}
