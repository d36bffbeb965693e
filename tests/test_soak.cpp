// A technician who clicks at random on a controller whose faults come and go,
// exchanges nesting as they will, a tracker asking meanwhile in every third
// run; then the sequences that once left buttons locked, replayed. After each,
// every exchange has ended and given its buttons back, and closing the window
// ends the program. SOAK_SEEDS and SOAK_ACTIONS choose the random runs; a
// failing run prints its seed and its actions (scripts/soak.sh --seed S).
#include <QElapsedTimer>
#include <QTcpSocket>
#include <QTest>
#include <random>

#include "app/program.h"
#include "app/tracking_server.h"
#include "protocol/tune_cmd.h"
#include "tests/harness/bench.h"
#include "ui/calibration.h"
#include "ui/quale_com.h"
#include "ui/tracking_controls.h"

namespace {
constexpr int PERIOD_MS = 400;  // the reply period, made short

const char* const FAULTS[] = {"silence once", "slow=600 once", "cut=7 once",     "wrong-term once",    "noise once",
                              "busy once",    "hangup once",   "silence",        "clear",              "clear",
                              "slow=370 once", "slow=430 once", "slow=370 for=G", "slow=430 for=G",   "silence for=M once",
                              "cut=5 for=S once"};
const char* const TEXTS[] = {"0", "1", "45", "90", "359", "360", "-5", "2.5", "1,5", "abc", "", "500", "70", "-71", "1e3"};
const char* const REQUESTS[] = {"p", "P 90 0", "P 200,5 0", "S", "_", "K", "\\dump_state", "+p", "P x 0"};
const char* const BOXES[] = {"pwm_period", "pwm_max_duty", "pwm_min_duty", "lower_limit", "upper_limit",
                             "inv_delay",  "offset_write", "go_to_angle",  "com_port"};

struct Run {
  unsigned seed;
  std::mt19937 rng;
  int actions_left;
  QStringList script;  // "MS ACTION" replayed instead of random actions when given
  bool with_tracker;
  SimProcess sim;
  QStringList log, clicked;  // the handlers running, outermost first
  QElapsedTimer clock;
  bool box_open = false, started = false;
  int polls = 0;
  qint64 closed_at = -1, limit_ms;  // a session that has not ended by then never will
  QString failure;
  std::unique_ptr<QTcpSocket> tracker;

