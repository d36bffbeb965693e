// Each command against each fault the simulator puts into its reply: exactly the command's message (none where the
// fault is harmless or a state the window shows), its exchange ended in a bound time, the next one working again.
#include <QRegularExpression>
#include <QTest>

#include "protocol/tune_cmd.h"
#include "tests/harness/bench.h"
#include "ui/calibration.h"
#include "ui/colours.h"

using namespace tune_cmd;

namespace {
QString shows(QLineEdit* e) { return e->text() + (ui::BACKCOLOR(e) == colours::RED() ? " red" : ""); }

// One command: how to give it and what it then shows (cleared first: a stale display never passes for a result),
// its texts (the header's prefix, "" for the common ones; a time-out on the header; a terminator's, with 10 for a
// line feed; a busy reply's and a short first field's, "" for none) and what it shows when busy is a state it shows.
struct MatrixCommand {
  const char* name; char code;  // the code: of the reply a fault is aimed at
  std::function<QString(Bench&, velta&)> run;
  QString success, header, header_timeout, terminator, busy, short_field, shown_busy = {};
};

MatrixCommand calibration(const char* name, char code, QPushButton* CALIBRATION::*button) {
  const QString c = QString(QChar(code));
  return {name, code, [button](Bench& b, velta& w) {
            b.apply({"set absolute 1", "set calfactor 1234"}), w.calib_Click();  // accepted only in absolute mode
            calibration_form()->cal_factor->setText("4321"), click(calibration_form()->*button);
            return b.sim().control("get calfactor");  // F stores the factor, the others leave it
          }, c == "F" ? "4321" : "1234", "", "cmd " + c + ", Communication timeout on <header>",
          "Terminator invalid, received ASC:", "Cmd " + c + " not accepted: the CBOX is BUSY or NOT in ABSOLUTE mode!", ""};
}

const QList<MatrixCommand>& commands() {
  static const QList<MatrixCommand> list = {
      {"?", '?', [](Bench&, velta& w) {
         return w.fast_pos->setText("-"), click(w.command_qm), w.fast_pos->text() + "|" + shows(w.fast_status);
       }, "123°|READY", "? cmd, ", "cmd ?, Communication timeout on <header>", "? cmd, <return> invalid, received ASC:",
       "", "? cmd, <Separator>#3 invalid, received:R", "123°|BUSY red"},
      {"S", 'S', [](Bench&, velta&) { return QString(CMD_S() ? "failed" : "done"); }, "done", "",
       "cmd S, Communication timeout on <header>", "Terminator invalid, received ASC:", "R not received:B", ""},
      {"M", 'M', [](Bench&, velta& w) { return click(w.command_c), QString(); }, "", "", "cmd M, Communication timeout on <header>",
       "Terminator invalid, received ASC:", "CBOX is in ABSOLUTE MODE: command M not executed!", ""},
      {"V", 'V', [](Bench&, velta& w) {
         return w.firm_version->setText("-"), click(w.command_v), w.firm_version->text();
       }, "323.01", "V cmd, ", "cmd V, Communication timeout on <header>", "V cmd, <return> invalid, received ASC:", "",
       "cmd V, Communication timeout on <return>"},
      {"L", 'L', [](Bench&, velta& w) {  // the first field, the state, the last: the whole reply was read
         PANEL().forget_read_values(), click(w.read_info);
         return w.curr_pos->text() + "|" + shows(w.cbox_status) + "|" + w.cal_fact->text();
       }, "123°|READY|1234", "", "cmd L: communication timeout on <header>", "<Return> invalid, received ASC:", "",
       "Separator invalid, received:R", "123°|BUSY red|1234"},
      {"W", 'W', [](Bench& b, velta& w) {
         const int before = b.sim().control("get sets").toInt();
         b.msgs().answer(QMessageBox::Yes), b.msgs().answer(QMessageBox::Yes), w.set_default_Click(), click(w.write_mode);
         return QString(b.sim().control("get sets").toInt() == before + 1 ? "stored" : "not stored");
       }, "stored", "", "cmd W: communication timeout on <header>", "Terminator invalid, received ASC:",
       "CBOX Busy, parameters cannot be updated!", ""},
      {"G", 'G', [](Bench&, velta& w) {  // to where the rotator stands: accepted, nothing starts turning
         return w.go_to_angle->setText("123"), w.goto_replay->setText("-"), click(w.execute), w.goto_replay->text();
       }, "CORRECT", "", "cmd G: communication timeout on <header>", "<Return> invalid, received ASC:", "", ""},
      {"soft stop", 'G', [](Bench&, velta& w) { return click(w.soft_stop), QString(); }, "", "",
       "cmd G777: communication timeout on <header>", "<Return> invalid, received ASC:", "", ""},
      {"fast stop", 'G', [](Bench&, velta& w) { return click(w.fast_stop), QString(); }, "", "",
       "cmd G999: communication timeout on <header>", "<Return> invalid, received ASC:", "", ""},
      calibration("C", 'C', &CALIBRATION::calib360), calibration("c", 'c', &CALIBRATION::calib_def),
      calibration("K", 'K', &CALIBRATION::calib), calibration("F", 'F', &CALIBRATION::write_factor)};
  return list;
}

// Every fault the simulator can put into a reply ("slow" well beyond the reply period, so that the first late
// character is a time-out even on a loaded machine), and the message it gives a command.
const std::pair<const char*, QString (*)(const MatrixCommand&)> FAULTS[] = {
    {"silence", [](const MatrixCommand& c) { return c.header_timeout; }},
    {"noise", [](const MatrixCommand&) { return QString(); }},
    {"wrong-header", [](const MatrixCommand& c) { return c.header + "<Identifier> invalid, received:X"; }},
    {"wrong-code", [](const MatrixCommand& c) { return c.header + "<Cmd> invalid, received:Z"; }},
    {"bad-sep", [](const MatrixCommand& c) {
       return c.header + "<Separator>" + (c.header.isEmpty() ? "" : "#") + "2 invalid, received:;"; }},
    {"short-field", [](const MatrixCommand& c) { return c.short_field; }},
    {"wrong-term", [](const MatrixCommand& c) { return c.terminator + "10"; }},
    {"slow=700", [](const MatrixCommand& c) { return c.header + "<Identifier> invalid, received:"; }},
    {"busy", [](const MatrixCommand& c) { return c.busy; }},
    {"hangup", [](const MatrixCommand&) { return QString("COM PORT # 1 LOST: the serial device hung up or was unplugged!"); }}};
constexpr int N = int(std::size(FAULTS));
}  // namespace

