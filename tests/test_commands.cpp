// The short commands beyond the fault matrix: what each shows and refuses,
// the button lock, what each only sends while the monitor runs, the stops.
#include <QTest>

#include "monitor/locking.h"
#include "protocol/tune_cmd.h"
#include "tests/harness/bench.h"
#include "ui/calibration.h"
#include "ui/colours.h"

using namespace tune_cmd;

class TestCommands : public QObject {
  Q_OBJECT
 private slots:
  void cleanup() { delete calibration_form(); }

  // What each command shows and tells, by reply (character 0 is STX, 1-4 the
  // header); a go-to after a CORRECT no later result may leave behind.
  void replies() {
    const struct { const char* command; QStringList controls; const char* messages; const char* shown; } cases[] = {
        {"?", {"fault replace=8:;"}, "? cmd, <Separator>#3 invalid, received:;", "45°|???"},
        {"?", {"fault replace=9:X", "fault replace=10:A"},
         "? cmd, <data>(R or B) invalid, received:X|? cmd, <return> invalid, received ASC:65", "45°|???"},
        {"?", {"fault cut=5"}, "cmd ?, Communication timeout on <position>", "???|???"},
        {"?", {"fault cut=10"}, "cmd ?, Communication timeout on <return>", "45°|READY"},
        {"S", {"fault cut=5"}, "R not received:", ""},
        {"M", {"set absolute 1", "fault wrong-term"}, "CBOX is in ABSOLUTE MODE: command M not executed!", ""},
        {"M", {"fault replace=5:X"}, "Expected 'R', received 'X'", ""},
        {"V", {"set version 7"}, "", "000.07"},
        {"V", {"set version 12345"}, "", "123.45"},
        {"V", {"fault cut=8"}, "GET_NUM05NT() Communication timeout!", "???.??"},
        {"V", {"fault replace=10:A"}, "V cmd, <return> invalid, received ASC:65", "003.23"},
        {"G", {"fault replace=5:E", "fault replace=6:Q"}, "", "WRONG red"},
        {"G", {"fault replace=5:B", "fault replace=6:A"}, "<Return> invalid, received ASC:65", "B"},
        {"G", {"fault cut=5"}, "cmd G: communication timeout on <result>", ""},
        {"G977", {"fault replace=5:E"}, "Format Error on Fast-Stop command", ""},
        {"G999", {"fault replace=5:X"}, "Unknow reply from Fast-Stop command:X", ""},
        {"G999", {"fault cut=5"}, "cmd G999: communication timeout on <result>", ""}};
    for (const auto& c : cases) {
      Bench b;
      b.setReplyPeriod(500);
      velta& w = b.w();
      const QString command = c.command;
      b.sim().set("position", "45");
      w.go_to_angle->setText("45");
      if (command == "G") click(w.execute);
      b.apply(c.controls);
      b.msgs().clear();
      b.sim().received();
      QString got;
      if (command == "?") click(w.command_qm), got = w.fast_pos->text() + "|" + w.fast_status->text();
      if (command == "S") QCOMPARE(CMD_S(), true);
      if (command == "M") click(w.command_c);
      if (command == "V") {
        QCOMPARE(CMD_VERSION(), *c.messages != 0);
        got = w.firm_version->text();
      }
      if (command == "G")
        click(w.execute), got = w.goto_replay->text() + (ui::BACKCOLOR(w.goto_replay) == colours::RED() ? " red" : "");
      if (command.size() > 1) click(command == "G977" ? w.soft_stop : w.fast_stop);
      const QString tag = command + " " + c.controls.join(' ') + ": ";
      QCOMPARE(tag + b.msgs().texts().join('|'), tag + c.messages);
      QCOMPARE(tag + got, tag + c.shown);
      const QByteArray data = command.size() > 1 ? command.mid(1).toLatin1() : QByteArray(command == "G" ? "45" : "");
      QCOMPARE(b.sim().received(), frame(command.at(0).toLatin1(), data));
      VERIFY_ENDED(w);
    }
  }

