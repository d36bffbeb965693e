// The checks of the "PARAMETERS SET" boxes while typing, and "Set Default".
#include <QTest>

#include "tests/harness/bench.h"
#include "ui/colours.h"

namespace {
bool red(QLineEdit* e) {
  const QColor c = ui::BACKCOLOR(e);
  if (c != ui::RED() && c != ui::SYS_WINDOW_BACKGROUND()) qFatal("unexpected colour of %s", qPrintable(e->objectName()));
  return c == ui::RED();
}

// A text typed into a box, as a change: a different text first, so that the
// change signal comes even when the box held `text` already.
void type(QLineEdit* e, const QString& text) {
  e->setText(text + "x");
  e->setText(text);
}

// Every text, check and option of the frame, with the colours of the checked boxes.
QStringList frame_state(velta& w) {
  QStringList out;
  for (QLineEdit* e : {w.offset_write, w.pwm_period, w.pwm_max_duty, w.pwm_min_duty, w.ramp, w.lower_limit,
                       w.upper_limit, w.inv_delay, w.pres_delay, w.rot_timeout, w.check_angle_write})
    out << e->objectName() + "=" + e->text();
  for (QAbstractButton* b : std::initializer_list<QAbstractButton*>{w.pwm_on, w.optimize, w.mot_check, w.south_stop,
                                                                    w.north_stop})
    out << b->objectName() + (b->isChecked() ? "=1" : "=0");
  for (QLineEdit* e : {w.offset_write, w.pwm_min_duty, w.lower_limit, w.upper_limit})
    out << e->objectName() + (red(e) ? " red" : " normal");
  return out;
}

const QString QUESTION = QStringLiteral("THIS COMMAND OVERWRITES THE -PARAMETERS SET- VALUES!!! ARE YOU SURE?");
}  // namespace

