// The serial link at the bench: opening the port, one character under the
// reply time-out, the fixed-width field readers, and the yield that must not
// burn a core while the controller is silent.
#include <QElapsedTimer>
#include <QTest>
#include <unistd.h>

#include "app/myVar.h"
#include "protocol/tune_cmd.h"
#include "tests/harness/bench.h"

using namespace tune_cmd;

namespace {
long long passes() { return yield_blocking_passes() + yield_quick_passes(); }

// Puts characters into the port and waits until the tool has them buffered.
void arrive(Bench& b, const QByteArray& bytes) {
  const int before = MSComm1()->inBufferCount();
  b.sim().send(bytes);
  QTRY_VERIFY_WITH_TIMEOUT(MSComm1()->inBufferCount() >= before + bytes.size(), 3000);
}
}  // namespace

class TestSerialLink : public QObject {
  Q_OBJECT
 private slots:
  void get_char_takes_a_waiting_character_after_one_yield() {
    Bench b({"--no-pacing"});
    QVERIFY(!OPEN_COM());
    arrive(b, "X");
    const long long before = passes();
    QCOMPARE(GET_CHAR(), QStringLiteral("X"));
    QCOMPARE(passes() - before, 1);
    QVERIFY(!Timer1()->isActive());
  }

  void get_char_returns_empty_after_the_reply_period_without_spinning() {
    Bench b({"--no-pacing"});
    QVERIFY(!OPEN_COM());
    myVar::reply_timeout = false;
    QElapsedTimer t;
    t.start();
    const long long before = passes();
    QCOMPARE(GET_CHAR(), QString());
    const qint64 elapsed = t.elapsed();
    QVERIFY2(elapsed >= 3250 && elapsed < 3800, qPrintable(QString::number(elapsed)));
    // Each pass blocked until the next event: a handful of passes, not millions.
    QVERIFY2(passes() - before < 50, qPrintable(QString::number(passes() - before)));
    QVERIFY(myVar::reply_timeout);  // GET_CHAR never clears it
  }

  void get_char_after_a_time_out_returns_empty_after_one_poll() {
    Bench b({"--no-pacing"});
    QVERIFY(!OPEN_COM());
    arrive(b, "YZ");
    myVar::reply_timeout = true;
    const long long before = passes();
    QElapsedTimer t;
    t.start();
    QCOMPARE(GET_CHAR(), QString());
    QCOMPARE(passes() - before, 1);
    QVERIFY(t.elapsed() < 500);
    // That poll took one character and dropped it.
    QCOMPARE(MSComm1()->inBufferCount(), 1);
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
    QTest::newRow("05NT negative") << "05NT" << QByteArray("-00012") << "-12";
    QTest::newRow("05NT positive") << "05NT" << QByteArray("00345") << "345";
    QTest::newRow("05NT negative zero") << "05NT" << QByteArray("-00000") << "-";
    QTest::newRow("05NT all zeros") << "05NT" << QByteArray("00000") << "0";
    QTest::newRow("03 position") << "03" << QByteArray("045") << "45";
    QTest::newRow("03 zero") << "03" << QByteArray("000") << "0";
    QTest::newRow("03 letters not validated") << "03" << QByteArray("0A9") << "A9";
  }
  void readers() {
    QFETCH(QString, reader);
    QFETCH(QByteArray, field);
    QFETCH(QString, result);
    Bench b({"--no-pacing"});
    MsgCapture& msgs = b.msgs();
    QVERIFY(!OPEN_COM());
    // The field is followed directly by the separator: the reader takes
    // exactly its width and leaves the rest for the caller.
    arrive(b, field + ",");
    QString got;
    if (reader == "05") got = GET_NUM05();
    else if (reader == "05NT") got = GET_NUM05NT();
    else got = GET_NUM03_SILENT();
    QCOMPARE(got, result);
    QCOMPARE(GET_CHAR(), QStringLiteral(","));
    QVERIFY(msgs.texts().isEmpty());
    QVERIFY(!myVar::reply_timeout);
    QVERIFY(!Timer1()->isActive());
  }

