// The windows as they are built: what their design fixes (captions, initial
// texts, start colours, the object names the program drives them by), once,
// from one table; every control named for a screen reader and reached by
// Tab; the checks that paint the parameter boxes while they are typed; Set
// Default; and every read-out box written by a read.
#include <QAccessible>
#include <QComboBox>
#include <QMenuBar>
#include <QTest>

#include "tests/harness/bench.h"
#include "ui/calibration.h"
#include "ui/colours.h"
#include "ui/quale_com.h"

using namespace tune_cmd;

namespace {
// Controls by object name (several in one row, blank-separated), with their
// caption or initial text, start background ("" not fixed by the design) and
// whether a text box is read-only.
struct Design {
  const char* names;
  const char* text;
  const char* colour;
  bool read_only = false;
};
const Design MAIN[] = {
    {"calib", "-Calibration- open form ...", "#ffff00"},
    {"command_v", "Firmware Version", "#ffe0c0"},
    {"firm_version", "???.??", ""},
    {"command_s", "cmd S", "#c0c0ff"},
    {"command_c", "cmd M", "#c0ffff"},
    {"command_qm", "cmd ?", "#ffc0ff"},
    {"pwm_period pwm_max_duty pwm_min_duty ramp lower_limit upper_limit inv_delay pres_delay rot_timeout "
     "offset_write",
     "???", ""},
    {"check_angle_write", "2", ""},
    {"write_mode", "cmd W", "#80ff80"},
    {"set_default", "Set Default", "#ff8000"},
    {"pwm_on", "PWM", ""},
    {"optimize", "OPTIMIZE", ""},
    {"mot_check", "ROT CHECK", ""},
    {"south_stop", "South-stop", ""},
    {"north_stop", "North-stop", ""},
    {"read_pwm_period read_pwm_max_duty read_pwm_min_duty read_ramp read_lower_limit read_upper_limit "
     "read_inv_delay read_pres_delay read_rot_timeout offset_read optimize_msg pwm_msg curr_pos cbox_status "
     "mot_check_msg check_angle fast_pos fast_status",
     "???", "", true},
    {"mode_msg", "??????????", "", true},
    {"dipsw", "???????", "", true},
    {"label_dipsw", "DIP-SW", ""},
    {"cal_fact", "?????", "", true},
    {"goto_replay", "????????", "", true},
    {"read_info", "cmd L", "#00ff00"},
    {"execute", "Execute", "#00ff00"},
    {"cmd_monitor", "START...", "#00ff00"},
    {"fast_stop", "STOP!", "#ffc080"},
    {"soft_stop", "Soft STOP", "#ffc080"},
    {"go_to_angle", "?", ""},
    {"clr_reply", "CLR REPLIES", "#ffc0c0"},
    {"com_port", "1", ""},
};
const Design CALIBRATION_WINDOW[] = {
    {"calib_def", "-Calibration- default (c)", "#ffffc0"},
    {"calib360", "-Calibration- 360\u00b0 (C)", "#ffff00"},
    {"calib", "-Calibration- any angle (K)", "#c0c0ff"},
    {"calib_angle", "90", "#c0c0ff"},
    {"Label1", "\u00b0", ""},
    {"cal_factor", "?", "#c0ffc0"},
    {"write_factor", "-Calibration- calib factor set (F)", "#c0ffc0"},
};
const Design CHOOSER[] = {
    {"com_port", "1", ""},
    {"Label45", "COM", ""},
    {"continue_button", "ACCEPT", "#ff8000"},
};

QString text_of(QWidget* w) {
  if (auto* e = qobject_cast<QLineEdit*>(w)) return e->text();
  if (auto* b = qobject_cast<QAbstractButton*>(w)) return b->text();
  if (auto* l = qobject_cast<QLabel*>(w)) return l->text();
  return {};
}

void check_design(QWidget* window, const QString& caption, const Design* rows, std::size_t count) {
  QCOMPARE(window->windowTitle(), caption);
  for (std::size_t i = 0; i < count; ++i)
    for (const QString& name : QString::fromUtf8(rows[i].names).split(' ')) {
      auto* c = window->findChild<QWidget*>(name);
      QVERIFY2(c, qPrintable(name));
      QCOMPARE(text_of(c), QString::fromUtf8(rows[i].text));
      if (*rows[i].colour) QCOMPARE(ui::BACKCOLOR(c).name(), QString::fromLatin1(rows[i].colour));
      if (auto* e = qobject_cast<QLineEdit*>(c)) QVERIFY2(e->isReadOnly() == rows[i].read_only, qPrintable(name));
    }
}

// The controls a technician works with: buttons, boxes, options, lists (not
// the menu bar's own overflow button: the menus are reached by their letters).
QList<QWidget*> controls_of(QWidget* window) {
  QList<QWidget*> out;
  for (QWidget* w : window->findChildren<QWidget*>())
    if (qobject_cast<QMenuBar*>(w->parentWidget())) continue;
    else if (qobject_cast<QAbstractButton*>(w) || qobject_cast<QLineEdit*>(w) || qobject_cast<QPlainTextEdit*>(w) ||
        qobject_cast<QComboBox*>(w))
      out << w;
  return out;
}

QString spoken_name(QWidget* w) {
  QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(w);
  return iface ? iface->text(QAccessible::Name) : QString();
}

// Every control named and on the tab chain, in the order given.
void check_keyboard(QWidget* window, const QList<QWidget*>& order) {
  QStringList unnamed;
  for (QWidget* w : controls_of(window))
    if (spoken_name(w).trimmed().isEmpty() && !qobject_cast<QComboBox*>(w)) unnamed << w->objectName();
  QVERIFY2(unnamed.isEmpty(), qPrintable("no accessible name: " + unnamed.join(", ")));
  QList<QWidget*> walk;
  for (QWidget* w = order.first(); w && !walk.contains(w) && walk.size() < 500; w = w->nextInFocusChain())
    if (window->isAncestorOf(w) && (w->focusPolicy() & Qt::TabFocus)) walk << w;
  for (QWidget* w : controls_of(window)) QVERIFY2(walk.contains(w), qPrintable(w->objectName()));
  for (int i = 1; i < order.size(); ++i)
    QVERIFY2(walk.indexOf(order[i - 1]) < walk.indexOf(order[i]), qPrintable(order[i]->objectName()));
}

bool red(QLineEdit* e) { return ui::BACKCOLOR(e) == ui::RED(); }

// A text typed into a box, as a change even when the box held it already.
void type(QLineEdit* e, const QString& text) {
  e->setText(text + "x");
  e->setText(text);
}
}  // namespace

