// The windows as built: what their design fixes (captions, labels, initial
// texts, start colours, the object names the program drives them by) from one
// table; every control named and reached by Tab; the boxes painted as typed;
// Set Default. (That a read writes every read-out box is held by the
// parameter tests: their other set differs from the first in all nineteen.)
#include <QAccessible>
#include <QComboBox>
#include <QMenuBar>
#include <QTest>

#include "tests/harness/bench.h"
#include "ui/calibration.h"
#include "ui/colours.h"
#include "ui/dial.h"
#include "ui/dial_controls.h"
#include "ui/quale_com.h"

namespace {
// "names=text" with blank-separated object names, then its start background
// ("" where the design fixes none); read-only boxes start with "~".
const char* const MAIN =
    "calib=-Calibration- open form ...|#ffff00;command_v=Firmware Version|#ffe0c0;firm_version=???.??|;"
    "command_s=cmd S|#c0c0ff;command_c=cmd M|#c0ffff;command_qm=cmd ?|#ffc0ff;write_mode=cmd W|#80ff80;"
    "set_default=Set Default|#ff8000;pwm_period pwm_max_duty pwm_min_duty ramp lower_limit upper_limit inv_delay "
    "pres_delay rot_timeout offset_write=???|;check_angle_write=2|;pwm_on=PWM|;optimize=OPTIMIZE|;"
    "mot_check=ROT CHECK|;south_stop=South-stop|;north_stop=North-stop|;label_dipsw=DIP-SW|;~read_pwm_period "
    "~read_pwm_max_duty ~read_pwm_min_duty ~read_ramp ~read_lower_limit ~read_upper_limit ~read_inv_delay "
    "~read_pres_delay ~read_rot_timeout ~offset_read ~optimize_msg ~pwm_msg ~curr_pos ~cbox_status ~mot_check_msg "
    "~check_angle ~fast_pos ~fast_status=???|;~mode_msg=??????????|;~dipsw=???????|;~cal_fact=?????|;"
    "~goto_replay=????????|;read_info=cmd L|#00ff00;execute=Execute|#00ff00;cmd_monitor=START...|#00ff00;"
    "fast_stop=STOP!|#ffc080;soft_stop=Soft STOP|#ffc080;go_to_angle=?|;clr_reply=CLR REPLIES|#ffc0c0;com_port=1|";
const char* const CALIBRATION_WINDOW =
    "calib_def=-Calibration- default (c)|#ffffc0;calib360=-Calibration- 360\u00b0 (C)|#ffff00;"
    "calib=-Calibration- any angle (K)|#c0c0ff;calib_angle=90|#c0c0ff;Label1=\u00b0|;cal_factor=?|#c0ffc0;"
    "write_factor=-Calibration- calib factor set (F)|#c0ffc0";
const char* const CHOOSER = "com_port=1|;Label45=COM|;continue_button=ACCEPT|#ff8000";
// Each box's label and frame as a screen reader speaks them (S: "PARAMETERS SET", R: "PARAMETERS READ").
const char* const SPOKEN =
    "cal_fact=Cal.Fact R;cbox_status=CBOX is R;check_angle=Chk Angle R;check_angle_write=Check angle S;"
    "com_port=COM (COMM PORT);curr_pos=Position R;dipsw=DIP-SW R;fast_pos=Position (COMMUNICATION MONITOR);"
    "fast_status=CBOX is (COMMUNICATION MONITOR);firm_version=Firmware Version;go_to_angle=GOTO angle;"
    "goto_replay=GOTO reply;inv_delay=Rev. Delay S;lower_limit=Lower Limit S;mode_msg=Mode R;mot_check_msg=Rot.Chk R;"
    "offset_read=Offset R;offset_write=Offset (-70\u00b0..+70\u00b0) S;optimize_msg=Optimize R;pres_delay=Preset Delay S;"
    "pwm_max_duty=PWM:max.duty S;pwm_min_duty=PWM:min.duty S;pwm_msg=PWM is R;pwm_period=PWM:period S;ramp=PWM:ramp S;"
    "read_inv_delay=Rev. Delay R;read_lower_limit=Lower Limit R;read_pres_delay=Preset Delay R;"
    "read_pwm_max_duty=PWM:max.duty R;read_pwm_min_duty=PWM:min.duty R;read_pwm_period=PWM:period R;"
    "read_ramp=PWM:ramp R;read_rot_timeout=Rot. Timeout R;read_upper_limit=Upper Limit R;rot_timeout=Rot. Timeout S;"
    "upper_limit=Upper Limit S;";

void check_design(QWidget* window, const QString& caption, const QString& rows) {
  QCOMPARE(window->windowTitle(), caption);
  for (const QString& row : rows.split(';')) {
    const QString text = row.section('=', 1).section('|', 0, 0), colour = row.section('|', 1);
    for (QString name : row.section('=', 0, 0).split(' ')) {
      const bool read_only = name.startsWith('~');
      auto* c = window->findChild<QWidget*>(name.remove('~'));
      QVERIFY2(c, qPrintable(name));
      auto* e = qobject_cast<QLineEdit*>(c);
      auto* b = qobject_cast<QAbstractButton*>(c);
      QCOMPARE(name + "=" + (e ? e->text() : b ? b->text() : qobject_cast<QLabel*>(c)->text()), name + "=" + text);
      if (!colour.isEmpty()) QCOMPARE(name + ui::BACKCOLOR(c).name(), name + colour);
      QVERIFY2(!e || e->isReadOnly() == read_only, qPrintable(name));
    }
  }
}

QString spoken_name(QWidget* w) { return QAccessible::queryAccessibleInterface(w)->text(QAccessible::Name); }

// Every control of the window (not the menu bar's own overflow button: menus
// go by their letters; not those of a window of its own) named and on the tab
// chain, in the order given.
void check_keyboard(QWidget* window, const QList<QWidget*>& order) {
  QList<QWidget*> walk;
  for (QWidget* w = order.first(); w && !walk.contains(w) && walk.size() < 500; w = w->nextInFocusChain())
    if (window->isAncestorOf(w) && (w->focusPolicy() & Qt::TabFocus)) walk << w;
  for (QWidget* w : window->findChildren<QWidget*>())
    if (!qobject_cast<QMenuBar*>(w->parentWidget()) && w->window() == window &&
        (qobject_cast<QAbstractButton*>(w) || qobject_cast<QLineEdit*>(w) || qobject_cast<QPlainTextEdit*>(w) ||
         qobject_cast<QComboBox*>(w)))
      QVERIFY2(walk.contains(w) && (!spoken_name(w).isEmpty() || qobject_cast<QComboBox*>(w)), qPrintable(w->objectName()));
  for (int i = 1; i < order.size(); ++i) QVERIFY(walk.indexOf(order[i - 1]) < walk.indexOf(order[i]));
}

bool red(QLineEdit* e) { return ui::BACKCOLOR(e) == colours::RED(); }
// "box=text" typed: a change even when the box held the text already.
void type(velta& w, const QString& box_text) {
  QLineEdit* e = w.findChild<QLineEdit*>(box_text.section('=', 0, 0));
  e->setText("x");
  e->setText(box_text.section('=', 1));
}
}  // namespace

