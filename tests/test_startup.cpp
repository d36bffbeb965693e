// Start-up and shutdown as a technician meets them at the bench: the port
// chooser with the stored number, the connection prompt, S, V and the
// parameter read on the wire, and the port number stored at the end.
#include <QLineEdit>
#include <QTest>

#include "app/file_in.h"
#include "app/myVar.h"
#include "tests/harness/bench.h"
#include "ui/calibration.h"
#include "ui/quale_com.h"

namespace {
const QString CONNECT = QStringLiteral(
    "Connect the PC to the CBOX, power-on it and click on OK when the CBOX is ready");

// Every text box of the main window but the port box, by name.
QStringList boxes(velta& w) {
  QStringList out;
  for (QLineEdit* e : w.findChildren<QLineEdit*>())
    if (e != w.com_port) out << e->objectName() + "=" + e->text();
  return out;
}

// What the chooser showed when it appeared, and the main window's port box
// after each keystroke typed into it.
struct ChooserSession {
  QString shown_in_chooser, shown_in_main, visible;
  QStringList mirrored;
};

// Plans the technician's part: wait for the chooser, type `typed` (after
// emptying the box) key by key, then ACCEPT.
void plan_chooser(velta& w, ChooserSession& s, const QString& typed, bool empty_first = true) {
  later(50, [&w, &s, typed, empty_first] {
    quale_com* c = quale_com_form();
    if (!c) return;
    s.visible = c->isVisible() ? "visible" : "hidden";
    s.shown_in_chooser = c->com_port->text();
    s.shown_in_main = w.com_port->text();
    if (empty_first) {
      c->com_port->selectAll();
      QTest::keyClick(c->com_port, Qt::Key_Backspace);
      s.mirrored << w.com_port->text();
    }
    for (QChar ch : typed) {
      QTest::keyClicks(c->com_port, QString(ch));
      s.mirrored << w.com_port->text();
    }
    QTest::mouseClick(c->continue_button, Qt::LeftButton);
  });
}
}  // namespace

class StartupTest : public QObject {
  Q_OBJECT
 private slots:
  void start_up_reads_the_controller() {
    Bench b({}, 5, /*configure=*/false);
    put_settings_file(" 3 \r\n");
    b.sim().set("lower_limit", "12");
    ChooserSession s;
    plan_chooser(b.w(), s, "05");
    b.w().Form_Load();
    QCOMPARE(s.visible, QStringLiteral("visible"));
    QCOMPARE(s.shown_in_chooser, QStringLiteral("3"));
    QCOMPARE(s.shown_in_main, QStringLiteral("3"));
    QCOMPARE(s.mirrored, (QStringList{"", "0", "05"}));
    QVERIFY(!b.w().end_requested);
    QCOMPARE(b.msgs().texts(), QStringList{CONNECT});
    QCOMPARE(b.sim().received(), frame('S') + frame('V') + frame('L'));
    // The number as stored: 05 comes back as 5 in the main window.
    QCOMPARE(settings_file(), QByteArray(" 5 \r\n"));
    QCOMPARE(b.w().com_port->text(), QStringLiteral("5"));
    QCOMPARE(int(myVar::com_port_number), 5);
    QVERIFY(b.w().firm_version->text() != QStringLiteral("???.??"));
    QCOMPARE(b.w().read_lower_limit->text(), QStringLiteral("12°"));
    QCOMPARE(b.w().lower_limit->text(), QStringLiteral("12"));
    QVERIFY(!myVar::fill_set_fields);
    QVERIFY(!myVar::configure_port);
    QVERIFY(!quale_com_form()->isVisible());
  }

  void first_run_without_settings_file() {
    Bench b({}, 1, false);
    ChooserSession s;
    plan_chooser(b.w(), s, QString(), /*empty_first=*/false);
    b.w().Form_Load();
    QCOMPARE(s.shown_in_chooser, QStringLiteral("1"));
    QCOMPARE(b.msgs().texts(), QStringList{CONNECT});
    QCOMPARE(b.sim().received(), frame('S') + frame('V') + frame('L'));
    QCOMPARE(settings_file(), QByteArray(" 1 \r\n"));
  }

  void unreadable_settings_file_is_told_once() {
    Bench b({}, 1, false);
    put_settings_file("COM1\r\n");
    ChooserSession s;
    plan_chooser(b.w(), s, QString(), false);
    b.w().Form_Load();
    QCOMPARE(s.shown_in_chooser, QStringLiteral("1"));
    QCOMPARE(b.msgs().texts().size(), 2);
    QVERIFY(b.msgs().texts()[0].startsWith("The port number stored in velta.ini could not be read"));
    QCOMPARE(b.msgs().texts()[1], CONNECT);
    QCOMPARE(b.sim().received(), frame('S') + frame('V') + frame('L'));
  }

