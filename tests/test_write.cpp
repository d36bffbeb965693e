// The parameter write "cmd W" against the simulated controller: the value
// lines on the wire, a set written and read back, every failure of the
// dialogue, the refusal of values the controller cannot hold, and the lock.
#include <QTest>

#include "app/myVar.h"
#include "protocol/tune_cmd.h"
#include "tests/harness/bench.h"
#include "ui/colours.h"

using namespace tune_cmd;

namespace {
const QString QUESTION = QStringLiteral("THIS COMMAND OVERWRITES THE CBOX SETTINGS!!! ARE YOU SURE?");

// The default set as the fifteen value lines.
const QStringList DEFAULT_LINES = {"1", "0", "500", "1829", "1", "30", "0", "10",
                                   "15", "1", "1829", "0", "0", "2", "3049"};

// "n=text" overrides (n = 1..15) of the default lines.
QStringList lines_with(const QStringList& overrides) {
  QStringList out = DEFAULT_LINES;
  for (const QString& o : overrides) out[o.section('=', 0, 0).toInt() - 1] = o.section('=', 1);
  return out;
}

// What the tool must have sent: S, W and the first `n` of `lines`.
QByteArray wire(const QStringList& lines, int n) {
  QByteArray out = frame('S') + frame('W');
  for (int i = 0; i < n; ++i) out += lines[i].toLatin1() + '\r';
  return out;
}

// Fills the frame with the default set through "Set Default".
void load_defaults(Bench& b) {
  b.msgs().answer(QMessageBox::Yes);
  b.w().set_default_Click();
  b.msgs().clear();
}

// "box=text" for entry boxes; check boxes take 0, 1 or "partial"; "stop=none"
// clears both stop options (a read that reported absolute mode).
void edit(velta& w, const QStringList& edits) {
  for (const QString& e : edits) {
    const QString name = e.section('=', 0, 0), value = e.section('=', 1);
    if (name == "stop") {
      for (QRadioButton* r : {w.north_stop, w.south_stop}) r->setAutoExclusive(false);
      w.north_stop->setChecked(false);
      w.south_stop->setChecked(false);
      for (QRadioButton* r : {w.north_stop, w.south_stop}) r->setAutoExclusive(true);
    } else if (name == "north_stop") {
      w.north_stop->setChecked(true);
    } else if (auto* box = w.findChild<QCheckBox*>(name)) {
      box->setTristate(value == "partial");
      box->setCheckState(value == "partial" ? Qt::PartiallyChecked : value == "1" ? Qt::Checked : Qt::Unchecked);
    } else if (auto* line = w.findChild<QLineEdit*>(name)) {
      line->setText(value);
    } else {
      qFatal("no control %s", qPrintable(name));
    }
  }
}

QList<QPushButton*> exchange_buttons(velta& w) {
  return {w.write_mode, w.read_info, w.execute, w.cmd_monitor, w.fast_stop, w.soft_stop, w.command_s};
}

bool all_enabled(velta& w) {
  for (QPushButton* p : exchange_buttons(w))
    if (!p->isEnabled()) return false;
  return true;
}

// The end of every write with the monitor idle: buttons back in their colours,
// port closed, reply timer off.
void expect_ended(velta& w) {
  const QColor green(128, 255, 128), orange(255, 192, 128), blue(192, 192, 255);
  const QColor colours[] = {green, green, green, green, orange, orange, blue};
  int i = 0;
  for (QPushButton* p : exchange_buttons(w)) {
    QVERIFY2(p->isEnabled(), qPrintable(p->objectName()));
    QCOMPARE(ui::BACKCOLOR(p), colours[i++]);
  }
  QVERIFY(!MSComm1()->portOpen());
  QVERIFY(!Timer1()->isActive());
  QVERIFY(!myVar::reply_timeout);
}

// Enabled flag and colour of the seven buttons, for the ways out that must
// leave them untouched.
QStringList button_state(velta& w) {
  QStringList out;
  for (QPushButton* p : exchange_buttons(w))
    out << p->objectName() + (p->isEnabled() ? " enabled " : " disabled ") + ui::BACKCOLOR(p).name();
  return out;
}

QStringList read_out(velta& w) {
  QStringList out;
  for (QLineEdit* e : {w.mode_msg, w.read_lower_limit, w.read_upper_limit, w.read_inv_delay, w.pwm_msg,
                       w.read_pwm_period, w.read_pwm_max_duty, w.read_ramp, w.read_pwm_min_duty, w.optimize_msg,
                       w.read_pres_delay, w.offset_read, w.mot_check_msg, w.check_angle, w.read_rot_timeout})
    out << e->text();
  return out;
}

// A set in the simulator that differs from the default set in every value.
const QStringList OTHER_SET = {
    "set stop_mode 0",  "set lower_limit 5", "set upper_limit 400", "set inv_delay 610",  "set pwm_on 0",
    "set pwm_a 10",     "set pwm_b 10",      "set ramp 5",          "set pwm_c 2",        "set optimize 0",
    "set pres_delay 610", "set offset -70",  "set mot_check 1",     "set check_angle 3",  "set rot_timeout 1829",
};

void apply(Bench& b, const QStringList& controls) {
  for (const QString& c : controls) QCOMPARE(b.sim().control(c), QString());
}
}  // namespace

