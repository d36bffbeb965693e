// The tool's pure routines, called as they are: number reading and text, the
// parameter record's conversions both ways and the write's guard.
#include <QTest>
#include <clocale>
#include <random>

#include "protocol/number_text.h"
#include "protocol/parameter_record.h"
#include "tests/harness/bench.h"

using namespace tune_cmd;

namespace {
// The default set as the entry controls hold it after "Set Default", with
// "control=text" overrides.
Entries defaults_with(const QStringList& overrides = {}) {
  Entries e;
  for (const EntryDefault& d : ENTRY_DEFAULTS()) e[d.entry] = d.text;
  for (const QString& o : overrides) e[o.section('=', 0, 0)] = o.section('=', 1);
  return e;
}

QStringList wire(const Entries& e) {
  QStringList out;
  for (int n = 1; n <= RECORD_VALUES; ++n) out << WIRE_VALUE(e, n);
  return out;
}

// A set a controller may hold: stop mode 0 to 2, limits 0 to 500, times that
// the window's whole seconds can give back (below 163.5 s), an on- and
// off-time of at most 99999 ticks together, a minimum on-time not above them,
// the offset -70 to 70, options 0 or 1.
ControllerSet random_set(std::mt19937& rng) {
  auto in = [&rng](long lo, long hi) { return double(std::uniform_int_distribution<long>(lo, hi)(rng)); };
  const double a = in(0, 99999);
  const double b = in(a == 0 ? 1 : 0, 99999 - a);
  return {in(0, 2), in(0, 500), in(0, 500), in(0, 99694), in(0, 1), a, b, in(0, 999),
          in(0, a + b), in(0, 1), in(0, 99694), in(-70, 70), in(0, 1), in(0, 359), in(0, 99694)};
}
}  // namespace

class TestUnits : public QObject {
  Q_OBJECT
 private slots:
  // Val and S never go through the desktop's locale: the same results with
  // the C library set to a decimal-comma language.
  void numbers_under_every_locale_data() {
    QTest::addColumn<QByteArray>("locale");
    for (const char* l : {"C", "de_DE.UTF-8", "it_IT.UTF-8"}) QTest::newRow(l) << QByteArray(l);
  }
  void numbers_under_every_locale() {
    QFETCH(QByteArray, locale);
    QVERIFY2(std::setlocale(LC_ALL, locale.constData()),
             qPrintable("locale " + locale + " is missing: bash scripts/setup.sh generates it"));
    const struct {
      const char* text;
      double value;
    } reads[] = {{"2.5", 2.5},     {"1,5", 1},      {"12abc", 12},  {"???", 0},    {"", 0},       {" 1 2\t3\n", 123},
                 {"-05", -5},      {"+5", 5},       {"1.5e2x", 150}, {"3e", 3},    {"-", 0},      {".5", 0.5},
                 {"1.2.3", 1.2},   {"1e400", HUGE_VAL}, {"-1e400", -HUGE_VAL}, {"1e-400", 0}};
    for (const auto& r : reads) QCOMPARE(Val(QString::fromLatin1(r.text)), r.value);
    const struct {
      double value;
      const char* text;
    } texts[] = {{1829, "1829"}, {-15, "-15"}, {0, "0"}, {100.0 / 3, "33.3333333333333"}, {2.5, "2.5"},
                 {1e20, "1E+20"}, {0.5002, "0.5002"}};
    for (const auto& t : texts) QCOMPARE(S(t.value), QString::fromLatin1(t.text));
    std::setlocale(LC_ALL, "C");
  }

  void blanks_only_are_trimmed() {
    QCOMPARE(TRIM_BLANKS("  12 "), QString("12"));
    QCOMPARE(TRIM_BLANKS(" \t12\r\n "), QString("\t12\r\n"));
    QCOMPARE(TRIM_BLANKS("   "), QString());
  }