  // The go-to sends 0 to 359 as typed; anything else is refused and painted red.
  void go_to_angles() {
    const struct { const char* typed; bool red_while_typed; QByteArray sent; } cases[] = {
        {" 90 ", false, "90"}, {"0", false, "0"}, {"360", true, ""}, {"-1", true, ""}, {"90.5", false, ""}, {"", false, ""}};
    for (const auto& c : cases) {
      Bench b;
      velta& w = b.w();
      w.go_to_angle->setText(c.typed);
      QCOMPARE(ui::BACKCOLOR(w.go_to_angle) == colours::RED(), c.red_while_typed);
      click(w.execute);
      const QString refused = "cmd G not sent: the angle must be a whole number from 0 to 359, received:";
      QCOMPARE(b.msgs().texts(), c.sent.isEmpty() ? QStringList{refused + QString(c.typed).trimmed()} : QStringList{});
      QCOMPARE(b.sim().received(), c.sent.isEmpty() ? QByteArray() : frame('G', c.sent));
      if (c.sent.isEmpty()) QCOMPARE(ui::BACKCOLOR(w.go_to_angle), colours::RED());
      VERIFY_ENDED(w);
    }
  }

  // A command's own button, and all seven during a go-to, are locked while
  // its reply is awaited; the lock's colours, twice locked, come back.
  void buttons_locked() {
    Bench b;
    b.setReplyPeriod(300);
    b.sim().fault("silence");
    velta& w = b.w();
    w.go_to_angle->setText("45");
    const QList<QPushButton*> seven = {w.write_mode, w.read_info, w.execute, w.cmd_monitor,
                                       w.fast_stop,  w.soft_stop, w.command_s};
    for (QPushButton* button : {w.command_qm, w.command_s, w.command_c, w.soft_stop, w.fast_stop, w.execute}) {
      QStringList usable;
      later(100, [&] {
        for (QPushButton* p : button == w.execute ? seven : QList<QPushButton*>{button})
          if (p->isEnabled()) usable << p->objectName();
      });
      click(button);
      QCOMPARE(usable, QStringList{});
      VERIFY_ENDED(w);
    }
    auto state = [&] {
      QStringList out;
      for (QPushButton* p : seven) out << (p->isEnabled() ? "" : "off ") + ui::BACKCOLOR(p).name();
      return out.join(' ');
    };
    DISABLE_ALL();
    DISABLE_ALL();
    QCOMPARE(state(), (QStringList(7, "off " + colours::SYS_BUTTON_FACE().name()).join(' ')));
    ENABLE_ALL();
    QCOMPARE(state(), QString("#80ff80 #80ff80 #80ff80 #80ff80 #ffc080 #ffc080 #c0c0ff"));
    w.cmd_monitor->setText("START");  // anything but exactly "START..." counts as running
    DISABLE_ALL();
    ENABLE_ALL();
    QVERIFY(!w.write_mode->isEnabled() && ui::BACKCOLOR(w.cmd_monitor) == colours::RED());
  }

  // While the monitor runs every command only sends; the write refuses.
  void with_the_monitor_running_commands_only_send() {
    Bench b;
    velta& w = b.w();
    w.go_to_angle->setText("45");
    w.calib_Click();
    CALIBRATION& cal = *calibration_form();
    cal.cal_factor->setText("2500");
    const QByteArray sent = sent_with_monitor_running(b, [&] {
      for (QPushButton* p : {w.command_qm, w.command_s, w.command_c, w.command_v, w.read_info, w.execute, w.soft_stop,
                             w.fast_stop, cal.calib360, cal.calib_def, cal.calib, cal.write_factor})
        click(p);
      b.msgs().answer(QMessageBox::Yes);
      w.write_mode_Click();
    });
    QCOMPARE(sent, frame('?') + frame('S') + frame('M') + frame('V') + frame('L') + frame('G', "45") + frame('G', "977") +
                       frame('G', "999") + frame('C') + frame('c') + frame('K', "90") + frame('F', "2500"));
    QCOMPARE(b.msgs().texts().mid(1), QStringList{"Monitor is ACTIVE, cmd W not allowed!"});
    for (QLineEdit* box : {w.fast_pos, w.firm_version, w.curr_pos, w.goto_replay}) QVERIFY(box->text().startsWith("???"));
  }

