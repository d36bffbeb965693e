// Go-to and the two stops against the simulated controller: the angle entry,
// the frames on the wire, every reply failure, and the rotator turning.
#include <QElapsedTimer>
#include <QTest>

#include "app/myVar.h"
#include "protocol/tune_cmd.h"
#include "tests/harness/bench.h"
#include "ui/colours.h"

using namespace tune_cmd;

namespace {
QList<QPushButton*> exchange_buttons(velta& w) {
  return {w.write_mode, w.read_info, w.execute, w.cmd_monitor, w.fast_stop, w.soft_stop, w.command_s};
}

void verify_exchange_ended(velta& w) {
  for (QPushButton* b : exchange_buttons(w)) QVERIFY2(b->isEnabled(), qPrintable(b->objectName()));
  QVERIFY(!MSComm1()->portOpen());
  QVERIFY(!Timer1()->isActive());
  QVERIFY(!myVar::reply_timeout);
}

QString not_sent(const QString& text) {
  return "cmd G not sent: the angle must be a whole number from 0 to 359, received:" + text;
}
}  // namespace

// The G reply, by character index: 0 STX, 1 "A", 2 ",", 3 "G", 4 ",", 5 result, 6 CR.
class TestGoto : public QObject {
  Q_OBJECT
 private slots:
  void angle_box_colour_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("red");
    QTest::newRow("0") << "0" << false;
    QTest::newRow("359") << "359" << false;
    QTest::newRow("360") << "360" << true;
    QTest::newRow("-1") << "-1" << true;
    QTest::newRow("empty counts as 0") << "" << false;
    QTest::newRow("leading number 400abc") << "400abc" << true;
    QTest::newRow("design text ?") << "?" << false;
  }
  void angle_box_colour() {
    QFETCH(QString, text);
    QFETCH(bool, red);
    Bench b({}, 1, false);
    b.w().go_to_angle->setText("12");
    b.w().go_to_angle->setText(text);
    QCOMPARE(ui::BACKCOLOR(b.w().go_to_angle), red ? ui::RED() : ui::SYS_WINDOW_BACKGROUND());
  }

  void angles_sent_and_refused_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("sent");  // empty: refused
    QTest::newRow("90 between blanks") << " 90  " << QByteArray("90");
    QTest::newRow("leading zero kept") << "090" << QByteArray("090");
    QTest::newRow("0") << "0" << QByteArray("0");
    QTest::newRow("359") << "359" << QByteArray("359");
    QTest::newRow("360") << "360" << QByteArray();
    QTest::newRow("400") << "400" << QByteArray();
    QTest::newRow("-1") << "-1" << QByteArray();
    QTest::newRow("empty") << "" << QByteArray();
    QTest::newRow("design text ?") << "?" << QByteArray();
    QTest::newRow("90abc") << "90abc" << QByteArray();
    QTest::newRow("90.5") << "90.5" << QByteArray();
    QTest::newRow("+90") << "+90" << QByteArray();
    QTest::newRow("9 0") << "9 0" << QByteArray();
    QTest::newRow("huge") << "99999999999999999999999" << QByteArray();
  }
  void angles_sent_and_refused() {
    QFETCH(QString, text);
    QFETCH(QByteArray, sent);
    Bench b;
    b.w().go_to_angle->setText(text);
    QTest::mouseClick(b.w().execute, Qt::LeftButton);
    if (sent.isEmpty()) {
      QCOMPARE(b.msgs().texts(), QStringList{not_sent(text.trimmed())});
      QCOMPARE(ui::BACKCOLOR(b.w().go_to_angle), ui::RED());
      QCOMPARE(b.w().goto_replay->text(), QStringLiteral("????????"));
      QTest::qWait(50);
      QCOMPARE(b.sim().received(), QByteArray());
    } else {
      QCOMPARE(b.msgs().texts(), QStringList{});
      QCOMPARE(b.w().goto_replay->text(), QStringLiteral("CORRECT"));
      QCOMPARE(b.sim().received(), frame('G', sent));
    }
    verify_exchange_ended(b.w());
  }

  void goto_reply_data() {
    QTest::addColumn<QStringList>("faults");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QStringList>("messages");
    const QString untouched = "????????";
    QTest::newRow("accepted") << QStringList{} << "CORRECT" << QStringList{};
    QTest::newRow("noise before STX") << QStringList{"noise=5"} << "CORRECT" << QStringList{};
    QTest::newRow("rejected, nothing after E is checked")
        << QStringList{"replace=5:E", "replace=6:Q"} << "WRONG" << QStringList{};
    QTest::newRow("other result B") << QStringList{"replace=5:B"} << "B" << QStringList{};
    QTest::newRow("other result, bad terminator")
        << QStringList{"replace=5:B", "replace=6:A"} << "B" << QStringList{"<Return> invalid, received ASC:65"};
    QTest::newRow("terminator line feed")
        << QStringList{"wrong-term"} << "CORRECT" << QStringList{"<Return> invalid, received ASC:10"};
    QTest::newRow("terminator never comes")
        << QStringList{"cut=6"} << "CORRECT" << QStringList{"cmd G, Communication timeout on <return>"};
    QTest::newRow("result never comes")
        << QStringList{"cut=5"} << QString() << QStringList{"cmd G: communication timeout on <result>"};
    QTest::newRow("no reply") << QStringList{"silence"} << untouched
                              << QStringList{"cmd G: communication timeout on <header>"};
    QTest::newRow("identifier") << QStringList{"replace=1:X"} << untouched
                                << QStringList{"<Identifier> invalid, received:X"};
    QTest::newRow("separator 1") << QStringList{"replace=2:."} << untouched
                                 << QStringList{"<Separator>1 invalid, received:."};
    QTest::newRow("command echo") << QStringList{"wrong-code"} << untouched
                                  << QStringList{"<Cmd> invalid, received:Z"};
    QTest::newRow("separator 2") << QStringList{"replace=4:;"} << untouched
                                 << QStringList{"<Separator>2 invalid, received:;"};
  }
  void goto_reply() {
    QFETCH(QStringList, faults);
    QFETCH(QString, shown);
    QFETCH(QStringList, messages);
    Bench b;
    b.setReplyPeriod(500);
    for (const QString& f : faults) QCOMPARE(b.sim().control("fault " + f), QString());
    b.w().go_to_angle->setText("45");
    QTest::mouseClick(b.w().execute, Qt::LeftButton);
    QCOMPARE(b.msgs().texts(), messages);
    QCOMPARE(b.w().goto_replay->text(), shown);
    if (shown == "WRONG") QCOMPARE(ui::BACKCOLOR(b.w().goto_replay), ui::RED());
    if (shown == "CORRECT") QCOMPARE(ui::BACKCOLOR(b.w().goto_replay), ui::SYS_WINDOW_BACKGROUND());
    QCOMPARE(b.sim().received(), frame('G', "45"));
    verify_exchange_ended(b.w());
  }

  void a_rejected_goto_then_an_other_result_keeps_the_red() {
    Bench b;
    b.setReplyPeriod(500);
    b.w().go_to_angle->setText("45");
    b.sim().fault("replace=5:E once");
    execute_and_expect(b, "WRONG");
    b.sim().fault("replace=5:B once");
    execute_and_expect(b, "B");
    QCOMPARE(ui::BACKCOLOR(b.w().goto_replay), ui::RED());
    execute_and_expect(b, "CORRECT");
    QCOMPARE(ui::BACKCOLOR(b.w().goto_replay), ui::SYS_WINDOW_BACKGROUND());
  }

  void a_goto_turns_the_rotator_busy_then_ready_at_the_target() {
    Bench b;
    b.sim().set("position", "10");
    b.sim().set("speed", "400");
    b.w().go_to_angle->setText("210");
    QTest::mouseClick(b.w().execute, Qt::LeftButton);
    QCOMPARE(b.w().goto_replay->text(), QStringLiteral("CORRECT"));
    CMD_STATUS();
    QCOMPARE(b.w().fast_status->text(), QStringLiteral("BUSY"));
    QCOMPARE(ui::BACKCOLOR(b.w().fast_status), ui::RED());
    const int passing = b.w().fast_pos->text().chopped(1).toInt();
    QVERIFY2(passing >= 10 && passing < 210, qPrintable(b.w().fast_pos->text()));
    QElapsedTimer t;
    t.start();
    do {
      QTest::qWait(50);
      CMD_STATUS();
    } while (b.w().fast_status->text() == "BUSY" && t.elapsed() < 3000);
    QCOMPARE(b.w().fast_status->text(), QStringLiteral("READY"));
    QCOMPARE(b.w().fast_pos->text(), QStringLiteral("210°"));
    // 200 degrees at 400 degrees per second.
    QVERIFY2(t.elapsed() > 300 && t.elapsed() < 1500, qPrintable(QString::number(t.elapsed())));
    QVERIFY(b.msgs().texts().isEmpty());
  }

  void the_buttons_are_locked_while_a_goto_waits() {
    Bench b;
    b.setReplyPeriod(600);
    b.sim().fault("silence");
    b.w().go_to_angle->setText("45");
    QStringList enabled_meanwhile;
    later(200, [&] {
      for (QPushButton* btn : exchange_buttons(b.w()))
        if (btn->isEnabled()) enabled_meanwhile << btn->objectName();
    });
    QTest::mouseClick(b.w().execute, Qt::LeftButton);
    QCOMPARE(enabled_meanwhile, QStringList{});
    verify_exchange_ended(b.w());
  }

  void stop_reply_data() {
    QTest::addColumn<bool>("soft");
    QTest::addColumn<QStringList>("faults");
    QTest::addColumn<QStringList>("messages");
    for (const bool soft : {true, false}) {
      const char* name = soft ? "soft" : "fast";
      const QString cmd = soft ? "cmd G777" : "cmd G999";
      auto row = [&](const char* what) -> QTestData& { return QTest::addRow("%s: %s", name, what); };
      row("accepted") << soft << QStringList{} << QStringList{};
      row("E") << soft << QStringList{"replace=5:E"} << QStringList{"Format Error on Fast-Stop command"};
      row("E, bad terminator") << soft << QStringList{"replace=5:E", "replace=6:A"}
                               << QStringList{"Format Error on Fast-Stop command", "<Return> invalid, received ASC:65"};
      row("other result") << soft << QStringList{"replace=5:X"}
                          << QStringList{"Unknow reply from Fast-Stop command:X"};
      row("terminator line feed") << soft << QStringList{"wrong-term"}
                                  << QStringList{"<Return> invalid, received ASC:10"};
      row("terminator never comes") << soft << QStringList{"cut=6"}
                                    << QStringList{cmd + ", Communication timeout on <return>"};
      row("result never comes") << soft << QStringList{"cut=5"}
                                << QStringList{cmd + ": communication timeout on <result>"};
      row("no reply") << soft << QStringList{"silence"}
                      << QStringList{cmd + ": communication timeout on <header>"};
      row("command echo") << soft << QStringList{"wrong-code"} << QStringList{"<Cmd> invalid, received:Z"};
    }
  }
  void stop_reply() {
    QFETCH(bool, soft);
    QFETCH(QStringList, faults);
    QFETCH(QStringList, messages);
    Bench b;
    b.setReplyPeriod(500);
    for (const QString& f : faults) QCOMPARE(b.sim().control("fault " + f), QString());
    QPushButton* own = soft ? b.w().soft_stop : b.w().fast_stop;
    QPushButton* other = soft ? b.w().fast_stop : b.w().soft_stop;
    bool own_disabled = false, other_enabled = false;
    later(100, [&] {
      own_disabled = !own->isEnabled();
      other_enabled = other->isEnabled() && b.w().execute->isEnabled();
    });
    QTest::mouseClick(own, Qt::LeftButton);
    QCOMPARE(b.msgs().texts(), messages);
    QCOMPARE(b.sim().received(), frame('G', soft ? "977" : "999"));
    if (faults.contains("silence")) {
      QVERIFY(own_disabled);
      QVERIFY(other_enabled);
    }
    QCOMPARE(b.w().goto_replay->text(), QStringLiteral("????????"));
    verify_exchange_ended(b.w());
  }

  void both_stops_halt_a_turning_rotator_data() {
    QTest::addColumn<bool>("soft");
    QTest::newRow("soft") << true;
    QTest::newRow("fast") << false;
  }
  void both_stops_halt_a_turning_rotator() {
    QFETCH(bool, soft);
    Bench b;
    b.sim().set("speed", "50");
    b.w().go_to_angle->setText("300");
    QTest::mouseClick(b.w().execute, Qt::LeftButton);
    QTest::qWait(200);
    QTest::mouseClick(soft ? b.w().soft_stop : b.w().fast_stop, Qt::LeftButton);
    CMD_STATUS();
    QCOMPARE(b.w().fast_status->text(), QStringLiteral("READY"));
    const QString stopped_at = b.w().fast_pos->text();
    const int pos = stopped_at.chopped(1).toInt();
    QVERIFY2(pos > 0 && pos < 60, qPrintable(stopped_at));
    QTest::qWait(200);
    CMD_STATUS();
    QCOMPARE(b.w().fast_pos->text(), stopped_at);
    QVERIFY(b.msgs().texts().isEmpty());
  }

  void with_the_monitor_running_each_button_only_sends_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<QByteArray>("data");
    QTest::newRow("execute") << "execute" << QByteArray("123");
    QTest::newRow("soft stop") << "soft_stop" << QByteArray("977");
    QTest::newRow("fast stop") << "fast_stop" << QByteArray("999");
  }
  void with_the_monitor_running_each_button_only_sends() {
    QFETCH(QString, button);
    QFETCH(QByteArray, data);
    Bench b;
    b.w().cmd_monitor->setText("STOP");
    QVERIFY(!OPEN_COM());
    b.w().go_to_angle->setText("123");
    QTest::mouseClick(b.w().findChild<QPushButton*>(button), Qt::LeftButton);
    QVERIFY(MSComm1()->portOpen());
    QVERIFY(b.msgs().texts().isEmpty());
    QCOMPARE(b.w().goto_replay->text(), QStringLiteral("????????"));
    QByteArray sent;
    QTRY_COMPARE((sent += b.sim().received()), frame('G', data));
    QVERIFY(b.w().findChild<QPushButton*>(button)->isEnabled());
    b.w().cmd_monitor->setText("START...");
    CLOSE_COM();
  }

  void a_port_that_cannot_be_opened_sends_nothing_and_unlocks_data() {
    QTest::addColumn<QString>("button");
    QTest::newRow("execute") << "execute";
    QTest::newRow("soft stop") << "soft_stop";
    QTest::newRow("fast stop") << "fast_stop";
  }
  void a_port_that_cannot_be_opened_sends_nothing_and_unlocks() {
    QFETCH(QString, button);
    Bench b;
    b.w().go_to_angle->setText("45");
    QVERIFY(MSComm1()->setCommPort(7));
    myVar::com_port_number = 7;
    QTest::mouseClick(b.w().findChild<QPushButton*>(button), Qt::LeftButton);
    QCOMPARE(b.msgs().texts(), QStringList{"ERROR OPENING COM PORT # 7"});
    verify_exchange_ended(b.w());
    MSComm1()->setCommPort(1);
    myVar::com_port_number = 1;
    QTest::qWait(50);
    QCOMPARE(b.sim().received(), QByteArray());
  }

 private:
  static void execute_and_expect(Bench& b, const QString& shown) {
    QTest::mouseClick(b.w().execute, Qt::LeftButton);
    QCOMPARE(b.w().goto_replay->text(), shown);
  }

 private slots:
  // A stop clicked while "cmd L" waits: its frame is on the wire at once,
  // and the read ends telling why, with no box left showing half a reply.
  void stop_while_a_read_waits_data() {
    QTest::addColumn<QString>("stop");
    QTest::addColumn<QByteArray>("angle");
    QTest::addColumn<int>("delay_at");  // where the L reply pauses
    QTest::newRow("fast stop, before the header") << "fast_stop" << QByteArray("999") << 0;
    QTest::newRow("soft stop, in the middle of the fields") << "soft_stop" << QByteArray("977") << 40;
  }
  void stop_while_a_read_waits() {
    QFETCH(QString, stop);
    QFETCH(QByteArray, angle);
    QFETCH(int, delay_at);
    Bench b;
    b.sim().set("lower_limit", "12");
    b.sim().fault(QStringLiteral("delay=%1:800 for=L once").arg(delay_at));
    const auto read_boxes = [&b] {
      QStringList out;
      for (QLineEdit* e : b.w().info_read->findChildren<QLineEdit*>()) out << e->objectName() + "=" + e->text();
      return out;
    };
    const QStringList design = read_boxes();
    QByteArray on_wire_meanwhile;
    later(300, [&] {
      // Looked at from inside the stop's own wait for its reply.
      later(60, [&] { on_wire_meanwhile = b.sim().received(); });
      QTest::mouseClick(b.w().findChild<QPushButton*>(stop), Qt::LeftButton);
    });
    b.w().read_info_Click();
    QCOMPARE(on_wire_meanwhile, frame('L') + frame('G', angle));
    const QString by = angle == "999" ? "cmd G999" : "cmd G777";
    QCOMPARE(b.msgs().texts(),
             QStringList{"cmd L ended: " + by +
                         " was sent while it waited for its reply. The PARAMETERS READ boxes show nothing of "
                         "its reply."});
    QCOMPARE(b.w().read_lower_limit->text(), QStringLiteral("???"));
    QCOMPARE(b.w().curr_pos->text(), QStringLiteral("???"));
    QCOMPARE(b.w().cal_fact->text(), QStringLiteral("?????"));
    QCOMPARE(read_boxes(), design);
    QCOMPARE(design.size(), 19);
    verify_exchange_ended(b.w());
    // The next read is whole again.
    b.msgs().clear();
    b.w().read_info_Click();
    QCOMPARE(b.msgs().texts(), QStringList{});
    QCOMPARE(b.w().read_lower_limit->text(), QStringLiteral("12°"));
  }
};

VELTA_TEST_MAIN(TestGoto)
#include "test_goto.moc"
