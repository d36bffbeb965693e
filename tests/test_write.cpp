// The parameter write "cmd W" against the simulated controller: the value
// lines on the wire and read back, the dialogue's failures, the refusals,
// a stop and edits while it waits, and the write-back of any set a
// controller may hold.
#include <QTest>
#include <random>

#include "app/myVar.h"
#include "protocol/tune_cmd.h"
#include "tests/harness/bench.h"

using namespace tune_cmd;

namespace {
const QString QUESTION = QStringLiteral("THIS COMMAND OVERWRITES THE CBOX SETTINGS!!! ARE YOU SURE?");
const QStringList DEFAULT_LINES = {"1", "0", "500", "1829", "1", "30", "0", "10", "15", "1", "1829", "0", "0", "2", "3049"};

// What the tool must have sent: S, W and the first `n` of `lines`.
QByteArray wire(const QStringList& lines, int n) {
  QByteArray out = frame('S') + frame('W');
  for (int i = 0; i < n; ++i) out += lines[i].toLatin1() + '\r';
  return out;
}

void load_defaults(Bench& b) {
  b.msgs().answer(QMessageBox::Yes);
  b.w().set_default_Click();
  b.msgs().clear();
}

// "control=text" entries on top of what the window holds.
void edit(velta& w, const QStringList& edits) {
  Entries e;
  for (const QString& x : edits) e[x.section('=', 0, 0)] = x.section('=', 1);
  w.set_entries(e);
}

void write(Bench& b) {
  b.msgs().answer(QMessageBox::Yes);
  QTest::mouseClick(b.w().write_mode, Qt::LeftButton);
}

void apply(Bench& b, const QStringList& controls) {
  for (const QString& c : controls) QCOMPARE(b.sim().control(c), QString());
}

QStringList read_out(velta& w) {
  QStringList out;
  for (QLineEdit* e : {w.mode_msg, w.read_lower_limit, w.read_upper_limit, w.read_inv_delay, w.pwm_msg,
                       w.read_pwm_period, w.read_pwm_max_duty, w.read_ramp, w.read_pwm_min_duty, w.optimize_msg,
                       w.read_pres_delay, w.offset_read, w.mot_check_msg, w.check_angle, w.read_rot_timeout})
    out << e->text();
  return out;
}
}  // namespace

class TestWrite : public QObject {
  Q_OBJECT
 private slots:
  // Written, then read back: the tick conversion loses the period's last
  // millisecond (30 ticks are 49ms).
  void written_and_read_back_data() {
    QTest::addColumn<QStringList>("edits");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QStringList>("shown");
    QTest::newRow("default set") << QStringList{"inv_delay=  3 "} << DEFAULT_LINES
                                 << QStringList{"South-stop", "0°", "500°", "3sec", "ON", "49ms", "100%", "10°", "50%",
                                                "ON", "3sec", "0°", "OFF", "2°", "5sec"};
    QTest::newRow("another set")
        << QStringList{"north_stop=1", "lower_limit=010", "upper_limit=350", "inv_delay=2.5", "pwm_on=0",
                       "pwm_period=20", "pwm_max_duty=80", "pwm_min_duty=20", "ramp=5", "optimize=0",
                       "offset_write=-05", "mot_check=1", "check_angle_write=-3.5", "rot_timeout=10"}
        << QStringList{"0", "010", "350", "1524", "0", "10", "2", "5", "2", "0", "1829", "-5", "1", "-4", "6098"}
        << QStringList{"North-stop", "10°", "350°", "2sec", "OFF", "20ms", "83.3333333333333%", "5°", "17%", "OFF",
                       "3sec", "-5°", "ON", "-4°", "10sec"};
  }
  void written_and_read_back() {
    QFETCH(QStringList, edits);
    QFETCH(QStringList, lines);
    QFETCH(QStringList, shown);
    Bench b;
    apply(b, {"set pwm_a 1", "set offset 9"});
    load_defaults(b);
    edit(b.w(), edits);
    const QStringList placeholders = read_out(b.w());
    write(b);
    QCOMPARE(b.msgs().texts(), QStringList{QUESTION});
    QCOMPARE(b.sim().received(), wire(lines, 15));
    QCOMPARE(b.w().inv_delay->text(), b.w().inv_delay->text().trimmed());  // the one text the write changes
    QCOMPARE(read_out(b.w()), placeholders);  // nothing is read back by the write itself
    VERIFY_ENDED(b.w());
    b.w().read_info_Click();
    QCOMPARE(read_out(b.w()), shown);
  }

