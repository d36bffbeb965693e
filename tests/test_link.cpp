// The serial link at the bench: one character under the reply time-out, the
// fixed-width field readers, the waits (which neither burn a core nor outlive
// the reply time-out whatever runs nested in them), and opening the port.
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

// Characters in the port, buffered by the tool.
void arrive(Bench& b, const QByteArray& bytes) {
  const int before = MSComm1()->inBufferCount();
  b.sim().send(bytes);
  QTRY_VERIFY_WITH_TIMEOUT(MSComm1()->inBufferCount() >= before + bytes.size(), 3000);
}

QString read_field(const QString& reader) {
  return reader == "05" ? GET_NUM05() : reader == "05NT" ? GET_NUM05NT() : GET_NUM03_SILENT();
}

// Ends the test program when a wait never returns.
struct Watchdog {
  QTimer timer;
  Watchdog() {
    QObject::connect(&timer, &QTimer::timeout, [] { qFatal("a wait never ended"); });
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
    arrive(b, "XYZ");
    long long before = passes();
    QCOMPARE(GET_CHAR(), QString("X"));
    QCOMPARE(passes() - before, 1);  // after one pass
    // After a time-out every read returns nothing after one poll, which takes a character and drops it.
    myVar::reply_timeout = true;
    QCOMPARE(GET_CHAR(), QString());
    QCOMPARE(MSComm1()->inBufferCount(), 1);
    myVar::reply_timeout = false;
    QCOMPARE(GET_CHAR(), QString("Z"));
    // Nothing arriving: empty after the reply period, each pass blocked until
    // the next event (a handful, not a spinning core); the time-out stays set.
    before = passes();
    QCOMPARE(GET_CHAR(), QString());
    QVERIFY2(passes() - before < 20 && myVar::reply_timeout && !Timer1()->isActive(),
             qPrintable(QString::number(passes() - before)));
  }

  // Each reader takes exactly its width, leaves the separator after it, and
  // tells only its own time-out; a six-character field whose last characters
  // never come completes silently with what it has.
  void readers() {
    const struct { const char* reader; QByteArray arrived; const char* result; const char* message; } cases[] = {
        {"05", "00120,", "120", ""},        {"05", "00000,", "0", ""},          {"05", "     ,", "0", ""},
        {"05", "10010,", "10010", ""},      {"05", "-0012,", "-0012", ""},      {"05", "00\n12,", "\n12", ""},
        {"05NT", "-00012,", "-12", ""},     {"05NT", "-00000,", "-", ""},       {"05NT", "0032\r,", "32\r", ""},
        {"03", "045,", "45", ""},           {"03", "0A9,", "A9", ""},
        {"05", "00", "", "GET_NUM05() Communication problems!"},
        {"05NT", "00", "", "GET_NUM05NT() Communication timeout!"},
        {"05NT", "-0012", "-12", ""},       {"03", "00", "", ""}};
    for (const auto& c : cases) {
      Bench b({"--no-pacing"});
      b.setReplyPeriod(300);
      QVERIFY(!OPEN_COM());
      arrive(b, c.arrived);
      const QString tag = QString(c.reader) + " " + c.arrived + ": ";
      QCOMPARE(tag + read_field(c.reader), tag + c.result);
      QCOMPARE(b.msgs().texts(), *c.message ? QStringList{c.message} : QStringList{});
      QVERIFY(!myVar::reply_timeout && !Timer1()->isActive());
      // What came after the field, or a field cut short, stays in the port.
      QCOMPARE(tag + GET_CHAR(), tag + (c.arrived.endsWith(',') ? "," : *c.result ? "" : c.arrived.left(1)));
    }
  }

  // An exchange clicked during a wait runs nested inside it and at its end
  // switches the reply timer off and clears the time-out: every wait still
  // ends within the reply period, at the link and at the window, where each
  // command's header wait meets a silent controller while "Firmware
  // Version" runs to its end inside it.
  void no_wait_outlives_a_nested_exchange() {
    Watchdog watchdog;
    for (int wait = 0; wait < 3; ++wait) {
      Bench b({"--no-pacing"});
      b.setReplyPeriod(300);
      QVERIFY(!OPEN_COM());
      later(100, [] { TIMER_OFF(), myVar::reply_timeout = false; });
      QVERIFY(wait == 0 ? !HEADER_WAIT() : wait == 1 ? GET_CHAR().isEmpty() : GET_NUM03_SILENT().isEmpty());
    }
    const std::pair<const char*, const char*> cases[] = {{"?", "cmd ?, Communication timeout on <header>"},
                                                         {"L", "cmd L: communication timeout on <header>"},
                                                         {"C", "cmd C, Communication timeout on <header>"}};
    for (auto [code, message] : cases) {
      Bench b({"--no-pacing"});
      b.setReplyPeriod(500);
      b.apply({QString("fault silence for=") + code});
      later(100, [&b] { click(b.w().command_v); });
      velta& w = b.w();
      if (*code == '?') click(w.command_qm);
      if (*code == 'L') click(w.read_info);
      if (*code == 'C') w.calib_Click(), click(calibration_form()->calib360), delete calibration_form();
      QCOMPARE(b.msgs().texts(), QStringList{message});
      QCOMPARE(w.firm_version->text(), QString("003.23"));  // the nested exchange did its work
      VERIFY_ENDED(w);
    }
  }

  void open_com() {
    const QString not_allowed = "\nThis user may not open the serial device (on Debian: sudo adduser $USER dialout, "
                                "then log in again).";
    const struct { int port; const char* cause; QString message; } cases[] = {
        {7, "", "ERROR OPENING COM PORT # 7"},     {-3, "", "ERROR OPENING COM PORT #-3"},
        {2, "dangling", "ERROR OPENING COM PORT # 2"}, {1, "held", port_in_use_text(1)},
        {1, "no rights", "ERROR OPENING COM PORT # 1" + not_allowed}};
    for (const auto& c : cases) {
      Bench b({"--no-pacing"}, 1, false);
      std::unique_ptr<SerialComm> other;
      if (QString(c.cause) == "dangling") QVERIFY(QFile::link("/dev/does-not-exist", "ports/com2"));
      if (QString(c.cause) == "held") other = hold_port(1);
      // Root may open anything: the check is made as an ordinary user, or by
      // an ordinary user who takes his rights on the pty away.
      const bool no_rights = QString(c.cause) == "no rights", as_root = geteuid() == 0;
      const QByteArray pty = b.sim().ptyPath().toLocal8Bit();
      if (no_rights) QCOMPARE(as_root ? seteuid(65534) : chmod(pty.constData(), 0), 0);
      myVar::com_port_number = static_cast<std::int16_t>(c.port);
      myVar::configure_port = true;
      QVERIFY(OPEN_COM());
      myVar::configure_port = false;
      if (no_rights) QCOMPARE(as_root ? seteuid(0) : chmod(pty.constData(), 0600), 0);
      QCOMPARE(b.msgs().texts(), QStringList{c.message});
      QVERIFY(!MSComm1()->portOpen());
    }
    // An open port changes nothing when opened again.
    Bench b({"--no-pacing"});
    QVERIFY(!OPEN_COM());
    arrive(b, "abc");
    QVERIFY(!OPEN_COM() && MSComm1()->inBufferCount() == 3 && MSComm1()->settings() == "9600,N,8,1");
  }
};

VELTA_TEST_MAIN(TestLink)
#include "test_link.moc"