  // The value lines cmd W sends for what the entry controls hold.
  void wire_values_data() {
    QTest::addColumn<QStringList>("overrides");
    QTest::addColumn<QStringList>("lines");
    const QStringList d = {"1", "0", "500", "1829", "1", "30", "0", "10", "15", "1", "1829", "0", "0", "2", "3049"};
    auto with = [&d](std::initializer_list<std::pair<int, const char*>> changed) {
      QStringList out = d;
      for (auto [n, text] : changed) out[n - 1] = text;
      return out;
    };
    QTest::newRow("the default set") << QStringList{} << d;
    QTest::newRow("rev. delay 2.5 s") << QStringList{"inv_delay=2.5"} << with({{4, "1524"}});
    QTest::newRow("reading stops at a comma") << QStringList{"inv_delay=1,5"} << with({{4, "610"}});
    QTest::newRow("limits go as typed") << QStringList{"lower_limit= 0500 ", "upper_limit=???"}
                                        << with({{2, "0500"}, {3, "???"}});
    QTest::newRow("max duty 150") << QStringList{"pwm_max_duty=150"} << with({{6, "46"}, {7, "-15"}});
    QTest::newRow("period 20, duties 80 and 20")
        << QStringList{"pwm_period=20", "pwm_max_duty=80", "pwm_min_duty=20"} << with({{6, "10"}, {7, "2"}, {9, "2"}});
    QTest::newRow("offset -05") << QStringList{"offset_write=-05"} << with({{12, "-5"}});
    QTest::newRow("offset 05 between blanks") << QStringList{"offset_write= 05 "} << with({{12, "05"}});
    QTest::newRow("offset +5") << QStringList{"offset_write=+5"} << with({{12, "+5"}});
    QTest::newRow("check angle 2.7") << QStringList{"check_angle_write=2.7"} << with({{14, "2"}});
    QTest::newRow("check angle -3.5") << QStringList{"check_angle_write=-3.5"} << with({{14, "-4"}});
    QTest::newRow("north-stop, options off")
        << QStringList{"north_stop=1", "south_stop=0", "pwm_on=0", "optimize=0", "mot_check=1"}
        << with({{1, "0"}, {5, "0"}, {10, "0"}, {13, "1"}});
    QTest::newRow("absolute mode: no stop option") << QStringList{"south_stop=0"} << with({{1, ""}});
  }
  void wire_values() {
    QFETCH(QStringList, overrides);
    QFETCH(QStringList, lines);
    QCOMPARE(wire(defaults_with(overrides)), lines);
  }

  // The guard in front of cmd W stops garbage only; what the entry checks
  // paint red goes out.
  void write_guard_data() {
    QTest::addColumn<QStringList>("overrides");
    QTest::addColumn<QString>("problem");
    const QString limit = " must be a whole number of degrees from 0 to 500, received:";
    const QString offset = "Offset must be a whole number of degrees from -70 to 70, received:";
    const QString time = " must give a time of 0 to 99999 ticks of 1.64 ms, received:";
    const QString ticks = "PWM:period and PWM:max.duty must give on- and off-times of 0 to 99999 ticks of 1.64 ms, "
                          "received:";
    QTest::newRow("limits out of order go") << QStringList{"lower_limit=300", "upper_limit=200"} << "";
    QTest::newRow("min duty above max goes") << QStringList{"pwm_max_duty=50", "pwm_min_duty=60"} << "";
    QTest::newRow("on-time 1.47 ms goes") << QStringList{"pwm_period=49", "pwm_min_duty=3"} << "";
    QTest::newRow("duties 66.67 and 67 go")
        << QStringList{"pwm_period=49", "pwm_max_duty=66.6666666666667", "pwm_min_duty=67"} << "";
    QTest::newRow("min duty 101 goes") << QStringList{"pwm_min_duty=101"} << "";
    QTest::newRow("comma") << QStringList{"inv_delay=1,5"} << "Rev. Delay must be a number of seconds, received:1,5";
    QTest::newRow("question marks") << QStringList{"pres_delay=???"}
                                    << "Preset Delay must be a number of seconds, received:???";
    QTest::newRow("letter o") << QStringList{"pwm_period=1o"} << "PWM:period must be a number of milliseconds, received:1o";
    QTest::newRow("two points") << QStringList{"pwm_min_duty=2.5.1"}
                                << "PWM:min.duty must be a number of percent, received:2.5.1";
    QTest::newRow("empty max duty") << QStringList{"pwm_max_duty="} << "PWM:max.duty must be a number of percent, received:";
    QTest::newRow("lower limit -1") << QStringList{"lower_limit=-1"} << "Lower Limit" + limit + "-1";
    QTest::newRow("upper limit 10.5") << QStringList{"upper_limit=10.5"} << "Upper Limit" + limit + "10.5";
    QTest::newRow("upper limit 501") << QStringList{"upper_limit=501"} << "Upper Limit" + limit + "501";
    QTest::newRow("offset -") << QStringList{"offset_write=-"} << offset + "-";
    QTest::newRow("offset 71") << QStringList{"offset_write=71"} << offset + "71";
    QTest::newRow("offset -71") << QStringList{"offset_write=-71"} << offset + "-71";
    QTest::newRow("offset 5.5") << QStringList{"offset_write=5.5"} << offset + "5.5";
    QTest::newRow("negative delay") << QStringList{"inv_delay=-1"} << "Rev. Delay" + time + "-1";
    QTest::newRow("164 s are 100000 ticks") << QStringList{"rot_timeout=164"} << "Rot. Timeout" + time + "164";
    QTest::newRow("max duty 150: B negative") << QStringList{"pwm_max_duty=150"} << ticks + "50 and 150";
    QTest::newRow("period 1e400") << QStringList{"pwm_period=1e400"} << ticks + "1e400 and 100";
    QTest::newRow("minimum on-time too long")
        << QStringList{"pwm_period=99999", "pwm_min_duty=200"}
        << "PWM:period and PWM:min.duty must give a minimum on-time of 0 to 99999 ticks of 1.64 ms, received:99999 "
           "and 200";
    QTest::newRow("ramp 100000") << QStringList{"ramp=100000"}
                                 << "PWM:ramp must be a whole number of degrees from 0 to 99999, received:100000";
    QTest::newRow("check angle x") << QStringList{"check_angle_write=x"}
                                   << "Check angle must be a number of degrees from -99999 to 99999, received:x";
  }
  void write_guard() {
    QFETCH(QStringList, overrides);
    QFETCH(QString, problem);
    QCOMPARE(RECORD_PROBLEM(defaults_with(overrides)), problem);
  }

