// Nothing lost on a write, and a unit's set from a script: the backup every cmd W makes first (none, nor a W, when it
// cannot be written), putting one back, the read-back; the commands for scripts run as the program itself.
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

#include "app/set_file.h"
#include "protocol/read_set.h"
#include "protocol/reports.h"
#include "sim/controller.h"
#include "tests/harness/bench.h"
#include "ui/backups.h"
#include "ui/menus.h"
#include "ui/options.h"

using namespace tune_cmd;

namespace {
const QString QUESTION = "THIS COMMAND OVERWRITES THE CBOX SETTINGS!!! ARE YOU SURE?";

ControllerSet set_in(const QString& path) {  // all 0 when the file cannot be loaded
  ControllerSet s{};
  return set_file::READ_SET_FILE(path, s).isEmpty() ? s : ControllerSet{};
}
QString unstamped(QString text, const QString& dir) {  // the working folder written as DIR, a backup's time stamp as STAMP
  return text.replace(dir, "DIR").replace(QRegularExpression("\\d{8}-\\d{6}-\\d{3}"), "STAMP");
}

// A command line as a script runs it, with no display of any kind: the exit status, what it printed, unstamped.
QString ran(const QString& dir, const QString& line) {
  QProcess sh;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) env.remove(name);
  sh.setProcessEnvironment(env), sh.setWorkingDirectory(dir);
  sh.start("sh", {"-c", QString(line).replace("velta", "'" VELTA_PATH "'")});
  if (!sh.waitForFinished(20000)) return "still running";
  return unstamped(QString::number(sh.exitCode()) + " " + sh.readAllStandardOutput() + sh.readAllStandardError(), dir);
}
}  // namespace

class TestScripts : public QObject {
  Q_OBJECT
 private slots:
  // The backup is there before the W frame goes out and holds the set read, the next one the set the write before
  // sent; the newest loads as File > Load would; the read-back tells what the controller stored otherwise. No place
  // for the backup: the question, and No sends nothing.
  void backup_before_every_write() {
    Bench b;  // cmd W below is answered Yes, and the questions after it as given (none: No)
    const auto write = [&b](auto... then) {
      b.msgs().answer(QMessageBox::Yes), (b.msgs().answer(then), ...), click(b.w().write_mode); };
    b.w().command_v_Click(), start_up_read(b.w());
    const ControllerSet before = LAST_READ().values;
    QStringList at_w;
    QObject::connect(&REPORTS(), &Reports::frame_sent, &b.w(), [&](char c) { if (c == 'W') at_w = backups::NEWEST_FIRST(); });
    for (const char* ramp : {"7", "8"}) b.w().set_entries(defaults_with({QString("ramp=") + ramp})), write();
    const ControllerSet first_sent = SET_OF(defaults_with({"ramp=7"}));
    QVERIFY(at_w.size() == 2 && set_in(at_w[1]) == before && set_in(at_w[0]) == first_sent);
    const QString copy = "backups/a copy.json";  // no time in its name: when it was written counts
    QVERIFY(set_file::WRITE_WHOLE(copy, "{}").isEmpty() && backups::NEWEST_FIRST()[0].endsWith(copy));
    QFile::remove(copy);
    later(200, [] { qobject_cast<QDialog*>(QApplication::activeModalWidget())->accept(); });
    b.w().findChild<QAction*>("load_backup")->trigger();
    QCOMPARE(b.w().entries(), ENTRIES_OF(first_sent, true));

    b.w().findChild<QAction*>("read_back")->trigger();
    QVERIFY(ui::OPTION(menus::READ_BACK_OPTION));
    b.apply({"write store 8 99"}), write();
    QVERIFY(QDir().rename("backups", "old") && QFile("backups").open(QIODevice::WriteOnly));
    b.sim().received(), write(QMessageBox::No);
    QCOMPARE(b.sim().received(), QByteArray());
    VERIFY_ENDED(b.w());
    const ui::MsgBoxRequest box = b.msgs().boxes().back();
    QVERIFY(box.title == ui::APP_TITLE && box.buttons == (QMessageBox::Yes | QMessageBox::No) &&
            box.default_button == QMessageBox::No);
    write(QMessageBox::Yes);  // the read-back after it tells that it was sent
    const QString no_backup = "The CBOX set cannot be backed up to DIR/backups/cbox-003.23-STAMP.json: backups is not "
                              "a folder. Write without a backup?";
    const QString differs = menus::READ_BACK_DIFFERS + "ramp: 7° in PARAMETERS SET, 99° in the CBOX";
    QCOMPARE(unstamped(b.msgs().texts().join('|'), QDir::currentPath()).split('|'),
             (QStringList{QUESTION, QUESTION, QUESTION, differs, QUESTION, no_backup, QUESTION, no_backup, differs}));
  }

