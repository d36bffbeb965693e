// The main window at design state: captions, initial texts, start colours,
// read-only boxes, and the CLR REPLIES button.
#include <QTest>

#include "tests/harness/bench.h"
#include "ui/colours.h"

namespace {
struct Expect {
  const char* name;
  const char* text;  // caption or initial text (UTF-8)
  int r, g, b;       // start background; r < 0: not checked
  int read_only;     // for text boxes: 1 read-only, 0 editable, -1 not a box
};

const Expect DESIGN[] = {
    {"calib", "-Calibration- open form ...", 255, 255, 0, -1},
    {"command_v", "Firmware Version", 255, 224, 192, -1},
    {"firm_version", "???.??", -1, 0, 0, 0},
    {"command_s", "cmd S", 192, 192, 255, -1},
    {"command_c", "cmd M", 192, 255, 255, -1},
    {"command_qm", "cmd ?", 255, 192, 255, -1},
    {"pwm_period", "???", -1, 0, 0, 0},
    {"pwm_max_duty", "???", -1, 0, 0, 0},
    {"pwm_min_duty", "???", -1, 0, 0, 0},
    {"ramp", "???", -1, 0, 0, 0},
    {"lower_limit", "???", -1, 0, 0, 0},
    {"upper_limit", "???", -1, 0, 0, 0},
    {"inv_delay", "???", -1, 0, 0, 0},
    {"pres_delay", "???", -1, 0, 0, 0},
    {"rot_timeout", "???", -1, 0, 0, 0},
    {"offset_write", "???", -1, 0, 0, 0},
    {"check_angle_write", "2", -1, 0, 0, 0},
    {"write_mode", "cmd W", 128, 255, 128, -1},
    {"set_default", "Set Default", 255, 128, 0, -1},
    {"pwm_on", "PWM", -1, 0, 0, -1},
    {"optimize", "OPTIMIZE", -1, 0, 0, -1},
    {"mot_check", "ROT CHECK", -1, 0, 0, -1},
    {"south_stop", "South-stop", -1, 0, 0, -1},
    {"north_stop", "North-stop", -1, 0, 0, -1},
    {"read_pwm_period", "???", -1, 0, 0, 1},
    {"read_pwm_max_duty", "???", -1, 0, 0, 1},
    {"read_pwm_min_duty", "???", -1, 0, 0, 1},
    {"read_ramp", "???", -1, 0, 0, 1},
    {"read_lower_limit", "???", -1, 0, 0, 1},
    {"read_upper_limit", "???", -1, 0, 0, 1},
    {"read_inv_delay", "???", -1, 0, 0, 1},
    {"read_pres_delay", "???", -1, 0, 0, 1},
    {"read_rot_timeout", "???", -1, 0, 0, 1},
    {"mode_msg", "??????????", -1, 0, 0, 1},
    {"dipsw", "???????", -1, 0, 0, 1},
    {"label_dipsw", "DIP-SW", -1, 0, 0, -1},
    {"offset_read", "???", -1, 0, 0, 1},
    {"optimize_msg", "???", -1, 0, 0, 1},
    {"pwm_msg", "???", -1, 0, 0, 1},
    {"curr_pos", "???", -1, 0, 0, 1},
    {"cbox_status", "???", -1, 0, 0, 1},
    {"cal_fact", "?????", -1, 0, 0, 1},
    {"mot_check_msg", "???", -1, 0, 0, 1},
    {"check_angle", "???", -1, 0, 0, 1},
    {"read_info", "cmd L", 0, 255, 0, -1},
    {"execute", "Execute", 0, 255, 0, -1},
    {"go_to_angle", "?", -1, 0, 0, 0},
    {"goto_replay", "????????", -1, 0, 0, 1},
    {"fast_stop", "STOP!", 255, 192, 128, -1},
    {"soft_stop", "Soft STOP", 255, 192, 128, -1},
    {"cmd_monitor", "START...", 0, 255, 0, -1},
    {"fast_pos", "???", -1, 0, 0, 1},
    {"fast_status", "???", -1, 0, 0, 1},
    {"clr_reply", "CLR REPLIES", 255, 192, 192, -1},
    {"com_port", "1", -1, 0, 0, 0},
};

QString text_of(QWidget* w) {
  if (auto* e = qobject_cast<QLineEdit*>(w)) return e->text();
  if (auto* b = qobject_cast<QAbstractButton*>(w)) return b->text();
  if (auto* l = qobject_cast<QLabel*>(w)) return l->text();
  return {};
}
}  // namespace