  Run(unsigned s, int actions, QStringList steps = {}, bool tracker_on = false)
      : seed(s), rng(s), actions_left(actions), script(std::move(steps)), with_tracker(tracker_on),
        limit_ms(20000 + 500LL * actions) {
    clock.start();
  }
  int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); }
  void note(const QString& what) { log << QString("%1 ms: %2").arg(clock.elapsed()).arg(what); }
  void fail(const QString& why) { failure = failure.isEmpty() ? why : failure; }
  void later(int ms, void (Run::*f)()) { QTimer::singleShot(ms, &velta_form(), [this, f] { (this->*f)(); }); }

  // While a box is open the technician only reads it; timers and port go on.
  QMessageBox::StandardButton answer(const ui::MsgBoxRequest& r) {
    const auto button = !(r.buttons & QMessageBox::Yes) ? QMessageBox::Ok : pick(2) ? QMessageBox::Yes : QMessageBox::No;
    note(QString("box \"%1\" -> %2").arg(r.text.left(60)).arg(button == QMessageBox::No ? "No" : "OK/Yes"));
    box_open = true;
    QTest::qWait(pick(80));
    box_open = false;
    return button;
  }

  // A stop that was usable is usable again after its click, unless the
  // go-to's lock or its own outer exchange still holds it.
  void click(QPushButton* b) {
    const QString name = b->objectName();
    const bool usable = b->isEnabled();
    note("click " + name + (usable ? "" : " (disabled)"));
    clicked << name;
    QTest::mouseClick(b, Qt::LeftButton);
    clicked.removeLast();
    if ((name == "fast_stop" || name == "soft_stop") && usable && velta_exists() && closed_at < 0 && !b->isEnabled() &&
        !clicked.contains("execute") && !clicked.contains(name))
      fail(name + " stayed disabled after its exchange ended");
  }

  // "click NAME" (main window), "click cal NAME" (the calibration window,
  // opened first), "type NAME=TEXT", else a control word for the simulator.
  void perform(const QString& action) {
    const QString what = action.section(' ', 1), name = what.section('=', 0, 0);
    if (action.startsWith("click cal ") && !calibration_form()) velta_form().calib_Click();
    QWidget* window = action.startsWith("click cal ") ? static_cast<QWidget*>(calibration_form()) : &velta_form();
    if (action.startsWith("click ")) return click(window->findChild<QPushButton*>(action.section(' ', -1)));
    note(action);
    if (!action.startsWith("type ")) return void(sim.control(action));
    QLineEdit* box = velta_form().findChild<QLineEdit*>(name);
    if (!box && calibration_form()) box = calibration_form()->findChild<QLineEdit*>(name);
    box->setText(what.section('=', 1));
  }

  // The next action is planned first, so it runs nested in what this one waits for.
  void act() {
    if (!velta_exists() || closed_at >= 0) return;
    if (box_open) return later(10, &Run::act);
    if (!script.isEmpty()) {
      const QString step = script.takeFirst();
      later(script.isEmpty() ? 0 : script.first().section(' ', 0, 0).toInt(), script.isEmpty() ? &Run::finish : &Run::act);
      return perform(step.section(' ', 1));
    }
    if (actions_left-- <= 0) return finish();
    later(pick(150), &Run::act);
    random_action();
  }

  void random_action() {
    velta& w = velta_form();
    CALIBRATION* cal = calibration_form();
    QList<QPushButton*> buttons = w.findChildren<QPushButton*>();
    if (cal) buttons << cal->calib360 << cal->calib_def << cal->calib << cal->write_factor;
    const int what = pick(12);
    if (what < 4) click(buttons[pick(buttons.size())]);
    else if (what == 4) click(w.cmd_monitor);  // often while other exchanges wait
    else if (what < 7) perform(QString("type %1=%2").arg(BOXES[pick(std::size(BOXES))], TEXTS[pick(std::size(TEXTS))]));
    else if (what == 7) perform(QString("fault ") + FAULTS[pick(std::size(FAULTS))]);
    else if (what == 8 && cal) note("close the calibration window"), cal->close();
    else if (what == 8) note("toggle optimize"), w.optimize->toggle();
    else note("pause");
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
    tracker->write((script.isEmpty() && actions_left > 0 ? REQUESTS[pick(std::size(REQUESTS))] : "p") + QByteArray("\n"));
    later(100 + pick(200), &Run::request);
  }

  // The faults go, the tracker stops; every exchange must end within a few
  // reply periods; then the monitor is stopped and the window closed.
  void finish() {
    note("finish");
    sim.control("fault clear");
    tracker.reset();
    later(2 * PERIOD_MS, &Run::poll);
  }
  void poll() {
    if (!velta_exists() || closed_at >= 0) return;
    velta& w = velta_form();
    const bool busy = box_open || tune_cmd::EXCHANGE_RUNNING();
    if (busy && ++polls < 16) return later(PERIOD_MS / 4, &Run::poll);
    if (busy) fail("an exchange never ended");
    if (const QStringList left = exchange_not_ended(w); !left.isEmpty()) fail("left behind: " + left.join("; "));
    if (!tune_cmd::MONITOR_IDLE() && polls < 16) {
      note("stop the monitor");
      w.cmd_monitor->click();
      return later(PERIOD_MS / 4, &Run::poll);
    }
    note("close the window");
    closed_at = clock.elapsed();
    if (!w.close()) fail("closing the window was refused");
  }

  // The program from its entry point: the chooser accepted, then the actions.
  void watch() {
    if (quale_com* c = quale_com_form(); c && c->isVisible()) {
      velta_form().Timer1->setInterval(PERIOD_MS);
      QTest::mouseClick(c->continue_button, Qt::LeftButton);
    } else if (velta_exists() && velta_form().isVisible() && !std::exchange(started, true)) {
      note("window up");
      if (with_tracker) start_tracker();
      act();
    } else if (closed_at >= 0 ? clock.elapsed() - closed_at > 20 * PERIOD_MS : clock.elapsed() > limit_ms) {
      fail(closed_at >= 0 ? "the program outlived its window" : "the session never ended");
      qFatal("seed %u: %s\n%s", seed, qPrintable(failure), qPrintable(log.join('\n')));
    }
  }
};

