// The short commands at the bench, for what each shows and refuses beyond
// the fault matrix: status, S, M, V, the go-to and the stops, the
// calibration window, what each only sends while the monitor runs, and the
// lock of the exchange buttons.
#include <QTest>

#include "monitor/locking.h"
#include "protocol/tune_cmd.h"
#include "tests/harness/bench.h"
#include "ui/calibration.h"
#include "ui/colours.h"

using namespace tune_cmd;

namespace {
void click(QPushButton* b) { QTest::mouseClick(b, Qt::LeftButton); }

void apply(Bench& b, const QStringList& controls) {
  for (const QString& c : controls) QCOMPARE(b.sim().control(c), QString());
}

QString colour_word(QWidget* w) { return ui::BACKCOLOR(w) == ui::RED() ? " red" : ""; }

CALIBRATION& calibration(Bench& b) {
  b.w().calib_Click();
  return *calibration_form();
}
}  // namespace

class TestCommands : public QObject {
  Q_OBJECT
 private slots:
  void cleanup() { delete calibration_form(); }

  // What each command shows, by reply (characters by index: 0 STX, 1-4 the
  // header, then the fields).
  void replies_data() {
    QTest::addColumn<QString>("command");
    QTest::addColumn<QStringList>("controls");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<QString>("shown");
    const QString none = "???|???";
    QTest::newRow("? position shown before separator 3")
        << "?" << QStringList{"fault replace=8:;"} << QStringList{"? cmd, <Separator>#3 invalid, received:;"}
        << "45°|???";
    QTest::newRow("? state X, terminator still tested")
        << "?" << QStringList{"fault replace=9:X", "fault replace=10:A"}
        << QStringList{"? cmd, <data>(R or B) invalid, received:X", "? cmd, <return> invalid, received ASC:65"}
        << "45°|???";
    QTest::newRow("? position never comes") << "?" << QStringList{"fault cut=5"}
                                            << QStringList{"cmd ?, Communication timeout on <position>"} << none;
    QTest::newRow("? terminator never comes") << "?" << QStringList{"fault cut=10"}
                                              << QStringList{"cmd ?, Communication timeout on <return>"}
                                              << "45°|READY";
    QTest::newRow("S letter never comes") << "S" << QStringList{"fault cut=5"} << QStringList{"R not received:"} << "";
    QTest::newRow("M absolute, no terminator read")
        << "M" << QStringList{"set absolute 1", "fault wrong-term"}
        << QStringList{"CBOX is in ABSOLUTE MODE: command M not executed!"} << "";
    QTest::newRow("M other letter") << "M" << QStringList{"fault replace=5:X"}
                                    << QStringList{"Expected 'R', received 'X'"} << "";
    QTest::newRow("V 00007") << "V" << QStringList{"set version 7"} << QStringList{} << "000.07";
    QTest::newRow("V 12345") << "V" << QStringList{"set version 12345"} << QStringList{} << "123.45";
    QTest::newRow("V cut short") << "V" << QStringList{"fault cut=8"}
                                 << QStringList{"GET_NUM05NT() Communication timeout!"} << "???.??";
    QTest::newRow("V terminator A after the version")
        << "V" << QStringList{"fault replace=10:A"} << QStringList{"V cmd, <return> invalid, received ASC:65"}
        << "003.23";
    QTest::newRow("G E, two characters, no terminator")
        << "G" << QStringList{"fault replace=5:E", "fault replace=6:Q"} << QStringList{} << "WRONG red";
    QTest::newRow("G other letter, bad terminator")
        << "G" << QStringList{"fault replace=5:B", "fault replace=6:A"}
        << QStringList{"<Return> invalid, received ASC:65"} << "B";
    QTest::newRow("G result never comes: nothing shown")
        << "G" << QStringList{"fault cut=5"} << QStringList{"cmd G: communication timeout on <result>"} << "";
    QTest::newRow("soft stop E") << "G977" << QStringList{"fault replace=5:E"}
                                 << QStringList{"Format Error on Fast-Stop command"} << "";
    QTest::newRow("fast stop other letter") << "G999" << QStringList{"fault replace=5:X"}
                                            << QStringList{"Unknow reply from Fast-Stop command:X"} << "";
    QTest::newRow("fast stop result never comes") << "G999" << QStringList{"fault cut=5"}
                                                  << QStringList{"cmd G999: communication timeout on <result>"} << "";
  }
  void replies() {
    QFETCH(QString, command);
    QFETCH(QStringList, controls);
    QFETCH(QStringList, messages);
    QFETCH(QString, shown);
    Bench b;
    b.setReplyPeriod(500);
    velta& w = b.w();
    b.sim().set("position", "45");
    w.go_to_angle->setText("45");
    if (command == "G") click(w.execute);  // a CORRECT first, which no later result may leave behind
    apply(b, controls);
    b.msgs().clear();
    b.sim().received();
    QString got;
    if (command == "?") {
      click(w.command_qm);
      got = w.fast_pos->text() + "|" + w.fast_status->text();
    } else if (command == "S") {
      QCOMPARE(CMD_S(), !messages.isEmpty());
    } else if (command == "M") {
      click(w.command_c);
    } else if (command == "V") {
      QCOMPARE(CMD_VERSION(), !messages.isEmpty());
      got = w.firm_version->text();
    } else if (command == "G") {
      click(w.execute);
      got = w.goto_replay->text() + colour_word(w.goto_replay);
    } else {
      click(command == "G977" ? w.soft_stop : w.fast_stop);
    }
    QCOMPARE(b.msgs().texts(), messages);
    QCOMPARE(got, shown);
    const QByteArray data = command.size() > 1 ? command.mid(1).toLatin1() : QByteArray(command == "G" ? "45" : "");
    QCOMPARE(b.sim().received(), frame(command.at(0).toLatin1(), data));
    VERIFY_ENDED(w);
  }

