// The tool's pure routines called as they are: number reading and text on any desktop, the parameter record's
// conversions both ways (the wire values of cmd W here, once), the write's guard.
#include <QTest>
#include <clocale>
#include <random>

#include "serial/number_text.h"
#include "tests/harness/bench.h"

using namespace tune_cmd;

class TestUnits : public QObject {
  Q_OBJECT
 private slots:
  // The same readings and texts with the C library set to a decimal-comma language; what cmd W sends for the
  // entries (changes on the default set) too, or why its guard refuses them: it stops garbage only, what the entry
  // checks paint red goes out.
  void numbers_and_wire_values_under_every_locale() {
    for (const char* locale : {"C", "de_DE.UTF-8", "it_IT.UTF-8"}) {
      QVERIFY2(std::setlocale(LC_ALL, locale), qPrintable(QString(locale) + " is missing: bash scripts/setup.sh makes it"));
      const std::pair<const char*, double> reads[] = {
          {"2.5", 2.5},  {"1,5", 1},    {"12abc", 12}, {"???", 0},   {"", 0},        {" 1 2\t3\n", 123},
          {"-05", -5},   {"+5", 5},     {"1.5e2x", 150}, {"3e", 3},  {"-", 0},       {".5", 0.5},
          {"1.2.3", 1.2}, {"1e400", HUGE_VAL}, {"-1e400", -HUGE_VAL}, {"1e-400", 0}};
      for (auto [text, value] : reads) QCOMPARE(Val(text), value);
      const std::pair<double, const char*> texts[] = {{1829, "1829"}, {-15, "-15"}, {0, "0"}, {2.5, "2.5"},
                                                      {100.0 / 3, "33.3333333333333"}, {1e20, "1E+20"}};
      for (auto [value, text] : texts) QCOMPARE(S(value), QString(text));
      const QString limit = " must be a whole number of degrees from 0 to 500, received:",
                    time = " must give a time of 0 to 99999 ticks of 1.64 ms, received:";
      const QString offset = "Offset must be a whole number of degrees from -70 to 70, received:",
                    ticks = "PWM:period and PWM:max.duty must give on- and off-times of 0 to 99999 ticks of 1.64 ms, received:";
      const std::pair<QStringList, QString> cases[] = {
          {{}, DEFAULT_LINES.join(' ')},
          {{"inv_delay=2.5", "pres_delay=1.5", "lower_limit= 0500 "}, "1 0500 500 1524 1 30 0 10 15 1 915 0 0 2 3049"},
          {{"pwm_period=20", "pwm_max_duty=80", "pwm_min_duty=20", "offset_write=-05"}, "1 0 500 1829 1 10 2 10 2 1 1829 -5 0 2 3049"},
          {{"offset_write= 05 ", "check_angle_write=-3.5"}, "1 0 500 1829 1 30 0 10 15 1 1829 05 0 -4 3049"},
          {{"offset_write=+5", "check_angle_write=2.7", "south_stop=0"}, " 0 500 1829 1 30 0 10 15 1 1829 +5 0 2 3049"},
          {{"north_stop=1", "south_stop=0", "pwm_on=0", "optimize=0", "mot_check=1"}, "0 0 500 1829 0 30 0 10 15 0 1829 0 1 2 3049"},
          {{"lower_limit=300", "upper_limit=200", "offset_write=-70"}, "1 300 200 1829 1 30 0 10 15 1 1829 -70 0 2 3049"},
          {{"pwm_max_duty=50", "pwm_min_duty=60", "offset_write=70"}, "1 0 500 1829 1 15 15 10 18 1 1829 70 0 2 3049"},
          {{"pwm_period=49", "pwm_min_duty=3", "ramp=99999"}, "1 0 500 1829 1 30 0 99999 1 1 1829 0 0 2 3049"},
          {{"inv_delay=1,5"}, "Rev. Delay must be a number of seconds, received:1,5"},
          {{"pwm_period=1o"}, "PWM:period must be a number of milliseconds, received:1o"},
          {{"pwm_min_duty=2.5.1"}, "PWM:min.duty must be a number of percent, received:2.5.1"},
          {{"lower_limit=-1"}, "Lower Limit" + limit + "-1"},   {{"upper_limit=501"}, "Upper Limit" + limit + "501"},
          {{"offset_write=-71"}, offset + "-71"}, {{"offset_write=71"}, offset + "71"}, {{"offset_write=5.5"}, offset + "5.5"},
          {{"inv_delay=-1"}, "Rev. Delay" + time + "-1"},       {{"rot_timeout=164"}, "Rot. Timeout" + time + "164"},
          {{"pwm_max_duty=150"}, ticks + "50 and 150"},         {{"pwm_period=1e400"}, ticks + "1e400 and 100"},
          {{"pwm_period=99999", "pwm_min_duty=200"},
           "PWM:period and PWM:min.duty must give a minimum on-time of 0 to 99999 ticks of 1.64 ms, received:99999 and 200"},
          {{"ramp=100000"}, "PWM:ramp must be a whole number of degrees from 0 to 99999, received:100000"},
          {{"check_angle_write=x"}, "Check angle must be a number of degrees from -99999 to 99999, received:x"}};
      for (const auto& [changes, expected] : cases) {
        const Entries e = defaults_with(changes);
        QStringList wire;
        for (int n = 1; n <= RECORD_VALUES; ++n) wire << WIRE_VALUE(e, n);
        QCOMPARE(RECORD_PROBLEM(e).isEmpty() ? wire.join(' ') : RECORD_PROBLEM(e), expected);
      }
    }
    std::setlocale(LC_ALL, "C");
  }