class TestWindow : public QObject {
  Q_OBJECT
 private slots:
  void cleanup() { delete calibration_form(); }

  void design() {
    Bench b({"--no-pacing"});
    velta& w = b.w();
    check_design(&w, "KOR.DEL.VAN." + QString(23, ' ') + "CONTROL BOX SETTINGS - V3.23.1", MAIN, std::size(MAIN));
    QVERIFY(w.pwm_on->isChecked() && w.optimize->isChecked() && !w.mot_check->isChecked());
    QVERIFY(w.south_stop->isChecked() && !w.north_stop->isChecked());
    QCOMPARE(ui::FORECOLOR(w.dipsw), ui::RED());
    QCOMPARE(ui::FORECOLOR(w.label_dipsw), ui::RED());
    QVERIFY(w.cbox_reply_text->isReadOnly() && w.cbox_reply_text->toPlainText().isEmpty());
    QVERIFY(w.Timer1->interval() == 3300 && !w.Timer1->isActive());
    for (auto [group, title] : {std::pair{"Frame1", "PARAMETERS SET"}, {"info_read", "PARAMETERS READ"},
                                {"go_to", "GOTO"}, {"Frame2", "COMMUNICATION MONITOR"}, {"COM", "COMM PORT"}})
      QCOMPARE(w.findChild<QGroupBox*>(group)->title(), QString(title));
    // One fixed window.
    w.show();
    QCOMPARE(w.minimumSize(), w.maximumSize());
    w.calib_Click();
    check_design(calibration_form(), "KOR.DEL.VAN.  -  CALIBRATION FORM", CALIBRATION_WINDOW,
                 std::size(CALIBRATION_WINDOW));
    quale_com chooser;
    check_design(&chooser, "CHOOSE or CONFIRM COM PORT", CHOOSER, std::size(CHOOSER));
  }

