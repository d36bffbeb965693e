// The serial link at the bench: opening the port, one character under the
// reply time-out, the fixed-width field readers, and the waits, which neither
// burn a core nor outlive the reply time-out whatever runs nested in them.
#include <QTest>
#include <sys/stat.h>
#include <unistd.h>

#include "app/myVar.h"
#include "protocol/tune_cmd.h"
#include "tests/harness/bench.h"
#include "ui/calibration.h"

using namespace tune_cmd;

namespace {
long long passes() { return yield_blocking_passes() + yield_quick_passes(); }

// Puts characters into the port and waits until the tool has them buffered.
void arrive(Bench& b, const QByteArray& bytes) {
  const int before = MSComm1()->inBufferCount();
  b.sim().send(bytes);
  QTRY_VERIFY_WITH_TIMEOUT(MSComm1()->inBufferCount() >= before + bytes.size(), 3000);
}

QString read_field(const QString& reader) {
  if (reader == "05") return GET_NUM05();
  if (reader == "05NT") return GET_NUM05NT();
  return GET_NUM03_SILENT();
}

// Ends the test program when a wait never returns.
struct Watchdog {
  QTimer timer;
  explicit Watchdog(const char* what) {
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, [what] { qFatal("%s never ended", what); });
    timer.start(20000);
  }
};
}  // namespace

class TestLink : public QObject {
  Q_OBJECT
 private slots:
  void get_char() {
    Bench b({"--no-pacing"});
    b.setReplyPeriod(300);
    QVERIFY(!OPEN_COM());
    // A waiting character comes after one pass of the event loop.
    arrive(b, "XYZ");
    long long before = passes();
    QCOMPARE(GET_CHAR(), QStringLiteral("X"));
    QCOMPARE(passes() - before, 1);
    QVERIFY(!Timer1()->isActive());
    // After a time-out every read returns nothing after one poll, which
    // takes a character and drops it.
    myVar::reply_timeout = true;
    before = passes();
    QCOMPARE(GET_CHAR(), QString());
    QCOMPARE(passes() - before, 1);
    QCOMPARE(MSComm1()->inBufferCount(), 1);
    // Nothing arriving: empty after the reply period; each pass blocked
    // until the next event, a handful of passes, not a spinning core.
    myVar::reply_timeout = false;
    QCOMPARE(GET_CHAR(), QString("Z"));
    before = passes();
    QCOMPARE(GET_CHAR(), QString());
    QVERIFY2(passes() - before < 20, qPrintable(QString::number(passes() - before)));
    QVERIFY(myVar::reply_timeout);  // GET_CHAR never clears it
  }

  void readers_data() {
    QTest::addColumn<QString>("reader");
    QTest::addColumn<QByteArray>("field");
    QTest::addColumn<QString>("result");
    QTest::newRow("05 leading zeros") << "05" << QByteArray("00120") << "120";
    QTest::newRow("05 all zeros") << "05" << QByteArray("00000") << "0";
    QTest::newRow("05 all blanks") << "05" << QByteArray("     ") << "0";
    QTest::newRow("05 blanks then digits") << "05" << QByteArray("  120") << "120";
    QTest::newRow("05 inner zeros kept") << "05" << QByteArray("10010") << "10010";
    QTest::newRow("05 no sign handling") << "05" << QByteArray("-0012") << "-0012";
    QTest::newRow("05 a line feed stays") << "05" << QByteArray("00\n12") << "\n12";
    QTest::newRow("05NT negative") << "05NT" << QByteArray("-00012") << "-12";
    QTest::newRow("05NT positive") << "05NT" << QByteArray("00345") << "345";
    QTest::newRow("05NT negative zero") << "05NT" << QByteArray("-00000") << "-";
    QTest::newRow("05NT a CR stays") << "05NT" << QByteArray("0032\r") << "32\r";
    QTest::newRow("03 position") << "03" << QByteArray("045") << "45";
    QTest::newRow("03 zero") << "03" << QByteArray("000") << "0";
    QTest::newRow("03 letters not validated") << "03" << QByteArray("0A9") << "A9";
  }
  void readers() {
    QFETCH(QString, reader);
    QFETCH(QByteArray, field);
    QFETCH(QString, result);
    Bench b({"--no-pacing"});
    QVERIFY(!OPEN_COM());
    // The field is followed directly by the separator: the reader takes
    // exactly its width and leaves the rest for the caller.
    arrive(b, field + ",");
    QCOMPARE(read_field(reader), result);
    QCOMPARE(GET_CHAR(), QStringLiteral(","));
    QCOMPARE(b.msgs().texts(), QStringList{});
    QVERIFY(!myVar::reply_timeout && !Timer1()->isActive());
  }