  void readers_time_out_on_a_short_field() {
    struct Case {
      const char* reader;
      const char* message;
    };
    const Case cases[] = {
        {"05", "GET_NUM05() Communication problems!"},
        {"05NT", "GET_NUM05NT() Communication timeout!"},
        {"03", nullptr},
    };
    for (const Case& c : cases) {
      Bench b({"--no-pacing"});
      b.setReplyPeriod(400);
      QVERIFY(!OPEN_COM());
      arrive(b, "00");
      QString got;
      if (QByteArray(c.reader) == "05") got = GET_NUM05();
      else if (QByteArray(c.reader) == "05NT") got = GET_NUM05NT();
      else got = GET_NUM03_SILENT();
      QCOMPARE(got, QString());
      QCOMPARE(b.msgs().texts(), c.message ? QStringList{c.message} : QStringList{});
      QVERIFY(!myVar::reply_timeout);
      QCOMPARE(MSComm1()->inBufferCount(), 2);  // what arrived stays in the port
    }
  }

  void get_num05_short_field_takes_the_full_reply_period() {
    Bench b({"--no-pacing"});
    QVERIFY(!OPEN_COM());
    arrive(b, "0012");
    QElapsedTimer t;
    t.start();
    QCOMPARE(GET_NUM05(), QString());
    QVERIFY2(t.elapsed() >= 3250 && t.elapsed() < 3800, qPrintable(QString::number(t.elapsed())));
    QCOMPARE(b.msgs().texts(), QStringList{"GET_NUM05() Communication problems!"});
  }

  void open_com_failures_show_the_port_number() {
    struct Case {
      int port;
      const char* text;
    };
    const Case cases[] = {
        {7, "ERROR OPENING COM PORT # 7"},   // no entry, no /dev/ttyS6
        {0, "ERROR OPENING COM PORT # 0"},   // below 1
        {-3, "ERROR OPENING COM PORT #-3"},  // minus sign in place of the blank
    };
    for (const Case& c : cases) {
      Bench b({"--no-pacing"}, 1, false);
      myVar::com_port_number = static_cast<std::int16_t>(c.port);
      myVar::configure_port = true;
      QVERIFY(OPEN_COM());
      myVar::configure_port = false;
      QCOMPARE(b.msgs().texts(), QStringList{c.text});
      QVERIFY(!MSComm1()->portOpen());
    }
  }

  void open_com_on_an_open_port_changes_nothing() {
    Bench b({"--no-pacing"});
    QVERIFY(!OPEN_COM());
    arrive(b, "abc");
    QVERIFY(!OPEN_COM());
    QVERIFY(MSComm1()->portOpen());
    QCOMPARE(MSComm1()->inBufferCount(), 3);
    QCOMPARE(MSComm1()->settings(), QStringLiteral("9600,N,8,1"));
    QVERIFY(b.msgs().texts().isEmpty());
  }

  void a_port_in_use_gives_the_open_message() {
    Bench b({"--no-pacing"});
    SerialComm other;
    QVERIFY(other.setCommPort(1));
    QVERIFY(other.setPortOpen(true));
    QVERIFY(OPEN_COM());
    QCOMPARE(b.msgs().texts(), QStringList{port_in_use_text(1)});
  }

  void a_device_this_user_may_not_open_says_so() {
    Bench b({"--no-pacing"});
    // As an ordinary user without rights on the device (the pty is root's).
    const bool as_root = geteuid() == 0;
    if (as_root) QCOMPARE(seteuid(65534), 0);
    const bool failed = OPEN_COM();
    if (as_root) QCOMPARE(seteuid(0), 0);
    QVERIFY(failed);
    QCOMPARE(b.msgs().texts(),
             QStringList{"ERROR OPENING COM PORT # 1\nThis user may not open the serial device (on Debian: sudo "
                         "adduser $USER dialout, then log in again)."});
  }

  void a_dangling_port_entry_gives_the_open_message() {
    Bench b({"--no-pacing"}, 1, false);
    QFile::remove("ports/com2");
    QVERIFY(QFile::link("/dev/does-not-exist", "ports/com2"));
    myVar::com_port_number = 2;
    myVar::configure_port = true;
    QVERIFY(OPEN_COM());
    myVar::configure_port = false;
    QCOMPARE(b.msgs().texts(), QStringList{"ERROR OPENING COM PORT # 2"});
  }

  void discarding_a_closed_port_is_a_no_op() {
    Bench b({"--no-pacing"});
    QVERIFY(!MSComm1()->portOpen());
    MSComm1()->discardInput();
    QVERIFY(!MSComm1()->portOpen());
    QVERIFY(b.msgs().texts().isEmpty());
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

VELTA_TEST_MAIN(TestSerialLink)
#include "test_serial_link.moc"
