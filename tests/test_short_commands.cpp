// Commands S, M and V against the simulated controller, and the locking of
// the seven exchange buttons.
#include <QTest>

#include "app/myVar.h"
#include "monitor/locking.h"
#include "protocol/tune_cmd.h"
#include "tests/harness/bench.h"
#include "ui/colours.h"

using namespace tune_cmd;

namespace {
const QColor LIGHT_GREEN(128, 255, 128), LIGHT_ORANGE(255, 192, 128), LIGHT_BLUE(192, 192, 255);

void apply(Bench& b, const QStringList& controls) {
  for (const QString& c : controls) QCOMPARE(b.sim().control(c), QString());
}

QList<QPushButton*> seven(velta& w) {
  return {w.write_mode, w.read_info, w.execute, w.cmd_monitor, w.fast_stop, w.soft_stop, w.command_s};
}

// Enabled flag and background of each of the seven buttons.
QStringList lock_state(velta& w) {
  QStringList out;
  for (QPushButton* b : seven(w))
    out << b->objectName() + (b->isEnabled() ? " on " : " off ") + ui::BACKCOLOR(b).name();
  return out;
}

QStringList expected_lock(bool monitor_running) {
  const QString face = ui::SYS_BUTTON_FACE().name();
  return {
      monitor_running ? "write_mode off " + face : "write_mode on " + LIGHT_GREEN.name(),
      "read_info on " + LIGHT_GREEN.name(),
      "execute on " + LIGHT_GREEN.name(),
      "cmd_monitor on " + (monitor_running ? QColor(255, 0, 0) : LIGHT_GREEN).name(),
      "fast_stop on " + LIGHT_ORANGE.name(),
      "soft_stop on " + LIGHT_ORANGE.name(),
      "command_s on " + LIGHT_BLUE.name(),
  };
}
}  // namespace

class TestShortCommands : public QObject {
  Q_OBJECT
 private slots:
  // Reply of S and M by character index: 0 STX, 1 "A", 2 ",", 3 code, 4 ",",
  // 5 state letter, 6 CR.
  void s_and_m_data() {
    QTest::addColumn<QString>("command");
    QTest::addColumn<QStringList>("controls");
    QTest::addColumn<QStringList>("messages");
    for (const char* cmd : {"S", "M"}) {
      const QString c = QString::fromLatin1(cmd);
      auto row = [&](const char* name) -> QTestData& { return QTest::addRow("%s: %s", cmd, name); };
      row("ready") << c << QStringList{} << QStringList{};
      row("noise before STX") << c << QStringList{"fault noise=7"} << QStringList{};
      row("silent controller") << c << QStringList{"fault silence"}
                                << QStringList{"cmd " + c + ", Communication timeout on <header>"};
      row("identifier") << c << QStringList{"fault replace=1:X"} << QStringList{"<Identifier> invalid, received:X"};
      row("separator 1") << c << QStringList{"fault replace=2:" + c}
                          << QStringList{"<Separator>1 invalid, received:" + c};
      row("command echo") << c << QStringList{"fault wrong-code"} << QStringList{"<Cmd> invalid, received:Z"};
      row("separator 2") << c << QStringList{"fault replace=4:;"} << QStringList{"<Separator>2 invalid, received:;"};
      row("terminator line feed") << c << QStringList{"fault wrong-term"}
                                   << QStringList{"Terminator invalid, received ASC:10"};
      row("terminator never comes") << c << QStringList{"fault cut=6"}
                                     << QStringList{"cmd " + c + ", Communication timeout on <return>"};
    }
    QTest::newRow("S: busy") << "S" << QStringList{"fault busy for=S"} << QStringList{"R not received:B"};
    QTest::newRow("S: other letter") << "S" << QStringList{"fault replace=5:X"} << QStringList{"R not received:X"};
    QTest::newRow("S: letter never comes") << "S" << QStringList{"fault cut=5"} << QStringList{"R not received:"};
    // M refused in absolute mode; the terminator is not read after it.
    QTest::newRow("M: absolute mode")
        << "M" << QStringList{"set absolute 1", "fault wrong-term"}
        << QStringList{"CBOX is in ABSOLUTE MODE: command M not executed!"};
    QTest::newRow("M: other letter") << "M" << QStringList{"fault replace=5:X"}
                                     << QStringList{"Expected 'R', received 'X'"};
    QTest::newRow("S in absolute mode") << "S" << QStringList{"set absolute 1"} << QStringList{};
  }
  void s_and_m() {
    QFETCH(QString, command);
    QFETCH(QStringList, controls);
    QFETCH(QStringList, messages);
    Bench b;
    b.setReplyPeriod(500);
    apply(b, controls);
    const bool is_s = command == "S";
    QPushButton* own = is_s ? b.w().command_s : b.w().command_c;

    bool failed = false;
    if (is_s) failed = CMD_S();
    else CMD_M();

    QCOMPARE(b.msgs().texts(), messages);
    if (is_s) QCOMPARE(failed, !messages.isEmpty());
    QCOMPARE(b.sim().received(), frame(command.at(0).toLatin1()));
    QVERIFY(own->isEnabled());
    QVERIFY(!MSComm1()->portOpen());
    QVERIFY(!Timer1()->isActive());
    QVERIFY(!myVar::reply_timeout);
  }

