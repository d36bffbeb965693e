#pragma once
// The test bench: a main window on a simulator's port in a scratch working
// directory, every message box captured and answered instead of shown.
#include <QMessageBox>
#include <QStringList>
#include <deque>
#include <functional>
#include <memory>
#include <random>

#include "tests/harness/sim_process.h"
#include "ui/msgbox.h"
#include "ui/velta.h"

class QTcpSocket;

using tune_cmd::ControllerSet;
using tune_cmd::Entries;

// Records every box; answers OK boxes with OK, Yes/No boxes with the next
// queued answer (No when none is queued).
class MsgCapture {
 public:
  MsgCapture();
  ~MsgCapture();
  QStringList texts() const;
  const std::vector<ui::MsgBoxRequest>& boxes() const { return boxes_; }
  void answer(QMessageBox::StandardButton b) { answers_.push_back(b); }
  void clear() { boxes_.clear(); }

 private:
  std::vector<ui::MsgBoxRequest> boxes_;
  std::deque<QMessageBox::StandardButton> answers_;
};

class Bench {
 public:
  // Starts the simulator, enters its directory, builds the main window and
  // (when `configure`) configures the port as start-up does.
  explicit Bench(const QStringList& sim_args = {}, int port = 1, bool configure = true);
  ~Bench();
  SimProcess& sim() { return *sim_; }
  velta& w() { return *window_; }
  MsgCapture& msgs() { return msgs_; }
  void setReplyPeriod(int ms) { window_->Timer1->setInterval(ms); }
  // Control-channel commands ("set KEY VALUE", "fault SPEC", ...), each answered "ok".
  void apply(const QStringList& controls);

 private:
  QString old_dir_;
  std::unique_ptr<SimProcess> sim_;
  MsgCapture msgs_;
  std::unique_ptr<velta> window_;
};

void click(QAbstractButton* b);
// Runs `f` after `ms` from inside whatever the event loop is doing then.
void later(int ms, std::function<void()> f);
// "name=text" pairs as entries.
Entries entries_of(const QStringList& pairs);
// The entries as Set Default leaves them, with "name=text" changes.
Entries defaults_with(const QStringList& changes = {});
// The default set as cmd W sends it, a value line each.
extern const QStringList DEFAULT_LINES;

// The start-up's read: cmd L that also fills PARAMETERS SET.
void start_up_read(velta& w);
// The fifteen values of the controller's set, given to the simulator.
void put_set(SimProcess& sim, const ControllerSet& set);
// A set a controller may hold, one value in ten at an end of its range. Not
// `exact`: times whole seconds give back (at most 99694 ticks: beyond, the
// seconds shown come back as 100000 ticks, more than a field holds).
ControllerSet random_set(std::mt19937& rng, bool exact);

// Another program holding port `port`, and the message the tool then gives.
std::unique_ptr<SerialComm> hold_port(int port = 1);
QString port_in_use_text(int port);

// What is left of exchanges that must all have ended, one line per fault;
// empty when the seven exchange buttons are enabled and out of the disabled
// colour (cmd W may stay locked while the monitor runs), every command's own
// button is usable, and unless the monitor runs, the reply timer is off with
// no time-out pending and the port closed.
QStringList exchange_not_ended(velta& w);
#define VERIFY_ENDED(w)                                      \
  do {                                                       \
    const QStringList left_ = exchange_not_ended(w);         \
    QVERIFY2(left_.isEmpty(), qPrintable(left_.join("; ")));  \
  } while (0)

// Runs `command` while the monitor runs (its state is cmd_monitor's caption
// and the port it holds) and returns what reached the controller.
QByteArray sent_with_monitor_running(Bench& b, const std::function<void()>& command);

// velta.ini of the working directory ("<none>" when there is none).
QByteArray settings_file();
void put_settings_file(const QByteArray& bytes);

// A tracker's request: sends `text` and waits, in the event loop a server of
// this process works in too, until `lines` answer lines have come.
QByteArray ask(QTcpSocket& c, const QByteArray& text, int lines);

// main() of a test program: the application as the tool sets it up.
int run_velta_tests(int argc, char** argv, QObject* tests);
#define VELTA_TEST_MAIN(TestClass)                \
  int main(int argc, char** argv) {               \
    TestClass tests;                              \
    return run_velta_tests(argc, argv, &tests);   \
  }
