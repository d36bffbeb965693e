// The parameter read "cmd L" against the simulated controller: every box of a
// known parameter set, the entry controls loaded at start-up, and how far a
// reply that fails at each position of its body has been shown.
#include <QTest>

#include "app/myVar.h"
#include "monitor/locking.h"
#include "protocol/tune_cmd.h"
#include "tests/harness/bench.h"
#include "ui/colours.h"

using namespace tune_cmd;

namespace {
// The read-out boxes in the order the reply fills them.
const char* const BOXES[] = {
    "curr_pos",       "cbox_status",       "mode_msg",      "read_lower_limit",  "read_upper_limit",
    "read_inv_delay", "pwm_msg",           "read_pwm_period", "read_pwm_max_duty", "read_ramp",
    "read_pwm_min_duty", "optimize_msg",   "read_pres_delay", "offset_read",     "mot_check_msg",
    "check_angle",    "read_rot_timeout",  "dipsw",         "cal_fact",
};
constexpr int BOX_COUNT = 19;

// What the simulator's own parameter set shows (position 0).
const QStringList DEFAULT_SHOWN = {
    "0°", "READY", "South-stop", "0°", "500°", "3sec", "ON", "49ms", "100%", "10°",
    "50%", "ON", "3sec", "0°", "OFF", "2°", "5sec", "DISABLED", "1234",
};

QStringList shown(velta& w) {
  QStringList out;
  for (const char* name : BOXES) out << w.findChild<QLineEdit*>(QString::fromLatin1(name))->text();
  return out;
}

// "box=text" overrides applied to a list of box texts.
QStringList with(QStringList texts, const QStringList& overrides) {
  for (const QString& o : overrides) {
    const QString name = o.section('=', 0, 0);
    int i = 0;
    while (i < BOX_COUNT && name != QLatin1String(BOXES[i])) ++i;
    if (i == BOX_COUNT) qFatal("no box %s", qPrintable(name));
    texts[i] = o.section('=', 1);
  }
  return texts;
}

// The entry controls of "PARAMETERS SET" as name=value.
QStringList entries(velta& w) {
  QStringList out;
  const Entries e = w.entries();
  for (auto it = e.begin(); it != e.end(); ++it) out << it.key() + "=" + it.value();
  return out;
}

void apply(Bench& b, const QStringList& controls) {
  for (const QString& c : controls) QCOMPARE(b.sim().control(c), QString());
}

// The worked reply: every field given as raw text.
QStringList worked_example() {
  const QStringList fields = {"00123", "R",     "00001", "00010", "00350", "00610", "00001",
                              "00010", "00010", "00005", "00002", "00000", "00305", "65466",
                              "00001", "00002", "01830", "00000", "01234"};
  QStringList out;
  for (int i = 0; i < fields.size(); ++i) out << QString("raw %1 %2").arg(i + 1).arg(fields[i]);
  return out;
}

// A set that differs from the simulator's own in every box.
const QStringList OTHER_SET = {
    "set position 200",  "fault busy for=L",   "set stop_mode 0",   "set lower_limit 5",
    "set upper_limit 400", "set inv_delay 610", "set pwm_on 0",     "set pwm_a 10",
    "set pwm_b 10",      "set ramp 5",         "set pwm_c 2",       "set optimize 0",
    "set pres_delay 610", "set offset -70",    "set mot_check 1",   "set check_angle 3",
    "set rot_timeout 1829", "set dip 1",       "set calfactor 999",
};
const QStringList OTHER_SHOWN = {
    "200°", "BUSY", "North-stop", "5°", "400°", "1sec", "OFF", "33ms", "50%", "5°",
    "10%", "OFF", "1sec", "-70°", "ON", "3°", "3sec", "ENABLED", "999",
};

// Character index of the separator after field k (1..18) and of the start of
// field k (1..19) in an L reply of five-character fields.
int separator_after(int k) { return k == 1 ? 10 : k == 2 ? 12 : 18 + (k - 3) * 6; }
int field_start(int k) { return k == 1 ? 5 : k == 2 ? 11 : 13 + (k - 3) * 6; }
constexpr int TERMINATOR = 114;
// Boxes written once field k is in (the PWM period and maximum duty wait for
// the separator after field 9), and once the separator after it is in too.
int written_by_field(int k) { return k == 8 || k == 9 ? 7 : k; }
int written_by_separator(int k) { return k == 8 ? 7 : k; }
}  // namespace