void drive(Run& run) {
  QVERIFY(run.sim.ok());
  const QString old = QDir::currentPath();
  QDir::setCurrent(run.sim.dir());
  ui::set_msgbox_hook([&run](const ui::MsgBoxRequest& r) { return run.answer(r); });
  QTimer watchdog;
  QObject::connect(&watchdog, &QTimer::timeout, [&run] { run.watch(); });
  watchdog.start(50);
  const int status = RUN_PROGRAM(*qApp);
  watchdog.stop();
  ui::set_msgbox_hook(nullptr);
  QDir::setCurrent(old);
  if (run.closed_at < 0) run.fail("the window was never closed");
  else if (run.clock.elapsed() - run.closed_at > 20 * PERIOD_MS) run.fail("the program outlived its window");
  if (!run.failure.isEmpty())
    std::fprintf(stderr, "seed %u: %s\n%s\n", run.seed, qPrintable(run.failure), qPrintable(run.log.join('\n')));
  QVERIFY2(run.failure.isEmpty() && status == 0 && !velta_exists(), qPrintable(run.failure));
}
}  // namespace

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

  // Clicks while a reply comes slowly or not at all.
  void replayed_sequences_data() {
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<bool>("tracker");
    QTest::newRow("a slow fast stop") << QStringList{
        "0 fault slow=380 for=G", "0 fault cut=5 for=S once", "0 fault silence for=c", "0 click fast_stop",
        "60 click soft_stop", "60 click cal calib360", "60 click cmd_monitor", "60 click cal calib_def",
        "60 type calib_angle=90", "0 click cal calib", "60 click command_c", "60 click read_info", "60 click fast_stop",
        "60 click command_v", "60 click command_v", "60 type calib_angle=9", "0 click cal calib"} << false;
    QTest::newRow("a silent cmd M") << QStringList{
        "0 fault silence for=ML", "0 fault busy for=KC", "0 click command_c", "60 click cal calib",
        "60 click cal calib360", "60 click fast_stop", "60 click read_info", "60 click soft_stop",
        "60 click cmd_monitor"} << false;
    QTest::newRow("a tracker while cmd ? is slow") << QStringList{
        "0 fault silence for=M", "0 fault slow=430 for=?", "0 click command_c", "60 click command_qm",
        "60 click command_s", "60 click read_info", "60 click cal calib360", "60 type calib_angle=90",
        "0 click cal calib", "60 click cal calib_def", "60 click soft_stop"} << true;
    QTest::newRow("START... while the closing S of a monitor a bad header ended waits") << QStringList{
        "0 click cmd_monitor", "500 fault delay=1:300 for=S", "0 send 0258412c3f0d", "100 click cmd_monitor"} << false;
    QTest::newRow("a go-to's reply on its way slowly when the faults go") << QStringList{
        "0 fault slow=370 for=G", "0 click cmd_monitor", "500 type go_to_angle=90", "0 click execute",
        "50 click execute", "50 click execute"} << false;
  }
  void replayed_sequences() {
    QFETCH(QStringList, steps);
    QFETCH(bool, tracker);
    Run run(0, 0, steps, tracker);
    drive(run);
  }
};

VELTA_TEST_MAIN(TestSoak)
#include "test_soak.moc"
