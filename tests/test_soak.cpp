// A technician who clicks at random: the whole program against a controller
// whose faults come and go (replies cut, silent, or arriving a character at a
// time just inside or just past the reply time-out), a few hundred random
// actions (every button of the main and the calibration window, typing into
// the boxes, answers to every message box, short pauses), exchanges nesting
// as they will, in some runs a tracker sending requests meanwhile. Then the
// sequences that once left buttons locked for good, replayed step by step.
// Afterwards every exchange has ended, no stop button outlived the exchange
// that disabled it, and closing the window ends the program.
//
// SOAK_SEEDS (comma-separated) and SOAK_ACTIONS choose the random runs; a
// failing run prints its seed and the actions it took (scripts/soak.sh --seed
// S replays it).
#include <QApplication>
#include <QElapsedTimer>
#include <QTcpSocket>
#include <QTest>
#include <cstdio>
#include <random>

#include "app/program.h"
#include "app/tracking_server.h"
#include "protocol/tune_cmd.h"
#include "tests/harness/bench.h"
#include "ui/calibration.h"
#include "ui/quale_com.h"
#include "ui/tracking_controls.h"

namespace {
constexpr int REPLY_PERIOD_MS = 400;

const char* const FAULTS[] = {"silence once",  "slow=600 once",  "cut=7 once",         "wrong-term once",
                              "noise once",    "busy once",      "hangup once",        "silence",
                              "clear",         "clear",          "slow=370 once",      "slow=430 once",
                              "slow=370 for=G", "slow=430 for=G", "silence for=M once", "cut=5 for=S once"};
const char* const TEXTS[] = {"0", "1", "45", "90", "359", "360", "-5", "2.5", "1,5", "abc", "", "500", "70", "-71", "1e3"};
const char* const REQUESTS[] = {"p", "P 90 0", "P 200.5 0", "S", "_", "K", "\\dump_state", "+p", "P x 0"};

// A step of a replayed sequence: after `ms`, one action in the words of the
// random technician's log ("click NAME", "type NAME=TEXT", "fault SPEC").
struct Step {
  int ms;
  const char* action;
};

struct Run {
  unsigned seed;
  std::mt19937 rng;
  int actions_left;
  std::vector<Step> script;  // replayed instead of random actions when given
  bool with_tracker;
  SimProcess sim;
  QStringList log;
  QElapsedTimer clock;
  bool box_open = false, started = false;
  int polls = 0;
  qint64 closed_at = -1;
  QString failure;
  QStringList clicked;  // the handlers running, outermost first
  std::unique_ptr<QTcpSocket> tracker;

