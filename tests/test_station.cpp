// A station: the whole program with --headless in the simulator's folder, as
// the system starts it, with no display of any kind in its environment: the
// start-up, trackers served through the controller's and the port's faults,
// its log, stopping on signals, the usage errors, and the service's unit.
#include <signal.h>

#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include "tests/harness/bench.h"

#ifndef VELTA_PATH
#error "VELTA_PATH must name the program"
#endif

namespace {
const QByteArray PROBE = frame('S') + frame('V') + frame('L');
const QByteArray AT_123 = "123.000000\n0.000000\n";
const QString TIMEOUT_S = "cmd S, Communication timeout on <header>";

quint16 free_port() {
  QTcpServer s;
  return s.listen(QHostAddress::LocalHost, 0) ? s.serverPort() : 0;
}

// The program started in `dir` as the system starts a station: no display
// of any kind.
void without_display(QProcess& p, const QString& dir) {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) env.remove(name);
  p.setProcessEnvironment(env);
  p.setWorkingDirectory(dir);
}

// ports/com1 made to open `target`, as an adapter that is pulled or plugged.
void link_port(const QString& target) {
  QFile::remove("ports/com1");
  QVERIFY(QFile::link(target, "ports/com1"));
}

// The program as a station in the simulator's folder (entered), serving on a
// free TCP port of the loopback.
struct Station {
  SimProcess& sim;
  quint16 port = free_port();
  QProcess p;
  QString log;
  QTcpSocket client;
  QString client_at;  // the client's own address, kept once it is gone

  Station(SimProcess& s, const QStringList& args) : sim(s) {
    QDir::setCurrent(sim.dir());
    without_display(p, sim.dir());
    p.setReadChannel(QProcess::StandardError);
    p.start(VELTA_PATH, QStringList{"--headless", "--tracking-server", QString("127.0.0.1:%1").arg(port)} + args);
  }
  ~Station() {
    p.kill();
    p.waitForFinished(5000);
  }
  // Waits until the log holds `text`.
  bool logged(const QString& text) {
    for (QDeadlineTimer end(10000); !log.contains(text) && !end.hasExpired(); log += p.readAllStandardError())
      p.waitForReadyRead(50);
    return log.contains(text);
  }
  bool connect() {
    if (!logged("listening on")) return false;
    client.connectToHost(QHostAddress::LocalHost, port);
    const bool connected = client.waitForConnected(3000);
    client_at = QString("127.0.0.1:%1").arg(client.localPort());
    return connected;
  }
  // The exit status once the signals have been sent, one after the other.
  int stop(const std::vector<int>& numbers) {
    for (int number : numbers) ::kill(static_cast<pid_t>(p.processId()), number);
    if (!p.waitForFinished(10000)) return -1;
    log += p.readAllStandardError();
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
  }
  // The log's lines without their time stamps, the addresses and the device
  // that change from run to run named: CLIENT, SERVER, PTY.
  QStringList lines() const {
    static const QRegularExpression stamp(R"(^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}(Z|[+-]\d\d:\d\d) )");
    QStringList out;
    for (QString line : log.split('\n', Qt::SkipEmptyParts)) {
      const QRegularExpressionMatch m = stamp.match(line);
      line = m.hasMatch() ? line.mid(m.capturedLength()) : "no time stamp: " + line;
      out << line.replace(client_at, "CLIENT")
                 .replace(QString("127.0.0.1:%1").arg(port), "SERVER")
                 .replace(sim.ptyPath(), "PTY");
    }
    return out;
  }
};
}  // namespace

class TestStation : public QObject {
  Q_OBJECT
 private slots:
  void cleanup() { QDir::setCurrent(QDir::tempPath()); }