  void read_only_boxes_refuse_typing_and_clr_replies_empties_the_box() {
    Bench b({"--no-pacing"});
    b.w().show();
    QTest::keyClicks(b.w().curr_pos, "999");
    QCOMPARE(b.w().curr_pos->text(), QStringLiteral("???"));
    QTest::keyClicks(b.w().go_to_angle, "90");
    QCOMPARE(b.w().go_to_angle->text(), QStringLiteral("?90"));
    b.w().cbox_reply_text->appendPlainText(" 1: <h|A,?,45,R|r>");
    QTest::mouseClick(b.w().clr_reply, Qt::LeftButton);
    QVERIFY(b.w().cbox_reply_text->toPlainText().isEmpty());
  }

  void keyboard_and_screen_reader() {
    Bench b({"--no-pacing"});
    velta& w = b.w();
    w.show();
    check_keyboard(&w, {w.pwm_period, w.pwm_max_duty, w.rot_timeout, w.offset_write, w.north_stop, w.write_mode,
                        w.read_info, w.execute, w.soft_stop, w.cmd_monitor, w.com_port, w.command_qm});
    // Boxes are named by the label beside them and their frame, so that the
    // set's and the read's "PWM:period" stay apart.
    QStringList names;
    for (QLineEdit* e : w.findChildren<QLineEdit*>()) names << e->objectName() + "=" + spoken_name(e);
    names.sort();
    const QString set = " (PARAMETERS SET)", read = " (PARAMETERS READ)";
    QStringList expected = {"cal_fact=Cal.Fact" + read, "cbox_status=CBOX is" + read, "check_angle=Chk Angle" + read,
                            "check_angle_write=Check angle" + set, "com_port=COM (COMM PORT)",
                            "curr_pos=Position" + read, "dipsw=DIP-SW" + read,
                            "fast_pos=Position (COMMUNICATION MONITOR)",
                            "fast_status=CBOX is (COMMUNICATION MONITOR)", "firm_version=Firmware Version",
                            "go_to_angle=GOTO angle", "goto_replay=GOTO reply", "inv_delay=Rev. Delay" + set,
                            "lower_limit=Lower Limit" + set, "mode_msg=Mode" + read, "mot_check_msg=Rot.Chk" + read,
                            "offset_read=Offset" + read, "offset_write=Offset (-70\u00b0..+70\u00b0)" + set,
                            "optimize_msg=Optimize" + read, "pres_delay=Preset Delay" + set,
                            "pwm_max_duty=PWM:max.duty" + set, "pwm_min_duty=PWM:min.duty" + set,
                            "pwm_msg=PWM is" + read, "pwm_period=PWM:period" + set, "ramp=PWM:ramp" + set,
                            "read_inv_delay=Rev. Delay" + read, "read_lower_limit=Lower Limit" + read,
                            "read_pres_delay=Preset Delay" + read, "read_pwm_max_duty=PWM:max.duty" + read,
                            "read_pwm_min_duty=PWM:min.duty" + read, "read_pwm_period=PWM:period" + read,
                            "read_ramp=PWM:ramp" + read, "read_rot_timeout=Rot. Timeout" + read,
                            "read_upper_limit=Upper Limit" + read, "rot_timeout=Rot. Timeout" + set,
                            "upper_limit=Upper Limit" + set};
    QCOMPARE(names, expected);
    w.calib_Click();
    CALIBRATION* cal = calibration_form();
    check_keyboard(cal, {cal->calib_def, cal->calib360, cal->calib, cal->calib_angle, cal->cal_factor,
                         cal->write_factor});
    quale_com chooser;
    chooser.show();
    check_keyboard(&chooser, {chooser.com_port, chooser.device_list, chooser.continue_button});
    // A list speaks its current line as its name; its label comes as a relation.
    const auto labels = QAccessible::queryAccessibleInterface(chooser.device_list)->relations(QAccessible::Label);
    QCOMPARE(labels.size(), 1);
    QCOMPARE(labels.first().first->text(QAccessible::Name), QStringLiteral("Device"));
  }