class TestWindow : public QObject {
  Q_OBJECT
 private slots:
  void cleanup() { delete calibration_form(); }

  void design_keyboard_and_screen_reader() {
    Bench b({"--no-pacing"});
    velta& w = b.w();
    check_design(&w, "KOR.DEL.VAN." + QString(23, ' ') + "CONTROL BOX SETTINGS - V3.23.1", MAIN);
    QVERIFY(w.pwm_on->isChecked() && w.optimize->isChecked() && !w.mot_check->isChecked() && w.south_stop->isChecked());
    QVERIFY(ui::FORECOLOR(w.dipsw) == colours::RED() && ui::FORECOLOR(w.label_dipsw) == colours::RED());
    QVERIFY(w.cbox_reply_text->isReadOnly() && w.Timer1->interval() == 3300 && !w.Timer1->isActive());
    QStringList groups;
    for (QGroupBox* g : w.findChildren<QGroupBox*>()) groups << g->objectName() + "=" + g->title();
    QCOMPARE(groups.join(';'), QString("Frame1=PARAMETERS SET;info_read=PARAMETERS READ;go_to=GOTO;"
                                       "Frame2=COMMUNICATION MONITOR;COM=COMM PORT"));
    w.show();
    QCOMPARE(w.minimumSize(), w.maximumSize());  // one fixed window
    check_keyboard(&w, {w.pwm_period, w.pwm_max_duty, w.rot_timeout, w.offset_write, w.north_stop, w.write_mode,
                        w.read_info, w.execute, w.soft_stop, w.cmd_monitor, w.com_port, w.command_qm});
    QStringList names;
    for (QLineEdit* e : w.findChildren<QLineEdit*>()) names << e->objectName() + "=" + spoken_name(e) + ";";
    names.sort();
    QCOMPARE(names.join(""), QString(SPOKEN).replace(" S;", " (PARAMETERS SET);").replace(" R;", " (PARAMETERS READ);"));
    // Read-only boxes refuse typing; CLR REPLIES empties the reply box.
    QTest::keyClicks(w.curr_pos, "999");
    QTest::keyClicks(w.go_to_angle, "90");
    w.cbox_reply_text->appendPlainText(" 1: <h|A,?,45,R|r>");
    click(w.clr_reply);
    QCOMPARE(w.curr_pos->text() + w.go_to_angle->text() + w.cbox_reply_text->toPlainText(), QString("????90"));

    DIAL& d = dial_controls::DIAL_OF(w);
    check_design(&d, "Rotator", "dial_position=???;dial_target=;dial_state=???;preset_1 preset_8=(empty)");
    check_keyboard(&d, {d.rose, d.preset_buttons[0], d.preset_buttons[7]});
    w.calib_Click();
    CALIBRATION* cal = calibration_form();
    check_design(cal, "KOR.DEL.VAN.  -  CALIBRATION FORM", CALIBRATION_WINDOW);
    check_keyboard(cal, {cal->calib_def, cal->calib360, cal->calib, cal->calib_angle, cal->cal_factor, cal->write_factor});
    quale_com chooser;
    check_design(&chooser, "CHOOSE or CONFIRM COM PORT", CHOOSER);
    chooser.show();
    check_keyboard(&chooser, {chooser.com_port, chooser.device_list, chooser.continue_button});
    // A list speaks its current line as its name; its label comes as a relation.
    const auto labels = QAccessible::queryAccessibleInterface(chooser.device_list)->relations(QAccessible::Label);
    QVERIFY(labels.size() == 1 && labels.first().first->text(QAccessible::Name) == "Device");
  }