class TestWrite : public QObject {
  Q_OBJECT
 private slots:
  void value_lines_data() {
    QTest::addColumn<QStringList>("edits");  // on top of the default set
    QTest::addColumn<QStringList>("lines");  // overrides of the default lines
    QTest::newRow("default set") << QStringList{} << QStringList{};
    QTest::newRow("Rev. Delay 2.5 sec") << QStringList{"inv_delay=2.5"} << QStringList{"4=1524"};
    QTest::newRow("Rev. Delay between blanks") << QStringList{"inv_delay=  3 "} << QStringList{};
    QTest::newRow("period 20, max 80, min 20")
        << QStringList{"pwm_period=20", "pwm_max_duty=80", "pwm_min_duty=20"} << QStringList{"6=10", "7=2", "9=2"};
    QTest::newRow("offset -05") << QStringList{"offset_write=-05"} << QStringList{"12=-5"};
    QTest::newRow("offset 05 between blanks") << QStringList{"offset_write= 05  "} << QStringList{"12=05"};
    QTest::newRow("offset +5") << QStringList{"offset_write=+5"} << QStringList{"12=+5"};
    QTest::newRow("check angle 2.7") << QStringList{"check_angle_write=2.7"} << QStringList{"14=2"};
    QTest::newRow("check angle -3.5") << QStringList{"check_angle_write=-3.5"} << QStringList{"14=-4"};
    QTest::newRow("absolute mode: no stop option") << QStringList{"stop=none"} << QStringList{"1="};
    QTest::newRow("north-stop") << QStringList{"north_stop=1"} << QStringList{"1=0"};
    QTest::newRow("limits as typed")
        << QStringList{"lower_limit=0010", "upper_limit= 0500 "} << QStringList{"2=0010", "3=0500"};
    QTest::newRow("options: PWM greyed, optimize off, rotation check on")
        << QStringList{"pwm_on=partial", "optimize=0", "mot_check=1"} << QStringList{"5=0", "10=0", "13=1"};
    QTest::newRow("shortest and longest times")
        << QStringList{"pres_delay=0.001", "rot_timeout=163.99"} << QStringList{"11=1", "15=99994"};
  }
  void value_lines() {
    QFETCH(QStringList, edits);
    QFETCH(QStringList, lines);
    Bench b;
    load_defaults(b);
    edit(b.w(), edits);
    const QString inv_delay = b.w().inv_delay->text();
    b.msgs().answer(QMessageBox::Yes);
    QTest::mouseClick(b.w().write_mode, Qt::LeftButton);
    QCOMPARE(b.msgs().texts(), QStringList{QUESTION});
    QCOMPARE(b.sim().received(), wire(lines_with(lines), 15));
    QCOMPARE(b.sim().control("get sets"), QString("1"));
    // The one text the write changes: the reverse delay, trimmed.
    QCOMPARE(b.w().inv_delay->text(), inv_delay.trimmed());
    expect_ended(b.w());
  }

