// A technician who clicks at random: the whole program against a controller
// whose faults come and go, a few hundred random actions (every button of the
// main and the calibration window, typing into the boxes, answers to every
// message box, short pauses), exchanges nesting as they will. Afterwards
// every exchange has ended, and closing the window ends the program.
//
// SOAK_SEEDS (comma-separated) and SOAK_ACTIONS choose the runs; a failing
// run prints its seed and the actions it took (scripts/soak.sh --seed S
// replays it).
#include <QApplication>
#include <QElapsedTimer>
#include <QTest>
#include <cstdio>
#include <random>

#include "app/program.h"
#include "protocol/tune_cmd.h"
#include "tests/harness/bench.h"
#include "ui/calibration.h"
#include "ui/quale_com.h"

namespace {
constexpr int REPLY_PERIOD_MS = 400;

const char* const FAULTS[] = {"silence once", "slow=600 once",  "cut=7 once", "wrong-term once", "noise once",
                              "busy once",    "hangup once",    "silence",    "clear",           "clear"};
const char* const TEXTS[] = {"0", "1", "45", "90", "359", "360", "-5", "2.5", "1,5", "abc", "", "500", "70", "-71", "1e3"};

struct Run {
  unsigned seed;
  std::mt19937 rng;
  int actions_left;
  SimProcess sim;
  QStringList log;
  QElapsedTimer clock;
  bool box_open = false;
  bool started = false;
  int polls = 0;
  qint64 closed_at = -1;
  QString failure;

  Run(unsigned s, int actions) : seed(s), rng(s), actions_left(actions) { clock.start(); }
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

  // One random action; the next is planned first, so it runs nested inside
  // whatever this one waits for.
  void act() {
    if (!velta_exists() || closed_at >= 0) return;
    if (box_open) return void(QTimer::singleShot(10, &velta_form(), [this] { act(); }));
    if (actions_left-- <= 0) return finish();
    QTimer::singleShot(pick(150), &velta_form(), [this] { act(); });
    velta& w = velta_form();
    CALIBRATION* cal = calibration_form();
    QList<QPushButton*> buttons = w.findChildren<QPushButton*>();
    if (cal) buttons << cal->calib360 << cal->calib_def << cal->calib << cal->write_factor;
    const QList<QLineEdit*> boxes = {w.pwm_period,  w.pwm_max_duty, w.pwm_min_duty, w.lower_limit, w.upper_limit,
                                     w.inv_delay,   w.offset_write, w.go_to_angle,  w.com_port};
    const int what = pick(10);
    if (what < 4) {
      QPushButton* b = buttons[pick(buttons.size())];
      note("click " + b->objectName() + (b->isEnabled() ? "" : " (disabled)"));
      QTest::mouseClick(b, Qt::LeftButton);
    } else if (what < 6) {
      QLineEdit* box = boxes[pick(boxes.size())];
      const QString text = TEXTS[pick(std::size(TEXTS))];
      note("type " + box->objectName() + " = " + text);
      box->setText(text);
    } else if (what == 6) {
      const QString spec = QString("fault ") + FAULTS[pick(std::size(FAULTS))];
      note(spec);
      sim.control(spec);
    } else if (what == 7 && cal) {
      note("close the calibration window");
      cal->close();
    } else if (what == 7) {
      QCheckBox* c = QList<QCheckBox*>{w.pwm_on, w.optimize, w.mot_check}[pick(3)];
      note("toggle " + c->objectName());
      c->toggle();
    } else {
      note("pause");
    }
  }

  // The random phase is over: the monitor is stopped if it runs (or once it
  // has started), every exchange must have ended within two reply periods
  // of the last one, and closing the window must end the program.
  void finish() {
    note("finish");
    sim.control("fault clear");
    QTimer::singleShot(2 * REPLY_PERIOD_MS, &velta_form(), [this] { poll(); });
  }
  void poll() {
    if (!velta_exists() || closed_at >= 0) return;
    velta& w = velta_form();
    const bool busy = box_open || tune_cmd::EXCHANGE_RUNNING() || !tune_cmd::MONITOR_IDLE();
    if (!tune_cmd::MONITOR_IDLE() && w.cmd_monitor->isEnabled()) {
      note("stop the monitor");
      w.cmd_monitor->click();
    }
    if (busy && ++polls < 80) return void(QTimer::singleShot(REPLY_PERIOD_MS / 4, &w, [this] { poll(); }));
    if (busy) fail("an exchange never ended");
    if (const QStringList left = exchange_not_ended(w); !left.isEmpty()) fail("left behind: " + left.join("; "));
    note("close the window");
    closed_at = clock.elapsed();
    if (!w.close()) fail("closing the window was refused");
  }
};
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
    Run run(seed, actions);
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
    if (!run.failure.isEmpty()) std::fprintf(stderr, "seed %u: %s\n%s\n", seed, qPrintable(run.failure), qPrintable(run.log.join('\n')));
    QVERIFY2(run.failure.isEmpty(), qPrintable(run.failure));
    QCOMPARE(status, 0);
    QVERIFY(!velta_exists());
  }
};

VELTA_TEST_MAIN(TestSoak)
#include "test_soak.moc"