  // Typed texts, in order, on the default set, and the checked boxes red
  // after them: the bounds themselves pass, both limits paint together, the
  // minimum duty waits for its own change.
  void entry_checks() {
    const std::pair<QStringList, const char*> cases[] = {
        {{"offset_write=-70"}, ""},  {{"offset_write=70.5"}, "offset_write"}, {{"offset_write=-71"}, "offset_write"},
        {{"offset_write=abc"}, ""},  {{"pwm_min_duty=3"}, "pwm_min_duty"},    {{"pwm_min_duty=4"}, ""},
        {{"pwm_period=80", "pwm_min_duty=2"}, ""},  // an on-time of exactly 1.6 ms
        {{"pwm_min_duty=101"}, "pwm_min_duty"},     {{"pwm_min_duty=-1"}, "pwm_min_duty"},
        {{"pwm_max_duty=50", "pwm_min_duty=50"}, ""},
        {{"pwm_max_duty=50", "pwm_min_duty=60", "pwm_max_duty=100"}, "pwm_min_duty"},
        {{"pwm_max_duty=50", "pwm_min_duty=60", "pwm_max_duty=100", "pwm_min_duty=61"}, ""},
        {{"upper_limit=50", "lower_limit=100"}, "lower_limit upper_limit"},
        {{"upper_limit=50", "lower_limit=100", "upper_limit=100"}, ""},
        {{"lower_limit=600", "upper_limit=700"}, ""}};
    Bench b({}, 1, false);
    for (const auto& [typed, red_boxes] : cases) {
      b.w().set_entries(defaults_with());
      for (const QString& t : typed) type(b.w(), t);
      QStringList got;
      for (QLineEdit* e : {b.w().offset_write, b.w().pwm_min_duty, b.w().lower_limit, b.w().upper_limit})
        if (red(e)) got << e->objectName();
      QCOMPARE(typed.join(' ') + ": " + got.join(' '), typed.join(' ') + ": " + red_boxes);
    }
  }

  // Every box red, even the minimum duty at its default text: Set Default
  // after No changes nothing, after Yes writes the defaults and every box ends
  // normal; nothing is sent.
  void set_default() {
    Bench b;
    velta& w = b.w();
    for (const char* t : {"offset_write=80", "upper_limit=5", "lower_limit=10", "pwm_period=1", "pwm_min_duty=50"}) type(w, t);
    w.north_stop->setChecked(true);
    const Entries before = w.entries();
    w.set_default_Click();
    QVERIFY(w.entries() == before && b.msgs().boxes().front().title == "WRITE PARAMETERS COMMAND");
    b.msgs().answer(QMessageBox::Yes);
    click(w.set_default);
    QCOMPARE(w.entries(), defaults_with());
    for (QLineEdit* e : {w.offset_write, w.pwm_min_duty, w.lower_limit, w.upper_limit}) QVERIFY(!red(e));
    QTest::qWait(50);
    QCOMPARE(b.sim().received(), QByteArray());
  }
};

VELTA_TEST_MAIN(TestWindow)
#include "test_window.moc"