  void written_and_read_back_data() {
    QTest::addColumn<QStringList>("edits");
    QTest::addColumn<QStringList>("shown");
    // The tick conversion loses the period's last millisecond: 30 ticks are 49ms.
    QTest::newRow("default set") << QStringList{}
                                 << QStringList{"South-stop", "0°", "500°", "3sec", "ON", "49ms", "100%", "10°",
                                                "50%", "ON", "3sec", "0°", "OFF", "2°", "5sec"};
    QTest::newRow("another set")
        << QStringList{"north_stop=1", "lower_limit=010", "upper_limit=350", "inv_delay=2.5", "pwm_on=0",
                       "pwm_period=20", "pwm_max_duty=80", "pwm_min_duty=20", "ramp=5", "optimize=0",
                       "offset_write=-05", "mot_check=1", "check_angle_write=-3.5", "rot_timeout=10"}
        << QStringList{"North-stop", "10°", "350°", "2sec", "OFF", "20ms", "83.3333333333333%", "5°",
                       "17%", "OFF", "3sec", "-5°", "ON", "-4°", "10sec"};
  }
  void written_and_read_back() {
    QFETCH(QStringList, edits);
    QFETCH(QStringList, shown);
    Bench b;
    apply(b, OTHER_SET);
    load_defaults(b);
    edit(b.w(), edits);
    const QStringList placeholders = read_out(b.w());
    b.msgs().answer(QMessageBox::Yes);
    b.w().write_mode_Click();
    QCOMPARE(b.msgs().texts(), QStringList{QUESTION});
    // Nothing is read back by the write itself.
    QCOMPARE(read_out(b.w()), placeholders);
    b.w().read_info_Click();
    QCOMPARE(b.msgs().texts(), QStringList{QUESTION});
    QCOMPARE(read_out(b.w()), shown);
  }

  void dialogue_failures_data() {
    QTest::addColumn<QStringList>("controls");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<int>("sent");    // value lines sent
    QTest::addColumn<bool>("stored");  // the simulator took the set
    const QString tmo = QStringLiteral("cmd W, Communication timeout on <return>");
    QTest::newRow("busy") << QStringList{"fault busy for=W"}
                          << QStringList{"CBOX Busy, parameters cannot be updated!"} << 0 << false;
    QTest::newRow("wrong letter after value 7") << QStringList{"write answer 7 E"}
                                                << QStringList{"Expected N as replay, received: E"} << 7 << false;
    QTest::newRow("silent after value 5") << QStringList{"write stop-after 5"}
                                          << QStringList{"Expected N as replay, received: "} << 5 << false;
    QTest::newRow("silence")
        << QStringList{"fault silence"}
        << QStringList{"cmd S, Communication timeout on <header>", "cmd W: communication timeout on <header>"} << 0
        << false;
    QTest::newRow("identifier") << QStringList{"fault wrong-header for=W"}
                                << QStringList{"<Identifier> invalid, received:X"} << 0 << false;
    QTest::newRow("separator 1") << QStringList{"fault replace=2:; for=W"}
                                 << QStringList{"<Separator>1 invalid, received:;"} << 0 << false;
    QTest::newRow("command echo") << QStringList{"fault wrong-code for=W"}
                                  << QStringList{"<Cmd> invalid, received:Z"} << 0 << false;
    QTest::newRow("separator 2") << QStringList{"fault bad-sep for=W"}
                                 << QStringList{"<Separator>2 invalid, received:;"} << 0 << false;
    QTest::newRow("readiness X") << QStringList{"fault replace=5:X for=W"}
                                 << QStringList{"<data> B or R invalid, received:X"} << 0 << false;
    QTest::newRow("line feed after R") << QStringList{"fault replace=6:10 for=W"}
                                       << QStringList{"Terminator invalid, received ASC:10"} << 0 << false;
    QTest::newRow("nothing after R") << QStringList{"fault cut=6 for=W"} << QStringList{tmo} << 0 << false;
    QTest::newRow("no first N") << QStringList{"fault replace=7:Q for=W"}
                                << QStringList{"Expected N, received:Q"} << 0 << false;
    QTest::newRow("first N never comes") << QStringList{"fault cut=7 for=W"}
                                         << QStringList{"Expected N, received:"} << 0 << false;
    QTest::newRow("N after value 15") << QStringList{"write answer 15 N"}
                                      << QStringList{"Terminator invalid, received ASC:78 - N"} << 15 << true;
    // The controller took all fifteen but never confirmed: no success is told.
    QTest::newRow("no terminator after value 15") << QStringList{"write stop-after 15"} << QStringList{tmo} << 15
                                                  << true;
    QTest::newRow("S refused: the write goes on") << QStringList{"fault busy for=S"}
                                                  << QStringList{"R not received:B"} << 15 << true;
  }
  void dialogue_failures() {
    QFETCH(QStringList, controls);
    QFETCH(QStringList, messages);
    QFETCH(int, sent);
    QFETCH(bool, stored);
    Bench b;
    b.setReplyPeriod(500);
    apply(b, controls);
    load_defaults(b);
    b.msgs().answer(QMessageBox::Yes);
    QTest::mouseClick(b.w().write_mode, Qt::LeftButton);
    QCOMPARE(b.msgs().texts(), QStringList{QUESTION} + messages);
    QCOMPARE(b.sim().received(), wire(DEFAULT_LINES, sent));
    QCOMPARE(b.sim().control("get sets"), QString(stored ? "1" : "0"));
    expect_ended(b.w());
    // The simulator takes the next command as before.
    b.sim().clearFaults();
    b.sim().control("write clear");
    b.w().read_info_Click();
    QCOMPARE(b.msgs().texts(), QStringList{QUESTION} + messages);
    QCOMPARE(b.w().read_upper_limit->text(), QString("500°"));
  }

