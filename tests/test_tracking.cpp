// The tracking server: request lines and their answers as pure calls; trackers on TCP against the simulator
// (go-to, position, stop, a silent controller, requests waiting for the window's read, p through the running
// monitor, park, bounds), and a whole pass replayed from the trackers' own habits, the rotator library's network
// client among them where it is installed.
#include <QLabel>
#include <QTcpSocket>
#include <QTest>

#include "app/presets.h"
#include "app/set_file.h"
#include "app/tracking_server.h"
#include "protocol/rotator_lines.h"
#include "protocol/panel.h"
#include "tests/harness/bench.h"
#include "tests/harness/script.h"
#include "tests/harness/tracker.h"
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

// A pass of a minute, the target moving steadily from 100° to 200°.
constexpr int PASS_MS = 60000;

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
        {"\\set_pos -90 10", "G270 RPRT 0\n"}, {"P 359.6 0", "G0 RPRT 0\n"}, {"P -0,5 0", "G359 RPRT 0\n"},
        {"P -360 0", "G0 RPRT 0\n"},     {"P\t1e2  +5 ", "G100 RPRT 0\n"},    {"P 174,46 0,00", "G174 RPRT 0\n"},
        {"P 1,000.5 0", "RPRT -1\n"},    {"P 1,2,3 0", "RPRT -1\n"},          {"P 10, 0", "RPRT -1\n"},
        {"P 10 ,5", "RPRT -1\n"},        {"P 1e2,5 0", "RPRT -1\n"},          {"P 360.01 0", "RPRT -1\n"},
        {"P nan 0", "RPRT -1\n"},        {"P 1e999 0", "RPRT -1\n"},          {"P 10", "RPRT -1\n"},
        {"P 10 0 7", "RPRT -1\n"},       {"\\get_pos\r", "123.000000\n0.000000\n"},
        {"+P abc 0", "set_pos: abc 0\nRPRT -1\n"}, {"+P 200 0", "G200 set_pos: 200 0\nRPRT 0\n"},
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
    QCOMPARE(ask(c, "_\np\n", 3), QByteArray("CBOX firmware unknown\n123.000000\n0.000000\n"));
    QCOMPARE(w.fast_pos->text(), QString("123°"));
    QCOMPARE(ask(c, "P -160 0\n", 1), QByteArray("RPRT 0\n"));
    QCOMPARE(w.go_to_angle->text() + " " + w.goto_replay->text(), QString("200 CORRECT"));
    QCOMPARE(ask(c, "S\n", 1), QByteArray("RPRT 0\n"));
    QCOMPARE(status_line(w), QString("Tracking: 127.0.0.1:%1, 1 client, last S -> RPRT 0").arg(port));
    // The version of the last V read, not what a box shows.
    click(w.command_v);
    w.firm_version->setText("9.99");
    QCOMPARE(ask(c, "_\n", 1), QByteArray("CBOX firmware 3.23\n"));
    QCOMPARE(b.sim().received(), frame('?') + frame('G', "200") + frame('G', "977") + frame('V'));
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
  }

  // While the monitor runs, p sends the status command and the status frame the monitor lists next answers it,
  // in turn with the requests around it; none within a reply period: RPRT -5. The monitor lists every reply,
  // also one still owed when STOP is clicked, before its closing S.
  void position_while_the_monitor_runs() {
    Bench b;
    velta& w = b.w();
    QTcpSocket c;
    c.connectToHost(QHostAddress::LocalHost, serve(b));
    QVERIFY(c.waitForConnected(3000));
    b.setReplyPeriod(300);
    QByteArray got;
    connect(&c, &QTcpSocket::readyRead, [&] { got += c.readAll(); });
    Script s([&w] { if (tune_cmd::MONITOR_RUNS()) w.cmd_monitor->click(); }, &w);
    s.when("monitor running", tune_cmd::MONITOR_RUNS, [&] { b.sim().received(), c.write("p\nP 123 0\n+p\n"); });
    s.when("answered", [&] { return got.count('\n') == 7; }, [&] { b.sim().fault("silence"), c.write("p\n"); });
    QString timed_out;
    s.when("timed out", [&] { return got.count('\n') == 8; }, [&] {
      timed_out = status_line(w).section(", last ", 1);
      b.sim().clearFaults(), b.sim().fault("delay=0:150 for=? once"), c.write("p\n");
    });
    s.after(50, "stop with the reply owed", [&] { click(w.cmd_monitor); });
    s.start();
    click(w.cmd_monitor);
    QCOMPARE(s.failed(), QString());
    QCOMPARE(got, "123.000000\n0.000000\nRPRT 0\nget_pos:\nAzimuth: 123.000000\nElevation: 0.000000\nRPRT 0\n"
                  "RPRT -5\n123.000000\n0.000000\n");
    QCOMPARE(b.sim().received(), frame('?') + frame('G', "123") + frame('?') + frame('?') + frame('?') + frame('S'));
    QCOMPARE(w.cbox_reply_text->toPlainText(),
             " 1: <h|A,?,123,R|r>\n 2: <h|A,G,R|r>\n 3: <h|A,?,123,R|r>\n 4: <h|A,?,123,R|r>\n");
    QCOMPARE(timed_out, QString("p -> RPRT -5 (the monitor got no status frame in time)"));
    QCOMPARE(b.msgs().texts(), QStringList());
    VERIFY_ENDED(w);
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

  // A whole pass at wire speed as the trackers follow it, all at once on one server, each by its own habit (the
  // rotator library's client too where it is installed); the monitor started 20 s into the pass and stopped 20 s
  // later. Each: every request answered with RPRT 0 or a position, in one read; no connection closed; the last
  // position within 2° of the last target.
  void a_pass_replayed() {
    Bench b;
    velta& w = b.w();
    const quint16 port = serve(b);
    b.sim().set("position", "100");
    b.sim().set("speed", "30");
    QElapsedTimer pass;
    const auto target = [&pass] { return 100 + 100.0 * std::min<qint64>(pass.elapsed(), PASS_MS) / PASS_MS; };
    using T = Tracker;
    const auto P = [](const T& t) { return QString("P %1 0.00").arg(t.target(), 0, 'f', 2); };
    const auto p = [](const T&) { return QString("p"); };
    const T::Habit habits[] = {
        {"gpredict", 1000, {{0, [P](const T& t) { return t.ticks() == 7 ? P(t).replace('.', ',') : P(t); }}, {100, p}}},
        {"SatNOGS", 3000, {{0, p}, {0, [P](const T& t) {
           return t.position() && std::abs(t.target() - *t.position()) > 4 ? P(t) : QString(); }}}},
        {"SatDump", 1000, {{0, p}, {0, [P](const T& t) { return P(t) != t.last_set() ? P(t) : QString(); }}}},
        {"Look4Sat", 1000, {{0, P}}},
    };
    std::vector<std::unique_ptr<Tracker>> trackers;
    for (const T::Habit& h : habits) trackers.push_back(std::make_unique<Tracker>(h, port, target));
    Rotctl rotctl(port, target, PASS_MS / 1000);
    pass.start();
    for (std::size_t i = 0; i < trackers.size(); ++i) trackers[i]->start(int(i) * 250);
    bool monitor_ran = false;
    later(20000, [&] { click_when_enabled(w.cmd_monitor); });
    later(30000, [&] { monitor_ran = tune_cmd::MONITOR_RUNS(); });
    later(40000, [&] { click_when_enabled(w.cmd_monitor); });
    QTest::qWait(PASS_MS);
    for (auto& t : trackers) t->stop();
    QTRY_VERIFY(std::all_of(trackers.begin(), trackers.end(), [](auto& t) { return t->quiet(); }));

    // Whoever read no position: the controller's own.
    const double controller = b.sim().control("get position").toDouble();
    QStringList report{QString("monitor ran: %1, listed frames: %2")
                           .arg(monitor_ran)
                           .arg(w.cbox_reply_text->toPlainText().count('\n') > 20)};
    for (auto& t : trackers) report << t->verdict(PASS_MS, controller);
    QStringList expected{"monitor ran: 1, listed frames: 1", "gpredict: ok", "SatNOGS: ok", "SatDump: ok",
                         "Look4Sat: ok"};
    if (const QString line = rotctl.verdict(); !line.isEmpty()) report << line, expected << "rotctl: ok";
    QCOMPARE(report, expected);
    // The monitor's own S, refused while the rotator turns, as S always is.
    QCOMPARE(b.msgs().texts().filter(QRegularExpression("^(?!R not received:B$)")), QStringList());
    VERIFY_ENDED(w);
  }
};

VELTA_TEST_MAIN(TestTracking)
#include "test_tracking.moc"
