// Every command of the tool against every fault the simulator can put into
// that command's reply, from one command list and one fault list. Each cell
// tells exactly the message of its command for that fault (or none, where the
// fault is harmless or a real state the window shows), ends its exchange
// cleanly within a bound time, and the next fault-free exchange works again.
#include <QElapsedTimer>
#include <QTest>
#include <QTimer>
#include <functional>

#include "protocol/tune_cmd.h"
#include "tests/harness/bench.h"
#include "ui/calibration.h"
#include "ui/colours.h"

using namespace tune_cmd;

namespace {
// The reply period of the matrix: short, so that the time-outs are quick.
constexpr int REPLY_PERIOD_MS = 300;

const QString HEADER[] = {"<Identifier> invalid, received:", "<Separator>1 invalid, received:",
                          "<Cmd> invalid, received:", "<Separator>2 invalid, received:"};
const QString STATUS_HEADER[] = {"? cmd, <Identifier> invalid, received:", "? cmd, <Separator>#1 invalid, received:",
                                 "? cmd, <Cmd> invalid, received:", "? cmd, <Separator>#2 invalid, received:"};
const QString V_HEADER[] = {"V cmd, <Identifier> invalid, received:", "V cmd, <Separator>#1 invalid, received:",
                            "V cmd, <Cmd> invalid, received:", "V cmd, <Separator>#2 invalid, received:"};

// One command of the tool: how to bring the bench to where it can be given,
// how to give it and what it then shows, and its own texts.
struct MatrixCommand {
  const char* name;
  char code;  // the reply code a fault is aimed at
  std::function<void(Bench&)> prepare;
  // Gives the command once; returns what it shows of the reply (cleared first,
  // so that a stale display never passes for a result).
  std::function<QString(Bench&)> run;
  QString success;         // what `run` shows after a clean exchange
  const QString* header;   // the four header texts
  QString header_timeout;  // no reply at all
  QString terminator;      // a line feed in place of CR: this text and 10
  QString busy;            // the message when the reply says busy ("" for none)
  QString short_field;     // the message when its first numeric field is cut short
};

QString colour_word(QWidget* w) { return ui::BACKCOLOR(w) == ui::RED() ? "red" : "plain"; }

QString click(QPushButton* button) {
  QTest::mouseClick(button, Qt::LeftButton);
  return {};
}

// The calibration commands are accepted only in absolute mode.
void open_calibration(Bench& b) {
  b.sim().set("absolute", "1");
  b.w().calib_Click();
  calibration_form()->calib_angle->setText("90");
  calibration_form()->cal_factor->setText("4321");
}

MatrixCommand calibration(const char* name, char code, QPushButton* CALIBRATION::*button) {
  const QString c = QString(QChar(code));
  return {name, code, open_calibration, [button](Bench&) { return click(calibration_form()->*button); }, "",
          HEADER, "cmd " + c + ", Communication timeout on <header>", "Terminator invalid, received ASC:",
          "Cmd " + c + " not accepted: the CBOX is BUSY or NOT in ABSOLUTE mode!", ""};
}

MatrixCommand stop(const char* name, QPushButton* velta::*button, const QString& command) {
  return {name, 'G', [](Bench&) {}, [button](Bench& b) { return click(b.w().*button); }, "", HEADER,
          command + ": communication timeout on <header>", "<Return> invalid, received ASC:", "", ""};
}

const QList<MatrixCommand>& commands() {
  static const QList<MatrixCommand> list = {
      {"?", '?', [](Bench&) {},
       [](Bench& b) {
         velta& w = b.w();
         w.fast_pos->setText("-");
         w.fast_status->setText("-");
         ui::SET_BACKCOLOR(w.fast_status, ui::SYS_WINDOW_BACKGROUND());
         click(w.command_qm);
         return w.fast_pos->text() + "|" + w.fast_status->text() + "|" + colour_word(w.fast_status);
       },
       "123°|READY|plain", STATUS_HEADER, "cmd ?, Communication timeout on <header>",
       "? cmd, <return> invalid, received ASC:", "", "? cmd, <Separator>#3 invalid, received:R"},
      {"S", 'S', [](Bench&) {}, [](Bench&) { return QString(CMD_S() ? "failed" : "done"); }, "done", HEADER,
       "cmd S, Communication timeout on <header>", "Terminator invalid, received ASC:", "R not received:B", ""},
      {"M", 'M', [](Bench&) {}, [](Bench& b) { return click(b.w().command_c); }, "", HEADER,
       "cmd M, Communication timeout on <header>", "Terminator invalid, received ASC:",
       "CBOX is in ABSOLUTE MODE: command M not executed!", ""},
      {"V", 'V', [](Bench&) {},
       [](Bench& b) {
         b.w().firm_version->setText("-");
         click(b.w().command_v);
         return b.w().firm_version->text();
       },
       "323.01", V_HEADER, "cmd V, Communication timeout on <header>", "V cmd, <return> invalid, received ASC:", "",
       "cmd V, Communication timeout on <return>"},
      {"L", 'L', [](Bench&) {},
       [](Bench& b) {
         velta& w = b.w();
         FORGET_READ_VALUES(w);
         click(w.read_info);
         // The first field, the state and the last field: the whole reply was read.
         return w.curr_pos->text() + "|" + w.cbox_status->text() + "|" + colour_word(w.cbox_status) + "|" +
                w.cal_fact->text();
       },
       "123°|READY|plain|1234", HEADER, "cmd L: communication timeout on <header>",
       "<Return> invalid, received ASC:", "", "Separator invalid, received:R"},
      {"W", 'W',
       [](Bench& b) {
         b.msgs().answer(QMessageBox::Yes);
         b.w().set_default_Click();
       },
       [](Bench& b) {
         const int before = b.sim().control("get sets").toInt();
         b.msgs().answer(QMessageBox::Yes);
         click(b.w().write_mode);
         return QString(b.sim().control("get sets").toInt() == before + 1 ? "stored" : "not stored");
       },
       "stored", HEADER, "cmd W: communication timeout on <header>", "Terminator invalid, received ASC:",
       "CBOX Busy, parameters cannot be updated!", ""},
      // A go-to to where the rotator stands: accepted, nothing starts turning.
      {"G", 'G', [](Bench& b) { b.w().go_to_angle->setText("123"); },
       [](Bench& b) {
         b.w().goto_replay->setText("-");
         click(b.w().execute);
         return b.w().goto_replay->text();
       },
       "CORRECT", HEADER, "cmd G: communication timeout on <header>", "<Return> invalid, received ASC:", "", ""},
      stop("soft stop", &velta::soft_stop, "cmd G777"),
      stop("fast stop", &velta::fast_stop, "cmd G999"),
      calibration("C", 'C', &CALIBRATION::calib360),
      calibration("c", 'c', &CALIBRATION::calib_def),
      calibration("K", 'K', &CALIBRATION::calib),
      // F stores the factor: the controller's factor afterwards is what it shows.
      {"F", 'F', open_calibration,
       [](Bench& b) {
         b.sim().set("calfactor", "1234");
         click(calibration_form()->write_factor);
         return b.sim().control("get calfactor");
       },
       "4321", HEADER, "cmd F, Communication timeout on <header>", "Terminator invalid, received ASC:",
       "Cmd F not accepted: the CBOX is BUSY or NOT in ABSOLUTE mode!", ""},
  };
  return list;
}

// Every fault the simulator can put into a reply ("slow" well beyond the reply
// period, so that the first late character is a time-out even on a loaded
// machine), and the message it gives a command.
const struct {
  const char* name;
  const char* spec;
  std::function<QString(const MatrixCommand&)> message;
} FAULTS[] = {
    {"silence", "silence", [](const MatrixCommand& c) { return c.header_timeout; }},
    {"noise", "noise", [](const MatrixCommand&) { return QString(); }},
    {"wrong-header", "wrong-header", [](const MatrixCommand& c) { return c.header[0] + "X"; }},
    {"wrong-code", "wrong-code", [](const MatrixCommand& c) { return c.header[2] + "Z"; }},
    {"bad-sep", "bad-sep", [](const MatrixCommand& c) { return c.header[3] + ";"; }},
    {"short-field", "short-field", [](const MatrixCommand& c) { return c.short_field; }},
    {"wrong-term", "wrong-term", [](const MatrixCommand& c) { return c.terminator + "10"; }},
    {"slow", "slow=700", [](const MatrixCommand& c) { return c.header[0]; }},
    {"busy", "busy", [](const MatrixCommand& c) { return c.busy; }},
    {"hangup", "hangup", [](const MatrixCommand&) {
       return QString("COM PORT # 1 LOST: the serial device hung up or was unplugged!");
     }},
};

// Where a fault is a real state rather than a failure, the window shows it.
QString shown_when_busy(const QString& command, const QString& success) {
  if (command == "?") return "123°|BUSY|red";
  if (command == "L") return "123°|BUSY|red|1234";
  return success;
}

// Failure texts shown, without the Yes/No question of cmd W.
QStringList told(MsgCapture& msgs) {
  QStringList out;
  for (const auto& box : msgs.boxes())
    if (!(box.buttons & QMessageBox::Yes)) out << box.text;
  return out;
}

// Gives the command once, under a watchdog: an exchange that never returns
// ends the program with the cell's name instead of stalling the whole run.
QString give(Bench& b, const MatrixCommand& c, const QString& cell) {
  QTimer watchdog;
  watchdog.setSingleShot(true);
  QObject::connect(&watchdog, &QTimer::timeout, [cell] { qFatal("%s: the exchange hangs", qPrintable(cell)); });
  watchdog.start(30000);
  return c.run(b);
}
}  // namespace

