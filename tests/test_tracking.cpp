// The tracking server: request lines and their answers as pure calls; trackers on TCP against the simulator, the
// window and the running monitor; a whole pass replayed from the trackers' own habits (rotctl too where installed).
#include <QStandardPaths>
#include <QTest>

#include "app/tracking_server.h"
#include "protocol/panel.h"
#include "tests/harness/bench.h"
#include "tests/harness/script.h"
#include "tests/harness/tracker.h"
#include "ui/tracking_controls.h"

using namespace rotator_lines;

namespace {
// What a tracker gets for `line` from a CBOX at 123° with firmware 003.23 that takes every go-to, with the go-to
// frame's angle in front ("G270 ..."); for "@" and a --tracking-server value, the address taken or why it is not one.
QString answer_of(const QString& line) {
  QString problem;
  const auto at = line.startsWith('@') ? tracking::PARSE_ENDPOINT(line.mid(1), &problem) : std::nullopt;
  if (line.startsWith('@')) return at ? tracking::TEXT_OF(*at) : problem;
  const Request r = PARSE(line.toStdString());
  if (r.command == Command::quit) return "closed";
  const QString go_to = NEEDS_CONTROLLER(r) && r.command == Command::set_pos ? QString("G%1 ").arg(r.azimuth) : "";
  return go_to + QString::fromStdString(ANSWER(r, r.code, 123, INFO("003.23")));
}

const QByteArray AT_123 = "123.000000\n0.000000\n";
constexpr int PASS_MS = 60000;  // a pass of a minute, the target moving steadily from 100° to 200°

// A bench whose server listens on a port the system picks, on a CBOX at 123° standing still, and a tracker on it;
// the status line with the server's port named PORT.
struct Served : Bench {
  QTcpSocket c;
  Served() {
    sim().set("position", "123"), sim().set("speed", "0"), tracking_controls::SERVER(w()).start({QHostAddress::LocalHost, 0});
    c.connectToHost(QHostAddress::LocalHost, port()), c.waitForConnected(3000);
  }
  quint16 port() { return tracking_controls::SERVER(w()).endpoint().port; }
  QString status() { return w().findChild<QLabel*>("tracking_status")->text().replace(QString::number(port()), "PORT"); }
};
}  // namespace

class TestTracking : public QObject {
  Q_OBJECT
 private slots:
  void lines() {  // a row: the request lines (split at "|") and the answer each gets
    const QString rows[][2] = {
        {"\\set_pos -90 10", "G270 RPRT 0\n"}, {"P -0,5 0", "G359 RPRT 0\n"}, {"P 174,46 0,00", "G174 RPRT 0\n"},
        {"P\t1e2  +5 ", "G100 RPRT 0\n"}, {"P 359.6 0|P -360 0|P 360 0", "G0 RPRT 0\n"}, {"K|R 1", "RPRT -4\n"},
        {" \t", ""}, {"q|Q", "closed"}, {"\\get_pos\r", "123.000000\n0.000000\n"}, {"_", "CBOX firmware 3.23\n"},
        {"P 360.01 0|P -360.5 0|P 10 0 7|P 1,000.5 0|P 1,2,3 0|P 1e2,5 0|P 10, 0|P 10 ,5|P nan 0|P 1e999 0|K 1|p 5|pp|+|"
         "P 1,e2 0|P +-5 0|P 10", "RPRT -1\n"}, {"+P abc 0", "set_pos: abc 0\nRPRT -1\n"},
        {"+p", "get_pos:\nAzimuth: 123.000000\nElevation: 0.000000\nRPRT 0\n"}, {"+\\move 1 2", "move: 1 2\nRPRT -4\n"},
        {"+\\get_info", "get_info:\nInfo: CBOX firmware 3.23\nRPRT 0\n"}, {"+P 200 0", "G200 set_pos: 200 0\nRPRT 0\n"},
        {"+\\park", "park:\nRPRT -4\n"}, {"+\\stop", "stop:\nRPRT 0\n"}, {"\\dump_state", "1\n1\nmin_az=0.000000\n"
         "max_az=360.000000\nmin_el=0.000000\nmax_el=90.000000\nsouth_zero=0\nrot_type=Az\ndone\n"},
        {"+\\dump_state", "dump_state:\nrotctld Protocol Ver: 1\nRotor Model: 1\nMinimum Azimuth: 0.000000\nMaximum Azimuth: "
         "360.000000\nMinimum Elevation: 0.000000\nMaximum Elevation: 90.000000\nSouth Zero: 0\nrot_type=Az\ndone\nRPRT 0\n"},
        {"@1", "127.0.0.1:1"}, {"@[::1]:65535", "[::1]:65535"}, {"@localhost:4533", "127.0.0.1:4533"},
        {"@1.2.3.4:65536", "65536 is not a port: it must be a whole number from 1 to 65535"},
        {"@::1:4533", "::1 is not an address: give one such as 127.0.0.1, 0.0.0.0 or [::1]"},
        {"@pc:4533", "pc is not an address: give one such as 127.0.0.1, 0.0.0.0 or [::1]"},
    };
    QStringList got, expected;
    for (const auto& [lines, answer] : rows)
      for (const QString& line : lines.split('|')) got << line + " => " + answer_of(line), expected << line + " => " + answer;
    QCOMPARE(got, expected);
  }