  // The dialogue's faults beyond its reply frame's (the fault matrix has those).
  void dialogue_failures_data() {
    QTest::addColumn<QStringList>("controls");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<int>("sent");     // value lines sent
    QTest::addColumn<bool>("stored");  // the simulator took the set
    const QString tmo = QStringLiteral("cmd W, Communication timeout on <return>");
    QTest::newRow("E after value 7") << QStringList{"write answer 7 E"}
                                     << QStringList{"Expected N as replay, received: E"} << 7 << false;
    QTest::newRow("silent after value 5") << QStringList{"write stop-after 5"}
                                          << QStringList{"Expected N as replay, received: "} << 5 << false;
    QTest::newRow("silent to S and W") << QStringList{"fault silence"}
                                       << QStringList{"cmd S, Communication timeout on <header>",
                                                      "cmd W: communication timeout on <header>"}
                                       << 0 << false;
    QTest::newRow("readiness X") << QStringList{"fault replace=5:X for=W"}
                                 << QStringList{"<data> B or R invalid, received:X"} << 0 << false;
    QTest::newRow("nothing after R") << QStringList{"fault cut=6 for=W"} << QStringList{tmo} << 0 << false;
    QTest::newRow("no first N") << QStringList{"fault replace=7:Q for=W"} << QStringList{"Expected N, received:Q"}
                                << 0 << false;
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
    write(b);
    QCOMPARE(b.msgs().texts(), QStringList{QUESTION} + messages);
    QCOMPARE(b.sim().received(), wire(DEFAULT_LINES, sent));
    QCOMPARE(b.sim().control("get sets"), QString(stored ? "1" : "0"));
    VERIFY_ENDED(b.w());
  }

  // No, a port held elsewhere, garbage in a box (a running monitor still
  // gets its own refusal first): nothing reaches the controller.
  void nothing_sent() {
    Bench b;
    load_defaults(b);
    b.w().write_mode_Click();  // answered No
    const ui::MsgBoxRequest& box = b.msgs().boxes().front();
    QCOMPARE(QStringList({box.text, box.title}), QStringList({QUESTION, "WRITE PARAMETERS COMMAND"}));
    QVERIFY(box.buttons == (QMessageBox::Yes | QMessageBox::No) && box.default_button == QMessageBox::No &&
            box.icon == QMessageBox::Critical);
    {
      const auto other = hold_port(1);
      write(b);  // once inside S, once for the write itself
      QCOMPARE(b.msgs().texts().mid(1), (QStringList{QUESTION, port_in_use_text(1), port_in_use_text(1)}));
    }
    b.msgs().clear();
    edit(b.w(), {"offset_write=5.5"});
    write(b);
    QCOMPARE(b.msgs().texts().last(),
             QString("cmd W not sent: Offset must be a whole number of degrees from -70 to 70, received:5.5"));
    VERIFY_ENDED(b.w());
    const QByteArray sent = sent_with_monitor_running(b, [&b] {
      b.msgs().answer(QMessageBox::Yes);
      b.w().write_mode_Click();
    });
    QCOMPARE(sent, QByteArray());
    QCOMPARE(b.msgs().texts().last(), QString("Monitor is ACTIVE, cmd W not allowed!"));
    QCOMPARE(b.sim().received(), QByteArray());
  }

  // A stop goes out at once while the write waits; the write ends saying
  // what it left in the controller.
  void a_stop_while_the_write_waits_data() {
    QTest::addColumn<QStringList>("controls");
    QTest::addColumn<int>("sent");
    QTest::addColumn<QString>("left");
    QTest::newRow("during its S") << QStringList{"fault delay=3:800 for=S once"} << -1
                                  << "Nothing was written to the CBOX.";
    QTest::newRow("during its values") << QStringList{"write delay 3 800"} << 3
                                       << "The CBOX may hold the new set only in part: read it with cmd L.";
  }
  void a_stop_while_the_write_waits() {
    QFETCH(QStringList, controls);
    QFETCH(int, sent);
    QFETCH(QString, left);
    Bench b;
    load_defaults(b);
    apply(b, controls);
    later(300, [&] { QTest::mouseClick(b.w().fast_stop, Qt::LeftButton); });
    write(b);
    QCOMPARE(b.msgs().texts(), (QStringList{QUESTION, "cmd W ended: cmd G999 was sent while it waited for its "
                                                      "reply. " + left}));
    QCOMPARE(b.sim().received(), (sent < 0 ? frame('S') : wire(DEFAULT_LINES, sent)) + frame('G', "999"));
    QCOMPARE(b.sim().control("get sets"), QString("0"));
    VERIFY_ENDED(b.w());
  }