  Run(unsigned s, int actions, std::vector<Step> steps = {}, bool tracker_on = false)
      : seed(s), rng(s), actions_left(actions), script(std::move(steps)), with_tracker(tracker_on) {
    clock.start();
  }
  int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); }
  void note(const QString& what) { log << QString("%1 ms: %2").arg(clock.elapsed()).arg(what); }
  void fail(const QString& why) { failure = failure.isEmpty() ? why : failure; }

  // Message boxes are modal: while one is open the technician only reads it,
  // then answers after a moment; the program's timers and the port go on.
  QMessageBox::StandardButton answer(const ui::MsgBoxRequest& r) {
    const bool question = r.buttons & QMessageBox::Yes;
    const auto button = question ? (pick(2) ? QMessageBox::Yes : QMessageBox::No) : QMessageBox::Ok;
    note(QString("box \"%1\" -> %2").arg(r.text.left(60), question ? (button == QMessageBox::Yes ? "Yes" : "No") : "OK"));
    box_open = true;
    QTest::qWait(pick(80));
    box_open = false;
    return button;
  }

  // "NAME" on the main window, "cal NAME" on the calibration window, which
  // is opened first when it is not.
  QPushButton* button(const QString& name) {
    if (!name.startsWith("cal ")) return velta_form().findChild<QPushButton*>(name);
    if (!calibration_form()) velta_form().calib_Click();
    return calibration_form()->findChild<QPushButton*>(name.mid(4));
  }

  // A click runs its handler to its end, nested in whatever waits; a stop
  // that was usable must be usable again then, unless the go-to's lock or its
  // own outer exchange still holds it.
  void click(QPushButton* b) {
    const QString name = b->objectName();
    const bool usable = b->isEnabled();
    note("click " + name + (usable ? "" : " (disabled)"));
    clicked << name;
    QTest::mouseClick(b, Qt::LeftButton);
    clicked.removeLast();
    const bool stop = name == "fast_stop" || name == "soft_stop";
    if (stop && usable && velta_exists() && closed_at < 0 && !b->isEnabled() && !clicked.contains("execute") &&
        !clicked.contains(name))
      fail(name + " stayed disabled after its exchange ended");
  }

  void perform(const QString& action) {
    if (action.startsWith("click ")) return click(button(action.mid(6)));
    if (action.startsWith("type ")) {
      note(action);
      const QString name = action.mid(5).section('=', 0, 0);
      QLineEdit* box = velta_form().findChild<QLineEdit*>(name);
      if (!box && calibration_form()) box = calibration_form()->findChild<QLineEdit*>(name);
      return box->setText(action.section('=', 1));
    }
    note(action);
    sim.control(action);
  }

  // One action; the next is planned first, so it runs nested inside
  // whatever this one waits for.
  void act() {
    if (!velta_exists() || closed_at >= 0) return;
    if (box_open) return void(QTimer::singleShot(10, &velta_form(), [this] { act(); }));
    if (!script.empty()) {
      const Step step = script.front();
      script.erase(script.begin());
      if (!script.empty()) QTimer::singleShot(script.front().ms, &velta_form(), [this] { act(); });
      else QTimer::singleShot(0, &velta_form(), [this] { finish(); });
      return perform(step.action);
    }
    if (actions_left-- <= 0) return finish();
    QTimer::singleShot(pick(150), &velta_form(), [this] { act(); });
    random_action();
  }

  void random_action() {
    velta& w = velta_form();
    CALIBRATION* cal = calibration_form();
    QList<QPushButton*> buttons = w.findChildren<QPushButton*>();
    if (cal) buttons << cal->calib360 << cal->calib_def << cal->calib << cal->write_factor;
    const QList<QLineEdit*> boxes = {w.pwm_period,  w.pwm_max_duty, w.pwm_min_duty, w.lower_limit, w.upper_limit,
                                     w.inv_delay,   w.offset_write, w.go_to_angle,  w.com_port};
    const int what = pick(12);
    if (what < 4) {
      click(buttons[pick(buttons.size())]);
    } else if (what == 4) {
      click(w.cmd_monitor);  // often while other exchanges wait
    } else if (what < 7) {
      perform(QString("type %1=%2").arg(boxes[pick(boxes.size())]->objectName(), TEXTS[pick(std::size(TEXTS))]));
    } else if (what == 7) {
      perform(QString("fault ") + FAULTS[pick(std::size(FAULTS))]);
    } else if (what == 8 && cal) {
      note("close the calibration window");
      cal->close();
    } else if (what == 8) {
      QCheckBox* c = QList<QCheckBox*>{w.pwm_on, w.optimize, w.mot_check}[pick(3)];
      note("toggle " + c->objectName());
      c->toggle();
    } else {
      note("pause");
    }
  }

  // A tracker on the server, one request every now and then.
  void start_tracker() {
    tracking::Server& server = tracking_controls::SERVER(velta_form());
    if (!server.start({QHostAddress(QHostAddress::LocalHost), 0})) return fail("the tracking server did not start");
    tracker = std::make_unique<QTcpSocket>();
    tracker->connectToHost(QHostAddress::LocalHost, server.endpoint().port);
    QObject::connect(tracker.get(), &QTcpSocket::readyRead, tracker.get(), [this] { tracker->readAll(); });
    request();
  }
  void request() {
    if (!velta_exists() || closed_at >= 0 || !tracker) return;
    const QString line = script.empty() && actions_left > 0 ? REQUESTS[pick(std::size(REQUESTS))] : "p";
    tracker->write(line.toLatin1() + '\n');
    QTimer::singleShot(100 + pick(200), &velta_form(), [this] { request(); });
  }

  // The busy phase is over: the faults go, the tracker stops; every exchange
  // must end within two reply periods of the last one and give its buttons
  // back, a monitor that runs included; then the monitor is stopped, and
  // closing the window must end the program.
  void finish() {
    note("finish");
    sim.control("fault clear");
    tracker.reset();
    QTimer::singleShot(2 * REPLY_PERIOD_MS, &velta_form(), [this] { poll(); });
  }
  void poll() {
    if (!velta_exists() || closed_at >= 0) return;
    velta& w = velta_form();
    const bool busy = box_open || tune_cmd::EXCHANGE_RUNNING();
    if (busy && ++polls < 16) return void(QTimer::singleShot(REPLY_PERIOD_MS / 4, &w, [this] { poll(); }));
    if (busy) fail("an exchange never ended");
    if (const QStringList left = exchange_not_ended(w); !left.isEmpty()) fail("left behind: " + left.join("; "));
    if (!tune_cmd::MONITOR_IDLE() && polls < 16) {
      note("stop the monitor");
      w.cmd_monitor->click();
      return void(QTimer::singleShot(REPLY_PERIOD_MS / 4, &w, [this] { poll(); }));
    }
    note("close the window");
    closed_at = clock.elapsed();
    if (!w.close()) fail("closing the window was refused");
  }
};