  // Answers from the exchanges, never from a box, requests sent while cmd L waits after it; while the monitor runs,
  // its next status frame answers p (none in time: RPRT -5), and it lists a reply still owed at STOP.
  void served_on_tcp() {
    Served b;
    velta& w = b.w();
    QCOMPARE(ask(b.c, "_\np\nP -160 0\n", 4), "CBOX firmware unknown\n" + AT_123 + "RPRT 0\n");
    QCOMPARE(w.fast_pos->text() + " " + w.go_to_angle->text() + " " + w.goto_replay->text(), "123° 200 CORRECT");
    click(w.command_v), w.firm_version->setText("9.99"), b.sim().fault("delay=5:300 for=L");  // V's, not the box's
    later(100, [&] { b.c.write("p\nS\n_\n"); }), w.read_info->click();
    QCOMPARE(b.c.readAll(), QByteArray());
    QCOMPARE(ask(b.c, {}, 4), AT_123 + "RPRT 0\nCBOX firmware 3.23\n");
    b.sim().fault("replace=5:E for=G once");
    QCOMPARE(ask(b.c, "K\nP 270 0\n", 2), "RPRT -4\nRPRT -9\n");  // no preset named Park: no park position
    QCOMPARE(b.status() + " " + b.sim().received(), "Tracking: 127.0.0.1:PORT, 1 client, last P 270 0 -> RPRT -9 (cmd G: "
             "the CBOX answered E) " + frame('?') + frame('G', "200") + frame('V') + frame('L') + frame('?') +
             frame('G', "977") + frame('G', "270"));

    b.setReplyPeriod(300), b.sim().set("busy", "0");
    QByteArray got;
    connect(&b.c, &QTcpSocket::readyRead, [&] { got += b.c.readAll(); });
    Script s([&w] { if (tune_cmd::MONITOR_RUNS()) w.cmd_monitor->click(); }, &w);
    s.when("monitor running", tune_cmd::MONITOR_RUNS, [&] { b.sim().received(), b.c.write("p\nP 123 0\n+p\n"); });
    s.when("answered", [&] { return got.count('\n') == 7; }, [&] { b.sim().fault("silence"), b.c.write("p\n"); });
    s.when("timed out", [&] { return got.count('\n') == 8; }, [&] {
      got += b.status().toUtf8() + '\n', b.apply({"fault clear", "fault delay=0:150 for=? once"}), b.c.write("p\n"); });
    s.after(50, "stop with the reply owed", [&] { click(w.cmd_monitor); });
    s.start();
    click(w.cmd_monitor);
    QCOMPARE(got + w.cbox_reply_text->toPlainText() + b.msgs().texts().join('\n'),
             AT_123 + "RPRT 0\nget_pos:\nAzimuth: 123.000000\nElevation: 0.000000\nRPRT 0\nRPRT -5\nTracking: "
                      "127.0.0.1:PORT, 1 client, last p -> RPRT -5 (the monitor got no status frame in time)\n" +
                      AT_123 + " 1: <h|A,?,123,R|r>\n 2: <h|A,G,R|r>\n 3: <h|A,?,123,R|r>\n 4: <h|A,?,123,R|r>\n");
    QCOMPARE(b.sim().received(), frame('?') + frame('G', "123") + frame('?') + frame('?') + frame('?') + frame('S'));
    VERIFY_ENDED(w);
  }

