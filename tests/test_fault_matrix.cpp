// Every command of the tool against every fault the simulator can put into
// that command's reply, generated from one command list and one fault list.
// Each cell must tell the user (never a silent success) unless the exceptions
// table below names it as harmless or as a real controller state, and must
// end its exchange cleanly: every exchange button usable again, the port
// closed, the reply timer off, no time-out left pending, within a bound time.
// After a cell the next, fault-free exchange must work again (after a hang-up
// the simulator has put a new line behind the same port entry).
#include <QElapsedTimer>
#include <QTest>
#include <QTimer>
#include <functional>

#include "app/myVar.h"
#include "protocol/tune_cmd.h"
#include "tests/harness/bench.h"
#include "ui/calibration.h"
#include "ui/colours.h"

using namespace tune_cmd;

namespace {
// The reply period of the matrix: short, so that the time-outs are quick.
constexpr int REPLY_PERIOD_MS = 300;
// One exchange taking longer than this has hung.
constexpr qint64 CELL_BOUND_MS = 15000;

// One command of the tool: how to bring the bench to where the command can
// be given, how to give it, and what it shows.
struct MatrixCommand {
  const char* name;
  char code;  // the reply code a fault is aimed at with for=CODE
  std::function<void(Bench&)> prepare;
  // Gives the command once and returns what it shows of the reply (after
  // clearing that first, so a stale display never passes for a result).
  std::function<QString(Bench&)> run;
  QString success;  // what `run` returns after a clean exchange
  QString busy;     // what `run` returns when the reply reports busy (a real state)
};

QString colour_word(QWidget* w) { return ui::BACKCOLOR(w) == ui::RED() ? "red" : "plain"; }

CALIBRATION& open_calibration(Bench& b) {
  b.w().calib_Click();
  CALIBRATION* f = calibration_form();
  if (!f) qFatal("the calibration window did not open");
  return *f;
}

// The calibration commands are accepted only in absolute mode.
void calibration_prepare(Bench& b) {
  b.sim().set("absolute", "1");
  CALIBRATION& f = open_calibration(b);
  f.calib_angle->setText("90");
  f.cal_factor->setText("4321");
}

QString calibration_run(QPushButton* CALIBRATION::*button) {
  QTest::mouseClick(calibration_form()->*button, Qt::LeftButton);
  return {};  // C, c and K change nothing the window shows
}

const QList<MatrixCommand>& commands() {
  static const QList<MatrixCommand> list = {
      {"?", '?', [](Bench&) {},
       [](Bench& b) {
         velta& w = b.w();
         w.fast_pos->setText("-");
         w.fast_status->setText("-");
         ui::SET_BACKCOLOR(w.fast_status, ui::SYS_WINDOW_BACKGROUND());
         QTest::mouseClick(w.command_qm, Qt::LeftButton);
         return w.fast_pos->text() + "|" + w.fast_status->text() + "|" + colour_word(w.fast_status);
       },
       "123°|READY|plain", "123°|BUSY|red"},
      {"S", 'S', [](Bench&) {}, [](Bench&) { return QString(CMD_S() ? "failed" : "done"); }, "done", {}},
      // M shows nothing but its failures.
      {"M", 'M', [](Bench&) {},
       [](Bench& b) {
         QTest::mouseClick(b.w().command_c, Qt::LeftButton);
         return QString();
       },
       "", {}},
      {"V", 'V', [](Bench&) {},
       [](Bench& b) {
         b.w().firm_version->setText("-");
         QTest::mouseClick(b.w().command_v, Qt::LeftButton);
         return b.w().firm_version->text();
       },
       "323.01", {}},
      {"L", 'L', [](Bench&) {},
       [](Bench& b) {
         velta& w = b.w();
         FORGET_READ_VALUES(w);
         QTest::mouseClick(w.read_info, Qt::LeftButton);
         // The first field, the state and the last field: the whole reply was read.
         return w.curr_pos->text() + "|" + w.cbox_status->text() + "|" + colour_word(w.cbox_status) + "|" +
                w.cal_fact->text();
       },
       "123°|READY|plain|1234", "123°|BUSY|red|1234"},
      {"W", 'W',
       [](Bench& b) {
         b.msgs().answer(QMessageBox::Yes);
         b.w().set_default_Click();
       },
       [](Bench& b) {
         const int before = b.sim().control("get sets").toInt();
         b.msgs().answer(QMessageBox::Yes);
         QTest::mouseClick(b.w().write_mode, Qt::LeftButton);
         return QString(b.sim().control("get sets").toInt() == before + 1 ? "stored" : "not stored");
       },
       "stored", {}},
      // A go-to to where the rotator stands: accepted, nothing starts turning.
      {"G", 'G', [](Bench& b) { b.w().go_to_angle->setText("123"); },
       [](Bench& b) {
         b.w().goto_replay->setText("-");
         QTest::mouseClick(b.w().execute, Qt::LeftButton);
         return b.w().goto_replay->text();
       },
       "CORRECT", {}},
      // The stops show nothing but their failures.
      {"soft stop", 'G', [](Bench&) {},
       [](Bench& b) {
         QTest::mouseClick(b.w().soft_stop, Qt::LeftButton);
         return QString();
       },
       "", {}},
      {"fast stop", 'G', [](Bench&) {},
       [](Bench& b) {
         QTest::mouseClick(b.w().fast_stop, Qt::LeftButton);
         return QString();
       },
       "", {}},
      {"C", 'C', calibration_prepare, [](Bench&) { return calibration_run(&CALIBRATION::calib360); }, "", {}},
      {"c", 'c', calibration_prepare, [](Bench&) { return calibration_run(&CALIBRATION::calib_def); }, "", {}},
      {"K", 'K', calibration_prepare, [](Bench&) { return calibration_run(&CALIBRATION::calib); }, "", {}},
      // F stores the factor: the controller's factor afterwards is what it shows.
      {"F", 'F', calibration_prepare,
       [](Bench& b) {
         b.sim().set("calfactor", "1234");
         calibration_run(&CALIBRATION::write_factor);
         return b.sim().control("get calfactor");
       },
       "4321", {}},
  };
  return list;
}

// Every fault the simulator can put into a reply ("slow" well beyond the reply
// period, so that the first late character is a time-out even on a loaded
// machine).
struct FaultKind {
  const char* name;
  const char* spec;
};
const FaultKind FAULTS[] = {
    {"silence", "silence"},         {"noise", "noise"},          {"wrong-header", "wrong-header"},
    {"wrong-code", "wrong-code"},   {"bad-sep", "bad-sep"},      {"short-field", "short-field"},
    {"wrong-term", "wrong-term"},   {"slow", "slow=600"},        {"busy", "busy"},
    {"hangup", "hangup"},
};

// The cells that must not show a message. Every other cell must.
enum class Expect { Told, Succeeds, ShowsBusy };
struct Exception {
  const char* command;  // "*": every command
  const char* fault;
  Expect outcome;
};
const Exception EXCEPTIONS[] = {
    // Characters before STX are skipped by every reply reader.
    {"*", "noise", Expect::Succeeds},
    // Busy is a state the status and the parameter read show: "BUSY" on red,
    // the rest of the reply read as usual.
    {"?", "busy", Expect::ShowsBusy},
    {"L", "busy", Expect::ShowsBusy},
    // These replies carry no busy/ready letter (V a version field, G and the
    // stops their result): the controller answers them the same while busy.
    {"V", "busy", Expect::Succeeds},
    {"G", "busy", Expect::Succeeds},
    {"soft stop", "busy", Expect::Succeeds},
    {"fast stop", "busy", Expect::Succeeds},
    // These replies carry no numeric field, so there is none to cut short.
    {"S", "short-field", Expect::Succeeds},
    {"M", "short-field", Expect::Succeeds},
    {"W", "short-field", Expect::Succeeds},
    {"G", "short-field", Expect::Succeeds},
    {"soft stop", "short-field", Expect::Succeeds},
    {"fast stop", "short-field", Expect::Succeeds},
    {"C", "short-field", Expect::Succeeds},
    {"c", "short-field", Expect::Succeeds},
    {"K", "short-field", Expect::Succeeds},
    {"F", "short-field", Expect::Succeeds},
};

Expect expected(const QString& command, const QString& fault) {
  for (const Exception& e : EXCEPTIONS)
    if ((e.command == command || QLatin1String(e.command) == QLatin1String("*")) && e.fault == fault)
      return e.outcome;
  return Expect::Told;
}

const MatrixCommand& command_named(const QString& name) {
  for (const MatrixCommand& c : commands())
    if (name == QLatin1String(c.name)) return c;
  qFatal("no command %s", qPrintable(name));
}

// Failure texts shown, without the Yes/No question of cmd W.
QStringList told(MsgCapture& msgs) {
  QStringList out;
  for (const auto& box : msgs.boxes())
    if (!(box.buttons & QMessageBox::Yes)) out << box.text;
  return out;
}

// The exchange buttons as they must be between exchanges: all enabled, and
// the seven that the long exchanges lock no longer in the disabled colour.
QStringList exchange_state(velta& w) {
  QStringList out;
  for (QPushButton* button : {w.write_mode, w.read_info, w.execute, w.cmd_monitor, w.fast_stop, w.soft_stop,
                              w.command_s})
    if (!button->isEnabled() || ui::BACKCOLOR(button) == ui::SYS_BUTTON_FACE())
      out << button->objectName() + (button->isEnabled() ? " in the disabled colour" : " disabled");
  QList<QPushButton*> own = {w.command_qm, w.command_c, w.command_v, w.calib};
  if (CALIBRATION* f = calibration_form()) own << f->calib360 << f->calib_def << f->calib << f->write_factor;
  for (QPushButton* button : own)
    if (!button->isEnabled()) out << button->objectName() + " disabled";
  if (MSComm1()->portOpen()) out << "port open";
  if (Timer1()->isActive()) out << "reply timer running";
  if (myVar::reply_timeout) out << "reply_timeout set";
  return out;
}

// Gives the command once, under a watchdog: an exchange that never returns
// ends the program with the cell's name instead of stalling the whole run.
QString give(Bench& b, const MatrixCommand& c, const QString& cell, qint64* elapsed_ms) {
  QTimer watchdog;
  watchdog.setSingleShot(true);
  QObject::connect(&watchdog, &QTimer::timeout, [cell] { qFatal("%s: the exchange hangs", qPrintable(cell)); });
  watchdog.start(2 * CELL_BOUND_MS);
  QElapsedTimer t;
  t.start();
  const QString shown = c.run(b);
  *elapsed_ms = t.elapsed();
  return shown;
}
}  // namespace