  // Typed texts and the colours they give; the checks never change a text.
  void entry_checks_data() {
    QTest::addColumn<QStringList>("typed");  // box=text, in order
    QTest::addColumn<QStringList>("red_boxes");  // the checked boxes that are red after
    QTest::newRow("offset 70.5") << QStringList{"offset_write=70.5"} << QStringList{"offset_write"};
    QTest::newRow("offset -70") << QStringList{"offset_write=99", "offset_write=-70"} << QStringList{};
    QTest::newRow("offset text reads as 0") << QStringList{"offset_write=99", "offset_write=abc"} << QStringList{};
    QTest::newRow("on-time 1.5 ms") << QStringList{"pwm_period=50", "pwm_max_duty=100", "pwm_min_duty=3"}
                                    << QStringList{"pwm_min_duty"};
    QTest::newRow("min duty waits for its own change")
        << QStringList{"pwm_period=50", "pwm_max_duty=50", "pwm_min_duty=60", "pwm_max_duty=100"}
        << QStringList{"pwm_min_duty"};
    QTest::newRow("and then takes the new maximum")
        << QStringList{"pwm_period=50", "pwm_max_duty=50", "pwm_min_duty=60", "pwm_max_duty=100", "pwm_min_duty=61"}
        << QStringList{};
    QTest::newRow("limits out of order: both red")
        << QStringList{"upper_limit=50", "lower_limit=100"} << QStringList{"lower_limit", "upper_limit"};
    QTest::newRow("equal limits pass") << QStringList{"upper_limit=50", "lower_limit=100", "upper_limit=100"}
                                       << QStringList{};
    QTest::newRow("600 and 700: only the order is checked")
        << QStringList{"lower_limit=600", "upper_limit=700"} << QStringList{};
  }
  void entry_checks() {
    QFETCH(QStringList, typed);
    QFETCH(QStringList, red_boxes);
    Bench b({}, 1, false);
    for (const QString& t : typed) type(b.w().findChild<QLineEdit*>(t.section('=', 0, 0)), t.section('=', 1));
    QStringList got;
    for (QLineEdit* e : {b.w().offset_write, b.w().pwm_min_duty, b.w().lower_limit, b.w().upper_limit})
      if (red(e)) got << e->objectName();
    QCOMPARE(got, red_boxes);
    QCOMPARE(b.w().findChild<QLineEdit*>(typed.last().section('=', 0, 0))->text(), typed.last().section('=', 1));
  }

  // Every box red, even the minimum duty at its default text: Set Default
  // (after Yes) writes the defaults and every box ends normal; nothing is sent.
  void set_default() {
    Bench b;
    velta& w = b.w();
    for (const char* t : {"offset_write=80", "upper_limit=5", "lower_limit=10", "pwm_period=1", "pwm_min_duty=50"})
      type(w.findChild<QLineEdit*>(QString(t).section('=', 0, 0)), QString(t).section('=', 1));
    w.north_stop->setChecked(true);
    const Entries before = w.entries();
    w.set_default_Click();  // no answer queued: No
    QCOMPARE(w.entries(), before);
    QCOMPARE(b.msgs().boxes().front().title, QString("WRITE PARAMETERS COMMAND"));
    b.msgs().answer(QMessageBox::Yes);
    QTest::mouseClick(w.set_default, Qt::LeftButton);
    Entries defaults;
    for (const EntryDefault& d : ENTRY_DEFAULTS()) defaults[d.entry] = d.text;
    QCOMPARE(w.entries(), defaults);
    for (QLineEdit* e : {w.offset_write, w.pwm_min_duty, w.lower_limit, w.upper_limit})
      QVERIFY2(!red(e), qPrintable(e->objectName()));
    QTest::qWait(50);
    QCOMPARE(b.sim().received(), QByteArray());
  }

  // A read of a set that differs from the design in every box writes every
  // box of "PARAMETERS READ".
  void every_read_out_box_is_written_by_a_read() {
    Bench b;
    for (const char* c : {"set position 200", "set stop_mode 0", "set dip 1"}) QCOMPARE(b.sim().control(c), QString());
    QTest::mouseClick(b.w().read_info, Qt::LeftButton);
    QStringList unwritten;
    const QList<QLineEdit*> read_boxes = b.w().info_read->findChildren<QLineEdit*>();
    for (QLineEdit* e : read_boxes)
      if (e->text() == e->property("design_text").toString()) unwritten << e->objectName();
    QCOMPARE(unwritten, QStringList{});
    QCOMPARE(read_boxes.size(), 19);
  }
};

VELTA_TEST_MAIN(TestWindow)
#include "test_window.moc"