class TestRead : public QObject {
  Q_OBJECT
 private slots:
  void boxes_data() {
    QTest::addColumn<QStringList>("controls");
    QTest::addColumn<QStringList>("expected");  // overrides of DEFAULT_SHOWN
    QTest::newRow("worked example")
        << worked_example()
        << QStringList{"curr_pos=123°", "mode_msg=South-stop", "read_lower_limit=10°", "read_upper_limit=350°",
                       "read_inv_delay=1sec", "pwm_msg=ON", "read_pwm_period=33ms", "read_pwm_max_duty=50%",
                       "read_ramp=5°", "read_pwm_min_duty=10%", "optimize_msg=OFF", "read_pres_delay=1sec",
                       "offset_read=-70°", "mot_check_msg=ON", "check_angle=2°", "read_rot_timeout=3sec",
                       "dipsw=DISABLED", "cal_fact=1234"};
    QTest::newRow("simulator's own set") << QStringList{} << QStringList{};
    QTest::newRow("noise before STX") << QStringList{"fault noise=9"} << QStringList{};
    QTest::newRow("busy, negative position")
        << QStringList{"fault busy for=L", "raw 1 -00005"} << QStringList{"cbox_status=BUSY", "curr_pos=-5°"};
    QTest::newRow("negative offset sent as its 16-bit count")
        << QStringList{"set offset -70"} << QStringList{"offset_read=-70°"};
    QTest::newRow("offset 32767") << QStringList{"raw 14 32767"} << QStringList{"offset_read=32767°"};
    QTest::newRow("offset 32768") << QStringList{"raw 14 32768"} << QStringList{"offset_read=-32768°"};
    QTest::newRow("offset 65535") << QStringList{"raw 14 65535"} << QStringList{"offset_read=-1°"};
    QTest::newRow("offset 00025") << QStringList{"raw 14 00025"} << QStringList{"offset_read=25°"};
    QTest::newRow("offset with a sign") << QStringList{"raw 14 -00070"} << QStringList{"offset_read=-70°"};
    // Beyond the 16-bit count: shown as invalid, the rest of the reply still read.
    QTest::newRow("offset 70000")
        << QStringList{"raw 14 70000", "set check_angle 7"}
        << QStringList{"offset_read=invalid:70000", "check_angle=7°"};
    QTest::newRow("offset 99999") << QStringList{"raw 14 99999"} << QStringList{"offset_read=invalid:99999"};
    QTest::newRow("A and B zero")
        << QStringList{"set pwm_a 0", "set pwm_b 0", "set pwm_c 7"}
        << QStringList{"read_pwm_period=???ms", "read_pwm_max_duty=???%", "read_pwm_min_duty=???%"};
    QTest::newRow("max duty not rounded")
        << QStringList{"set pwm_a 1", "set pwm_b 2", "set pwm_c 1"}
        << QStringList{"read_pwm_period=5ms", "read_pwm_max_duty=33.3333333333333%", "read_pwm_min_duty=33%"};
    QTest::newRow("delays 304, 305, 610 ticks")
        << QStringList{"set inv_delay 304", "set pres_delay 305", "set rot_timeout 610"}
        << QStringList{"read_inv_delay=0sec", "read_pres_delay=1sec", "read_rot_timeout=1sec"};
    QTest::newRow("only 0 means off")
        << QStringList{"set pwm_on 2", "set optimize 0", "set mot_check 5"}
        << QStringList{"pwm_msg=ON", "optimize_msg=OFF", "mot_check_msg=ON"};
    QTest::newRow("north-stop") << QStringList{"set stop_mode 0"} << QStringList{"mode_msg=North-stop"};
    QTest::newRow("absolute") << QStringList{"set stop_mode 2"} << QStringList{"mode_msg=Absolute"};
    QTest::newRow("dip switches enabled") << QStringList{"set dip 1"} << QStringList{"dipsw=ENABLED"};
    QTest::newRow("terminator A after all nineteen")
        << QStringList{QString("fault replace=%1:A").arg(TERMINATOR)} << QStringList{};
  }
  void boxes() {
    QFETCH(QStringList, controls);
    QFETCH(QStringList, expected);
    Bench b;
    apply(b, controls);
    const QStringList entries_before = entries(b.w());

    QTest::mouseClick(b.w().read_info, Qt::LeftButton);

    const bool bad_terminator = QString(QTest::currentDataTag()).startsWith("terminator");
    QCOMPARE(b.msgs().texts(),
             bad_terminator ? QStringList{"<Return> invalid, received ASC:65"} : QStringList{});
    QCOMPARE(shown(b.w()), with(DEFAULT_SHOWN, expected));
    const bool busy = b.w().cbox_status->text() == "BUSY";
    QCOMPARE(ui::BACKCOLOR(b.w().cbox_status), busy ? ui::RED() : ui::SYS_WINDOW_BACKGROUND());
    const QColor dip_colour = b.w().dipsw->text() == "ENABLED" ? ui::RED() : ui::SYS_WINDOW_TEXT();
    QCOMPARE(ui::FORECOLOR(b.w().dipsw), dip_colour);
    QCOMPARE(ui::FORECOLOR(b.w().label_dipsw), dip_colour);
    // A click never loads the entry controls.
    QCOMPARE(entries(b.w()), entries_before);
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
    QTest::newRow("simulator's own set, north-stop")
        << QStringList{"set stop_mode 0"}
        << QStringList{"lower_limit=0", "upper_limit=500", "inv_delay=3", "pwm_period=49", "pwm_max_duty=100",
                       "ramp=10", "pwm_min_duty=50", "pres_delay=3", "offset_write=0", "check_angle_write=2",
                       "rot_timeout=5", "pwm_on=1", "optimize=1", "mot_check=0", "north_stop=1", "south_stop=0"};
    QTest::newRow("absolute clears both option buttons, A and B zero, offset beyond 16 bits")
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
    // Start from the opposite option so that every change is seen.
    if (expected.contains("south_stop=1")) b.w().north_stop->setChecked(true);
    myVar::fill_set_fields = true;
    b.w().read_info_Click();
    myVar::fill_set_fields = false;
    QCOMPARE(b.msgs().texts(), QStringList{});
    expected.sort();
    QCOMPARE(entries(b.w()), expected);
  }