class TestEntryChecks : public QObject {
  Q_OBJECT
 private slots:
  void offset_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("is_red");
    QTest::newRow("70") << "70" << false;
    QTest::newRow("-70") << "-70" << false;
    QTest::newRow("70.5") << "70.5" << true;
    QTest::newRow("-71") << "-71" << true;
    QTest::newRow("abc reads as 0") << "abc" << false;
    QTest::newRow("- reads as 0") << "-" << false;
    QTest::newRow("empty reads as 0") << "" << false;
    QTest::newRow("leading number 80x") << "80x" << true;
  }
  void offset() {
    QFETCH(QString, text);
    QFETCH(bool, is_red);
    Bench b({}, 1, false);
    type(b.w().offset_write, "99");  // red before: every change paints anew
    QVERIFY(red(b.w().offset_write));
    type(b.w().offset_write, text);
    QCOMPARE(red(b.w().offset_write), is_red);
    QCOMPARE(b.w().offset_write->text(), text);  // the check never changes a text
  }

  void min_duty_data() {
    QTest::addColumn<QString>("period");
    QTest::addColumn<QString>("max_duty");
    QTest::addColumn<QString>("min_duty");
    QTest::addColumn<bool>("is_red");
    QTest::newRow("on-time 1.5 ms") << "50" << "100" << "3" << true;
    QTest::newRow("on-time 2 ms") << "50" << "100" << "4" << false;
    QTest::newRow("on-time exactly 1.6 ms") << "80" << "100" << "2" << false;
    QTest::newRow("101") << "50" << "100" << "101" << true;
    QTest::newRow("100") << "50" << "100" << "100" << false;
    QTest::newRow("-1") << "50" << "100" << "-1" << true;
    QTest::newRow("above the maximum") << "50" << "50" << "60" << true;
    QTest::newRow("equal to the maximum") << "50" << "50" << "50" << false;
    QTest::newRow("no period") << "???" << "100" << "50" << true;
  }
  void min_duty() {
    QFETCH(QString, period);
    QFETCH(QString, max_duty);
    QFETCH(QString, min_duty);
    QFETCH(bool, is_red);
    Bench b({}, 1, false);
    b.w().pwm_period->setText(period);
    b.w().pwm_max_duty->setText(max_duty);
    type(b.w().pwm_min_duty, min_duty);
    QCOMPARE(red(b.w().pwm_min_duty), is_red);
  }

  void min_duty_colour_waits_for_its_own_change() {
    Bench b({}, 1, false);
    b.w().pwm_period->setText("50");
    b.w().pwm_max_duty->setText("50");
    type(b.w().pwm_min_duty, "60");
    QVERIFY(red(b.w().pwm_min_duty));
    b.w().pwm_max_duty->setText("100");
    QVERIFY(red(b.w().pwm_min_duty));
    type(b.w().pwm_min_duty, "61");
    QVERIFY(!red(b.w().pwm_min_duty));
    b.w().pwm_period->setText("1");  // on-time now 0.61 ms, but no new check
    QVERIFY(!red(b.w().pwm_min_duty));
  }

  void limits() {
    Bench b({}, 1, false);
    velta& w = b.w();
    w.upper_limit->setText("50");
    type(w.lower_limit, "100");
    QVERIFY(red(w.lower_limit) && red(w.upper_limit));
    type(w.upper_limit, "100");  // equal limits pass
    QVERIFY(!red(w.lower_limit) && !red(w.upper_limit));
    type(w.upper_limit, "99");
    QVERIFY(red(w.lower_limit) && red(w.upper_limit));
    type(w.lower_limit, "10");
    QVERIFY(!red(w.lower_limit) && !red(w.upper_limit));
    // The 0 to 500 of the labels is not checked here, only the order.
    type(w.lower_limit, "600");
    type(w.upper_limit, "700");
    QVERIFY(!red(w.lower_limit) && !red(w.upper_limit));
  }

  void set_default() {
    Bench b;
    velta& w = b.w();
    // Every checked box red, and the minimum duty red already at its default
    // text (only a period change made it wrong).
    type(w.offset_write, "80");
    w.upper_limit->setText("5");
    type(w.lower_limit, "10");
    w.pwm_period->setText("1");
    w.pwm_max_duty->setText("100");
    type(w.pwm_min_duty, "50");
    w.pwm_on->setChecked(false);
    w.mot_check->setChecked(true);
    w.north_stop->setChecked(true);
    w.check_angle_write->setText("7");
    const QStringList before = frame_state(w);

    w.set_default_Click();  // no answer queued: No
    QCOMPARE(b.msgs().boxes().size(), std::size_t(1));
    const ui::MsgBoxRequest& box = b.msgs().boxes().front();
    QCOMPARE(box.text, QUESTION);
    QCOMPARE(box.title, QString("WRITE PARAMETERS COMMAND"));
    QCOMPARE(box.buttons, QMessageBox::Yes | QMessageBox::No);
    QCOMPARE(box.default_button, QMessageBox::No);
    QCOMPARE(box.icon, QMessageBox::Critical);
    QCOMPARE(frame_state(w), before);

    b.msgs().answer(QMessageBox::Yes);
    QTest::mouseClick(w.set_default, Qt::LeftButton);
    QCOMPARE(b.msgs().texts(), (QStringList{QUESTION, QUESTION}));
    QCOMPARE(frame_state(w),
             (QStringList{"offset_write=0", "pwm_period=50", "pwm_max_duty=100", "pwm_min_duty=50", "ramp=10",
                          "lower_limit=0", "upper_limit=500", "inv_delay=3", "pres_delay=3", "rot_timeout=5",
                          "check_angle_write=2", "pwm_on=1", "optimize=1", "mot_check=0", "south_stop=1",
                          "north_stop=0", "offset_write normal", "pwm_min_duty normal", "lower_limit normal",
                          "upper_limit normal"}));
    // Only the window changed: the controller was sent nothing.
    QTest::qWait(50);
    QCOMPARE(b.sim().received(), QByteArray());
  }
};

VELTA_TEST_MAIN(TestEntryChecks)
#include "test_entry_checks.moc"
