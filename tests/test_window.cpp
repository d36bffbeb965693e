// The windows as built, against their snapshots (tests/design/); the boxes
// painted as typed; Set Default. (That a read writes every read-out box is held by the
// parameter tests: their other set differs from the first in all nineteen.)
#include <QAccessible>
#include <QTest>

#include "tests/harness/bench.h"
#include "tests/harness/design.h"
#include "ui/calibration.h"
#include "ui/colours.h"
#include "ui/dial.h"
#include "ui/dial_controls.h"
#include "ui/quale_com.h"

namespace {
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

  // The four windows as built: captions, texts, colours, cells, the tab
  // chain and what a screen reader names each control, from their snapshots.
  void design() {
    Bench b({"--no-pacing"});
    velta& w = b.w();
    w.show(), QTest::qWait(20);  // the dial, not kept open, stays closed: View > Rotator dial unchecked
    QCOMPARE(w.minimumSize(), w.maximumSize());  // one fixed window
    CHECK_DESIGN(&w, "main");
    CHECK_DESIGN(&dial_controls::DIAL_OF(w), "dial");
    w.calib_Click();
    CHECK_DESIGN(calibration_form(), "calibration");
    quale_com chooser;
    chooser.show();
    CHECK_DESIGN(&chooser, "chooser");
    // A list speaks its current line as its name; its label comes as a relation.
    const auto labels = QAccessible::queryAccessibleInterface(chooser.device_list)->relations(QAccessible::Label);
    QVERIFY(labels.size() == 1 && labels.first().first->text(QAccessible::Name) == "Device");
    QVERIFY(w.Timer1->interval() == 3300 && !w.Timer1->isActive());
    // Read-only boxes refuse typing; CLR REPLIES empties the reply box.
    QTest::keyClicks(w.curr_pos, "999");
    QTest::keyClicks(w.go_to_angle, "90");
    w.cbox_reply_text->appendPlainText(" 1: <h|A,?,45,R|r>");
    click(w.clr_reply);
    QCOMPARE(w.curr_pos->text() + w.go_to_angle->text() + w.cbox_reply_text->toPlainText(), QString("????90"));
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
