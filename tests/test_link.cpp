// The serial link at the bench: one character under the reply time-out, the fixed-width field readers, the waits
// (which neither burn a core nor outlive the reply time-out whatever runs nested in them), opening the port.
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

void arrive(Bench& b, const QByteArray& bytes) {  // in the port, buffered by the tool
  const int before = MSComm1()->inBufferCount();
  b.sim().send(bytes);
  QTRY_VERIFY_WITH_TIMEOUT(MSComm1()->inBufferCount() >= before + bytes.size(), 3000);
}
}  // namespace

class TestLink : public QObject {
  Q_OBJECT
 private slots:
  // One character a call; a port opened again keeps what it holds. An exchange clicked during a wait runs nested
  // inside it and at its end switches the reply timer off and clears the time-out: each wait still ends within
  // its reply period.
  void get_char_the_waits_and_the_readers() {
    QTimer watchdog;  // ends the program when a wait never returns
    QObject::connect(&watchdog, &QTimer::timeout, [] { qFatal("a wait never ended"); });
    watchdog.start(20000);
    Bench b({"--no-pacing"});
    b.setReplyPeriod(300);
    QVERIFY(!OPEN_COM());
    arrive(b, "XYZ");
    QVERIFY(!OPEN_COM() && MSComm1()->inBufferCount() == 3 && MSComm1()->settings() == "9600,N,8,1");
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
    QVERIFY(passes() - before < 20 && myVar::reply_timeout && !Timer1()->isActive());
    for (int wait = 0; wait < 3; ++wait) {
      myVar::reply_timeout = false, later(100, [] { TIMER_OFF(), myVar::reply_timeout = false; });
      QVERIFY(wait == 0 ? !HEADER_WAIT() : wait == 1 ? GET_CHAR().isEmpty() : GET_NUM03_SILENT().isEmpty());
    }
    // Each reader takes exactly its width, leaves what came after it (or the field cut short) in the port, and tells
    // only its own time-out; a six-character field whose last characters never come completes silently.
    const struct { const char* reader; QByteArray arrived; const char* result; const char* message; } cases[] = {
        {"05", "00120,", "120", ""},        {"05", "00000,", "0", ""},          {"05", "     ,", "0", ""},
        {"05", "10010,", "10010", ""},      {"05", "-0012,", "-0012", ""},      {"05", "00\n12,", "\n12", ""},
        {"05NT", "-00012,", "-12", ""},     {"05NT", "-00000,", "-", ""},       {"05NT", "0032\r,", "32\r", ""},
        {"03", "045,", "45", ""},           {"03", "0A9,", "A9", ""},           {"05NT", "-0012", "-12", ""},
        {"03", "00", "", ""}, {"05", "00", "", "GET_NUM05() Communication problems!"},
        {"05NT", "00", "", "GET_NUM05NT() Communication timeout!"}};
    for (const auto& c : cases) {
      CLOSE_COM(), b.msgs().clear();  // nothing left of the row before
      QVERIFY(!OPEN_COM());
      arrive(b, c.arrived);
      const QString reader = c.reader, tag = reader + " " + c.arrived + ": ";
      QString got = tag + (reader == "05" ? GET_NUM05() : reader == "05NT" ? GET_NUM05NT() : GET_NUM03_SILENT());
      got += (myVar::reply_timeout || Timer1()->isActive() ? " timer" : "") + (" / " + b.msgs().texts().join('|'));
      const QString rest = c.arrived.endsWith(',') ? "," : *c.result ? "" : c.arrived.left(1);
      QCOMPARE(got + " / " + GET_CHAR(), tag + c.result + " / " + c.message + " / " + rest);
    }
  }

  // At the window too: each command's header wait meets a silent controller while "Firmware Version" runs to its
  // end inside it.
  void no_wait_outlives_a_nested_exchange() {
    const std::pair<const char*, const char*> cases[] = {{"?", "cmd ?, Communication timeout on <header>"},
                                                         {"L", "cmd L: communication timeout on <header>"},
                                                         {"C", "cmd C, Communication timeout on <header>"}};
    for (auto [code, message] : cases) {
      Bench b({"--no-pacing", "--fault", QString("silence for=") + code});
      b.setReplyPeriod(500);
      later(100, [&b] { click(b.w().command_v); });
      velta& w = b.w();
      if (*code == '?') click(w.command_qm);
      if (*code == 'L') click(w.read_info);
      if (*code == 'C') w.calib_Click(), click(calibration_form()->calib360), delete calibration_form();
      QCOMPARE(b.msgs().texts().join('|') + " / " + w.firm_version->text(), message + QString(" / 003.23"));
      VERIFY_ENDED(w);
    }
  }

  void open_com() {
    const struct { int port; const char* cause; QString message; } cases[] = {
        {7, "", "ERROR OPENING COM PORT # 7"},     {-3, "", "ERROR OPENING COM PORT #-3"},
        {2, "dangling", "ERROR OPENING COM PORT # 2"}, {1, "held", port_in_use_text(1)},
        {1, "no rights", "ERROR OPENING COM PORT # 1\nThis user may not open the serial device (on Debian: sudo adduser "
                         "$USER dialout, then log in again)."}};
    for (const auto& c : cases) {
      Bench b({"--no-pacing"}, 1, false);
      const auto other = QString(c.cause) == "held" ? hold_port(1) : nullptr;
      if (QString(c.cause) == "dangling") QVERIFY(QFile::link("/dev/does-not-exist", "ports/com2"));
      // Root may open anything: made an ordinary user, or as one who takes his rights on the pty away.
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
  }
};

VELTA_TEST_MAIN(TestLink)
#include "test_link.moc"
