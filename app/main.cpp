// The tool's entry point: the command-line options that end the program run
// first, without a display; otherwise it hands control to the windowing
// runtime, which loads the main window; loading it runs the start-up sequence.
#include <QApplication>

#include "app/command_line.h"
#include "app/program.h"

int main(int argc, char** argv) {
  if (const std::optional<int> status = command_line::RUN_OPTIONS(argc, argv)) return *status;
  QApplication app(argc, argv);
  return RUN_PROGRAM(app);
}
