// Start-up, shutdown and whole sessions at the bench: the port chooser with
// the stored number, the connection prompt, S, V and the parameter read on
// the wire, the number stored at the end, and the program as its entry point
// runs it, on any desktop, ending with its window.
#include <QApplication>
#include <QTest>
#include <clocale>

#include "app/myVar.h"
#include "app/program.h"
#include "protocol/tune_cmd.h"
#include "tests/harness/bench.h"
#include "tests/harness/script.h"
#include "ui/calibration.h"
#include "ui/quale_com.h"

namespace {
const QString CONNECT = "Connect the PC to the CBOX, power-on it and click on OK when the CBOX is ready";
const QByteArray PROBE = frame('S') + frame('V') + frame('L');

// Every text box of the main window but the port box, by name.
QStringList boxes(velta& w) {
  QStringList out;
  for (QLineEdit* e : w.findChildren<QLineEdit*>())
    if (e != w.com_port) out << e->objectName() + "=" + e->text();
  return out;
}

// A click as a person makes it: delivered from the event loop, so that the
// handler it starts runs while the script goes on looking.
void click(QAbstractButton* b) {
  QTimer::singleShot(0, b, [b] { QTest::mouseClick(b, Qt::LeftButton); });
}

void type(QLineEdit* box, const QString& text) {
  box->selectAll();
  QTest::keyClick(box, Qt::Key_Backspace);
  QTest::keyClicks(box, text);
}

// The whole program on a simulator, as its entry point runs it; the
// technician's part is a script.
struct Desk {
  SimProcess sim;
  QString old = QDir::currentPath();
  MsgCapture msgs;
  Script script{[] {
    // A stalled session still ends: the window closes (the monitor first).
    if (!velta_exists()) return;
    if (velta_form().cmd_monitor->text() == QLatin1String("STOP")) velta_form().cmd_monitor->click();
    QTimer::singleShot(100, [] {
      if (velta_exists()) velta_form().close();
    });
  }};
  explicit Desk(int port = 1) : sim(port) { QDir::setCurrent(sim.dir()); }
  ~Desk() { QDir::setCurrent(old); }
  void accept_port() {
    script.when("port chooser shown", [] { return quale_com_form() && quale_com_form()->isVisible(); },
                [] { click(quale_com_form()->continue_button); });
    script.when("main window shown", [] { return velta_exists() && velta_form().isVisible(); }, [] {}, 15000);
  }
  int run() {
    script.start();
    const int status = RUN_PROGRAM(*qApp);
    if (!script.failed().isEmpty()) qWarning("stalled at: %s", qPrintable(script.failed()));
    return status;
  }
};
}  // namespace

class StartupTest : public QObject {
  Q_OBJECT
 private slots:
  void chooser_mirrors_and_stores() {
    Bench b({}, 5, false);
    put_settings_file(" 3 \r\n");
    b.sim().set("lower_limit", "12");
    QStringList seen;
    later(50, [&] {
      quale_com* c = quale_com_form();
      seen << c->com_port->text() + " " + b.w().com_port->text();
      c->com_port->selectAll();
      QTest::keyClick(c->com_port, Qt::Key_Backspace);
      seen << b.w().com_port->text();
      for (QChar ch : QString("05")) {
        QTest::keyClicks(c->com_port, QString(ch));
        seen << b.w().com_port->text();
      }
      QTest::mouseClick(c->continue_button, Qt::LeftButton);
    });
    b.w().Form_Load();
    QCOMPARE(seen, (QStringList{"3 3", "", "0", "05"}));
    QCOMPARE(b.msgs().texts(), QStringList{CONNECT});
    QCOMPARE(b.sim().received(), PROBE);
    // The number as stored: 05 comes back as 5 in the main window.
    QCOMPARE(settings_file(), QByteArray(" 5 \r\n"));
    QCOMPARE(b.w().com_port->text() + " " + QString::number(myVar::com_port_number), QString("5 5"));
    QCOMPARE(b.w().read_lower_limit->text() + " " + b.w().lower_limit->text(), QString("12° 12"));
    QVERIFY(!myVar::fill_set_fields && !myVar::configure_port && !quale_com_form()->isVisible());
  }