  // The start-up's frames, then trackers served; each fault answered with its
  // code while it lasts and the first request after it served, without a
  // restart; every request and answer logged (--verbose).
  void serves_through_faults() {
    SimProcess sim;
    sim.set("position", "123");
    sim.set("speed", "0");
    QDir::setCurrent(sim.dir());
    put_settings_file(" 7 \r\n");
    QFile presets("presets.json");
    QVERIFY(presets.open(QIODevice::WriteOnly));
    presets.write(R"([{"name": "Park", "azimuth": 180}, null, null, null, null, null, null, null])");
    presets.close();
    Station s(sim, {"--port", "1", "--verbose"});
    QVERIFY(s.connect());
    QCOMPARE(ask(s.client, "P 200 0\np\nS\nK\n", 5), "RPRT 0\n" + AT_123 + "RPRT 0\nRPRT 0\n");
    QCOMPARE(sim.received(), PROBE + frame('G', "200") + frame('?') + frame('G', "977") + frame('G', "180"));

    std::unique_ptr<SerialComm> held;
    QString adapter;
    const std::pair<QString, QByteArray> steps[] = {
        {"fault replace=1:27 once", "RPRT -8\n"},
        {"fault silence", "RPRT -5\n"}, {"fault clear", AT_123}, {"fault hangup", "RPRT -6\n"},
        {"fault clear", AT_123},        {"hold", "RPRT -6\n"},   {"release", AT_123},
        {"unplug", "RPRT -6\n"},        {"plug", AT_123}};
    for (const auto& [step, answer] : steps) {
      if (step == "hold") held = hold_port(1);
      else if (step == "release") held.reset();
      else if (step == "plug") link_port(adapter);
      else if (step != "unplug") sim.control(step);
      else {
        adapter = QFileInfo("ports/com1").symLinkTarget();
        link_port("/nowhere");
      }
      QCOMPARE(step + ": " + ask(s.client, "p\n", answer.count('\n')), step + ": " + answer);
    }
    s.client.close();
    QVERIFY(s.logged("left"));
    QCOMPARE(s.stop({SIGTERM}), 0);
    const QString served = "client CLIENT: p -> 123.000000 / 0.000000";
    QCOMPARE(s.lines(),
             (QStringList{"listening on SERVER, port 1 -> PTY", "client CLIENT connected",
                          "client CLIENT: P 200 0 -> RPRT 0", served, "client CLIENT: S -> RPRT 0",
                          "client CLIENT: K -> RPRT 0",
                          "client CLIENT: p -> RPRT -8 (? cmd, <Identifier> invalid, received:?)",
                          "client CLIENT: p -> RPRT -5 (cmd ?, Communication timeout on <header>)", served,
                          "client CLIENT: p -> RPRT -6 (COM PORT # 1 LOST: the serial device hung up or was unplugged!)",
                          served,
                          "client CLIENT: p -> RPRT -6 (ERROR OPENING COM PORT # 1 The port is in use by another "
                          "program (or another copy of this tool).)",
                          served, "client CLIENT: p -> RPRT -6 (ERROR OPENING COM PORT # 1)", served,
                          "client CLIENT left", "stopping on SIGTERM: no new request is taken", "stopped"}));
    QCOMPARE(settings_file(), QByteArray(" 7 \r\n"));
  }

  // The adapter missing at start: the start-up's failures logged as the
  // boxes would show them, the server listening all the same; plugged in,
  // the next request is served. Without --verbose only failures are logged.
  void starts_without_its_adapter() {
    SimProcess sim;
    sim.set("position", "123");
    QDir::setCurrent(sim.dir());
    link_port("/nowhere");
    Station s(sim, {"--port", "1"});
    QVERIFY(s.connect());
    QCOMPARE(ask(s.client, "p\n", 1), QByteArray("RPRT -6\n"));
    link_port(sim.ptyPath());
    QCOMPARE(ask(s.client, "p\n", 2), AT_123);
    QCOMPARE(sim.received(), frame('?'));
    QCOMPARE(s.stop({SIGTERM}), 0);
    QCOMPARE(s.lines(), (QStringList{"ERROR OPENING COM PORT # 1", "listening on SERVER, port 1 -> /nowhere (missing)",
                                     "ERROR OPENING COM PORT # 1", "client CLIENT connected",
                                     "client CLIENT: p -> RPRT -6 (ERROR OPENING COM PORT # 1)",
                                     "stopping on SIGTERM: no new request is taken", "stopped"}));
  }