  void read_conversions() {
    QCOMPARE(SECONDS_TEXT(610), QString("1"));
    QCOMPARE(SECONDS_TEXT(304), QString("0"));
    QCOMPARE(SECONDS_TEXT(305), QString("1"));
    QCOMPARE(SECONDS_TEXT(305, true), QString("0.5002"));
    QCOMPARE(PERIOD_TEXT(10, 10), QString("33"));
    QCOMPARE(PERIOD_TEXT(10, 10, true), QString("32.8"));
    QCOMPARE(PERIOD_TEXT(0, 0), QString("0"));
    QCOMPARE(MAX_DUTY_TEXT(1, 2), QString("33.3333333333333"));
    QCOMPARE(MAX_DUTY_TEXT(0, 0), QString("???"));
    QCOMPARE(MIN_DUTY_TEXT(10, 10, 2), QString("10"));
    QCOMPARE(MIN_DUTY_TEXT(20, 10, 1, true), QString("3.33333333333333"));
    QCOMPARE(MIN_DUTY_TEXT(0, 0, 5), QString("???"));
    for (auto [count, offset] : {std::pair{65466., -70.}, {65535., -1.}, {32768., -32768.}, {32767., 32767.}, {25., 25.}})
      QCOMPARE(OFFSET_OF(count), offset);
  }

  // Random sets a controller may hold: loaded exactly, cmd W sends each of
  // them again; loaded as the start-up read loads them, the guard lets the
  // write-back go.
  void controller_sets_round_trip() {
    for (unsigned seed : {1u, 2u, 3u}) {
      std::mt19937 rng(seed);
      for (int i = 0; i < 300; ++i) {
        const ControllerSet set = random_set(rng);
        const Entries exact = ENTRIES_OF(set, true);
        for (int n = 1; n <= RECORD_VALUES; ++n)
          QVERIFY2(Val(WIRE_VALUE(exact, n)) == set[n - 1] || (n == 1 && set[0] == 2 && WIRE_VALUE(exact, 1).isEmpty()),
                   qPrintable(QString("seed %1 set %2 value %3: %4").arg(seed).arg(i).arg(n).arg(WIRE_VALUE(exact, n))));
        QCOMPARE(RECORD_PROBLEM(ENTRIES_OF(set, false)), QString());
      }
    }
  }

  // The entry checks' rules, at and beyond their bounds.
  void entry_check_rules() {
    for (auto [offset, red] : {std::pair{70., false}, {-70., false}, {70.5, true}, {-71., true}, {0., false}})
      QCOMPARE(OFFSET_OUT_OF_RANGE(offset), red);
    const struct {
      double period, max, min;
      bool red;
    } duties[] = {{50, 100, 3, true},   {50, 100, 4, false}, {80, 100, 2, false}, {50, 100, 101, true},
                  {50, 100, -1, true},  {50, 50, 60, true},  {50, 50, 50, false}, {50, 100, 100, false}};
    for (const auto& d : duties) QCOMPARE(MIN_DUTY_OUT_OF_RANGE(d.period, d.max, d.min), d.red);
    QVERIFY(LIMITS_OUT_OF_ORDER(100, 50));
    QVERIFY(!LIMITS_OUT_OF_ORDER(100, 100));
    QVERIFY(!LIMITS_OUT_OF_ORDER(600, 700));
  }
};

VELTA_TEST_MAIN(TestUnits)
#include "test_units.moc"