  // A field cut short: nothing but the reader's message, and what arrived
  // stays in the port; a six-character field whose last characters never
  // come completes silently with what it has.
  void readers_time_out_on_a_short_field() {
    const struct {
      const char* reader;
      QByteArray arrived;
      const char* result;
      QStringList messages;
      int left;
    } cases[] = {{"05", "00", "", {"GET_NUM05() Communication problems!"}, 2},
                 {"05NT", "00", "", {"GET_NUM05NT() Communication timeout!"}, 2},
                 {"05NT", "-0012", "-12", {}, 0},
                 {"03", "00", "", {}, 2}};
    for (const auto& c : cases) {
      Bench b({"--no-pacing"});
      b.setReplyPeriod(300);
      QVERIFY(!OPEN_COM());
      arrive(b, c.arrived);
      QCOMPARE(read_field(c.reader), QString(c.result));
      QCOMPARE(b.msgs().texts(), c.messages);
      QVERIFY(!myVar::reply_timeout && !Timer1()->isActive());
      QCOMPARE(MSComm1()->inBufferCount(), c.left);
    }
  }

  // An exchange clicked during a wait runs nested inside it and, at its end,
  // switches the reply timer off and clears the time-out. Every wait still
  // ends within the reply period.
  void no_wait_outlives_a_nested_exchange_data() {
    QTest::addColumn<int>("wait");
    QTest::newRow("header wait") << 0;
    QTest::newRow("one character") << 1;
    QTest::newRow("a field") << 2;
  }
  void no_wait_outlives_a_nested_exchange() {
    QFETCH(int, wait);
    Bench b({"--no-pacing"});
    b.setReplyPeriod(300);
    QVERIFY(!OPEN_COM());
    later(100, [] {
      TIMER_OFF();
      myVar::reply_timeout = false;
    });
    Watchdog watchdog("a wait");
    if (wait == 0) QVERIFY(!HEADER_WAIT());
    if (wait == 1) QCOMPARE(GET_CHAR(), QString());
    if (wait == 2) QCOMPARE(GET_NUM03_SILENT(), QString());
  }

  // The same at the window: each command's header wait, with the controller
  // silent to it, while "Firmware Version" runs to its end nested inside.
  void a_click_during_a_header_wait_data() {
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("message");
    QTest::newRow("cmd ?") << "?" << "cmd ?, Communication timeout on <header>";
    QTest::newRow("cmd S") << "S" << "cmd S, Communication timeout on <header>";
    QTest::newRow("cmd M") << "M" << "cmd M, Communication timeout on <header>";
    QTest::newRow("cmd L") << "L" << "cmd L: communication timeout on <header>";
    QTest::newRow("go-to") << "G" << "cmd G: communication timeout on <header>";
    QTest::newRow("calibration") << "C" << "cmd C, Communication timeout on <header>";
  }
  void a_click_during_a_header_wait() {
    QFETCH(QString, command);
    QFETCH(QString, message);
    Bench b({"--no-pacing"});
    b.setReplyPeriod(500);
    b.sim().fault("silence for=" + command);
    later(100, [&b] { QTest::mouseClick(b.w().command_v, Qt::LeftButton); });
    Watchdog watchdog("a header wait");
    velta& w = b.w();
    const std::map<QString, std::function<void()>> click = {
        {"?", [&w] { QTest::mouseClick(w.command_qm, Qt::LeftButton); }},
        {"S", [&w] { QTest::mouseClick(w.command_s, Qt::LeftButton); }},
        {"M", [&w] { QTest::mouseClick(w.command_c, Qt::LeftButton); }},
        {"L", [&w] { QTest::mouseClick(w.read_info, Qt::LeftButton); }},
        {"G", [&w] {
           w.go_to_angle->setText("0");
           QTest::mouseClick(w.execute, Qt::LeftButton);
         }},
        {"C", [&w] {
           w.calib_Click();
           QTest::mouseClick(calibration_form()->calib360, Qt::LeftButton);
           delete calibration_form();
         }},
    };
    click.at(command)();
    QCOMPARE(b.msgs().texts(), QStringList{message});
    QCOMPARE(w.firm_version->text(), QString("003.23"));  // the nested exchange did its work
    VERIFY_ENDED(w);
  }

