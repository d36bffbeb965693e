// A technician's sessions at the bench, each one the whole program from its
// start to its end: the port chooser, the connection prompt, the work at the
// window, and closing it. The program runs as the tool's entry point runs
// it; the technician's part is a script of clicks and looks.
#include <QApplication>
#include <QDir>
#include <QTest>
#include <QTimer>

#include "app/program.h"
#include "tests/harness/bench.h"
#include "tests/harness/script.h"
#include "ui/quale_com.h"

namespace {
const QString CONNECT = QStringLiteral(
    "Connect the PC to the CBOX, power-on it and click on OK when the CBOX is ready");

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

bool window_up() { return velta_exists() && velta_form().isVisible(); }

// The simulator, its working directory entered, message boxes captured, and
// the script that plays the technician.
struct Desk {
  SimProcess sim;
  QString old = QDir::currentPath();
  MsgCapture msgs;
  Script script{[] {
    // A stalled session still ends: the window closes (the monitor first).
    if (!velta_exists()) return;
    if (velta_form().cmd_monitor->text() == QLatin1String("STOP")) velta_form().cmd_monitor->click();
    QTimer::singleShot(100, [] { if (velta_exists()) velta_form().close(); });
  }};
  explicit Desk(int port = 1) : sim(port) { QDir::setCurrent(sim.dir()); }
  ~Desk() { QDir::setCurrent(old); }

  // The chooser appears with the stored number; the technician accepts it.
  void accept_port(const QString& typed = QString()) {
    script.when("port chooser shown", [] { return quale_com_form() && quale_com_form()->isVisible(); },
                [typed] {
                  if (!typed.isEmpty()) type(quale_com_form()->com_port, typed);
                  click(quale_com_form()->continue_button);
                });
    script.when("main window shown", window_up, [] {}, 15000);
  }
  void close_window() {
    script.after(0, "close the window", [] { QTimer::singleShot(0, [] { velta_form().close(); }); });
  }
  int run() {
    script.start();
    return RUN_PROGRAM(*qApp);
  }
};
}  // namespace

class SessionsTest : public QObject {
  Q_OBJECT
 private slots:
  void first_start_read_edit_write_read_back() {
    Desk d;
    QString read_after_start, upper_after_write;
    d.accept_port();
    d.script.after(0, "look at the start-up's read, edit two values, write", [&] {
      velta& w = velta_form();
      read_after_start = w.read_upper_limit->text() + " " + w.upper_limit->text() + " " + w.read_ramp->text();
      type(w.upper_limit, "350");
      type(w.ramp, "5");
      d.msgs.answer(QMessageBox::Yes);
      click(w.write_mode);
    });
    d.script.when("write done", [] { return velta_form().write_mode->isEnabled(); },
                  [] { click(velta_form().read_info); }, 15000);
    d.script.when("read back", [] { return velta_form().read_ramp->text() == QStringLiteral("5°"); },
                  [&] { upper_after_write = velta_form().read_upper_limit->text(); });
    d.close_window();
    QCOMPARE(d.run(), 0);
    QVERIFY2(d.script.failed().isEmpty(), qPrintable(d.script.failed() + ": " + d.msgs.texts().join(" | ")));
    QCOMPARE(read_after_start, QStringLiteral("500° 500 10°"));
    QCOMPARE(upper_after_write, QStringLiteral("350°"));
    QCOMPARE(d.msgs.texts(), (QStringList{CONNECT, "THIS COMMAND OVERWRITES THE CBOX SETTINGS!!! ARE YOU SURE?"}));
    QCOMPARE(d.sim.control("get upper_limit"), QStringLiteral("350"));
    QCOMPARE(settings_file(), QByteArray(" 1 \r\n"));
    QVERIFY(!velta_exists());
  }

  void go_to_an_azimuth_and_watch_the_status() {
    Desk d;
    d.sim.set("speed", "90");
    QStringList seen;
    d.accept_port();
    d.script.after(0, "go to 45", [] {
      type(velta_form().go_to_angle, "45");
      click(velta_form().execute);
    });
    d.script.when("go-to accepted", [] { return velta_form().execute->isEnabled(); }, [] {});
    // The technician presses "cmd ?" until the rotator is there.
    for (int i = 0; i < 40; ++i)
      d.script.after(100, "status", [&seen] {
        velta& w = velta_form();
        const QString now = w.fast_status->text() + " " + w.fast_pos->text();
        if (seen.isEmpty() || seen.last() != now) seen << now;
        if (now != QStringLiteral("READY 45°")) click(w.command_qm);
      });
    d.close_window();
    QCOMPARE(d.run(), 0);
    QCOMPARE(d.script.failed(), QString());
    QVERIFY2(seen.size() >= 3 && seen[1].startsWith("BUSY") && seen.last() == "READY 45°", qPrintable(seen.join(" | ")));
    QCOMPARE(velta_exists(), false);
    QCOMPARE(d.msgs.texts(), QStringList{CONNECT});
  }

  void monitor_with_commands_meanwhile_then_a_new_port_for_next_time() {
    Desk d(3);
    put_settings_file(" 3 \r\n");
    QString refused_while_running;
    d.accept_port();
    d.script.after(0, "start the monitor", [] { click(velta_form().cmd_monitor); });
    d.script.when("monitor running", [] { return velta_form().cmd_monitor->text() == QLatin1String("STOP"); },
                  [] { click(velta_form().command_qm); });
    d.script.when("status line", [] { return velta_form().cbox_reply_text->toPlainText().contains(" 1: <h|A,?,"); },
                  [] { click(velta_form().command_v); });
    d.script.when("version line", [] { return velta_form().cbox_reply_text->toPlainText().contains(" 2: <h|A,V,"); },
                  [&] {
                    refused_while_running = velta_form().close() ? "closed" : "refused";
                    type(velta_form().com_port, "7");
                    click(velta_form().cmd_monitor);
                  });
    d.script.when("monitor idle", [] { return velta_form().cmd_monitor->text() == QLatin1String("START...") &&
                                              velta_form().command_s->isEnabled(); }, [] {});
    d.close_window();
    QCOMPARE(d.run(), 0);
    QCOMPARE(d.script.failed(), QString());
    QCOMPARE(refused_while_running, QStringLiteral("refused"));
    QCOMPARE(d.msgs.texts(), (QStringList{CONNECT, "Please STOP the COMMUNICATION MONITOR before to exit."}));
    QCOMPARE(settings_file(), QByteArray(" 7 \r\n"));
  }

  void leaving_at_the_chooser() {
    Desk d;
    d.script.when("port chooser shown", [] { return quale_com_form() && quale_com_form()->isVisible(); },
                  [] { QTimer::singleShot(0, [] { quale_com_form()->close(); }); });
    QCOMPARE(d.run(), 0);
    QCOMPARE(d.script.failed(), QString());
    QCOMPARE(d.msgs.texts(), QStringList{});
    QCOMPARE(d.sim.received(), QByteArray());
    QCOMPARE(settings_file(), QByteArray("<none>"));
  }
};

VELTA_TEST_MAIN(SessionsTest)
#include "test_sessions.moc"