  void a_port_that_cannot_be_opened() {
    Bench b;
    load_defaults(b);
    SerialComm other;  // another program holds the port
    QVERIFY(other.setCommPort(1));
    QVERIFY(other.setPortOpen(true));
    b.msgs().answer(QMessageBox::Yes);
    b.w().write_mode_Click();
    // Once inside S, once for the write itself.
    QCOMPARE(b.msgs().texts(), (QStringList{QUESTION, port_in_use_text(1), port_in_use_text(1)}));
    QCOMPARE(b.sim().received(), QByteArray());
    other.setPortOpen(false);
    expect_ended(b.w());
  }

  void with_the_monitor_running_nothing_is_sent() {
    Bench b;
    load_defaults(b);
    b.w().cmd_monitor->setText("STOP");  // the monitor state is the caption
    QVERIFY(!OPEN_COM());
    b.msgs().answer(QMessageBox::Yes);
    b.w().write_mode_Click();
    QCOMPARE(b.msgs().texts(), (QStringList{QUESTION, "Monitor is ACTIVE, cmd W not allowed!"}));
    QTest::qWait(100);
    QCOMPARE(b.sim().received(), QByteArray());
    QVERIFY(MSComm1()->portOpen());
    QVERIFY(!b.w().write_mode->isEnabled());
    QCOMPARE(ui::BACKCOLOR(b.w().write_mode), ui::SYS_BUTTON_FACE());
    QCOMPARE(ui::BACKCOLOR(b.w().cmd_monitor), ui::RED());
    for (QPushButton* p : {b.w().read_info, b.w().execute, b.w().cmd_monitor, b.w().fast_stop, b.w().soft_stop,
                           b.w().command_s})
      QVERIFY2(p->isEnabled(), qPrintable(p->objectName()));
    b.w().cmd_monitor->setText("START...");
    CLOSE_COM();
  }

  void answered_no_nothing_happens() {
    Bench b;
    load_defaults(b);
    b.w().inv_delay->setText(" 3 ");
    const QStringList buttons = button_state(b.w());
    b.w().write_mode_Click();  // no answer queued: No
    QCOMPARE(b.msgs().boxes().size(), std::size_t(1));
    const ui::MsgBoxRequest& box = b.msgs().boxes().front();
    QCOMPARE(box.text, QUESTION);
    QCOMPARE(box.title, QString("WRITE PARAMETERS COMMAND"));
    QCOMPARE(box.buttons, QMessageBox::Yes | QMessageBox::No);
    QCOMPARE(box.default_button, QMessageBox::No);
    QCOMPARE(box.icon, QMessageBox::Critical);
    QTest::qWait(50);
    QCOMPARE(b.sim().received(), QByteArray());
    QCOMPARE(b.w().inv_delay->text(), QString(" 3 "));
    QCOMPARE(button_state(b.w()), buttons);
    QVERIFY(!MSComm1()->portOpen());
  }