  // The start-up against what a technician may meet: the settings file, the
  // controller, and what is done at the chooser ("" accepts what it shows).
  void start_up_data() {
    QTest::addColumn<int>("port");  // where the simulator is
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("chooser");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<QByteArray>("wire");
    QTest::addColumn<QByteArray>("stored");
    const QString unreadable = "The port number stored in velta.ini could not be read (the file cannot be read or "
                               "its first line is not a number). Please choose the port.";
    QTest::newRow("first run") << 1 << QByteArray("<none>") << "" << "" << QStringList{CONNECT} << PROBE
                               << QByteArray(" 1 \r\n");
    QTest::newRow("unreadable file") << 1 << QByteArray("COM1\r\n") << "" << "" << QStringList{unreadable, CONNECT}
                                     << PROBE << QByteArray(" 1 \r\n");
    QTest::newRow("70000 refused, the stored 2 kept")
        << 2 << QByteArray(" 2 \r\n") << "" << "70000"
        << QStringList{"The port number 70000 is not valid: it must lie from -32768 to 32767. The port number 2 is "
                       "kept.",
                       CONNECT}
        << PROBE << QByteArray(" 2 \r\n");
    QTest::newRow("chooser closed: the program ends") << 1 << QByteArray(" 1 \r\n") << "" << "close" << QStringList{}
                                                      << QByteArray() << QByteArray(" 1 \r\n");
    QTest::newRow("silent controller") << 1 << QByteArray("<none>") << "silence" << ""
                                       << QStringList{CONNECT, "cmd S, Communication timeout on <header>"}
                                       << frame('S') << QByteArray(" 1 \r\n");
    QTest::newRow("no such port: told twice")
        << 1 << QByteArray(" 300 \r\n") << "" << ""
        << QStringList{CONNECT, "ERROR OPENING COM PORT # 300", "ERROR OPENING COM PORT # 300"} << QByteArray()
        << QByteArray(" 300 \r\n");
    QTest::newRow("V fails: no read") << 1 << QByteArray("<none>") << "silence for=V" << ""
                                      << QStringList{CONNECT, "cmd V, Communication timeout on <header>"}
                                      << frame('S') + frame('V') << QByteArray(" 1 \r\n");
  }
  void start_up() {
    QFETCH(int, port);
    QFETCH(QByteArray, file);
    QFETCH(QString, fault);
    QFETCH(QString, chooser);
    QFETCH(QStringList, messages);
    QFETCH(QByteArray, wire);
    QFETCH(QByteArray, stored);
    Bench b({}, port, false);
    myVar::com_port_number = 1;  // as in a program just started
    b.setReplyPeriod(300);
    if (file != "<none>") put_settings_file(file);
    if (!fault.isEmpty()) b.sim().fault(fault);
    const QStringList design = boxes(b.w());
    QString after_refusal;
    later(50, [&] {
      quale_com* c = quale_com_form();
      if (chooser == "close") return (void)c->close();
      if (!chooser.isEmpty()) {
        c->com_port->setText(chooser);
        QTest::mouseClick(c->continue_button, Qt::LeftButton);
        after_refusal = c->com_port->text() + (myVar::port_accepted ? " accepted" : " waiting");
      }
      QTest::mouseClick(c->continue_button, Qt::LeftButton);
    });
    b.w().Form_Load();
    QCOMPARE(b.msgs().texts(), messages);
    QCOMPARE(b.sim().received(), wire);
    QCOMPARE(settings_file(), stored);
    QCOMPARE(b.w().end_requested, chooser == "close");
    if (chooser == "70000") QCOMPARE(after_refusal, QString("2 waiting"));
    if (wire.size() < PROBE.size()) QCOMPARE(boxes(b.w()), design);
  }

  void shutdown() {
    Bench b({}, 1, false);
    b.w().show();
    b.w().calib_Click();
    b.w().com_port->setText("4");
    // Refused while the monitor runs (its state is its caption); the
    // calibration window closes and the number is stored all the same.
    b.w().cmd_monitor->setText("STOP");
    QVERIFY(!b.w().close());
    QCOMPARE(b.msgs().texts(), QStringList{"Please STOP the COMMUNICATION MONITOR before to exit."});
    QTRY_COMPARE(calibration_form(), nullptr);
    QCOMPARE(settings_file(), QByteArray(" 4 \r\n"));
    b.w().cmd_monitor->setText("START...");
    b.w().com_port->setText("7");
    QVERIFY(b.w().close());
    QCOMPARE(settings_file(), QByteArray(" 7 \r\n"));
  }