  // The controls off while a request waits but the stops; one clicked goes out at once, its failure in a box. A line over
  // 256 characters and a ninth client closed; a flood read as it is answered; a client's line shown printable and short.
  void failures_and_bounds() {
    Served b;
    velta& w = b.w();
    QTcpSocket more[8];  // the last of them the ninth client
    for (QTcpSocket& m : more) m.connectToHost("127.0.0.1", b.port()), m.waitForConnected(3000);
    b.setReplyPeriod(300), b.sim().fault("silence");
    QStringList lit;  // enabled, or out of the button face
    later(100, [&] {
      for (QPushButton* p : {w.write_mode, w.read_info, w.execute, w.cmd_monitor, w.fast_stop, w.soft_stop,
                             w.command_s, w.command_qm, w.command_c, w.command_v, w.calib})
        if (p->isEnabled() || p->palette().color(QPalette::Button) != qApp->palette().color(QPalette::Button))
          lit << p->objectName();
      click(w.fast_stop);
    });
    QCOMPARE(ask(b.c, "+P 10 0\n", 2), "set_pos: 10 0\nRPRT -5\n");
    QCOMPARE((lit + b.msgs().texts()).join('|') + " " + b.sim().received(),
             "fast_stop|soft_stop|cmd G999: communication timeout on <header> " + frame('G', "10") + frame('G', "999"));
    QCOMPARE(b.status(), "Tracking: 127.0.0.1:PORT, 8 clients, last +P 10 0 -> RPRT -5 (request +P 10 0 ended: cmd "
                         "G999 was sent while it waited for its reply.)");
    VERIFY_ENDED(w);
    b.sim().clearFaults(), b.c.write(QByteArray(255, ' ') + "p");  // the longest line, its end still to come
    QTest::qWait(50);
    QCOMPARE(ask(b.c, "\n", 2), AT_123);
    QCOMPARE(ask(more[1], QByteArray("M 0 0\n").repeated(30), 30), QByteArray("RPRT -4\n").repeated(30));
    QCOMPARE(ask(b.c, "\x01" + QByteArray(44, 'x') + "\n", 1), "RPRT -1\n");
    more[0].write(QByteArray(256, ' ') + "p\n");
    QTRY_COMPARE(b.status(), "Tracking: 127.0.0.1:PORT, 7 clients, last ?" + QString(39, 'x') + "... -> RPRT -1");
    w.close();
    QTRY_COMPARE(b.status() + (b.c.state() == QAbstractSocket::UnconnectedState ? ", closed" : ""), "Tracking: off, closed");
  }

  // A whole pass at wire speed, the trackers all at once, each by its own habit, the monitor running from 20 s to 40 s.
  // Each: every request answered RPRT 0 or a position, in one read; none closed; the last position within 2° of target.
  void a_pass_replayed() {
    Served b;
    b.sim().set("position", "100"), b.sim().set("speed", "30");
    const QDeadlineTimer end(PASS_MS);
    const auto target = [&end] { return 100 + 100.0 * (PASS_MS - end.remainingTime()) / PASS_MS; };
    using T = Tracker;
    const auto P = [](const T& t) { return QString("P %1 0.00").arg(t.target(), 0, 'f', 2); };
    const auto p = [](const T&) { return QString("p"); };
    const T::Habit habits[] = {
        {"gpredict", 1000, {{0, [P, n = 0](const T& t) mutable { return ++n == 7 ? P(t).replace('.', ',') : P(t); }}, {100, p}}},
        {"SatNOGS", 3000, {{0, p}, {0, [P](const T& t) {
           return t.position() && std::abs(t.target() - *t.position()) > 4 ? P(t) : QString(); }}}},
        {"SatDump", 1000, {{0, p}, {0, [P, s = QString()](const T& t) mutable { return P(t) == s ? "" : s = P(t); }}}},
        {"Look4Sat", 1000, {{0, P}}},
    };
    std::deque<Tracker> trackers;
    for (const T::Habit& h : habits) trackers.emplace_back(h, b.port(), target).start(250 * int(trackers.size()));
    Rotctl rotctl(b.port(), target, PASS_MS / 1000);
    for (int at : {20000, 40000}) later(at, [&] { click_when_enabled(b.w().cmd_monitor); });
    QTest::qWait(PASS_MS);
    for (Tracker& t : trackers) t.stop();
    QTRY_VERIFY(std::all_of(trackers.begin(), trackers.end(), [](Tracker& t) { return t.quiet(); }));
    QStringList report{QString("frames listed: %1, monitor runs: %2").arg(b.w().cbox_reply_text->blockCount() > 20)
                           .arg(tune_cmd::MONITOR_RUNS())};
    for (Tracker& t : trackers) report << t.verdict(PASS_MS, b.sim().control("get position").toDouble());
    // rotctl's empty where it is not installed; boxes but the monitor's own S, refused while the rotator turns.
    report << rotctl.verdict() << b.msgs().texts().filter(QRegularExpression("^(?!R not received:B$)"));
    QCOMPARE(report.join('|'), "frames listed: 1, monitor runs: 0|gpredict: ok|SatNOGS: ok|SatDump: ok|Look4Sat: ok|" +
                                   QString(QStandardPaths::findExecutable("rotctl").isEmpty() ? "" : "rotctl: ok"));
    VERIFY_ENDED(b.w());
  }
};

VELTA_TEST_MAIN(TestTracking)
#include "test_tracking.moc"
