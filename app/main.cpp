// The tool's entry point: hands control to the windowing runtime, which loads
// the main window; loading it runs the start-up sequence.
#include <QApplication>
#include <QStyle>
#include <QStyleFactory>

#include "ui/velta.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  // The graphical button style, so that the buttons show their colours.
  QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
  QApplication::setPalette(QApplication::style()->standardPalette());
  velta window;
  window.Form_Load();
  if (window.end_requested) return 0;
  window.show();
  return app.exec();
}
