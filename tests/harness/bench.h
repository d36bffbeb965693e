#pragma once
// The test bench: a main window on the simulator's port, with every message
// box captured instead of shown.
#include <QDir>
#include <QMessageBox>
#include <QString>
#include <QStringList>
#include <deque>
#include <memory>

#include "tests/harness/sim_process.h"
#include "ui/msgbox.h"
#include "ui/velta.h"

// Records every message box and answers it: OK boxes with OK, Yes/No boxes
// with the next queued answer (No when none is queued).
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
  // Starts a simulator (unless `with_sim` is false: then only the scratch
  // directory), enters its working directory, builds the main window and
  // configures the port as start-up does.
  explicit Bench(const QStringList& sim_args = {}, int port = 1, bool configure = true);
  ~Bench();

  SimProcess& sim() { return *sim_; }
  velta& w() { return *window_; }
  MsgCapture& msgs() { return msgs_; }
  // Shortens the reply period for tests that only need a time-out to happen.
  void setReplyPeriod(int ms);
  // Configures and opens the port as start-up does, then closes it again.
  bool configurePort();

 private:
  QString old_dir_;
  std::unique_ptr<SimProcess> sim_;
  MsgCapture msgs_;
  std::unique_ptr<velta> window_;
};

// Runs `f` after `ms` milliseconds from inside whatever the event loop is
// doing then (a click during a running exchange).
void later(int ms, std::function<void()> f);

// The open message for a port another program holds, and another program
// holding the port: while it lives, the tool cannot open port `port`.
QString port_in_use_text(int port);
std::unique_ptr<SerialComm> hold_port(int port = 1);

// What is left of exchanges that must all have ended: one line per fault
// ("read_info disabled", "port open", "reply timer running", ...); empty when
// the seven exchange buttons are enabled and out of the disabled colour (cmd W
// may stay locked while the monitor runs; cmd_monitor red only while it runs),
// every own button of a command is usable,
// the reply timer is off with no time-out pending, and the port is closed
// unless the monitor runs.
QStringList exchange_not_ended(velta& w);
#define VERIFY_ENDED(w)                                          \
  do {                                                           \
    const QStringList left_ = exchange_not_ended(w);             \
    QVERIFY2(left_.isEmpty(), qPrintable(left_.join("; ")));     \
  } while (0)

// With the monitor running (its state is the caption of cmd_monitor and the
// port it holds open), runs `command` and returns what reached the
// controller; the monitor is idle again afterwards.
QByteArray sent_with_monitor_running(Bench& b, const std::function<void()>& command);

// velta.ini in the working directory as bytes ("<none>" when there is none),
// and a velta.ini made of the given bytes.
QByteArray settings_file();
void put_settings_file(const QByteArray& bytes);

// main() of a test program: the application as the tool sets it up (the
// graphical button style, so button colours show), then the test class.
int run_velta_tests(int argc, char** argv, QObject* tests);
#define VELTA_TEST_MAIN(TestClass)            \
  int main(int argc, char** argv) {          \
    TestClass tests;                         \
    return run_velta_tests(argc, argv, &tests); \
  }
