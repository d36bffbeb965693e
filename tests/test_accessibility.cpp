// Every control of the windows can be reached by keyboard and has a name a
// screen reader can speak, read through the toolkit's accessibility interface.
#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QTest>

#include "tests/harness/bench.h"
#include "ui/calibration.h"
#include "ui/quale_com.h"

namespace {
// The controls a technician works with: buttons, boxes, options. The menu
// bar's own overflow button is not one of them: the menus are reached by
// their letters (test_set_file).
QList<QWidget*> controls_of(QWidget* window) {
  QList<QWidget*> out;
  for (QWidget* w : window->findChildren<QWidget*>()) {
    if (qobject_cast<QMenuBar*>(w->parentWidget())) continue;
    if (qobject_cast<QAbstractButton*>(w) || qobject_cast<QLineEdit*>(w) || qobject_cast<QPlainTextEdit*>(w))
      out << w;
  }
  return out;
}

QString spoken_name(QWidget* w) {
  QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(w);
  return iface ? iface->text(QAccessible::Name) : QString();
}

// Walks the focus chain from the first control; returns every widget reached.
QList<QWidget*> tab_walk(QWidget* window, QWidget* first) {
  QList<QWidget*> seen;
  QWidget* w = first;
  for (int i = 0; i < 500 && w && !seen.contains(w); ++i) {
    if (window->isAncestorOf(w)) seen << w;
    w = w->nextInFocusChain();
  }
  return seen;
}
}  // namespace

class TestAccessibility : public QObject {
  Q_OBJECT
 private slots:
  void main_window_controls_have_spoken_names() {
    Bench b({"--no-pacing"});
    QStringList unnamed;
    for (QWidget* w : controls_of(&b.w()))
      if (spoken_name(w).trimmed().isEmpty()) unnamed << w->objectName();
    QVERIFY2(unnamed.isEmpty(), qPrintable("no accessible name: " + unnamed.join(", ")));
  }

  // The two small windows: every control named, all on the tab chain in
  // their design order.
  void chooser_and_calibration_window_are_spoken_and_walked() {
    Bench b({"--no-pacing"});
    quale_com chooser;
    b.w().calib_Click();
    CALIBRATION* cal = calibration_form();
    QVERIFY(cal);
    chooser.show();
    const std::pair<QWidget*, QList<QWidget*>> windows[] = {
        {&chooser, {chooser.com_port, chooser.continue_button}},
        {cal, {cal->calib_def, cal->calib360, cal->calib, cal->calib_angle, cal->cal_factor, cal->write_factor}},
    };
    for (const auto& [window, order] : windows) {
      QStringList unnamed;
      for (QWidget* w : controls_of(window))
        if (spoken_name(w).trimmed().isEmpty()) unnamed << w->objectName();
      QVERIFY2(unnamed.isEmpty(), qPrintable(window->objectName() + ": no accessible name: " + unnamed.join(", ")));
      const QList<QWidget*> walk = tab_walk(window, order.first());
      for (int i = 0; i < order.size(); ++i) {
        QVERIFY2(walk.contains(order[i]), qPrintable(order[i]->objectName()));
        if (i > 0) QVERIFY2(walk.indexOf(order[i - 1]) < walk.indexOf(order[i]), qPrintable(order[i]->objectName()));
      }
    }
    QCOMPARE(spoken_name(chooser.com_port), QStringLiteral("COM"));
    QCOMPARE(spoken_name(chooser.continue_button), QStringLiteral("ACCEPT"));
    cal->close();
  }

  void boxes_are_named_by_their_label_and_frame() {
    Bench b({"--no-pacing"});
    QCOMPARE(spoken_name(b.w().pwm_period), QStringLiteral("PWM:period (PARAMETERS SET)"));
    QCOMPARE(spoken_name(b.w().read_pwm_period), QStringLiteral("PWM:period (PARAMETERS READ)"));
    QCOMPARE(spoken_name(b.w().offset_write), QStringLiteral("Offset (-70\u00b0..+70\u00b0) (PARAMETERS SET)"));
    QCOMPARE(spoken_name(b.w().fast_pos), QStringLiteral("Position (COMMUNICATION MONITOR)"));
    QCOMPARE(spoken_name(b.w().com_port), QStringLiteral("COM (COMM PORT)"));
    QCOMPARE(spoken_name(b.w().read_info), QStringLiteral("cmd L"));
  }

  void every_main_window_control_is_on_the_tab_chain_in_a_sensible_order() {
    Bench b({"--no-pacing"});
    b.w().show();
    const QList<QWidget*> walk = tab_walk(&b.w(), b.w().pwm_period);
    for (QWidget* w : controls_of(&b.w()))
      QVERIFY2(walk.contains(w) && w->focusPolicy() & Qt::TabFocus, qPrintable(w->objectName()));
    // The parameter set first, row by row, before its buttons and the read-outs.
    const auto at = [&](QWidget* w) { return walk.indexOf(w); };
    QVERIFY(at(b.w().pwm_period) < at(b.w().pwm_max_duty));
    QVERIFY(at(b.w().rot_timeout) < at(b.w().offset_write));
    QVERIFY(at(b.w().north_stop) < at(b.w().write_mode));
    QVERIFY(at(b.w().write_mode) < at(b.w().read_info));
    QVERIFY(at(b.w().read_info) < at(b.w().execute));
    QVERIFY(at(b.w().soft_stop) < at(b.w().cmd_monitor));
  }
};

VELTA_TEST_MAIN(TestAccessibility)
#include "test_accessibility.moc"
