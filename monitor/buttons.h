#pragma once
// The main window's buttons in one table: object name, caption and design
// colour, and which lock takes each. The window is built from it, the long
// exchanges' lock and a tracker's request lock both read it.
#include <QColor>
#include <vector>

namespace tune_cmd {
struct ButtonRow {
  const char* name;
  const char* caption;
  QColor design;  // the colour the window starts with
  // The colour the button wears once a lock gives it back; only the buttons
  // of the long exchanges' lock have one.
  QColor unlocked;
  // Taken by the long exchanges (go-to, parameter read and write): the seven
  // exchange buttons, in the order DISABLE_ALL takes them.
  bool long_lock;
  // Taken while a tracker's request runs: every button that starts an
  // exchange but the stops, for a person can always stop what a program
  // started.
  bool request_lock;
};

// The main window's buttons, the seven of the long lock first, in their order.
const std::vector<ButtonRow>& BUTTONS();
const ButtonRow& BUTTON(const char* name);
}  // namespace tune_cmd
