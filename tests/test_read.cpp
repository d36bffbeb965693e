// The parameter read "cmd L" against the simulated controller: the boxes a
// reply fills, the entry controls loaded at start-up, and how far a reply that
// fails at each position of its body has been shown.
#include <QTest>

#include "app/myVar.h"
#include "tests/harness/bench.h"
#include "ui/colours.h"

using tune_cmd::Entries;

namespace {
// The read-out boxes in the order the reply fills them, and what the
// simulator's own set shows in them.
const QStringList BOXES = {"curr_pos",      "cbox_status",     "mode_msg",          "read_lower_limit",
                           "read_upper_limit", "read_inv_delay", "pwm_msg",          "read_pwm_period",
                           "read_pwm_max_duty", "read_ramp",     "read_pwm_min_duty", "optimize_msg",
                           "read_pres_delay", "offset_read",    "mot_check_msg",     "check_angle",
                           "read_rot_timeout", "dipsw",         "cal_fact"};
const QStringList OWN = {"0°", "READY", "South-stop", "0°",  "500°", "3sec", "ON",       "49ms", "100%", "10°",
                         "50%", "ON",   "3sec",       "0°",  "OFF",  "2°",   "5sec",     "DISABLED", "1234"};
// A set that differs from the simulator's own in every box.
const QStringList OTHER_SET = {"set position 200", "fault busy for=L", "set stop_mode 0",  "set lower_limit 5",
                               "set upper_limit 400", "set inv_delay 610", "set pwm_on 0", "set pwm_a 10",
                               "set pwm_b 10",     "set ramp 5",       "set pwm_c 2",       "set optimize 0",
                               "set pres_delay 610", "set offset -70", "set mot_check 1",   "set check_angle 3",
                               "set rot_timeout 1829", "set dip 1",    "set calfactor 999"};
const QStringList OTHER = {"200°", "BUSY", "North-stop", "5°", "400°", "1sec", "OFF",     "33ms", "50%", "5°",
                           "10%",  "OFF",  "1sec",       "-70°", "ON",  "3°",  "3sec",   "ENABLED", "999"};

QStringList shown(velta& w) {
  QStringList out;
  for (const QString& name : BOXES) out << w.findChild<QLineEdit*>(name)->text();
  return out;
}

// Box texts with "box=text" overrides.
QStringList with(QStringList texts, const QStringList& overrides) {
  for (const QString& o : overrides) texts[BOXES.indexOf(o.section('=', 0, 0))] = o.section('=', 1);
  return texts;
}

void apply(Bench& b, const QStringList& controls) {
  for (const QString& c : controls) QCOMPARE(b.sim().control(c), QString());
}

// The worked reply, every field given as raw text.
QStringList worked_example() {
  const QStringList fields = {"00123", "R",     "00001", "00010", "00350", "00610", "00001", "00010", "00010", "00005",
                              "00002", "00000", "00305", "65466", "00001", "00002", "01830", "00000", "01234"};
  QStringList out;
  for (int i = 0; i < fields.size(); ++i) out << QString("raw %1 %2").arg(i + 1).arg(fields[i]);
  return out;
}

// Character index of the separator after field k (1..18) and of the start of
// field k (1..19) in an L reply of five-character fields.
int separator_after(int k) { return k == 1 ? 10 : k == 2 ? 12 : 18 + (k - 3) * 6; }
int field_start(int k) { return k == 1 ? 5 : k == 2 ? 11 : 13 + (k - 3) * 6; }
}  // namespace

class TestRead : public QObject {
  Q_OBJECT
 private slots:
  void boxes_data() {
    QTest::addColumn<QStringList>("controls");
    QTest::addColumn<QStringList>("expected");  // overrides of the simulator's own set
    QTest::newRow("worked example") << worked_example()
                                    << QStringList{"curr_pos=123°", "read_lower_limit=10°", "read_upper_limit=350°",
                                                   "read_inv_delay=1sec", "read_pwm_period=33ms",
                                                   "read_pwm_max_duty=50%", "read_ramp=5°", "read_pwm_min_duty=10%",
                                                   "optimize_msg=OFF", "read_pres_delay=1sec", "offset_read=-70°",
                                                   "mot_check_msg=ON", "read_rot_timeout=3sec"};
    QTest::newRow("simulator's own set, noise before STX") << QStringList{"fault noise=9"} << QStringList{};
    QTest::newRow("busy, negative position")
        << QStringList{"fault busy for=L", "raw 1 -00005"} << QStringList{"cbox_status=BUSY", "curr_pos=-5°"};
    // Beyond the 16-bit count: shown as invalid, the rest of the reply still read.
    QTest::newRow("offset 70000") << QStringList{"raw 14 70000", "set check_angle 7"}
                                  << QStringList{"offset_read=invalid:70000", "check_angle=7°"};
    QTest::newRow("A and B zero")
        << QStringList{"set pwm_a 0", "set pwm_b 0", "set pwm_c 7"}
        << QStringList{"read_pwm_period=???ms", "read_pwm_max_duty=???%", "read_pwm_min_duty=???%"};
    QTest::newRow("only 0 means off") << QStringList{"set pwm_on 2", "set optimize 0", "set mot_check 5"}
                                      << QStringList{"optimize_msg=OFF", "mot_check_msg=ON"};
    QTest::newRow("absolute, DIP switches enabled") << QStringList{"set stop_mode 2", "set dip 1"}
                                                    << QStringList{"mode_msg=Absolute", "dipsw=ENABLED"};
    QTest::newRow("terminator A after all nineteen") << QStringList{"fault replace=114:A"} << QStringList{};
  }
  void boxes() {
    QFETCH(QStringList, controls);
    QFETCH(QStringList, expected);
    Bench b;
    apply(b, controls);
    const Entries entries = b.w().entries();
    QTest::mouseClick(b.w().read_info, Qt::LeftButton);
    const bool bad_terminator = QString(QTest::currentDataTag()).startsWith("terminator");
    QCOMPARE(b.msgs().texts(), bad_terminator ? QStringList{"<Return> invalid, received ASC:65"} : QStringList{});
    QCOMPARE(shown(b.w()), with(OWN, expected));
    QCOMPARE(ui::BACKCOLOR(b.w().cbox_status) == ui::RED(), b.w().cbox_status->text() == "BUSY");
    const QColor dip = b.w().dipsw->text() == "ENABLED" ? ui::RED() : ui::SYS_WINDOW_TEXT();
    QVERIFY(ui::FORECOLOR(b.w().dipsw) == dip && ui::FORECOLOR(b.w().label_dipsw) == dip);
    QCOMPARE(b.w().entries(), entries);  // a click never loads the entry controls
    QCOMPARE(b.sim().received(), frame('L'));
    VERIFY_ENDED(b.w());
  }