  void own_button_is_disabled_while_the_reply_is_awaited_data() {
    QTest::addColumn<QString>("command");
    QTest::newRow("S") << "S";
    QTest::newRow("M") << "M";
  }
  void own_button_is_disabled_while_the_reply_is_awaited() {
    QFETCH(QString, command);
    Bench b;
    b.setReplyPeriod(600);
    b.sim().fault("silence");
    QPushButton* own = command == "S" ? b.w().command_s : b.w().command_c;
    bool disabled_meanwhile = false;
    later(300, [&] { disabled_meanwhile = !own->isEnabled(); });
    QTest::mouseClick(own, Qt::LeftButton);
    QVERIFY(disabled_meanwhile);
    QVERIFY(own->isEnabled());
    QCOMPARE(b.msgs().texts(), QStringList{"cmd " + command + ", Communication timeout on <header>"});
  }

  // Reply of V by character index: 0-4 header, 5-9 version, 10 CR.
  void version_data() {
    QTest::addColumn<QStringList>("controls");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<bool>("failed");
    QTest::addColumn<QString>("shown");
    const QString none = QStringLiteral("???.??");
    QTest::newRow("00323") << QStringList{"set version 323"} << QStringList{} << false << "003.23";
    QTest::newRow("00007") << QStringList{"set version 7"} << QStringList{} << false << "000.07";
    QTest::newRow("00000") << QStringList{"set version 0"} << QStringList{} << false << "000.00";
    QTest::newRow("12345") << QStringList{"set version 12345"} << QStringList{} << false << "123.45";
    QTest::newRow("silent controller") << QStringList{"fault silence"}
                                       << QStringList{"cmd V, Communication timeout on <header>"} << true << none;
    QTest::newRow("identifier") << QStringList{"fault replace=1:X"}
                                << QStringList{"V cmd, <Identifier> invalid, received:X"} << true << none;
    QTest::newRow("separator 1") << QStringList{"fault replace=2:V"}
                                 << QStringList{"V cmd, <Separator>#1 invalid, received:V"} << true << none;
    QTest::newRow("command echo") << QStringList{"fault wrong-code"}
                                  << QStringList{"V cmd, <Cmd> invalid, received:Z"} << true << none;
    QTest::newRow("separator 2") << QStringList{"fault replace=4:;"}
                                 << QStringList{"V cmd, <Separator>#2 invalid, received:;"} << true << none;
    // A version field cut short is a failed exchange: start-up must not go on.
    QTest::newRow("version cut short") << QStringList{"fault cut=8"}
                                       << QStringList{"GET_NUM05NT() Communication timeout!"} << true << none;
    QTest::newRow("terminator A, version already shown")
        << QStringList{"fault replace=10:A"} << QStringList{"V cmd, <return> invalid, received ASC:65"} << true
        << "003.23";
    QTest::newRow("terminator never comes") << QStringList{"fault cut=10"}
                                            << QStringList{"cmd V, Communication timeout on <return>"} << true
                                            << "003.23";
  }
  void version() {
    QFETCH(QStringList, controls);
    QFETCH(QStringList, messages);
    QFETCH(bool, failed);
    QFETCH(QString, shown);
    Bench b;
    b.setReplyPeriod(500);
    apply(b, controls);
    QCOMPARE(CMD_VERSION(), failed);
    QCOMPARE(b.msgs().texts(), messages);
    QCOMPARE(b.w().firm_version->text(), shown);
    QCOMPARE(b.sim().received(), frame('V'));
    QVERIFY(!MSComm1()->portOpen());
    QVERIFY(!Timer1()->isActive());
  }

