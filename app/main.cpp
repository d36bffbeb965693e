// The tool's entry point: hands control to the windowing runtime, which loads
// the main window; loading it runs the start-up sequence.
#include <QApplication>

#include "app/program.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  return RUN_PROGRAM(app);
}