  // The go-to sends the angle as typed, digits only, 0 to 359; anything else
  // is refused with a message and nothing reaches the controller.
  void go_to_angles_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("red");
    QTest::addColumn<QByteArray>("sent");
    QTest::newRow("90 between blanks") << " 90 " << false << QByteArray("90");
    QTest::newRow("0") << "0" << false << QByteArray("0");
    QTest::newRow("360") << "360" << true << QByteArray();
    QTest::newRow("-1") << "-1" << true << QByteArray();
    QTest::newRow("fraction") << "90.5" << false << QByteArray();
    QTest::newRow("empty") << "" << false << QByteArray();
  }
  void go_to_angles() {
    QFETCH(QString, typed);
    QFETCH(bool, red);
    QFETCH(QByteArray, sent);
    Bench b;
    velta& w = b.w();
    w.go_to_angle->setText(typed);
    QCOMPARE(ui::BACKCOLOR(w.go_to_angle) == ui::RED(), red);  // painted while typed
    click(w.execute);
    if (sent.isEmpty()) {
      QCOMPARE(b.msgs().texts(),
               QStringList{"cmd G not sent: the angle must be a whole number from 0 to 359, received:" +
                           typed.trimmed()});
      QCOMPARE(ui::BACKCOLOR(w.go_to_angle), ui::RED());
      QCOMPARE(b.sim().received(), QByteArray());
    } else {
      QCOMPARE(b.msgs().texts(), QStringList{});
      QCOMPARE(b.sim().received(), frame('G', sent));
    }
    VERIFY_ENDED(w);
  }

  // The own button of each command, and all seven during a go-to, are
  // disabled while the reply is awaited.
  void buttons_locked_while_a_reply_is_awaited() {
    Bench b;
    b.setReplyPeriod(300);
    b.sim().fault("silence");
    velta& w = b.w();
    w.go_to_angle->setText("45");
    const QList<QPushButton*> seven = {w.write_mode, w.read_info, w.execute, w.cmd_monitor,
                                       w.fast_stop, w.soft_stop, w.command_s};
    const std::pair<QPushButton*, QList<QPushButton*>> cases[] = {
        {w.command_qm, {w.command_qm}}, {w.command_s, {w.command_s}}, {w.command_c, {w.command_c}},
        {w.soft_stop, {w.soft_stop}},   {w.fast_stop, {w.fast_stop}}, {w.execute, seven}};
    for (const auto& [button, locked] : cases) {
      QStringList enabled_meanwhile;
      later(100, [&] {
        for (QPushButton* p : locked)
          if (p->isEnabled()) enabled_meanwhile << p->objectName();
      });
      click(button);
      QCOMPARE(enabled_meanwhile, QStringList{});
      VERIFY_ENDED(w);
    }
  }

  // While the monitor runs, every command only sends its frame; the write
  // alone refuses.
  void with_the_monitor_running_commands_only_send() {
    Bench b;
    velta& w = b.w();
    w.go_to_angle->setText("45");
    CALIBRATION& cal = calibration(b);
    cal.calib_angle->setText("90");
    cal.cal_factor->setText("2500");
    const QByteArray sent = sent_with_monitor_running(b, [&] {
      for (QPushButton* p : {w.command_qm, w.command_s, w.command_c, w.command_v, w.read_info, w.execute, w.soft_stop,
                             w.fast_stop, cal.calib360, cal.calib_def, cal.calib, cal.write_factor})
        click(p);
      b.msgs().answer(QMessageBox::Yes);
      w.write_mode_Click();
    });
    QCOMPARE(sent, frame('?') + frame('S') + frame('M') + frame('V') + frame('L') + frame('G', "45") +
                       frame('G', "977") + frame('G', "999") + frame('C') + frame('c') + frame('K', "90") +
                       frame('F', "2500"));
    QCOMPARE(b.msgs().texts().mid(1), QStringList{"Monitor is ACTIVE, cmd W not allowed!"});
    for (QLineEdit* box : {w.fast_pos, w.firm_version, w.curr_pos, w.goto_replay})
      QVERIFY2(box->text().startsWith("???"), qPrintable(box->objectName()));
    VERIFY_ENDED(w);
  }

  // K and F carry the entry as typed, blanks trimmed; what is no whole number
  // never reaches the controller. The boxes are coloured by their ranges.
  void calibration_window() {
    Bench b;
    CALIBRATION& cal = calibration(b);
    click(cal.calib);
    cal.cal_factor->setText(" 2500 ");
    click(cal.write_factor);
    QCOMPARE(b.sim().received(), frame('K', "90") + frame('F', "2500"));
    cal.calib_angle->setText("9x");
    click(cal.calib);
    QCOMPARE(b.msgs().texts().last(),
             QString("cmd K not sent: the calibration angle must be a whole number, received:9x"));
    QCOMPARE(b.sim().received(), QByteArray());
    const struct {
      QLineEdit* box;
      const char* text;
      bool red;
    } colours[] = {{cal.cal_factor, "999", true},  {cal.cal_factor, "15000", false}, {cal.cal_factor, "15001", true},
                   {cal.calib_angle, "10", false}, {cal.calib_angle, "501", true},   {cal.calib_angle, "", true}};
    for (const auto& c : colours) {
      c.box->setText(c.text);
      QCOMPARE(ui::BACKCOLOR(c.box) == ui::RED(), c.red);
    }
    // Shown again, the open window comes with its entries as they are;
    // closed, it is built anew from its design texts.
    QCOMPARE(&calibration(b), &cal);
    QCOMPARE(cal.calib_angle->text(), QString(""));
    cal.close();
    QTRY_VERIFY(!calibration_form());
    QCOMPARE(calibration(b).calib_angle->text(), QString("90"));
  }

  // A stop clicked while "cmd L" waits goes out at once; the read ends
  // telling why, with no box left showing half a reply.
  void a_stop_while_a_read_waits() {
    Bench b;
    velta& w = b.w();
    b.sim().set("lower_limit", "12");
    b.sim().fault("delay=40:800 for=L once");
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
    QCOMPARE(ui::FORECOLOR(w.dipsw), ui::RED());
    QCOMPARE(ui::FORECOLOR(w.label_dipsw), ui::RED());
    VERIFY_ENDED(w);
    click(w.read_info);  // the next read is whole again
    QCOMPARE(w.read_lower_limit->text(), QString("12°"));
  }

  void lock_colours() {
    Bench b({}, 1, false);
    velta& w = b.w();
    const QList<QPushButton*> seven = {w.write_mode, w.read_info, w.execute, w.cmd_monitor,
                                       w.fast_stop, w.soft_stop, w.command_s};
    auto state = [&] {
      QStringList out;
      for (QPushButton* p : seven) out << (p->isEnabled() ? "" : "off ") + ui::BACKCOLOR(p).name();
      return out;
    };
    const QString face = ui::SYS_BUTTON_FACE().name();
    DISABLE_ALL();
    DISABLE_ALL();
    QCOMPARE(state(), QStringList(7, "off " + face));
    ENABLE_ALL();
    QCOMPARE(state(), (QStringList{"#80ff80", "#80ff80", "#80ff80", "#80ff80", "#ffc080", "#ffc080", "#c0c0ff"}));
    // While the monitor runs (anything but exactly "START..."), cmd W stays
    // locked and the monitor's button is red.
    w.cmd_monitor->setText("START");
    DISABLE_ALL();
    ENABLE_ALL();
    QCOMPARE(state().mid(0, 4), (QStringList{"off " + face, "#80ff80", "#80ff80", "#ff0000"}));
  }
};

VELTA_TEST_MAIN(TestCommands)
#include "test_commands.moc"
