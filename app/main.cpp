// The tool's entry point: the command-line options that end the program run
// first, without a display; a program an option chose that runs without the
// window needs none either; otherwise it hands control to the windowing
// runtime, which loads the main window; loading it runs the start-up sequence.
#include <QApplication>

#include "app/command_line.h"
#include "app/program.h"
#include "app/windowless.h"

int main(int argc, char** argv) {
  if (const std::optional<int> status = command_line::RUN_OPTIONS(argc, argv)) return *status;
  // The toolkit aborts without a display unless told before the application
  // object exists that it needs none.
  const command_line::Windowless program = command_line::WINDOWLESS();
  if (program) windowless::NO_DISPLAY();
  QApplication app(argc, argv);
  return program ? program(app) : RUN_PROGRAM(app);
}