  void number_outside_the_range_is_refused_in_the_chooser() {
    Bench b({}, 2, false);
    put_settings_file(" 2 \r\n");
    ChooserSession s;
    QString after_refusal;
    later(50, [&] {
      quale_com* c = quale_com_form();
      c->com_port->setText(QStringLiteral("70000"));
      QTest::mouseClick(c->continue_button, Qt::LeftButton);
      after_refusal = c->com_port->text() + (myVar::port_accepted ? " accepted" : " waiting");
      QTest::mouseClick(c->continue_button, Qt::LeftButton);
    });
    b.w().Form_Load();
    QCOMPARE(after_refusal, QStringLiteral("2 waiting"));
    QCOMPARE(b.msgs().texts().first(),
             QStringLiteral("The port number 70000 is not valid: it must lie from -32768 to 32767. "
                            "The port number 2 is kept."));
    QCOMPARE(settings_file(), QByteArray(" 2 \r\n"));
    QCOMPARE(b.sim().received(), frame('S') + frame('V') + frame('L'));
  }

  void closing_the_chooser_ends_the_program() {
    Bench b({}, 1, false);
    later(50, [] { quale_com_form()->close(); });
    b.w().Form_Load();
    QVERIFY(b.w().end_requested);
    QCOMPARE(b.msgs().texts(), QStringList{});
    QCOMPARE(quale_com_form(), nullptr);
    QCOMPARE(b.sim().received(), QByteArray());
  }

  void silent_controller_leaves_the_design_values() {
    Bench b({}, 1, false);
    b.setReplyPeriod(300);
    b.sim().fault("silence");
    const QStringList design = boxes(b.w());
    ChooserSession s;
    plan_chooser(b.w(), s, QString(), false);
    b.w().Form_Load();
    QCOMPARE(b.msgs().texts(), (QStringList{CONNECT, "cmd S, Communication timeout on <header>"}));
    QCOMPARE(b.sim().received(), frame('S'));
    QCOMPARE(boxes(b.w()), design);
  }

  void port_that_cannot_be_opened_is_told_twice() {
    Bench b({}, 1, false);
    put_settings_file(" 300 \r\n");  // neither ports/com300 nor its serial device exists
    const QStringList design = boxes(b.w());
    ChooserSession s;
    plan_chooser(b.w(), s, QString(), false);
    b.w().Form_Load();
    QCOMPARE(b.msgs().texts(), (QStringList{CONNECT, "ERROR OPENING COM PORT # 300", "ERROR OPENING COM PORT # 300"}));
    QCOMPARE(b.sim().received(), QByteArray());
    QCOMPARE(boxes(b.w()), design);
  }

  void shutdown_stores_the_number_typed_in_the_main_window() {
    Bench b({}, 1, false);
    ChooserSession s;
    plan_chooser(b.w(), s, QString(), false);
    b.w().Form_Load();
    b.w().show();
    b.w().com_port->setText(QStringLiteral("7"));
    b.msgs().clear();
    QVERIFY(b.w().close());
    QCOMPARE(settings_file(), QByteArray(" 7 \r\n"));
    QCOMPARE(b.msgs().texts(), QStringList{});
    QCOMPARE(quale_com_form(), nullptr);
  }

  void shutdown_refused_while_the_monitor_runs() {
    Bench b({}, 1, false);
    ChooserSession s;
    plan_chooser(b.w(), s, QString(), false);
    b.w().Form_Load();
    b.w().show();
    b.w().calib_Click();
    QVERIFY(calibration_form());
    // The monitor's state is its button caption.
    b.w().cmd_monitor->setText(QStringLiteral("STOP"));
    b.w().com_port->setText(QStringLiteral("4"));
    b.msgs().clear();
    QVERIFY(!b.w().close());
    QVERIFY(b.w().isVisible());
    QCOMPARE(b.msgs().texts(), QStringList{"Please STOP the COMMUNICATION MONITOR before to exit."});
    QTRY_COMPARE(calibration_form(), nullptr);
    QCOMPARE(settings_file(), QByteArray(" 4 \r\n"));
    b.w().cmd_monitor->setText(QStringLiteral("START..."));
  }

  // Each step of the probe runs only after the one before succeeded.
  void probe_stops_at_the_first_failure_data() {
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QByteArray>("wire");
    QTest::addColumn<QString>("message");
    QTest::newRow("S refused") << "wrong-header for=S" << frame('S') << "<Identifier> invalid, received:X";
    QTest::newRow("V silent") << "silence for=V" << frame('S') + frame('V')
                              << "cmd V, Communication timeout on <header>";
    QTest::newRow("L with a bad separator") << "bad-sep for=L" << frame('S') + frame('V') + frame('L')
                                            << "<Separator>2 invalid, received:;";
  }
  void probe_stops_at_the_first_failure() {
    QFETCH(QString, fault);
    QFETCH(QByteArray, wire);
    QFETCH(QString, message);
    Bench b({}, 1, false);
    b.setReplyPeriod(300);
    b.sim().fault(fault);
    ChooserSession s;
    plan_chooser(b.w(), s, QString(), false);
    b.w().Form_Load();
    QCOMPARE(b.msgs().texts(), (QStringList{CONNECT, message}));
    QCOMPARE(b.sim().received(), wire);
    QVERIFY(!myVar::fill_set_fields);
  }
};

VELTA_TEST_MAIN(StartupTest)
#include "test_startup.moc"