  void with_the_monitor_running_the_commands_only_send() {
    Bench b;
    b.w().cmd_monitor->setText("STOP");
    QVERIFY(!OPEN_COM());
    QCOMPARE(CMD_S(), false);
    CMD_M();
    QCOMPARE(CMD_VERSION(), false);
    QVERIFY(MSComm1()->portOpen());
    QCOMPARE(b.msgs().texts(), QStringList{});
    QByteArray sent;
    QTRY_COMPARE((sent += b.sim().received()), frame('S') + frame('M') + frame('V'));
    QCOMPARE(b.w().firm_version->text(), QStringLiteral("???.??"));
    QVERIFY(b.w().command_s->isEnabled());
    QVERIFY(b.w().command_c->isEnabled());
    b.w().cmd_monitor->setText("START...");
    CLOSE_COM();
  }

  void a_port_that_cannot_be_opened_fails_s_and_v() {
    Bench b;
    SerialComm other;  // another program holds the port
    QVERIFY(other.setCommPort(1));
    QVERIFY(other.setPortOpen(true));
    QCOMPARE(CMD_S(), true);
    CMD_M();
    QCOMPARE(CMD_VERSION(), true);
    QCOMPARE(b.msgs().texts(), QStringList(3, port_in_use_text(1)));
    QVERIFY(b.w().command_s->isEnabled());
    QVERIFY(b.w().command_c->isEnabled());
  }

  void enable_all_gives_the_colours_of_the_monitor_state_data() {
    QTest::addColumn<bool>("running");
    QTest::newRow("monitor idle") << false;
    QTest::newRow("monitor running") << true;
  }
  void enable_all_gives_the_colours_of_the_monitor_state() {
    QFETCH(bool, running);
    Bench b({}, 1, false);
    velta& w = b.w();
    // Three buttons start in their design colour, pure green.
    for (QPushButton* p : {w.read_info, w.execute, w.cmd_monitor}) QCOMPARE(ui::BACKCOLOR(p), QColor(0, 255, 0));
    if (running) w.cmd_monitor->setText("STOP");
    DISABLE_ALL();
    ENABLE_ALL();
    QCOMPARE(lock_state(w), expected_lock(running));
  }

  void disable_all_twice_is_undone_by_one_enable_all() {
    Bench b({}, 1, false);
    velta& w = b.w();
    DISABLE_ALL();
    const QStringList once = lock_state(w);
    for (QPushButton* p : seven(w)) {
      QVERIFY(!p->isEnabled());
      QCOMPARE(ui::BACKCOLOR(p), ui::SYS_BUTTON_FACE());
    }
    DISABLE_ALL();
    QCOMPARE(lock_state(w), once);
    ENABLE_ALL();
    QCOMPARE(lock_state(w), expected_lock(false));
  }

  void the_write_button_follows_the_monitor_caption() {
    Bench b({}, 1, false);
    velta& w = b.w();
    w.cmd_monitor->setText("STOP");
    DISABLE_WRITE_MODE();
    ENABLE_WRITE_MODE();
    QVERIFY(!w.write_mode->isEnabled());
    QCOMPARE(ui::BACKCOLOR(w.write_mode), ui::SYS_BUTTON_FACE());
    // Anything but exactly "START..." counts as running.
    w.cmd_monitor->setText("START");
    ENABLE_WRITE_MODE();
    QVERIFY(!w.write_mode->isEnabled());
    ENABLE_CMD_MONITOR();
    QCOMPARE(ui::BACKCOLOR(w.cmd_monitor), QColor(255, 0, 0));
    w.cmd_monitor->setText("START...");
    ENABLE_WRITE_MODE();
    ENABLE_CMD_MONITOR();
    QVERIFY(w.write_mode->isEnabled());
    QCOMPARE(ui::BACKCOLOR(w.write_mode), LIGHT_GREEN);
    QCOMPARE(ui::BACKCOLOR(w.cmd_monitor), LIGHT_GREEN);
  }
};

VELTA_TEST_MAIN(TestShortCommands)
#include "test_short_commands.moc"