  void open_com_failures_data() {
    QTest::addColumn<int>("port");
    QTest::addColumn<QString>("cause");
    QTest::addColumn<QString>("message");
    const QString not_allowed = "\nThis user may not open the serial device (on Debian: sudo adduser $USER dialout, "
                                "then log in again).";
    QTest::newRow("no such device") << 7 << "" << "ERROR OPENING COM PORT # 7";
    QTest::newRow("below 1") << 0 << "" << "ERROR OPENING COM PORT # 0";
    QTest::newRow("negative") << -3 << "" << "ERROR OPENING COM PORT #-3";
    QTest::newRow("dangling entry") << 2 << "dangling" << "ERROR OPENING COM PORT # 2";
    QTest::newRow("held by another program") << 1 << "held" << port_in_use_text(1);
    QTest::newRow("not this user's") << 1 << "no rights" << "ERROR OPENING COM PORT # 1" + not_allowed;
  }
  void open_com_failures() {
    QFETCH(int, port);
    QFETCH(QString, cause);
    QFETCH(QString, message);
    Bench b({"--no-pacing"}, 1, false);
    std::unique_ptr<SerialComm> other;
    if (cause == "dangling") QVERIFY(QFile::link("/dev/does-not-exist", "ports/com2"));
    if (cause == "held") other = hold_port(1);
    // Root may open anything: the check is made as an ordinary user. An
    // ordinary user takes the rights on the pty away from himself.
    const bool as_root = geteuid() == 0;
    if (cause == "no rights") QCOMPARE(as_root ? seteuid(65534) : chmod(qPrintable(b.sim().ptyPath()), 0), 0);
    myVar::com_port_number = static_cast<std::int16_t>(port);
    myVar::configure_port = true;
    const bool failed = OPEN_COM();
    myVar::configure_port = false;
    if (cause == "no rights") QCOMPARE(as_root ? seteuid(0) : chmod(qPrintable(b.sim().ptyPath()), 0600), 0);
    QVERIFY(failed);
    QCOMPARE(b.msgs().texts(), QStringList{message});
    QVERIFY(!MSComm1()->portOpen());
  }

  void open_com_on_an_open_port_changes_nothing() {
    Bench b({"--no-pacing"});
    QVERIFY(!OPEN_COM());
    arrive(b, "abc");
    QVERIFY(!OPEN_COM());
    QCOMPARE(MSComm1()->inBufferCount(), 3);
    QCOMPARE(MSComm1()->settings(), QStringLiteral("9600,N,8,1"));
    QCOMPARE(b.msgs().texts(), QStringList{});
  }

  void the_reply_timer_keeps_its_period_when_switched_on_again() {
    Bench b({"--no-pacing"});
    TIMER_ON();
    QTest::qWait(300);
    const int remaining = Timer1()->remainingTime();
    TIMER_ON();
    QVERIFY(Timer1()->remainingTime() <= remaining);
    TIMER_OFF();
  }
};

VELTA_TEST_MAIN(TestLink)
#include "test_link.moc"