  // Nothing the controller cannot hold leaves the tool: one message naming
  // the field, nothing sent, nothing locked.
  void values_the_controller_cannot_hold_data() {
    QTest::addColumn<QStringList>("edits");
    QTest::addColumn<QString>("message");
    const QString limit = QStringLiteral("must be a whole number of degrees from 0 to 500, received:");
    const QString secs = QStringLiteral("must be a number of seconds, received:");
    const QString time = QStringLiteral("must give a time of 0 to 99999 ticks of 1.64 ms, received:");
    const QString offset = QStringLiteral("Offset must be a whole number of degrees from -70 to 70, received:");
    const QString ticks = QStringLiteral(
        "PWM:period and PWM:max.duty must give on- and off-times of 0 to 99999 ticks of 1.64 ms, received:");
    QTest::newRow("lower limit ???") << QStringList{"lower_limit=???"} << "Lower Limit " + limit + "???";
    QTest::newRow("lower limit -1") << QStringList{"lower_limit=-1"} << "Lower Limit " + limit + "-1";
    QTest::newRow("lower limit 10.5") << QStringList{"lower_limit=10.5"} << "Lower Limit " + limit + "10.5";
    QTest::newRow("upper limit 501") << QStringList{"upper_limit=501"} << "Upper Limit " + limit + "501";
    QTest::newRow("upper limit empty") << QStringList{"upper_limit="} << "Upper Limit " + limit;
    QTest::newRow("Rev. Delay 1,5") << QStringList{"inv_delay=1,5"} << "Rev. Delay " + secs + "1,5";
    QTest::newRow("Rev. Delay ???") << QStringList{"inv_delay=???"} << "Rev. Delay " + secs + "???";
    QTest::newRow("Rev. Delay -1") << QStringList{"inv_delay=-1"} << "Rev. Delay " + time + "-1";
    QTest::newRow("Preset Delay 164 (100000 ticks)") << QStringList{"pres_delay=164"}
                                                     << "Preset Delay " + time + "164";
    QTest::newRow("Rot. Timeout empty") << QStringList{"rot_timeout=  "} << "Rot. Timeout " + secs;
    QTest::newRow("period abc") << QStringList{"pwm_period=abc"}
                                << "PWM:period must be a number of milliseconds, received:abc";
    QTest::newRow("max duty 150") << QStringList{"pwm_max_duty=150"}
                                  << ticks + "50 and 150";
    QTest::newRow("ramp -5") << QStringList{"ramp=-5"}
                             << "PWM:ramp must be a whole number of degrees from 0 to 99999, received:-5";
    QTest::newRow("ramp 100000") << QStringList{"ramp=100000"}
                                 << "PWM:ramp must be a whole number of degrees from 0 to 99999, received:100000";
    QTest::newRow("negative period") << QStringList{"pwm_period=-50"}
                                     << ticks + "-50 and 100";
    QTest::newRow("period 1e6 ms") << QStringList{"pwm_period=1e6"} << ticks + "1e6 and 100";
    QTest::newRow("period beyond double") << QStringList{"pwm_period=1e400"} << ticks + "1e400 and 100";
    QTest::newRow("offset - alone") << QStringList{"offset_write=-"} << offset + "-";
    QTest::newRow("offset 71") << QStringList{"offset_write=71"} << offset + "71";
    QTest::newRow("offset -71") << QStringList{"offset_write=-71"} << offset + "-71";
    QTest::newRow("offset 5.5") << QStringList{"offset_write=5.5"} << offset + "5.5";
    QTest::newRow("offset ???") << QStringList{"offset_write=???"} << offset + "???";
    QTest::newRow("check angle x") << QStringList{"check_angle_write=x"}
                                   << "Check angle must be a number of degrees from -99999 to 99999, received:x";
    QTest::newRow("check angle 100000")
        << QStringList{"check_angle_write=100000"}
        << "Check angle must be a number of degrees from -99999 to 99999, received:100000";
  }
  void values_the_controller_cannot_hold() {
    QFETCH(QStringList, edits);
    QFETCH(QString, message);
    Bench b;
    load_defaults(b);
    b.w().inv_delay->setText(" 3 ");
    edit(b.w(), edits);
    // Each box with whether the seven buttons were all enabled when it showed.
    std::vector<std::pair<QString, bool>> seen;
    ui::set_msgbox_hook([&](const ui::MsgBoxRequest& r) {
      seen.push_back({r.text, all_enabled(b.w())});
      return (r.buttons & QMessageBox::Yes) ? QMessageBox::Yes : QMessageBox::Ok;
    });
    b.w().write_mode_Click();
    ui::set_msgbox_hook(nullptr);
    QCOMPARE(seen.size(), std::size_t(2));
    QCOMPARE(seen[0].first, QUESTION);
    QCOMPARE(seen[1].first, "cmd W not sent: " + message);
    QTest::qWait(50);
    QCOMPARE(b.sim().received(), QByteArray());
    QVERIFY(!MSComm1()->portOpen());
  }