  void session_read_edit_write_read_back() {
    Desk d;
    QString after_start, after_write;
    d.accept_port();
    d.script.after(0, "look, edit two values, write", [&] {
      velta& w = velta_form();
      after_start = w.read_upper_limit->text() + " " + w.upper_limit->text();
      type(w.upper_limit, "350");
      type(w.ramp, "5");
      d.msgs.answer(QMessageBox::Yes);
      click(w.write_mode);
    });
    d.script.when("write done", [] { return velta_form().write_mode->isEnabled(); },
                  [] { click(velta_form().read_info); }, 15000);
    d.script.when("read back", [] { return velta_form().read_ramp->text() == QStringLiteral("5°"); },
                  [&] { after_write = velta_form().read_upper_limit->text(); });
    d.script.after(0, "close", [] { velta_form().close(); });
    QCOMPARE(d.run(), 0);
    QCOMPARE(after_start + " " + after_write, QString("500° 500 350°"));
    QCOMPARE(d.msgs.texts(), (QStringList{CONNECT, "THIS COMMAND OVERWRITES THE CBOX SETTINGS!!! ARE YOU SURE?"}));
    QCOMPARE(d.sim.control("get upper_limit"), QStringLiteral("350"));
    QVERIFY(!velta_exists());
  }

  // On a decimal-comma desktop numbers go in and out with a point.
  void session_on_a_decimal_comma_desktop() {
    QVERIFY2(std::setlocale(LC_ALL, "it_IT.UTF-8"), "locale it_IT.UTF-8 is missing: bash scripts/setup.sh generates it");
    QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
    Desk d;
    d.sim.set("pwm_a", "1");
    d.sim.set("pwm_b", "2");
    d.sim.set("pwm_c", "1");
    QString shown;
    d.accept_port();
    d.script.after(0, "look, type 2.5 s, write", [&] {
      velta& w = velta_form();
      shown = w.read_pwm_max_duty->text() + " " + w.pwm_max_duty->text();
      type(w.inv_delay, "2.5");
      d.msgs.answer(QMessageBox::Yes);
      d.sim.received();
      click(w.write_mode);
    });
    d.script.when("write done", [] { return velta_form().write_mode->isEnabled(); },
                  [] { velta_form().close(); }, 15000);
    QCOMPARE(d.run(), 0);
    std::setlocale(LC_ALL, "C");
    QLocale::setDefault(QLocale::c());
    QCOMPARE(shown, QString("33.3333333333333% 33.3333333333333"));
    QCOMPARE(d.msgs.texts(), (QStringList{CONNECT, "THIS COMMAND OVERWRITES THE CBOX SETTINGS!!! ARE YOU SURE?"}));
    QCOMPARE(d.sim.received(), frame('S') + frame('W') + "1\r0\r500\r1524\r1\r1\r2\r10\r1\r1\r1829\r0\r0\r2\r3049\r");
  }

  // The monitor with commands meanwhile; a new port number for next time.
  void session_with_the_monitor() {
    Desk d(3);
    put_settings_file(" 3 \r\n");
    d.accept_port();
    d.script.after(0, "start the monitor", [] { click(velta_form().cmd_monitor); });
    d.script.when("monitor running", [] { return velta_form().cmd_monitor->text() == QLatin1String("STOP"); },
                  [] { click(velta_form().command_v); });
    d.script.when("version line", [] { return velta_form().cbox_reply_text->toPlainText().contains(" 1: <h|A,V,"); },
                  [] {
                    velta_form().close();
                    type(velta_form().com_port, "7");
                    click(velta_form().cmd_monitor);
                  });
    d.script.when("monitor idle", [] { return velta_form().command_s->isEnabled() && tune_cmd::MONITOR_IDLE(); },
                  [] { velta_form().close(); });
    QCOMPARE(d.run(), 0);
    QCOMPARE(d.script.failed(), QString());
    QCOMPARE(d.msgs.texts(), (QStringList{CONNECT, "Please STOP the COMMUNICATION MONITOR before to exit."}));
    QCOMPARE(settings_file(), QByteArray(" 7 \r\n"));
  }

  // Closed while an exchange waits, the program ends once that exchange has
  // ended, quietly: no box is left behind without its window.
  void closing_while_an_exchange_waits_ends_the_program() {
    Desk d;
    d.accept_port();
    d.script.after(0, "cmd L to a silent controller, then close", [&d] {
      d.sim.fault("silence");
      click(velta_form().read_info);
      QTimer::singleShot(300, [] { velta_form().close(); });
    });
    QCOMPARE(d.run(), 0);
    QCOMPARE(d.msgs.texts(), QStringList{CONNECT});
    QVERIFY(!velta_exists());
  }
};

VELTA_TEST_MAIN(StartupTest)
#include "test_startup.moc"