  // The read's conversions at their rounding edges and without a period, as set files want them exact, and in the
  // user's units; TRIM_BLANKS takes blanks only. Any set a controller may hold passes the guard as the start-up read
  // loads it; loaded exactly (as a set file is), cmd W sends that very set. (Entry checks: the window's tests.)
  void read_conversions() {
    const std::pair<QString, const char*> texts[] = {
        {SECONDS_TEXT(610), "1"}, {SECONDS_TEXT(304), "0"}, {SECONDS_TEXT(305), "1"}, {SECONDS_TEXT(305, true), "0.5002"},
        {PERIOD_TEXT(10, 10), "33"}, {PERIOD_TEXT(10, 10, true), "32.8"}, {PERIOD_TEXT(0, 0), "0"},
        {MAX_DUTY_TEXT(0, 0), "???"}, {MAX_DUTY_TEXT(1, 2), "33.3333333333333"}, {MIN_DUTY_TEXT(10, 10, 2), "10"},
        {MIN_DUTY_TEXT(0, 0, 5), "???"}, {MIN_DUTY_TEXT(20, 10, 1, true), "3.33333333333333"}, {S(OFFSET_OF(65466)), "-70"},
        {S(OFFSET_OF(32767)), "32767"}, {S(OFFSET_OF(32768)), "-32768"}, {USER_TEXT({0}, 1), "North-stop"},
        {USER_TEXT({2}, 1), "Absolute"}, {USER_TEXT({3}, 1), "3"}, {TRIM_BLANKS(" \t12\r\n "), "\t12\r\n"}};
    for (const auto& [got, text] : texts) QCOMPARE(got, QString(text));
    QStringList user;
    for (int n = 1; n <= RECORD_VALUES; ++n) user << USER_TEXT({1, 10, 350, 305, 1, 10, 10, 5, 2, 0, 610, -70, 1, 2, 1829}, n);
    QCOMPARE(user.join('|'), "South-stop|10°|350°|0.5002 sec|ON|16.4 ms|16.4 ms|5°|3.28 ms|OFF|1.0004 sec|-70°|ON|2°|2.99956 sec");
    std::mt19937 rng(7);
    for (int i = 0; i < 6000; ++i) {
      const ControllerSet set = random_set(rng, i % 2);
      const Entries e = ENTRIES_OF(set, i % 2);
      QCOMPARE(RECORD_PROBLEM(e) + SET_PROBLEM(set), QString());
      QVERIFY(i % 2 == 0 || SET_OF(e) == set);
    }
  }
};

VELTA_TEST_MAIN(TestUnits)
#include "test_units.moc"