// The tracking server: request lines and their answers as pure calls; trackers on TCP against the simulator
// (go-to, position, stop, a silent controller, requests waiting for the window's read, the monitor running,
// bounds); the rotator library's own network client when it is installed.
#include <QLabel>
#include <QProcess>
#include <QStandardPaths>
#include <QTcpSocket>
#include <QTest>

#include "app/presets.h"
#include "app/set_file.h"
#include "app/tracking_server.h"
#include "protocol/rotator_lines.h"
#include "tests/harness/bench.h"
#include "ui/dial.h"
#include "ui/dial_controls.h"
#include "ui/tracking_controls.h"

using namespace rotator_lines;

namespace {
// What a tracker gets for `line` from a CBOX at 123° with firmware 003.23
// that takes every go-to, with the go-to frame's angle in front ("G270 ...");
// for a --tracking-server value, the address taken or why it is not one.
QString answer_of(const QString& line) {
  if (line.startsWith("--tracking-server ")) {
    QString problem;
    const auto at = tracking::PARSE_ENDPOINT(line.section(' ', 1), &problem);
    return at ? tracking::TEXT_OF(*at) : problem.section(": ", 0, 0);
  }
  const Request r = PARSE(line.toStdString());
  if (r.command == Command::quit) return "closed";
  const QString go_to = NEEDS_CONTROLLER(r) && r.command == Command::set_pos ? QString("G%1 ").arg(r.azimuth) : "";
  return go_to + QString::fromStdString(ANSWER(r, r.code, 123, INFO("003.23")));
}

QString status_line(velta& w) { return w.findChild<QLabel*>("tracking_status")->text(); }

// A server on a port the system picks, on a CBOX at 123° standing still.
quint16 serve(Bench& b) {
  b.sim().set("position", "123");
  b.sim().set("speed", "0");
  tracking::Server& s = tracking_controls::SERVER(b.w());
  return s.start({QHostAddress(QHostAddress::LocalHost), 0}) ? s.endpoint().port : 0;
}
}  // namespace

