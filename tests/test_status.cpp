// The status command "?" against the simulated controller: the happy path,
// every failure of the reply with its exact message, and a line that hangs up.
#include <QElapsedTimer>
#include <QTest>

#include "app/myVar.h"
#include "protocol/tune_cmd.h"
#include "tests/harness/bench.h"
#include "ui/colours.h"

using namespace tune_cmd;

// The status reply, by character index: 0 STX, 1 "A", 2 ",", 3 "?", 4 ",",
// 5-7 position, 8 ",", 9 state, 10 CR.
class TestStatus : public QObject {
  Q_OBJECT
 private slots:
  void status_exchange_data() {
    QTest::addColumn<QStringList>("faults");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<QString>("pos");
    QTest::addColumn<QString>("status");
    const QString untouched = "???";
    QTest::newRow("ready") << QStringList{} << QStringList{} << "45°" << "READY";
    QTest::newRow("noise before STX") << QStringList{"noise=9"} << QStringList{} << "45°" << "READY";
    QTest::newRow("busy") << QStringList{"busy"} << QStringList{} << "45°" << "BUSY";
    QTest::newRow("silent controller")
        << QStringList{"silence"} << QStringList{"cmd ?, Communication timeout on <header>"} << untouched << untouched;
    QTest::newRow("identifier") << QStringList{"replace=1:X"}
                                << QStringList{"? cmd, <Identifier> invalid, received:X"} << untouched << untouched;
    QTest::newRow("separator 1 missing") << QStringList{"replace=2:?"}
                                         << QStringList{"? cmd, <Separator>#1 invalid, received:?"} << untouched
                                         << untouched;
    QTest::newRow("command echo") << QStringList{"wrong-code"}
                                  << QStringList{"? cmd, <Cmd> invalid, received:Z"} << untouched << untouched;
    QTest::newRow("separator 2") << QStringList{"replace=4:;"}
                                 << QStringList{"? cmd, <Separator>#2 invalid, received:;"} << untouched << untouched;
    QTest::newRow("separator 3, position already shown")
        << QStringList{"replace=8:;"} << QStringList{"? cmd, <Separator>#3 invalid, received:;"} << "45°" << untouched;
    QTest::newRow("state letter, terminator still good")
        << QStringList{"replace=9:X"} << QStringList{"? cmd, <data>(R or B) invalid, received:X"} << "45°" << untouched;
    QTest::newRow("state letter and terminator")
        << QStringList{"replace=9:X", "replace=10:A"}
        << QStringList{"? cmd, <data>(R or B) invalid, received:X", "? cmd, <return> invalid, received ASC:65"} << "45°"
        << untouched;
    QTest::newRow("terminator line feed")
        << QStringList{"wrong-term"} << QStringList{"? cmd, <return> invalid, received ASC:10"} << "45°" << "READY";
    QTest::newRow("position never comes")
        << QStringList{"cut=5"} << QStringList{"cmd ?, Communication timeout on <position>"} << untouched << untouched;
    QTest::newRow("terminator never comes")
        << QStringList{"cut=10"} << QStringList{"cmd ?, Communication timeout on <return>"} << "45°" << "READY";
    QTest::newRow("characters slower than the reply period")
        << QStringList{"slow=900"} << QStringList{"? cmd, <Identifier> invalid, received:"} << untouched << untouched;
  }
  void status_exchange() {
    QFETCH(QStringList, faults);
    QFETCH(QStringList, messages);
    QFETCH(QString, pos);
    QFETCH(QString, status);
    Bench b;
    b.setReplyPeriod(600);
    b.sim().set("position", "45");
    for (const QString& f : faults) QCOMPARE(b.sim().control("fault " + f), QString());

    QTest::mouseClick(b.w().command_qm, Qt::LeftButton);

    QCOMPARE(b.msgs().texts(), messages);
    QCOMPARE(b.w().fast_pos->text(), pos);
    QCOMPARE(b.w().fast_status->text(), status);
    if (status == "BUSY") QCOMPARE(ui::BACKCOLOR(b.w().fast_status), QColor(255, 0, 0));
    if (status == "READY") QCOMPARE(ui::BACKCOLOR(b.w().fast_status), ui::SYS_WINDOW_BACKGROUND());
    // Every end of the exchange: button back, port closed, timer off.
    QVERIFY(b.w().command_qm->isEnabled());
    QVERIFY(!MSComm1()->portOpen());
    QVERIFY(!Timer1()->isActive());
    QVERIFY(!myVar::reply_timeout);
    // Exactly the status frame went out.
    QCOMPARE(b.sim().received(), frame('?'));
  }

  void a_silent_controller_times_out_after_3300_ms_with_the_button_disabled_meanwhile() {
    Bench b;
    b.sim().fault("silence");
    bool disabled_while_waiting = false;
    later(1000, [&] { disabled_while_waiting = !b.w().command_qm->isEnabled(); });
    QElapsedTimer t;
    t.start();
    CMD_STATUS();
    QVERIFY2(t.elapsed() >= 3250 && t.elapsed() < 3900, qPrintable(QString::number(t.elapsed())));
    QVERIFY(disabled_while_waiting);
    QVERIFY(b.w().command_qm->isEnabled());
    QCOMPARE(b.msgs().texts(), QStringList{"cmd ?, Communication timeout on <header>"});
  }

  void a_line_that_hangs_up_mid_reply_is_told_once_and_reopened_next_time() {
    Bench b;
    b.setReplyPeriod(1500);
    b.sim().set("position", "123");
    b.sim().fault("hangup=7 once");
    QElapsedTimer t;
    t.start();
    CMD_STATUS();
    QVERIFY2(t.elapsed() < 1400, qPrintable(QString::number(t.elapsed())));  // no waiting out the period
    QCOMPARE(b.msgs().texts(),
             QStringList{"COM PORT # 1 LOST: the serial device hung up or was unplugged!"});
    QVERIFY(!MSComm1()->portOpen());
    QVERIFY(b.w().command_qm->isEnabled());
    QCOMPARE(b.w().fast_pos->text(), QStringLiteral("???"));

    // The simulator has a new line behind the same entry; the next click opens it.
    b.msgs().clear();
    CMD_STATUS();
    QCOMPARE(b.msgs().texts(), QStringList{});
    QCOMPARE(b.w().fast_pos->text(), QStringLiteral("123°"));
    QCOMPARE(b.w().fast_status->text(), QStringLiteral("READY"));
  }

  void a_status_click_with_the_monitor_running_only_sends() {
    Bench b;
    b.w().cmd_monitor->setText("STOP");  // the monitor state is the caption
    QVERIFY(!OPEN_COM());
    CMD_STATUS();
    QVERIFY(MSComm1()->portOpen());
    QVERIFY(b.msgs().texts().isEmpty());
    QByteArray sent;
    QTRY_COMPARE((sent += b.sim().received()), frame('?'));
    QCOMPARE(b.w().fast_pos->text(), QStringLiteral("???"));
    b.w().cmd_monitor->setText("START...");
  }
};

VELTA_TEST_MAIN(TestStatus)
#include "test_status.moc"