class TestMainWindow : public QObject {
  Q_OBJECT
 private slots:
  void design_state() {
    Bench b({"--no-pacing"});
    velta& w = b.w();
    QCOMPARE(w.windowTitle(), QStringLiteral("KOR.DEL.VAN.                       CONTROL BOX SETTINGS - V3.23.1"));
    QCOMPARE(w.windowTitle().size(), 65);
    QCOMPARE(w.objectName(), QStringLiteral("velta"));
    for (const Expect& e : DESIGN) {
      auto* c = w.findChild<QWidget*>(QString::fromLatin1(e.name));
      QVERIFY2(c, e.name);
      QCOMPARE(text_of(c), QString::fromUtf8(e.text));
      if (e.r >= 0) QCOMPARE(ui::BACKCOLOR(c), QColor(e.r, e.g, e.b));
      if (e.read_only >= 0) QCOMPARE(qobject_cast<QLineEdit*>(c)->isReadOnly(), e.read_only == 1);
      QVERIFY2(c->isEnabled(), e.name);
    }
    QVERIFY(w.pwm_on->isChecked());
    QVERIFY(w.optimize->isChecked());
    QVERIFY(!w.mot_check->isChecked());
    QVERIFY(w.south_stop->isChecked());
    QVERIFY(!w.north_stop->isChecked());
    QCOMPARE(ui::FORECOLOR(w.dipsw), QColor(255, 0, 0));
    QCOMPARE(ui::FORECOLOR(w.label_dipsw), QColor(255, 0, 0));
    QVERIFY(w.cbox_reply_text->isReadOnly());
    QVERIFY(w.cbox_reply_text->toPlainText().isEmpty());
    QCOMPARE(w.Timer1->interval(), 3300);
    QVERIFY(!w.Timer1->isActive());
    const char* groups[][2] = {{"Frame1", "PARAMETERS SET"},
                               {"info_read", "PARAMETERS READ"},
                               {"go_to", "GOTO"},
                               {"Frame2", "COMMUNICATION MONITOR"},
                               {"COM", "COMM PORT"}};
    for (auto& g : groups) QCOMPARE(w.findChild<QGroupBox*>(g[0])->title(), QString::fromLatin1(g[1]));
    // The parameter entries stand in their group, the read-outs in theirs.
    QVERIFY(w.Frame1->isAncestorOf(w.offset_write));
    QVERIFY(w.info_read->isAncestorOf(w.read_info));
    QVERIFY(w.go_to->isAncestorOf(w.goto_replay));
    QVERIFY(w.Frame2->isAncestorOf(w.cbox_reply_text));
    QVERIFY(w.COM->isAncestorOf(w.com_port));
  }

  void read_only_boxes_refuse_typing_but_show_what_is_written() {
    Bench b({"--no-pacing"});
    b.w().show();
    QTest::keyClicks(b.w().curr_pos, "999");
    QCOMPARE(b.w().curr_pos->text(), QStringLiteral("???"));
    b.w().curr_pos->setText("12°");
    QCOMPARE(b.w().curr_pos->text(), QStringLiteral("12°"));
    QTest::keyClicks(b.w().go_to_angle, "90");
    QCOMPARE(b.w().go_to_angle->text(), QStringLiteral("?90"));
  }

  void clr_replies_empties_the_reply_box() {
    Bench b({"--no-pacing"});
    b.w().cbox_reply_text->appendPlainText(" 1: <h|A,?,45,R|r>");
    QTest::mouseClick(b.w().clr_reply, Qt::LeftButton);
    QVERIFY(b.w().cbox_reply_text->toPlainText().isEmpty());
  }
};

VELTA_TEST_MAIN(TestMainWindow)
#include "test_main_window.moc"
