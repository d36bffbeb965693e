#pragma once
// The whole program once the application object exists: the main window is
// loaded (which runs the start-up sequence), shown, and the event loop runs
// until the last window closes.
class QApplication;

int RUN_PROGRAM(QApplication& app);
