// The parameter read "cmd L" against the simulated controller: the boxes a
// reply fills, the entry controls loaded at start-up, and how far a reply that
// fails at each position of its body has been shown.
#include <QSignalSpy>
#include <QTest>

#include "tests/harness/bench.h"
#include "ui/colours.h"


namespace {
// The read-out boxes in the order the reply fills them, and what the
// simulator's own set shows in them.
const QStringList BOXES = QString("curr_pos cbox_status mode_msg read_lower_limit read_upper_limit read_inv_delay "
                                  "pwm_msg read_pwm_period read_pwm_max_duty read_ramp read_pwm_min_duty optimize_msg "
                                  "read_pres_delay offset_read mot_check_msg check_angle read_rot_timeout dipsw cal_fact")
                              .split(' ');
const QStringList OWN =
    QString("0° READY South-stop 0° 500° 3sec ON 49ms 100% 10° 50% ON 3sec 0° OFF 2° 5sec DISABLED 1234").split(' ');
// A set that differs from the simulator's own in every box, and what it shows.
const QStringList OTHER_SET = QString("position 200,stop_mode 0,lower_limit 5,upper_limit 400,inv_delay 610,pwm_on 0,"
                                      "pwm_a 10,pwm_b 10,ramp 5,pwm_c 2,optimize 0,pres_delay 610,offset -70,"
                                      "mot_check 1,check_angle 3,rot_timeout 1829,dip 1,calfactor 999")
                                  .replace(",", ",set ").prepend("fault busy for=L,set ").split(',');
const QStringList OTHER =
    QString("200° BUSY North-stop 5° 400° 1sec OFF 33ms 50% 5° 10% OFF 1sec -70° ON 3° 3sec ENABLED 999").split(' ');

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
  // What a reply shows, as changes of the simulator's own set; a click never
  // loads the entry controls.
  void boxes() {
    const std::pair<QStringList, const char*> cases[] = {
        {worked_example(), "curr_pos=123° read_lower_limit=10° read_upper_limit=350° read_inv_delay=1sec "
                           "read_pwm_period=33ms read_pwm_max_duty=50% read_ramp=5° read_pwm_min_duty=10% optimize_msg=OFF "
                           "read_pres_delay=1sec offset_read=-70° mot_check_msg=ON read_rot_timeout=3sec"},
        {{"fault busy for=L", "raw 1 -00005"}, "cbox_status=BUSY curr_pos=-5°"},
        // Beyond the 16-bit count: shown as invalid, the rest of the reply still read.
        {{"raw 14 70000", "set check_angle 7"}, "offset_read=invalid:70000 check_angle=7°"},
        {{"set pwm_a 0", "set pwm_b 0", "set pwm_c 7"}, "read_pwm_period=???ms read_pwm_max_duty=???% read_pwm_min_duty=???%"},
        {{"set pwm_on 2", "set optimize 0", "set mot_check 5"}, "optimize_msg=OFF mot_check_msg=ON"},  // only 0 is off
        {{"set stop_mode 2", "set dip 1"}, "mode_msg=Absolute dipsw=ENABLED"},
        {{"fault replace=114:A"}, ""}};  // a bad terminator after all nineteen
    for (const auto& [controls, changed] : cases) {
      Bench b;
      b.apply(controls);
      const Entries entries = b.w().entries();
      click(b.w().read_info);
      QCOMPARE(b.msgs().texts(), *changed ? QStringList{} : QStringList{"<Return> invalid, received ASC:65"});
      QCOMPARE(shown(b.w()), with(OWN, QString(changed).split(' ', Qt::SkipEmptyParts)));
      QCOMPARE(ui::BACKCOLOR(b.w().cbox_status) == ui::RED(), b.w().cbox_status->text() == "BUSY");
      const QColor dip = b.w().dipsw->text() == "ENABLED" ? ui::RED() : ui::SYS_WINDOW_TEXT();
      QVERIFY(ui::FORECOLOR(b.w().dipsw) == dip && ui::FORECOLOR(b.w().label_dipsw) == dip);
      QCOMPARE(b.w().entries(), entries);
      QCOMPARE(b.sim().received(), frame('L'));
      VERIFY_ENDED(b.w());
    }
  }

  // The start-up's read also fills the entry controls (from the opposite
  // option, so that every change is seen).
  void start_up_loads_the_entry_controls() {
    const std::pair<QStringList, const char*> cases[] = {
        {worked_example(), "lower_limit=10 upper_limit=350 inv_delay=1 pwm_period=33 pwm_max_duty=50 ramp=5 "
                           "pwm_min_duty=10 pres_delay=1 offset_write=-70 check_angle_write=2 rot_timeout=3 pwm_on=1 "
                           "optimize=0 mot_check=1 north_stop=0 south_stop=1"},
        {{"set stop_mode 2", "set pwm_a 0", "set pwm_b 0", "set pwm_on 0", "raw 14 70000"},
         "lower_limit=0 upper_limit=500 inv_delay=3 pwm_period=0 pwm_max_duty=??? ramp=10 pwm_min_duty=??? pres_delay=3 "
         "offset_write=??? check_angle_write=2 rot_timeout=5 pwm_on=0 optimize=1 mot_check=0 north_stop=0 south_stop=0"}};
    for (const auto& [controls, expected] : cases) {
      Bench b;
      b.apply(controls);
      b.w().north_stop->setChecked(true);
      start_up_read(b.w());
      QCOMPARE(b.msgs().texts(), QStringList{});
      QCOMPARE(b.w().entries(), entries_of(QString(expected).split(' ')));
    }
  }

  // A reply failing at each position: the boxes before it show the new set,
  // the rest the set of the read before (the PWM period and maximum duty show
  // once the separator after the off-time is in).
  void failures() {
    const QString sep = "Separator invalid, received:";
    std::vector<std::tuple<QString, QString, int>> cases;
    for (int k = 1; k <= 18; ++k) cases.emplace_back(QString("fault replace=%1:;").arg(separator_after(k)), sep + ";", k == 8 || k == 9 ? 7 : k);
    cases.emplace_back("fault replace=11:X", "cmd L, <data>(R or B) invalid, received:X", 1);
    cases.emplace_back("raw 3 00003", "cmd L, <mode>(0, 1 or 2) invalid, received:3", 2);
    cases.emplace_back("fault cut=10", sep, 1);
    cases.emplace_back(QString("fault cut=%1").arg(field_start(3) + 3), "GET_NUM05() Communication problems!", 2);
    cases.emplace_back(QString("fault cut=%1").arg(field_start(9) + 2), "GET_NUM05NT() Communication timeout!", 7);
    cases.emplace_back("fault cut=114", "cmd L, Communication timeout on <return>", 19);
    for (const auto& [control, message, written] : cases) {
      Bench b;
      b.setReplyPeriod(500);
      b.w().read_info_Click();  // a first read fills every box with the simulator's own set
      QCOMPARE(shown(b.w()), OWN);
      b.sim().received();
      b.apply(OTHER_SET + QStringList{control});
      QSignalSpy complete(&b.w(), &velta::parameters_read);
      click(b.w().read_info);
      QCOMPARE(complete.count(), 0);  // a read that failed is never taken for a whole one
      QCOMPARE(control + ": " + b.msgs().texts().join('|'), control + ": " + message);
      QCOMPARE(shown(b.w()), OTHER.mid(0, written) + OWN.mid(written));
      QCOMPARE(b.sim().received(), frame('L'));
      VERIFY_ENDED(b.w());
    }
  }
};

VELTA_TEST_MAIN(TestRead)
#include "test_read.moc"