  void failures_data() {
    QTest::addColumn<QStringList>("controls");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("written");          // boxes already showing the new set
    QTest::addColumn<QStringList>("overrides");  // boxes showing something else
    const QString sep = QStringLiteral("Separator invalid, received:");
    for (int k = 1; k <= 18; ++k)
      QTest::addRow("separator after field %d", k)
          << QStringList{QString("fault replace=%1:;").arg(separator_after(k))} << sep + ";" << written_by_field(k)
          << QStringList{};
    QTest::newRow("busy/ready letter") << QStringList{"fault replace=11:X"}
                                       << "cmd L, <data>(R or B) invalid, received:X" << 1 << QStringList{};
    QTest::newRow("stop mode 3") << QStringList{"raw 3 00003"} << "cmd L, <mode>(0, 1 or 2) invalid, received:3"
                                 << 2 << QStringList{};
    // The first field one character short swallows its separator.
    QTest::newRow("short field") << QStringList{"fault short-field"} << sep + "B" << 0
                                 << QStringList{"curr_pos=20,°"};
    QTest::newRow("terminator never comes") << QStringList{QString("fault cut=%1").arg(TERMINATOR)}
                                            << "cmd L, Communication timeout on <return>" << 19 << QStringList{};
    QTest::newRow("silence after field 1")
        << QStringList{"fault cut=10"} << sep << 1 << QStringList{};
    QTest::newRow("busy/ready letter never comes")
        << QStringList{"fault cut=11"} << "cmd L, <data>(R or B) invalid, received:" << 1 << QStringList{};
    QTest::newRow("stop mode cut short") << QStringList{QString("fault cut=%1").arg(field_start(3) + 3)}
                                         << "GET_NUM05() Communication problems!" << 2 << QStringList{};
    for (int k : {7, 9, 10, 19})
      QTest::addRow("field %d cut short", k) << QStringList{QString("fault cut=%1").arg(field_start(k) + 2)}
                                             << "GET_NUM05NT() Communication timeout!" << written_by_separator(k - 1)
                                             << QStringList{};
  }
  void failures() {
    QFETCH(QStringList, controls);
    QFETCH(QString, message);
    QFETCH(int, written);
    QFETCH(QStringList, overrides);
    Bench b;
    b.setReplyPeriod(500);
    // A first read fills every box with the simulator's own set.
    b.w().read_info_Click();
    QCOMPARE(shown(b.w()), DEFAULT_SHOWN);
    QCOMPARE(b.msgs().texts(), QStringList{});
    b.sim().received();

    apply(b, OTHER_SET);
    apply(b, controls);
    QTest::mouseClick(b.w().read_info, Qt::LeftButton);

    QCOMPARE(b.msgs().texts(), QStringList{message});
    QCOMPARE(shown(b.w()), with(OTHER_SHOWN.mid(0, written) + DEFAULT_SHOWN.mid(written), overrides));
    QCOMPARE(b.sim().received(), frame('L'));
    VERIFY_ENDED(b.w());
  }

  void the_stop_buttons_stay_usable_while_the_read_waits() {
    Bench b;
    b.sim().fault(QString("delay=%1:400").arg(field_start(9)));
    struct Seen {
      bool enabled;
      QColor colour;
    };
    std::vector<std::pair<QString, Seen>> seen;
    later(200, [&] {
      velta& w = b.w();
      for (QPushButton* p : {w.write_mode, w.read_info, w.execute, w.cmd_monitor, w.fast_stop, w.soft_stop,
                             w.command_s})
        seen.push_back({p->objectName(), {p->isEnabled(), ui::BACKCOLOR(p)}});
    });
    b.w().read_info_Click();
    QCOMPARE(b.msgs().texts(), QStringList{});
    QCOMPARE(seen.size(), std::size_t(7));
    for (const auto& [name, s] : seen) {
      const bool stop = name == "fast_stop" || name == "soft_stop";
      QVERIFY2(s.enabled == stop, qPrintable(name));
      // Enabled again, the stops keep the face colour of the lock.
      QCOMPARE(s.colour, ui::SYS_BUTTON_FACE());
    }
    QCOMPARE(shown(b.w()), DEFAULT_SHOWN);
    VERIFY_ENDED(b.w());
  }
};

VELTA_TEST_MAIN(TestRead)
#include "test_read.moc"
