// A station: the whole program with --headless in the simulator's folder and no display of any kind: trackers served
// through the controller's and the port's faults, its log, stopping on signals, the usage errors, the service's unit.
#include <signal.h>

#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include "app/set_file.h"
#include "tests/harness/bench.h"

namespace {
// The program started in `dir` as the system starts a station: no display of any kind.
void start_without_display(QProcess& p, const QString& dir, const QStringList& args) {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) env.remove(name);
  p.setProcessEnvironment(env), p.setWorkingDirectory(dir), p.start(VELTA_PATH, args);
}

// A station in the simulator's folder (entered), serving on a free port of the loopback; a tracker on it once it listens.
struct Station {
  SimProcess& sim;
  quint16 port = [] { QTcpServer s; return s.listen(QHostAddress::LocalHost, 0), s.serverPort(); }();
  QString at = QString("127.0.0.1:%1").arg(port);
  QProcess p;
  QString log;
  QTcpSocket client;
  QString client_at;  // the client's own address, kept once it is gone

  Station(SimProcess& s, const QStringList& args) : sim(s) {
    QDir::setCurrent(sim.dir()), p.setReadChannel(QProcess::StandardError);
    start_without_display(p, sim.dir(), QStringList{"--headless", "--tracking-server", at} + args);
    if (logged("listening on")) client.connectToHost(QHostAddress::LocalHost, port), client.waitForConnected(3000);
    client_at = QString("127.0.0.1:%1").arg(client.localPort());
  }
  ~Station() { p.kill(), p.waitForFinished(5000); }
  bool logged(const QString& text) {
    for (QDeadlineTimer end(10000); !log.contains(text) && !end.hasExpired(); log += p.readAllStandardError())
      p.waitForReadyRead(50);
    return log.contains(text);
  }
  // After the signals, each once the one before is logged: the log's lines without their time stamps, the addresses
  // and the device that change from run to run named CLIENT, SERVER and PTY; then the exit status.
  QStringList stop(const std::vector<int>& numbers) {
    for (int number : numbers) ::kill(static_cast<pid_t>(p.processId()), number), logged("stopping on");
    const bool ended = p.waitForFinished(10000) && p.exitStatus() == QProcess::NormalExit;
    static const QRegularExpression stamp(R"(^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}(Z|[+-]\d\d:\d\d) )");
    log.append(p.readAllStandardError()).replace(client_at, "CLIENT").replace(at, "SERVER").replace(sim.ptyPath(), "PTY");
    QStringList out;
    for (const QString& line : log.split('\n', Qt::SkipEmptyParts))
      out << (line.contains(stamp) ? QString(line).remove(stamp) : "no time stamp: " + line);
    return out << (ended ? QString("exit %1").arg(p.exitCode()) : "no end");
  }
};
}  // namespace

class TestStation : public QObject {
  Q_OBJECT
 private slots:
  void cleanup() { QDir::setCurrent(QDir::tempPath()); }

  // Started without its adapter: the start-up's failure logged as the box would show it, the server listening all
  // the same. Then each fault answered with its code while it lasts and the first request after it served, without
  // a restart (each step followed by p); K to the preset named Park; with --verbose every request and its answer logged.
  void serves_through_faults() {
    SimProcess sim;
    sim.set("position", "123"), sim.set("speed", "0"), QDir::setCurrent(sim.dir()), put_settings_file(" 7 \r\n");
    QVERIFY(set_file::WRITE_WHOLE("presets.json", R"([null, {"name": "PARK ", "azimuth": 180}, null, null, null, null,
                                                     null, null])").isEmpty());
    QFile::remove("ports/com1"), QFile::link("/nowhere", "ports/com1");  // the adapter missing
    Station s(sim, {"--port", "1", "--verbose"});
    std::unique_ptr<SerialComm> held;
    for (const QString step : {"unplugged", "plug", "fault replace=1:27 once", "fault silence", "fault clear", "hold",
                               "release", "fault hangup", "fault clear"}) {
      if (step == "hold" || step == "release") held = step == "hold" ? hold_port(1) : nullptr;
      else if (step == "plug") QFile::remove("ports/com1"), QFile::link(sim.ptyPath(), "ports/com1");
      else if (step.startsWith("fault")) sim.control(step);
      QVERIFY2(!ask(s.client, "p\n", 1).isEmpty(), qPrintable(step));
    }
    sim.received();
    QCOMPARE(ask(s.client, "P 200 0\nS\nK\n+\\park\nM 1 2\n", 6), "RPRT 0\nRPRT 0\nRPRT 0\npark:\nRPRT 0\nRPRT -4\n");
    QCOMPARE(sim.received(), frame('G', "200") + frame('G', "977") + frame('G', "180").repeated(2));
    s.client.close();
    QVERIFY(s.logged("left"));
    const QString e1 = "ERROR OPENING COM PORT # 1", c = "client CLIENT", p = c + ": p -> ", served = p + "123.000000 / 0.000000";
    const QStringList expected{e1, "listening on SERVER, port 1 -> /nowhere (missing)", e1, c + " connected",
        p + "RPRT -6 (" + e1 + ")", served, p + "RPRT -8 (? cmd, <Identifier> invalid, received:?)",
        p + "RPRT -5 (cmd ?, Communication timeout on <header>)", served,
        p + "RPRT -6 (" + e1 + " The port is in use by another program (or another copy of this tool).)", served,
        p + "RPRT -6 (COM PORT # 1 LOST: the serial device hung up or was unplugged!)", served, c + ": P 200 0 -> RPRT 0",
        c + ": S -> RPRT 0", c + ": K -> RPRT 0", c + ": +\\park -> park: / RPRT 0", c + ": M 1 2 -> RPRT -4 (not "
        "available: the CBOX has no such command, or no preset is named Park)", c + " left", "stopping on SIGTERM: no new "
        "request is taken", "stopped", "exit 0", " 7 \r\n"};
    QCOMPARE(s.stop({SIGTERM}) << settings_file(), expected);
  }

