// The short commands beyond the fault matrix: what each shows, tells and refuses, the button lock, what each only
// sends while the monitor runs, the stops while a reply is awaited.
#include <QTest>

#include "monitor/locking.h"
#include "protocol/tune_cmd.h"
#include "tests/harness/bench.h"
#include "ui/calibration.h"
#include "ui/colours.h"

using namespace tune_cmd;

static QString paint(QWidget* w) { return ui::BACKCOLOR(w) == colours::RED() ? "r" : "-"; }
static QString ended(bool failed) { return failed ? "failed" : "done"; }

class TestCommands : public QObject {
  Q_OBJECT
 private slots:
  // What each command shows, tells and ends with, by reply (character 0 is STX, 1-4 the header); a go-to after a
  // CORRECT no later result may leave behind.
  void replies() {
    const struct { QString command; QStringList controls; QString messages, shown; } cases[] = {
        {"?", {"fault replace=9:X", "fault replace=10:A"},
         "? cmd, <data>(R or B) invalid, received:X|? cmd, <return> invalid, received ASC:65", "45°|???"},
        {"?", {"fault cut=5"}, "cmd ?, Communication timeout on <position>", "???|???"},
        {"?", {"fault cut=10"}, "cmd ?, Communication timeout on <return>", "45°|READY"},
        {"S", {"fault cut=6"}, "cmd S, Communication timeout on <return>", "failed"},
        {"M", {"fault replace=5:X"}, "Expected 'R', received 'X'", ""},
        {"G45", {"fault replace=5:E", "fault replace=6:Q"}, "", "WRONG r"},
        {"G45", {"fault replace=5:B", "fault replace=6:A"}, "<Return> invalid, received ASC:65", "B -"},
        {"G45", {"fault cut=5"}, "cmd G: communication timeout on <result>", " -"},
        {"G977", {"fault replace=5:E"}, "Format Error on Fast-Stop command", "failed"},
        {"G999", {"fault replace=5:X"}, "Unknow reply from Fast-Stop command:X", "failed"},
        {"G999", {"fault cut=5"}, "cmd G999: communication timeout on <result>", "failed"}};
    for (const auto& [command, controls, messages, shown] : cases) {
      Bench b({"--set", "position=45"});
      velta& w = b.w();
      if (command == "G45") w.go_to_angle->setText("45"), click(w.execute);
      b.setReplyPeriod(500), b.apply(controls), b.msgs().clear(), b.sim().received();
      QString got;
      if (command == "?") click(w.command_qm), got = w.fast_pos->text() + "|" + w.fast_status->text();
      if (command == "S") got = ended(CMD_S());
      if (command == "M") click(w.command_c);
      if (command == "G45") click(w.execute), got = w.goto_replay->text() + " " + paint(w.goto_replay);
      if (command.startsWith("G9")) got = ended((command == "G977" ? CMD_SOFT_STOP() : CMD_FAST_STOP()) != Outcome::done);
      QCOMPARE(b.msgs().texts().join('|') + " / " + got + " / " + b.sim().received(),
               messages + " / " + shown + " / " + frame(command[0].toLatin1(), command.mid(1).toLatin1()));
      VERIFY_ENDED(w);
    }
  }