  // The boxes stay editable while the write waits: a value read when it is
  // sent carries the edit, one taken before the frame does not, and a box
  // turned invalid stops the set before its value goes out. Only the two
  // stops are usable meanwhile.
  void edits_while_the_write_waits_data() {
    QTest::addColumn<QStringList>("edits");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("sent");
    QTest::newRow("edits reach the controller")
        << QStringList{"upper_limit=400", "rot_timeout=10", "pwm_period=20", "pwm_on=0"} << QString() << 15;
    QTest::newRow("an offset turned invalid")
        << QStringList{"offset_write=-"}
        << "cmd W stopped before value 2: Offset must be a whole number of degrees from -70 to 70, received:-" << 1;
  }
  void edits_while_the_write_waits() {
    QFETCH(QStringList, edits);
    QFETCH(QString, message);
    QFETCH(int, sent);
    Bench b;
    load_defaults(b);
    b.sim().control("write delay 1 600");  // the prompt after value 1 comes late
    QStringList usable;
    later(300, [&] {
      for (QPushButton* p : b.w().findChildren<QPushButton*>())
        if (p->isEnabled() && p->parentWidget() != b.w().Frame2 && p != b.w().set_default) usable << p->objectName();
      edit(b.w(), edits);
    });
    write(b);
    QCOMPARE(b.msgs().texts(), message.isEmpty() ? QStringList(QUESTION) : (QStringList() << QUESTION << message));
    QStringList lines = DEFAULT_LINES;
    if (sent == 15) lines[2] = "400", lines[14] = "6098";
    QCOMPARE(b.sim().received(), wire(lines, sent));
    usable.sort();
    const QStringList expected = {"calib", "command_c", "command_qm", "command_v", "fast_stop", "soft_stop"};
    QCOMPARE(usable, expected);
    VERIFY_ENDED(b.w());
  }

  // Any set a controller may hold, read at start-up and written back with no
  // edit, goes out with no message as the record's conversions give it from
  // the boxes the read filled.
  void a_read_set_is_written_back() {
    Bench b({"--no-pacing"});
    for (unsigned seed : {11u, 12u}) {
      std::mt19937 rng(seed);
      auto in = [&rng](long lo, long hi) { return QString::number(std::uniform_int_distribution<long>(lo, hi)(rng)); };
      for (int i = 0; i < 100; ++i) {
        const long a = in(0, 99999).toLong(), b_ticks = in(a == 0 ? 1 : 0, 99999 - a).toLong();
        const QStringList set = {in(0, 2),  in(0, 500), in(0, 500), in(0, 99694), in(0, 1), QString::number(a),
                                 QString::number(b_ticks), in(0, 999), in(0, a + b_ticks), in(0, 1), in(0, 99694),
                                 in(-70, 70), in(0, 1), in(0, 359), in(0, 99694)};
        const char* keys[] = {"stop_mode", "lower_limit", "upper_limit", "inv_delay", "pwm_on", "pwm_a", "pwm_b", "ramp",
                              "pwm_c", "optimize", "pres_delay", "offset", "mot_check", "check_angle", "rot_timeout"};
        for (int n = 0; n < RECORD_VALUES; ++n) b.sim().set(keys[n], set[n]);
        myVar::fill_set_fields = true;
        b.w().read_info_Click();
        myVar::fill_set_fields = false;
        b.sim().received();
        const Entries entries = b.w().entries();
        QStringList lines;
        for (int n = 1; n <= RECORD_VALUES; ++n) lines << WIRE_VALUE(entries, n);
        write(b);
        const QString context = QString("seed %1 set %2: %3").arg(seed).arg(i).arg(set.join(' '));
        QVERIFY2(b.msgs().texts() == QStringList{QUESTION}, qPrintable(context + " | " + b.msgs().texts().join('|')));
        QVERIFY2(b.sim().received() == wire(lines, 15), qPrintable(context));
        b.msgs().clear();
      }
    }
  }
};

VELTA_TEST_MAIN(TestWrite)
#include "test_write.moc"