  // Signals while the start-up's S waits for a silent controller and a tracker's request waits for its turn: the
  // request is never sent, S ends with its time-out, exit 0; a second signal ends it at once. The port is released;
  // velta.ini, which gave the port, stays as it was. Without --verbose only failures are logged.
  void stops_on_signals() {
    const struct { std::vector<int> numbers; QStringList end; } cases[] = {
        {{SIGTERM}, {"cmd S, Communication timeout on <header>", "stopped", "exit 0"}},
        {{SIGTERM, SIGINT}, {"SIGINT again: stopped at once", "exit 1"}}};
    for (const auto& c : cases) {
      SimProcess sim;
      sim.fault("silence"), QDir::setCurrent(sim.dir()), put_settings_file("1\n");
      Station s(sim, {});
      s.client.write("_\nx\np\n"), s.client.waitForBytesWritten(3000);
      QVERIFY(s.logged(": x -> RPRT -1"));
      QCOMPARE(s.stop(c.numbers) << sim.received() << settings_file(),
               (QStringList{"listening on SERVER, port 1 -> PTY", "client CLIENT connected",
                            "client CLIENT: x -> RPRT -1 (not a request the tool takes, or wrong values)",
                            "stopping on SIGTERM: no new request is taken"} + c.end + QStringList{frame('S'), "1\n"}));
      QVERIFY(!QFile::exists("/var/lock/LCK.." + sim.ptyPath().mid(5).replace('/', '_')));
    }
  }

  // One line on stderr, and nothing started: no frame sent, no file written or linked. A station whose address
  // cannot be taken has nothing to do.
  void usage_errors() {
    SimProcess sim;
    QTcpServer taken;
    QVERIFY(taken.listen(QHostAddress::LocalHost, 0));
    const QString busy = QString("127.0.0.1:%1").arg(taken.serverPort());
    const struct { QString args; int status; QString line; } cases[] = {
        {"--headless", 2, "--headless needs --tracking-server [HOST:]PORT"},
        {"--headless --tracking-server 4533 --status", 2, "--status cannot be used with --headless"},
        {"--link-port 1 /dev/null --headless --tracking-server 4533", 2, "--link-port cannot be used with --headless"},
        {"--headless --tracking-server 4533 -platform xcb", 2, "-platform cannot be used with --headless"},
        {"--verbose --tracking-server 4533", 2, "--verbose needs --headless"},
        {"--headless --tracking-server 4533 --port 256", 2, "--port 256: a port number lies from 1 to 255"},
        {"--headless --tracking-server 4533", 2, "no port: give --port N or start the window once"},
        {"--headless --port 1 --tracking-server " + busy, 1,
         "tracking server: " + busy + " cannot be taken: The bound address is already in use"},
        {"--headless --port 1 --tracking-server 192.0.2.1:4533", 1,
         "tracking server: 192.0.2.1:4533 cannot be taken: The address is not available"},
    };
    for (const auto& c : cases) {
      QProcess velta;
      start_without_display(velta, sim.dir(), c.args.split(' '));
      QVERIFY(velta.waitForFinished(20000));
      QCOMPARE(c.args + ": " + QString::number(velta.exitCode()) + " " + velta.readAllStandardError() +
                   velta.readAllStandardOutput() + sim.received(),
               c.args + ": " + QString::number(c.status) + " velta: " + c.line + "\n");
    }
    QCOMPARE(QDir(sim.dir()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot)
                 << QFileInfo(sim.dir() + "/ports/com1").symLinkTarget(), (QStringList{"ports", sim.ptyPath()}));
  }

  void service_unit() {
    const QString analyze = QStandardPaths::findExecutable("systemd-analyze");
    if (analyze.isEmpty()) QSKIP("systemd-analyze is not installed (Debian: systemd; scripts/setup.sh installs it)");
    QFile unit(VELTA_UNIT);
    QTemporaryDir dir;  // a copy whose ExecStart is the program built
    const QString copy = dir.filePath("velta-station.service");
    QVERIFY(unit.open(QIODevice::ReadOnly));
    QVERIFY(set_file::WRITE_WHOLE(copy, unit.readAll().replace("/usr/local/bin/velta", VELTA_PATH)).isEmpty());
    QProcess verify;
    verify.start(analyze, {"verify", copy});
    QVERIFY(verify.waitForFinished(60000));
    const QString said = verify.readAllStandardOutput() + verify.readAllStandardError();
    if (said.startsWith("Failed to initialize manager")) QSKIP(qPrintable("systemd-analyze cannot run here: " + said));
    QCOMPARE(QString::number(verify.exitCode()) + " " + said, QString("0 "));
  }
};

VELTA_TEST_MAIN(TestStation)
#include "test_station.moc"