  // The go-to sends 0 to 359, K and F a whole number, as typed without blanks; else refused, a go-to's box red. A box
  // is red outside its range while typed (painted, as typed and after the click: "-" the window's colour, "r" red).
  void entries_and_what_is_sent_while_the_monitor_runs() {
    Bench b({"--set", "absolute=1"});
    velta& w = b.w();
    CALIBRATION& cal = (w.calib_Click(), *calibration_form());
    const std::tuple<QLineEdit*, QPushButton*, QString> entry[] = {
        {cal.calib_angle, cal.calib, "cmd K not sent: the calibration angle must be a whole number, received:"},
        {cal.cal_factor, cal.write_factor, "cmd F not sent: the calibration factor must be a whole number, received:"},
        {w.go_to_angle, w.execute, "cmd G not sent: the angle must be a whole number from 0 to 359, received:"}};
    const struct { int entry; const char* typed; const char* painted; QByteArray sent; } cases[] = {
        {0, "9", "rr", frame('K', "9")}, {0, " 10 ", "--", frame('K', "10")}, {0, "500", "--", frame('K', "500")},
        {0, "501", "rr", frame('K', "501")}, {0, "-5", "rr", frame('K', "-5")}, {0, "9x", "rr", ""},
        {1, "999", "rr", frame('F', "999")}, {1, " 1000 ", "--", frame('F', "1000")}, {1, "2.5", "rr", ""},
        {1, "15000", "--", frame('F', "15000")}, {1, "15001", "rr", frame('F', "15001")}, {2, "", "-r", ""},
        {2, " 90 ", "--", frame('G', "90")}, {2, "0", "--", frame('G', "0")}, {2, "360", "rr", ""}, {2, "-1", "rr", ""},
        {2, "90.5", "-r", ""}, {2, "359", "--", frame('G', "359")}};
    for (const auto& c : cases) {
      const auto& [box, button, refused] = entry[c.entry];
      QString got = (box->setText(c.typed), paint(box));
      b.msgs().clear(), click(button);
      got += paint(box) + " / " + b.msgs().texts().join('|') + " / " + b.sim().received();
      QCOMPARE(got, c.painted + (" / " + (c.sent.isEmpty() ? refused + QString(c.typed).trimmed() : "")) + " / " + c.sent);
    }
    // While the monitor runs every command only sends (K and F their entry without blanks), the write refuses, no
    // box shows a reply. An open calibration window comes to the front as it is; closed, it is built anew.
    for (QLineEdit* e : {w.fast_pos, w.firm_version, w.curr_pos, w.goto_replay}) e->setText("-");
    cal.calib_angle->setText(" 90 "), cal.cal_factor->setText(" 2500 ");
    const QByteArray sent = sent_with_monitor_running(b, [&] {
      for (QPushButton* p : {w.command_qm, w.command_s, w.command_c, w.command_v, w.read_info, w.execute, w.soft_stop,
                             w.fast_stop, cal.calib360, cal.calib_def, cal.calib, cal.write_factor}) click(p);
      b.msgs().answer(QMessageBox::Yes), w.write_mode_Click();
    });
    QCOMPARE(sent + "|" + w.fast_pos->text() + w.firm_version->text() + w.curr_pos->text() + w.goto_replay->text(),
             frame('?') + frame('S') + frame('M') + frame('V') + frame('L') + frame('G', "359") + frame('G', "977") +
                 frame('G', "999") + frame('C') + frame('c') + frame('K', "90") + frame('F', "2500") + "|----");
    QCOMPARE(b.msgs().texts(), QStringList({"THIS COMMAND OVERWRITES THE CBOX SETTINGS!!! ARE YOU SURE?",
                                            "Monitor is ACTIVE, cmd W not allowed!"}));
    QCOMPARE((w.calib_Click(), calibration_form()->cal_factor->text()), QString(" 2500 "));
    cal.close();
    QTRY_VERIFY(!calibration_form());
    w.calib_Click();
    QCOMPARE(calibration_form()->calib_angle->text() + " " + calibration_form()->cal_factor->text(), QString("90 ?"));
  }