class TestFaultMatrix : public QObject {
  Q_OBJECT
 private slots:
  void cleanup() { delete calibration_form(); }

  void cell_data() {
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("fault");
    for (const MatrixCommand& c : commands())
      for (const FaultKind& f : FAULTS)
        QTest::addRow("%s / %s", c.name, f.name) << QString::fromLatin1(c.name) << QString::fromLatin1(f.name);
  }
  void cell() {
    QFETCH(QString, command);
    QFETCH(QString, fault);
    const QString cell = command + " / " + fault;
    const MatrixCommand& c = command_named(command);
    QString spec;
    for (const FaultKind& f : FAULTS)
      if (fault == QLatin1String(f.name)) spec = QString::fromLatin1(f.spec);

    Bench b;
    QVERIFY(b.sim().ok());
    b.setReplyPeriod(REPLY_PERIOD_MS);
    QCOMPARE(b.sim().control("set position 123"), QString());
    QCOMPARE(b.sim().control("set version 32301"), QString());
    c.prepare(b);
    b.msgs().clear();
    QCOMPARE(b.sim().control(QString("fault %1 for=%2").arg(spec, QChar(c.code))), QString());

    qint64 elapsed = 0;
    const QString shown = give(b, c, cell, &elapsed);
    QVERIFY2(elapsed < CELL_BOUND_MS, qPrintable(QString("%1 ms").arg(elapsed)));
    const QStringList messages = told(b.msgs());
    switch (expected(command, fault)) {
      case Expect::Told:
        // One failure, one message: never silent, never told twice.
        QVERIFY2(!messages.isEmpty(), qPrintable("silent, showing: " + shown));
        QCOMPARE(messages.size(), 1);
        QVERIFY(!messages.first().trimmed().isEmpty());
        break;
      case Expect::Succeeds:
        QCOMPARE(messages, QStringList{});
        QCOMPARE(shown, c.success);
        break;
      case Expect::ShowsBusy:
        QCOMPARE(messages, QStringList{});
        QCOMPARE(shown, c.busy);
        break;
    }
    QVERIFY2(exchange_state(b.w()).isEmpty(), qPrintable(exchange_state(b.w()).join("; ")));

    // A slow reply goes on arriving long after its exchange gave up; what a
    // following exchange makes of that is no fault of this cell's.
    if (fault == QLatin1String("slow")) return;
    if (fault == QLatin1String("hangup")) {
      // The simulator renews its line behind the same entry, then says so.
      const auto renewed = [&b] {
        b.sim().control("get faults");  // collects what the simulator said meanwhile
        return b.sim().events().join(' ').contains("renewed");
      };
      QTRY_VERIFY_WITH_TIMEOUT(renewed(), 5000);
    }
    QCOMPARE(b.sim().control("fault clear"), QString());
    b.msgs().clear();
    const QString again = give(b, c, cell + " (again)", &elapsed);
    QVERIFY2(elapsed < CELL_BOUND_MS, qPrintable(QString("again: %1 ms").arg(elapsed)));
    QCOMPARE(told(b.msgs()), QStringList{});
    QCOMPARE(again, c.success);
    QVERIFY2(exchange_state(b.w()).isEmpty(), qPrintable(exchange_state(b.w()).join("; ")));
  }
};

VELTA_TEST_MAIN(TestFaultMatrix)
#include "test_fault_matrix.moc"