class TestFaultMatrix : public QObject {
  Q_OBJECT
 private slots:
  void cleanup() { delete calibration_form(); }

  void cell_data() {
    QTest::addColumn<int>("command");
    QTest::addColumn<int>("fault");
    for (int c = 0; c < commands().size(); ++c)
      for (int f = 0; f < int(std::size(FAULTS)); ++f)
        QTest::addRow("%s / %s", commands()[c].name, FAULTS[f].name) << c << f;
  }
  void cell() {
    QFETCH(int, command);
    QFETCH(int, fault);
    const MatrixCommand& c = commands()[command];
    const auto& f = FAULTS[fault];
    const QString cell = QString("%1 / %2").arg(c.name, f.name);

    Bench b;
    QVERIFY(b.sim().ok());
    b.setReplyPeriod(REPLY_PERIOD_MS);
    QCOMPARE(b.sim().control("set position 123"), QString());
    QCOMPARE(b.sim().control("set version 32301"), QString());
    c.prepare(b);
    b.msgs().clear();
    QCOMPARE(b.sim().control(QString("fault %1 for=%2").arg(f.spec, QChar(c.code))), QString());

    const QString shown = give(b, c, cell);
    const QString message = f.message(c);
    QCOMPARE(told(b.msgs()), message.isEmpty() ? QStringList{} : QStringList{message});
    if (message.isEmpty()) QCOMPARE(shown, f.name == QLatin1String("busy") ? shown_when_busy(c.name, c.success) : c.success);
    VERIFY_ENDED(b.w());

    // A slow reply goes on arriving long after its exchange gave up; what a
    // following exchange makes of that is no fault of this cell's.
    if (f.name == QLatin1String("slow")) return;
    if (f.name == QLatin1String("hangup")) {
      // The simulator renews its line behind the same entry, then says so.
      QTRY_VERIFY_WITH_TIMEOUT((b.sim().control("get faults"), b.sim().events().join(' ').contains("renewed")), 5000);
    }
    QCOMPARE(b.sim().control("fault clear"), QString());
    b.msgs().clear();
    QCOMPARE(give(b, c, cell + " (again)"), c.success);
    QCOMPARE(told(b.msgs()), QStringList{});
    VERIFY_ENDED(b.w());
  }
};

VELTA_TEST_MAIN(TestFaultMatrix)
#include "test_fault_matrix.moc"