// The whole program, driven by `run` once its window is up.
void drive(Run& run) {
  QVERIFY(run.sim.ok());
  const QString old = QDir::currentPath();
  QDir::setCurrent(run.sim.dir());
  ui::set_msgbox_hook([&run](const ui::MsgBoxRequest& r) { return run.answer(r); });
  QTimer watchdog;
  QObject::connect(&watchdog, &QTimer::timeout, [&run] {
    if (quale_com* c = quale_com_form(); c && c->isVisible()) {
      // The port chooser: the reply period made short, the port accepted.
      velta_form().Timer1->setInterval(REPLY_PERIOD_MS);
      QTest::mouseClick(c->continue_button, Qt::LeftButton);
    } else if (velta_exists() && velta_form().isVisible() && !run.started) {
      run.started = true;
      run.note("window up");
      if (run.with_tracker) run.start_tracker();
      run.act();
    } else if (run.closed_at >= 0 ? run.clock.elapsed() - run.closed_at > 20 * REPLY_PERIOD_MS
                                  : run.clock.elapsed() > 240000) {
      run.fail(run.closed_at >= 0 ? "the program outlived its window" : "the session never ended");
      qFatal("seed %u: %s\n%s", run.seed, qPrintable(run.failure), qPrintable(run.log.join('\n')));
    }
  });
  watchdog.start(50);
  const int status = RUN_PROGRAM(*qApp);
  watchdog.stop();
  ui::set_msgbox_hook(nullptr);
  QDir::setCurrent(old);
  // The program ended once the last exchange did: within the reply period,
  // generously bounded for a loaded machine.
  if (run.closed_at < 0) run.fail("the window was never closed");
  else if (run.clock.elapsed() - run.closed_at > 20 * REPLY_PERIOD_MS) run.fail("the program outlived its window");
  // The whole run, should it fail (a test message would be cut short).
  if (!run.failure.isEmpty())
    std::fprintf(stderr, "seed %u: %s\n%s\n", run.seed, qPrintable(run.failure), qPrintable(run.log.join('\n')));
  QVERIFY2(run.failure.isEmpty(), qPrintable(run.failure));
  QCOMPARE(status, 0);
  QVERIFY(!velta_exists());
}
}  // namespace

Q_DECLARE_METATYPE(std::vector<Step>)

class TestSoak : public QObject {
  Q_OBJECT
 private slots:
  void random_technician_data() {
    QTest::addColumn<unsigned>("seed");
    const QByteArray seeds = qEnvironmentVariableIsSet("SOAK_SEEDS") ? qgetenv("SOAK_SEEDS") : QByteArray("1,2,3");
    for (const QByteArray& s : seeds.split(',')) QTest::addRow("seed %s", s.constData()) << s.toUInt();
  }
  void random_technician() {
    QFETCH(unsigned, seed);
    const int actions = qEnvironmentVariableIsSet("SOAK_ACTIONS") ? qEnvironmentVariableIntValue("SOAK_ACTIONS") : 150;
    Run run(seed, actions, {}, seed % 3 == 0);
    drive(run);
  }

  // Clicks while a reply comes one character at a time (just inside or just
  // past the reply period) or not at all: the monitor started inside a stop,
  // inside a silent cmd M, and a tracker polling while cmd ? waits inside M.
  void replayed_sequences_data() {
    QTest::addColumn<std::vector<Step>>("steps");
    QTest::addColumn<bool>("tracker");
    QTest::newRow("a slow fast stop") << std::vector<Step>{
        {0, "fault slow=380 for=G"}, {0, "fault cut=5 for=S once"}, {0, "fault silence for=c"},
        {0, "click fast_stop"}, {60, "click soft_stop"}, {60, "click cal calib360"}, {60, "click cmd_monitor"},
        {60, "click cal calib_def"}, {60, "type calib_angle=90"}, {0, "click cal calib"}, {60, "click command_c"},
        {60, "click read_info"}, {60, "click fast_stop"}, {60, "click command_v"}, {60, "click command_v"},
        {60, "type calib_angle=9"}, {0, "click cal calib"}} << false;
    QTest::newRow("a silent cmd M") << std::vector<Step>{
        {0, "fault silence for=ML"}, {0, "fault busy for=KC"}, {0, "click command_c"}, {60, "click cal calib"},
        {60, "click cal calib360"}, {60, "click fast_stop"}, {60, "click read_info"}, {60, "click soft_stop"},
        {60, "click cmd_monitor"}} << false;
    QTest::newRow("a tracker while cmd ? is slow") << std::vector<Step>{
        {0, "fault silence for=M"}, {0, "fault slow=430 for=?"}, {0, "click command_c"}, {60, "click command_qm"},
        {60, "click command_s"}, {60, "click read_info"}, {60, "click cal calib360"}, {60, "type calib_angle=90"},
        {0, "click cal calib"}, {60, "click cal calib_def"}, {60, "click soft_stop"}} << true;
  }
  void replayed_sequences() {
    QFETCH(std::vector<Step>, steps);
    QFETCH(bool, tracker);
    Run run(0, 0, steps, tracker);
    drive(run);
  }
};

VELTA_TEST_MAIN(TestSoak)
#include "test_soak.moc"