  // Signals while the start-up's S waits for a silent controller and a
  // tracker's request waits for its turn: the request is never sent, the
  // client is closed, S ends with its time-out, exit 0; a second signal ends
  // it at once. The port is released; velta.ini, which gave the port, stays
  // as it was.
  void stops_on_signals() {
    const struct { std::vector<int> numbers; int status; QStringList end; } cases[] = {
        {{SIGTERM}, 0, {"stopping on SIGTERM: no new request is taken", TIMEOUT_S, "stopped"}},
        {{SIGINT}, 0, {"stopping on SIGINT: no new request is taken", TIMEOUT_S, "stopped"}},
        {{SIGTERM, SIGINT}, 1, {"stopping on SIGTERM: no new request is taken", "SIGINT again: stopped at once"}},
    };
    for (const auto& c : cases) {
      SimProcess sim;
      sim.fault("silence");
      QDir::setCurrent(sim.dir());
      put_settings_file("1\n");
      Station s(sim, {});
      QVERIFY(s.connect());
      s.client.write("p\n");
      QByteArray sent;
      for (QDeadlineTimer end(5000); sent.isEmpty() && !end.hasExpired(); sent += sim.received()) QTest::qWait(20);
      QCOMPARE(s.stop(c.numbers), c.status);
      QCOMPARE(sent + sim.received(), frame('S'));
      QTRY_COMPARE(s.client.state(), QAbstractSocket::UnconnectedState);
      QCOMPARE(s.lines(), (QStringList{"listening on SERVER, port 1 -> PTY", "client CLIENT connected"} + c.end));
      QVERIFY(!QFile::exists("/var/lock/LCK.." + sim.ptyPath().mid(5).replace('/', '_')));
      QCOMPARE(settings_file(), QByteArray("1\n"));
    }
  }

  // One line on stderr, and nothing started: no frame sent, no file written
  // or linked. A station whose address cannot be taken has nothing to do.
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
      without_display(velta, sim.dir());
      velta.start(VELTA_PATH, c.args.split(' '));
      QVERIFY(velta.waitForFinished(20000));
      const QString got = QString::number(velta.exitCode()) + " " + velta.readAllStandardError() +
                          velta.readAllStandardOutput() + sim.received();
      QCOMPARE(c.args + ": " + got, c.args + ": " + QString::number(c.status) + " velta: " + c.line + "\n");
    }
    QCOMPARE(QDir(sim.dir()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{"ports"});
    QCOMPARE(QFileInfo(sim.dir() + "/ports/com1").symLinkTarget(), sim.ptyPath());
  }

  void service_unit() {
    const QString analyze = QStandardPaths::findExecutable("systemd-analyze");
    if (analyze.isEmpty()) QSKIP("systemd-analyze is not installed (Debian: systemd; scripts/setup.sh installs it)");
    QFile unit(VELTA_UNIT);
    QVERIFY(unit.open(QIODevice::ReadOnly));
    QString text = unit.readAll();
    QTemporaryDir dir;
    QFile copy(dir.filePath("velta-station.service"));
    QVERIFY(copy.open(QIODevice::WriteOnly));
    copy.write(text.replace("ExecStart=/usr/local/bin/velta", "ExecStart=" VELTA_PATH).toUtf8());
    copy.close();
    QProcess verify;
    verify.setProcessChannelMode(QProcess::MergedChannels);
    verify.start(analyze, {"verify", copy.fileName()});
    QVERIFY(verify.waitForFinished(60000));
    const QString said = verify.readAll();
    if (said.startsWith("Failed to initialize manager"))
      QSKIP(qPrintable("systemd-analyze cannot run here: " + said.trimmed()));
    QCOMPARE(QString::number(verify.exitCode()) + " " + said, QString("0 "));
  }
};

VELTA_TEST_MAIN(TestStation)
#include "test_station.moc"