class TestFaultMatrix : public QObject {
  Q_OBJECT
 private slots:
  void cell_data() {  // a cell: a command's index times the number of faults, plus the fault's index
    QTest::addColumn<int>("cell");
    for (int k = 0; k < commands().size() * N; ++k)
      QTest::addRow("%s / %s", commands()[k / N].name, FAULTS[k % N].first) << k;
  }
  void cell() {
    QFETCH(int, cell);
    const MatrixCommand& c = commands()[cell / N];
    const QString name = FAULTS[cell % N].first, message = FAULTS[cell % N].second(c);
    Bench b;  // told: what it said, but cmd W's two questions
    const auto told = [&b] { return b.msgs().texts().filter(QRegularExpression("^(?!THIS COMMAND OVERWRITES)")).join('|'); };
    b.setReplyPeriod(300);  // short, so that the time-outs are quick
    b.apply({"set position 123", "set version 32301", QString("fault %1 for=%2").arg(name, QChar(c.code))});
    QTimer::singleShot(30000, &b.w(), [] { qFatal("%s: the exchange hangs", QTest::currentDataTag()); });
    const QString shown = c.run(b, b.w()), expected = name == "busy" && !c.shown_busy.isEmpty() ? c.shown_busy : c.success;
    QCOMPARE(told() + " / " + (message.isEmpty() ? shown : ""), message + " / " + (message.isEmpty() ? expected : ""));
    VERIFY_ENDED(b.w());
    // A slow reply goes on arriving long after its exchange gave up: the next exchange is no business of this
    // cell's. After a hang-up the simulator renews its line behind the same entry, then says so.
    if (name.startsWith("slow")) return;
    if (name == "hangup")
      QTRY_VERIFY_WITH_TIMEOUT((b.sim().control("get faults"), b.sim().events().join(' ').contains("renewed")), 5000);
    b.apply({"fault clear"}), b.msgs().clear();
    QCOMPARE(c.run(b, b.w()) + " / " + told(), c.success + " / ");
    VERIFY_ENDED(b.w());
  }
};

VELTA_TEST_MAIN(TestFaultMatrix)
#include "test_fault_matrix.moc"