  // K and F carry the entry, blanks trimmed, a whole number or nothing; the
  // boxes painted by their ranges; the window closed is built anew.
  void calibration_window() {
    Bench b;
    b.w().calib_Click();
    CALIBRATION& cal = *calibration_form();
    click(cal.calib);
    cal.cal_factor->setText(" 2500 ");
    click(cal.write_factor);
    QCOMPARE(b.sim().received(), frame('K', "90") + frame('F', "2500"));
    cal.calib_angle->setText("9x");
    click(cal.calib);
    QCOMPARE(b.msgs().texts().last(), QString("cmd K not sent: the calibration angle must be a whole number, received:9x"));
    QCOMPARE(b.sim().received(), QByteArray());
    const std::tuple<QLineEdit*, const char*, bool> colours[] = {
        {cal.cal_factor, "999", true}, {cal.cal_factor, "15000", false}, {cal.calib_angle, "501", true}};
    for (const auto& [box, text, red] : colours) {
      box->setText(text);
      QCOMPARE(ui::BACKCOLOR(box) == colours::RED(), red);
    }
    b.w().calib_Click();
    QCOMPARE(calibration_form()->calib_angle->text(), QString("501"));
    cal.close();
    QTRY_VERIFY(!calibration_form());
    b.w().calib_Click();
    QCOMPARE(calibration_form()->calib_angle->text(), QString("90"));
  }

  // A stop while "cmd L" waits goes out at once; the read ends telling why,
  // no box showing half a reply, and the next read is whole again.
  void a_stop_while_a_read_waits() {
    Bench b;
    velta& w = b.w();
    b.apply({"set lower_limit 12", "fault delay=40:800 for=L once"});
    QByteArray on_wire_meanwhile;
    later(300, [&] {
      later(60, [&] { on_wire_meanwhile = b.sim().received(); });
      click(w.soft_stop);
    });
    click(w.read_info);
    QCOMPARE(on_wire_meanwhile, frame('L') + frame('G', "977"));
    QCOMPARE(b.msgs().texts(), QStringList{"cmd L ended: cmd G777 was sent while it waited for its reply. The "
                                           "PARAMETERS READ boxes show nothing of its reply."});
    for (QLineEdit* box : w.info_read->findChildren<QLineEdit*>())
      QCOMPARE(box->text(), box->property("design_text").toString());
    QVERIFY(ui::FORECOLOR(w.dipsw) == colours::RED() && ui::FORECOLOR(w.label_dipsw) == colours::RED());
    VERIFY_ENDED(w);
    click(w.read_info);
    QCOMPARE(w.read_lower_limit->text(), QString("12°"));
  }

  // A stop while the version's field is read takes the rest of that reply:
  // the version tells its field was lost, never a silent end.
  void a_stop_while_the_version_is_read() {
    Bench b;
    velta& w = b.w();
    b.apply({"fault delay=5:1000 for=V once"});
    // The click comes one event-loop pass after the whole field is in, when
    // the reader has seen it and takes it character by character.
    bool seen = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
      if (seen) poll.stop(), click(w.fast_stop);
      seen = MSComm1()->portOpen() && MSComm1()->inBufferCount() >= 5;
    });
    later(500, [&] { poll.start(0); });  // the header is in and read by then
    QCOMPARE(CMD_VERSION(), true);
    QCOMPARE(b.msgs().texts().value(0), QString("GET_NUM05NT() Communication timeout!"));
    QCOMPARE(w.firm_version->text(), QString("???.??"));
    VERIFY_ENDED(w);
  }
};

VELTA_TEST_MAIN(TestCommands)
#include "test_commands.moc"