  // A stop goes out at once while the write waits for a prompt; the write
  // then ends as after a time-out and sends nothing more.
  void a_stop_while_the_write_waits() {
    Bench b;
    load_defaults(b);
    b.sim().control("write delay 3 800");
    later(300, [&] { QTest::mouseClick(b.w().fast_stop, Qt::LeftButton); });
    b.msgs().answer(QMessageBox::Yes);
    b.w().write_mode_Click();
    QCOMPARE(b.msgs().texts(),
             (QStringList{QUESTION, "cmd W ended: cmd G999 was sent while it waited for its reply. The CBOX may "
                                    "hold the new set only in part: read it with cmd L."}));
    QCOMPARE(b.sim().received(), wire(DEFAULT_LINES, 3) + frame('G', "999"));
    QCOMPARE(b.sim().control("get sets"), QString("0"));
    expect_ended(b.w());
  }

  // The boxes stay editable while the write waits: a value read when it is
  // sent carries the edit, one taken before the frame does not, and a box
  // turned invalid stops the set before its value goes out.
  void edits_while_the_write_waits_data() {
    QTest::addColumn<QStringList>("edits");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<int>("sent");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("edits reach the controller")
        << QStringList{"upper_limit=400", "rot_timeout=10", "pwm_period=20", "pwm_on=0"} << QStringList{} << 15
        << QStringList{"3=400", "15=6098"};
    QTest::newRow("an offset turned invalid")
        << QStringList{"offset_write=-"}
        << QStringList{"cmd W stopped before value 2: Offset must be a whole number of degrees from -70 to 70, "
                       "received:-"}
        << 1 << QStringList{};
  }
  void edits_while_the_write_waits() {
    QFETCH(QStringList, edits);
    QFETCH(QStringList, messages);
    QFETCH(int, sent);
    QFETCH(QStringList, lines);
    Bench b;
    load_defaults(b);
    b.sim().control("write delay 1 600");  // the prompt after value 1 comes late
    std::vector<std::pair<QString, bool>> during;
    later(300, [&] {
      for (QPushButton* p : exchange_buttons(b.w())) during.push_back({p->objectName(), p->isEnabled()});
      edit(b.w(), edits);
    });
    b.msgs().answer(QMessageBox::Yes);
    b.w().write_mode_Click();
    QCOMPARE(b.msgs().texts(), QStringList{QUESTION} + messages);
    QCOMPARE(b.sim().received(), wire(lines_with(lines), sent));
    QCOMPARE(b.sim().control("get sets"), QString(sent == 15 ? "1" : "0"));
    // Only the two stops are usable while the write waits.
    QCOMPARE(during.size(), std::size_t(7));
    for (const auto& [name, enabled] : during)
      QVERIFY2(enabled == (name == "fast_stop" || name == "soft_stop"), qPrintable(name));
    expect_ended(b.w());
  }
};

VELTA_TEST_MAIN(TestWrite)
#include "test_write.moc"