  void start_up_loads_the_entry_controls_data() {
    QTest::addColumn<QStringList>("controls");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("worked example")
        << worked_example()
        << QStringList{"lower_limit=10", "upper_limit=350", "inv_delay=1", "pwm_period=33", "pwm_max_duty=50",
                       "ramp=5", "pwm_min_duty=10", "pres_delay=1", "offset_write=-70", "check_angle_write=2",
                       "rot_timeout=3", "pwm_on=1", "optimize=0", "mot_check=1", "north_stop=0", "south_stop=1"};
    QTest::newRow("absolute clears both options, A and B zero, offset beyond 16 bits")
        << QStringList{"set stop_mode 2", "set pwm_a 0", "set pwm_b 0", "set pwm_on 0", "raw 14 70000"}
        << QStringList{"lower_limit=0", "upper_limit=500", "inv_delay=3", "pwm_period=0", "pwm_max_duty=???",
                       "ramp=10", "pwm_min_duty=???", "pres_delay=3", "offset_write=???", "check_angle_write=2",
                       "rot_timeout=5", "pwm_on=0", "optimize=1", "mot_check=0", "north_stop=0", "south_stop=0"};
  }
  void start_up_loads_the_entry_controls() {
    QFETCH(QStringList, controls);
    QFETCH(QStringList, expected);
    Bench b;
    apply(b, controls);
    b.w().north_stop->setChecked(true);  // the opposite option, so that every change is seen
    myVar::fill_set_fields = true;
    b.w().read_info_Click();
    myVar::fill_set_fields = false;
    QCOMPARE(b.msgs().texts(), QStringList{});
    Entries want;
    for (const QString& e : expected) want[e.section('=', 0, 0)] = e.section('=', 1);
    QCOMPARE(b.w().entries(), want);
  }

  // A reply failing at each position: the boxes before it show the new set,
  // the rest the set of the read before.
  void failures_data() {
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("written");
    const QString sep = "Separator invalid, received:";
    // The PWM period and maximum duty show once the separator after the off-time is in.
    for (int k = 1; k <= 18; ++k)
      QTest::addRow("separator after field %d", k) << QString("fault replace=%1:;").arg(separator_after(k)) << sep + ";"
                                                   << (k == 8 || k == 9 ? 7 : k);
    QTest::newRow("busy/ready letter") << "fault replace=11:X" << "cmd L, <data>(R or B) invalid, received:X" << 1;
    QTest::newRow("stop mode 3") << "raw 3 00003" << "cmd L, <mode>(0, 1 or 2) invalid, received:3" << 2;
    QTest::newRow("silence after field 1") << "fault cut=10" << sep << 1;
    QTest::newRow("stop mode cut short") << QString("fault cut=%1").arg(field_start(3) + 3) << "GET_NUM05() Communication problems!"
                                         << 2;
    for (int k : {7, 9, 10, 19})
      QTest::addRow("field %d cut short", k) << QString("fault cut=%1").arg(field_start(k) + 2)
                                             << "GET_NUM05NT() Communication timeout!" << (k - 1 == 8 ? 7 : k - 1);
    QTest::newRow("terminator never comes") << "fault cut=114" << "cmd L, Communication timeout on <return>" << 19;
  }
  void failures() {
    QFETCH(QString, control);
    QFETCH(QString, message);
    QFETCH(int, written);
    Bench b;
    b.setReplyPeriod(500);
    b.w().read_info_Click();  // a first read fills every box with the simulator's own set
    QCOMPARE(shown(b.w()), OWN);
    b.sim().received();
    apply(b, OTHER_SET);
    apply(b, {control});
    QTest::mouseClick(b.w().read_info, Qt::LeftButton);
    QCOMPARE(b.msgs().texts(), QStringList{message});
    QCOMPARE(shown(b.w()), OTHER.mid(0, written) + OWN.mid(written));
    QCOMPARE(b.sim().received(), frame('L'));
    VERIFY_ENDED(b.w());
  }
};

VELTA_TEST_MAIN(TestRead)
#include "test_read.moc"