  // Each command against the simulator and its faults ("backups": a file where the backups go), on port 1 unless one
  // is given; then with no port at all; then a set piped from one controller into another.
  void commands_for_scripts() {
    SimProcess sim(1, {"--no-pacing"}), two(2, {"--no-pacing"});
    const QDir dir(sim.dir());
    QFile::link("/nowhere", dir.filePath("ports/com9")), QFile::link(two.ptyPath(), dir.filePath("ports/com2"));
    const struct { QStringList args; QStringList controls; int status; QString out, err; } rows[] = {
        {{"--status"}, {}, 0, R"({"port":1,"azimuth":0,"state":"ready"})" "\n", ""},
        {{"--status"}, {"fault busy for=?"}, 0, R"({"port":1,"azimuth":0,"state":"busy"})" "\n", ""},
        {{"--status"}, {"fault silence"}, 4, "", "cmd ?, Communication timeout on <header>"},
        {{"--port", "9", "--status"}, {}, 3, "", "ERROR OPENING COM PORT # 9"},
        {{"--read-set", "unit.json"}, {"fault busy for=S"}, 4, "", "R not received:B"},
        {{"--read-set", "unit.json"}, {}, 0, "", ""},
        {{"--write-set", "unit.json"}, {"backups"}, 2, "", "The CBOX set cannot be backed up to DIR/backups/cbox-003.23-"
                                                          "STAMP.json: backups is not a folder. Nothing was written to the CBOX."},
        {{"--write-set", "unit.json"}, {"set ramp 20"}, 0, "", ""},
        {{"--write-set", "unit.json"}, {"write store 8 99"}, 5, "", "ramp: 10° in PARAMETERS SET, 99° in the CBOX"},
        {{"--write-set", "unit.json"}, {"fault busy for=W"}, 4, "", "CBOX Busy, parameters cannot be updated!"},
        {{"--write-set", "x"}, {}, 2, "",
         "The file x was not loaded: it cannot be read (No such file or directory). Nothing was sent to the CBOX."},
        {{"--goto", "100", "--wait", "5"}, {"set speed 1000"}, 0, "", ""},
        {{"--goto", "100"}, {"fault replace=5:B for=G"}, 4, "", "cmd G: the CBOX answered B"},
        {{"--goto", "100"}, {"fault cut=5 for=G"}, 4, "", "cmd G: communication timeout on <result>"},
        {{"--goto", "200", "--wait", "1"}, {"set speed 1"}, 6, "", "--wait 1 ran out: the CBOX still reports BUSY"},
        {{"--stop"}, {}, 0, "", ""},
        {{"--stop"}, {"fault replace=5:B for=G"}, 4, "", "Unknow reply from Fast-Stop command:B"},
        {{"--status", "--stop"}, {}, 2, "", "--status and --stop cannot be given together: one command a run"},
        {{"--wait", "5"}, {}, 2, "", "--wait goes with --goto only"},
        {{"--stop", "--wait", "5"}, {}, 2, "", "--wait goes with --goto only, not with --stop"},
        {{"--goto", "1", "--wait", "86401"}, {}, 2, "", "--wait 86401: the seconds are a whole number from 0 to 86400"},
        {{"--goto", "360"}, {}, 2, "", "--goto 360: the azimuth is a whole number from 0 to 359"},
        {{"--stop", "--tracking-server", "4533"}, {}, 2, "", "--tracking-server needs the window: it cannot be given with --stop"},
        {{"--port", "0", "--status"}, {}, 2, "", "--port 0: a port number lies from 1 to 255"},
    };
    for (const auto& row : rows) {
      QFile::remove(dir.filePath("backups")), sim.clearFaults(), sim.control("write clear"), sim.set("speed", "30"), sim.received();
      for (const QString& c : row.controls)
        if (c == "backups") QFile(dir.filePath(c)).open(QIODevice::WriteOnly); else QCOMPARE(sim.control(c), QString());
      const QString tag = row.args.join(' ') + " " + row.controls.join(',') + ": ";
      QCOMPARE(tag + ran(sim.dir(), QString(row.args.contains("--port") ? "velta " : "velta --port 1 ") + row.args.join(' ')),
               tag + QString::number(row.status) + " " + row.out + (row.err.isEmpty() ? "" : "velta: " + row.err + "\n"));
      if (row.status == 2) QVERIFY2(!sim.received().contains(frame('W')), qPrintable(tag));
    }
    QCOMPARE(ran(sim.dir(), "velta --status"), "2 velta: no port: give --port N or start the window once\n");

    put_set(sim, {0, 5, 400, 610, 0, 10, 10, 5, 2, 0, 610, -70, 1, 3, 1829});  // unlike the other in every value
    const int backups = QDir(dir.filePath("backups")).entryList(QDir::Files).size();
    QString got = ran(sim.dir(), "velta --port 1 --read-set - | velta --port 2 --write-set -");
    for (const ParamSpec& p : PARAMS) got += two.control(QString("get ") + p.key) + " ";  // held by the controller on port 2
    QCOMPARE(got + QString("+%1").arg(QDir(dir.filePath("backups")).entryList(QDir::Files).size() - backups),
             QString("0 0 5 400 610 0 10 10 5 2 0 610 -70 1 3 1829 +1"));
  }
};

VELTA_TEST_MAIN(TestScripts)
#include "test_scripts.moc"