class TestTracking : public QObject {
  Q_OBJECT
 private slots:
  void lines_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("answer");
    const QString state = "1\n1\nmin_az=0.000000\nmax_az=360.000000\nmin_el=0.000000\nmax_el=90.000000\n"
                          "south_zero=0\nrot_type=Az\ndone\n";
    const QString rows[][2] = {
        {"P 200 0", "G200 RPRT 0\n"},   {"\\set_pos -90 10", "G270 RPRT 0\n"}, {"P 359.6 0", "G0 RPRT 0\n"},
        {"P -0.5 0", "G359 RPRT 0\n"},  {"P -360 0", "G0 RPRT 0\n"},         {"P\t1e2  +5 ", "G100 RPRT 0\n"},
        {"P 360.01 0", "RPRT -1\n"},    {"P nan 0", "RPRT -1\n"},            {"P 1e999 0", "RPRT -1\n"},
        {"P 10,5 0", "RPRT -1\n"},      {"P 10", "RPRT -1\n"},               {"P 10 0 7", "RPRT -1\n"},
        {"+P abc 0", "set_pos: abc 0\nRPRT -1\n"}, {"+P 200 0", "G200 set_pos: 200 0\nRPRT 0\n"},
        {"p", "123.000000\n0.000000\n"}, {"\\get_pos\r", "123.000000\n0.000000\n"},
        {"+p", "get_pos:\nAzimuth: 123.000000\nElevation: 0.000000\nRPRT 0\n"}, {"+\\stop", "stop:\nRPRT 0\n"},
        {"_", "CBOX firmware 3.23\n"},  {"+\\get_info", "get_info:\nInfo: CBOX firmware 3.23\nRPRT 0\n"},
        {"\\dump_state", state},        {"K", "RPRT -4\n"},                   {"+\\park", "park:\nRPRT -4\n"},
        {"q", "closed"},                {"pp", "RPRT -1\n"},                  {"p 5", "RPRT -1\n"},
        {"+", "RPRT -1\n"},             {" \t", ""},
        {"--tracking-server 4533", "127.0.0.1:4533"},  {"--tracking-server [::1]:4533", "[::1]:4533"},
        {"--tracking-server localhost:4533", "127.0.0.1:4533"}, {"--tracking-server 1.2.3.4:65536", "65536 is not a port"},
        {"--tracking-server ::1:4533", "::1 is not an address"}, {"--tracking-server pc:4533", "pc is not an address"},
    };
    for (const auto& [line, answer] : rows)
      QTest::newRow(qPrintable(QString(line).replace('\r', "\\r"))) << line << answer;
  }
  void lines() {
    QFETCH(QString, line);
    QFETCH(QString, answer);
    QCOMPARE(answer_of(line), answer);
  }

  void trackers_on_tcp() {
    Bench b;
    velta& w = b.w();
    const quint16 port = serve(b);
    QTcpSocket c;
    c.connectToHost(QHostAddress::LocalHost, port);
    QVERIFY(c.waitForConnected(3000));
    QCOMPARE(ask(c, "p\n", 2), QByteArray("123.000000\n0.000000\n"));
    QCOMPARE(w.fast_pos->text(), QString("123°"));
    QCOMPARE(ask(c, "P -160 0\n", 1), QByteArray("RPRT 0\n"));
    QCOMPARE(w.go_to_angle->text() + " " + w.goto_replay->text(), QString("200 CORRECT"));
    QCOMPARE(ask(c, "S\n", 1), QByteArray("RPRT 0\n"));
    QCOMPARE(b.sim().received(), frame('?') + frame('G', "200") + frame('G', "977"));
    QCOMPARE(status_line(w), QString("Tracking: 127.0.0.1:%1, 1 client, last S -> RPRT 0").arg(port));
    VERIFY_ENDED(w);

    // Sent while cmd L waits for its reply: answered after the read, in order.
    b.sim().fault("delay=5:300 for=L");
    later(100, [&] { c.write("p\nS\n"); });
    w.read_info->click();
    QCOMPARE(c.readAll(), QByteArray());
    QCOMPARE(ask(c, {}, 3), QByteArray("123.000000\n0.000000\nRPRT 0\n"));
    QCOMPARE(b.sim().received(), frame('L') + frame('?') + frame('G', "977"));

    // A silent controller: its code, the status line, no box; the exchange controls off meanwhile, back after,
    // but the stops: one clicked meanwhile goes out at once, tells its own failure in a box, and the request
    // ends as broken into.
    b.setReplyPeriod(300);
    b.sim().fault("silence");
    QStringList enabled_meanwhile;
    later(100, [&] {
      for (QPushButton* p : {w.write_mode, w.read_info, w.execute, w.cmd_monitor, w.fast_stop, w.soft_stop,
                             w.command_s, w.command_qm, w.command_c, w.command_v, w.calib})
        if (p->isEnabled()) enabled_meanwhile << p->objectName();
    });
    QCOMPARE(ask(c, "+p\n", 2), QByteArray("get_pos:\nRPRT -5\n"));
    QCOMPARE(enabled_meanwhile, (QStringList{"fast_stop", "soft_stop"}));
    QCOMPARE(b.msgs().texts(), QStringList());
    QCOMPARE(status_line(w).section(", last ", 1), QString("+p -> RPRT -5 (cmd ?, Communication timeout on <header>)"));
    VERIFY_ENDED(w);
    b.sim().received();
    later(100, [&] { click(w.fast_stop); });
    QCOMPARE(ask(c, "P 10 0\n", 1), QByteArray("RPRT -5\n"));
    QCOMPARE(b.sim().received(), frame('G', "10") + frame('G', "999"));
    QCOMPARE(b.msgs().texts(), QStringList{"cmd G999: communication timeout on <header>"});
    QCOMPARE(status_line(w).section(", last ", 1),
             QString("P 10 0 -> RPRT -5 (request P 10 0 ended: cmd G999 was sent while it waited for its reply.)"));
    VERIFY_ENDED(w);
    b.msgs().clear();

    // The monitor owns the replies: p sends nothing, P is sent all the same.
    b.sim().clearFaults();
    QByteArray answers;
    const QByteArray sent = sent_with_monitor_running(b, [&] { answers = ask(c, "p\nP 10 0\n", 2); });
    QCOMPARE(answers + sent, "RPRT -11\nRPRT 0\n" + frame('G', "10"));
  }

  // K is the go-to to the preset named Park, answered as P to its azimuth, the dial's target too; without one the
  // CBOX has no park position.
  void park() {
    Bench b;
    b.setReplyPeriod(300);
    presets::LOAD_PRESETS();  // no file: no presets
    QTcpSocket c;
    c.connectToHost(QHostAddress::LocalHost, serve(b));
    QVERIFY(c.waitForConnected(3000));
    QCOMPARE(ask(c, "K\n", 1), QByteArray("RPRT -4\n"));
    QVERIFY(set_file::WRITE_WHOLE(presets::FILE_NAME, "[null, {\"name\": \"PARK \", \"azimuth\": 270}, null, null, "
                                                     "null, null, null, null]").isEmpty());
    presets::LOAD_PRESETS();
    QCOMPARE(ask(c, "K\n+\\park\nK 1\n", 4), QByteArray("RPRT 0\npark:\nRPRT 0\nRPRT -1\n"));
    QCOMPARE(dial_controls::DIAL_OF(b.w()).dial_target->text() + " " + b.w().go_to_angle->text(), "to 270° 270");
    b.sim().fault("replace=5:E for=G once");
    QCOMPARE(ask(c, "K\n", 1), QByteArray("RPRT -9\n"));
    QCOMPARE(b.sim().received(), frame('G', "270").repeated(3));
  }

  // Bounded: a line over 256 characters and a ninth client are closed; a
  // client's requests are taken in a few at a time.
  void clients_are_bounded() {
    Bench b;
    const quint16 port = serve(b);
    std::vector<std::unique_ptr<QTcpSocket>> clients;
    for (int i = 0; i < 9; ++i) {
      clients.push_back(std::make_unique<QTcpSocket>());
      clients.back()->connectToHost(QHostAddress::LocalHost, port);
      QVERIFY(clients.back()->waitForConnected(3000));
    }
    QTRY_COMPARE(clients[8]->state(), QAbstractSocket::UnconnectedState);
    QCOMPARE(ask(*clients[0], QByteArray(255, ' ') + "p\n", 2), QByteArray("123.000000\n0.000000\n"));
    // More requests at once than are taken in: the rest are read as those are answered.
    QCOMPARE(ask(*clients[2], QByteArray("M 0 0\n").repeated(30), 30), QByteArray("RPRT -4\n").repeated(30));
    clients[1]->write(QByteArray(256, ' ') + "p\n");
    QTRY_COMPARE(clients[1]->state(), QAbstractSocket::UnconnectedState);
    QVERIFY2(status_line(b.w()).contains(", 7 clients,"), qPrintable(status_line(b.w())));
    // Closed with the window.
    b.w().close();
    QTRY_COMPARE(clients[0]->state(), QAbstractSocket::UnconnectedState);
  }

  void the_rotator_library_client() {
    const QString rotctl = QStandardPaths::findExecutable("rotctl");
    if (rotctl.isEmpty()) QSKIP("rotctl is not installed (Debian: libhamlib-utils; scripts/setup.sh installs it)");
    Bench b;
    b.w().firm_version->setText("003.23");
    QProcess p;
    p.start(rotctl, {"-m", "2", "-r", QString("127.0.0.1:%1").arg(serve(b)), "P", "200", "0", "p", "S", "_"});
    QTRY_VERIFY_WITH_TIMEOUT(p.state() == QProcess::NotRunning, 15000);
    QCOMPARE(p.exitCode(), 0);
    QCOMPARE(p.readAllStandardOutput(), QByteArray("123.00\n0.00\nCBOX firmware 3.23\n\n"));
    QCOMPARE(b.sim().received(), frame('G', "200") + frame('?') + frame('G', "977"));
  }
};

VELTA_TEST_MAIN(TestTracking)
#include "test_tracking.moc"