  // A stop while cmd L waits goes out at once; the read ends saying why, shows nothing half read; the next is whole.
  void stops_and_locks_while_a_reply_is_awaited() {
    Bench b;
    velta& w = b.w();
    b.apply({"set lower_limit 12", "fault delay=40:800 for=L once", "fault delay=5:1000 for=V once"});
    QByteArray on_wire_meanwhile;
    later(300, [&] { later(60, [&] { on_wire_meanwhile = b.sim().received(); }), click(w.soft_stop); });
    click(w.read_info);
    QCOMPARE(on_wire_meanwhile + " / " + b.msgs().texts().join('|'), frame('L') + frame('G', "977") + " / cmd L ended: cmd "
             "G777 was sent while it waited for its reply. The PARAMETERS READ boxes show nothing of its reply.");
    for (QLineEdit* box : w.info_read->findChildren<QLineEdit*>()) QCOMPARE(box->text(), box->property("design_text").toString());
    QVERIFY(ui::FORECOLOR(w.dipsw) == colours::RED() && ui::FORECOLOR(w.label_dipsw) == colours::RED());
    VERIFY_ENDED(w);
    QCOMPARE((b.msgs().clear(), click(w.read_info), w.read_lower_limit->text()), QString("12°"));
    // A stop while the version's field is read (a pass after it is all in): the version tells its field was lost.
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&, seen = false]() mutable {
      if (std::exchange(seen, MSComm1()->portOpen() && MSComm1()->inBufferCount() >= 5)) poll.stop(), click(w.fast_stop);
    });
    later(500, [&] { poll.start(0); });  // the header is in and read by then
    const QString ended_v = ended(CMD_VERSION());
    QCOMPARE(ended_v + " / " + b.msgs().texts().join('|') + " / " + w.firm_version->text(),
             "failed / GET_NUM05NT() Communication timeout! / ???.??");
    VERIFY_ENDED(w);
    // While a reply is awaited, the command's own button is locked, the seven for a go-to, START... for any exchange.
    b.setReplyPeriod(300), b.apply({"fault silence"}), w.go_to_angle->setText("45");
    const QList<QPushButton*> nine = {w.write_mode, w.read_info, w.execute, w.cmd_monitor, w.fast_stop, w.soft_stop,
                                      w.command_s, w.command_qm, w.command_c};
    auto state = [&] { QString s; for (QPushButton* p : nine) s += (p->isEnabled() ? " " : " off ") + ui::BACKCOLOR(p).name();
                       return s; };
    const QString idle = " #80ff80 #80ff80 #80ff80 #80ff80 #ffc080 #ffc080 #c0c0ff #ffc0ff #c0ffff";
    const std::pair<QPushButton*, const char*> locks[] = {
        {w.command_qm, " #80ff80 #80ff80 #80ff80 off #efefef #ffc080 #ffc080 #c0c0ff off #ffc0ff #c0ffff"},
        {w.command_s, " #80ff80 #80ff80 #80ff80 off #efefef #ffc080 #ffc080 off #c0c0ff #ffc0ff #c0ffff"},
        {w.command_c, " #80ff80 #80ff80 #80ff80 off #efefef #ffc080 #ffc080 #c0c0ff #ffc0ff off #c0ffff"},
        {w.soft_stop, " #80ff80 #80ff80 #80ff80 off #efefef #ffc080 off #ffc080 #c0c0ff #ffc0ff #c0ffff"},
        {w.fast_stop, " #80ff80 #80ff80 #80ff80 off #efefef off #ffc080 #ffc080 #c0c0ff #ffc0ff #c0ffff"},
        {w.execute, " off #efefef off #efefef off #efefef off #efefef off #efefef off #efefef off #efefef #ffc0ff #c0ffff"}};
    for (auto [button, during] : locks) {
      QString seen_then;
      later(100, [&] { seen_then = state(); }), click(button);
      QCOMPARE(button->objectName() + seen_then + " /" + state(), button->objectName() + during + " /" + idle);
      VERIFY_ENDED(w);
    }
    w.cmd_monitor->setText("START"), DISABLE_ALL(), DISABLE_ALL(), ENABLE_ALL();  // "START": not "START...", so running
    QCOMPARE(state(), " off #efefef #80ff80 #80ff80 #ff0000 #ffc080 #ffc080 #c0c0ff #ffc0ff #c0ffff");
  }
};

VELTA_TEST_MAIN(TestCommands)
#include "test_commands.moc"