// Nothing lost on a write, and a unit's set from a script: the backup every
// cmd W makes first (and none, nor a W, when it cannot be written), putting
// one back, the read-back in the window; the commands for scripts run as the
// program itself without a display, their exit codes against the simulator
// and its faults, and a set piped from one controller into another.
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

#include "app/set_file.h"
#include "app/windowless.h"
#include "protocol/read_set.h"
#include "protocol/reports.h"
#include "sim/controller.h"
#include "tests/harness/bench.h"
#include "ui/backups.h"
#include "ui/menus.h"
#include "ui/options.h"

#ifndef VELTA_PATH
#error "VELTA_PATH must name the program"
#endif

using namespace tune_cmd;

namespace {
const QString QUESTION = "THIS COMMAND OVERWRITES THE CBOX SETTINGS!!! ARE YOU SURE?";
// A set unlike the simulator's own in every value (no absolute mode: an
// empty stop mode would leave the other controller's).
const ControllerSet OTHER = {0, 5, 400, 610, 0, 10, 10, 5, 2, 0, 610, -70, 1, 3, 1829};

ControllerSet set_in(const QString& path) {
  ControllerSet set{};
  const QString problem = set_file::READ_SET_FILE(path, set);
  if (!problem.isEmpty()) qFatal("%s: %s", qPrintable(path), qPrintable(problem));
  return set;
}

QString sim_set(SimProcess& sim) {
  QStringList values;
  for (const ParamSpec& p : PARAMS) values << sim.control(QString("get ") + p.key);
  return values.join(' ');
}

// cmd W answered Yes; the answer to a question after it (none: No).
void write(Bench& b, std::optional<QMessageBox::StandardButton> then = {}) {
  b.msgs().answer(QMessageBox::Yes);
  if (then) b.msgs().answer(*then);
  click(b.w().write_mode);
}

// The program as a script runs it: no display of any kind.
std::unique_ptr<QProcess> velta_in(const QString& dir, const QStringList& args) {
  auto p = std::make_unique<QProcess>();
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) env.remove(name);
  p->setProcessEnvironment(env);
  p->setWorkingDirectory(dir);
  p->setProgram(VELTA_PATH);
  p->setArguments(args);
  return p;
}

// Its exit status, standard output and standard error, the working folder
// written as DIR and a backup's time stamp as STAMP.
QString ran(const QString& dir, const QStringList& args) {
  const auto velta = velta_in(dir, args);
  velta->start();
  if (!velta->waitForFinished(20000)) return "still running";
  const QString out = QString::number(velta->exitCode()) + " " + velta->readAllStandardOutput() +
                      velta->readAllStandardError();
  return QString(out).replace(dir, "DIR").replace(QRegularExpression("\\d{8}-\\d{6}-\\d{3}"), "STAMP");
}
}  // namespace

class TestScripts : public QObject {
  Q_OBJECT
 private slots:
  // The backup is there before the W frame goes out and holds the set read,
  // the next one the set the write before sent; the newest loads as File >
  // Load would load it; the read-back tells what the controller stored otherwise.
  void backup_before_every_write() {
    Bench b;
    b.w().command_v_Click();
    start_up_read(b.w());
    const ControllerSet before = LAST_READ().values;
    QStringList at_w;
    QObject::connect(&REPORTS(), &Reports::frame_sent, &b.w(), [&](char code) {
      if (code == 'W') at_w = backups::NEWEST_FIRST();
    });
    for (const char* ramp : {"7", "8"}) {
      b.w().set_entries(defaults_with({QString("ramp=") + ramp}));
      write(b);
    }
    QCOMPARE(at_w.size(), 2);
    QVERIFY(set_in(at_w[1]) == before);
    const ControllerSet first_sent = SET_OF(defaults_with({"ramp=7"}));
    QVERIFY(set_in(at_w[0]) == first_sent);

    later(200, [] { qobject_cast<QDialog*>(QApplication::activeModalWidget())->accept(); });
    b.w().findChild<QAction*>("load_backup")->trigger();
    QCOMPARE(b.w().entries(), ENTRIES_OF(first_sent, true));

    QAction* read_back = b.w().findChild<QAction*>("read_back");
    QVERIFY(!read_back->isChecked());
    read_back->trigger();
    QVERIFY(ui::OPTION(menus::READ_BACK_OPTION));
    b.apply({"write store 8 99"});
    b.msgs().clear();
    write(b);
    QCOMPARE(b.msgs().texts(), (QStringList{QUESTION, menus::READ_BACK_DIFFERS + "ramp: 7° in PARAMETERS SET, 99° in the CBOX"}));
    VERIFY_ENDED(b.w());
  }

  // No place for the backup: the question, and No sends nothing at all.
  void no_backup_no_write() {
    Bench b;
    b.w().command_v_Click();
    start_up_read(b.w());
    QFile("backups").open(QIODevice::WriteOnly);
    b.sim().received();
    write(b, QMessageBox::No);
    QCOMPARE(b.msgs().boxes().size(), size_t(2));
    const ui::MsgBoxRequest& box = b.msgs().boxes()[1];
    const QRegularExpression text("^The CBOX set cannot be backed up to " + QRegularExpression::escape(QDir::currentPath()) +
                                  "/backups/cbox-003\\.23-\\d{8}-\\d{6}-\\d{3}\\.json: backups is not a folder\\. "
                                  "Write without a backup\\?$");
    QVERIFY2(text.match(box.text).hasMatch(), qPrintable(box.text));
    QVERIFY(box.title == ui::APP_TITLE && box.buttons == (QMessageBox::Yes | QMessageBox::No) &&
            box.default_button == QMessageBox::No);
    QCOMPARE(b.sim().received(), QByteArray());
    VERIFY_ENDED(b.w());
    write(b, QMessageBox::Yes);
    QCOMPARE(b.sim().control("get sets"), QString("1"));
  }

  void exit_codes() {
    SimProcess sim(1, {"--no-pacing"});
    const QDir dir(sim.dir());
    QFile::link("/nowhere", dir.filePath("ports/com9"));
    const QString tmo = "cmd ?, Communication timeout on <header>";
    const struct { QStringList args; QStringList controls; int status; QString out, err; } rows[] = {
        {{"--status"}, {}, 0, R"({"port":1,"azimuth":0,"state":"ready"})" "\n", ""},
        {{"--status"}, {"fault busy for=?"}, 0, R"({"port":1,"azimuth":0,"state":"busy"})" "\n", ""},
        {{"--status"}, {"fault silence"}, 4, "", tmo},
        {{"--port", "9", "--status"}, {}, 3, "", "ERROR OPENING COM PORT # 9"},
        {{"--read-set", "unit.json"}, {"fault busy for=S"}, 4, "", "R not received:B"},
        {{"--read-set", "unit.json"}, {}, 0, "", ""},
        {{"--write-set", "unit.json"}, {"set ramp 20"}, 0, "", ""},
        {{"--write-set", "unit.json"}, {"write store 8 99"}, 5, "", "ramp: 10° in PARAMETERS SET, 99° in the CBOX"},
        {{"--write-set", "unit.json"}, {"fault busy for=W"}, 4, "", "CBOX Busy, parameters cannot be updated!"},
        {{"--write-set", "none.json"}, {}, 2, "",
         "The file none.json was not loaded: it cannot be read (No such file or directory). Nothing was sent to the CBOX."},
        {{"--write-set", "unit.json"}, {"backups"}, 2, "",
         "The CBOX set cannot be backed up to DIR/backups/cbox-003.23-STAMP.json: backups is not a folder. Nothing "
         "was written to the CBOX."},
        {{"--goto", "100", "--wait", "5"}, {"set speed 1000"}, 0, "", ""},
        {{"--goto", "100"}, {"fault replace=5:B for=G"}, 4, "", "cmd G: the CBOX answered B"},
        {{"--goto", "200", "--wait", "1"}, {"set speed 1"}, 6, "", "--wait 1 ran out: the CBOX still reports BUSY"},
        {{"--stop"}, {}, 0, "", ""},
        {{"--stop"}, {"fault replace=5:B for=G"}, 4, "", "Unknow reply from Fast-Stop command:B"},
        {{"--status", "--stop"}, {}, 2, "", "--status and --stop cannot be given together: one command a run"},
        {{"--wait", "5"}, {}, 2, "", "--wait goes with --goto only"},
        {{"--goto", "360"}, {}, 2, "", "--goto 360: the azimuth is a whole number from 0 to 359"},
        {{"--stop", "--tracking-server", "4533"}, {}, 2, "", "--tracking-server needs the window: it cannot be given with --stop"},
        {{"--port", "0", "--status"}, {}, 2, "", "--port 0: a port number lies from 1 to 255"},
    };
    for (const auto& row : rows) {
      sim.clearFaults(), sim.control("write clear"), sim.set("speed", "30");
      for (const QString& c : row.controls) {
        if (c != "backups") QCOMPARE(sim.control(c), QString());
        else QDir(dir.filePath(c)).removeRecursively(), QFile(dir.filePath(c)).open(QIODevice::WriteOnly);
      }
      sim.received();
      const QStringList port = row.args.contains("--port") ? QStringList{} : QStringList{"--port", "1"};
      const QString tag = row.args.join(' ') + " " + row.controls.join(',') + ": ";
      QCOMPARE(tag + ran(sim.dir(), port + row.args),
               tag + QString::number(row.status) + " " + row.out + (row.err.isEmpty() ? "" : "velta: " + row.err + "\n"));
      if (row.status == 2) QVERIFY2(!sim.received().contains(frame('W')), qPrintable(tag));
      QFile::remove(dir.filePath("backups"));
    }
    QCOMPARE(ran(sim.dir(), {"--status"}), "2 velta: " + QString(windowless::NO_PORT) + "\n");  // no velta.ini either
  }

  void a_set_piped_from_one_controller_into_another() {
    SimProcess one(1, {"--no-pacing"}), two(2, {"--no-pacing"});
    put_set(one, OTHER);
    QTemporaryDir dir;
    QDir(dir.path()).mkpath("ports");
    QFile::link(one.ptyPath(), dir.filePath("ports/com1"));
    QFile::link(two.ptyPath(), dir.filePath("ports/com2"));
    const auto reader = velta_in(dir.path(), {"--port", "1", "--read-set", "-"});
    const auto writer = velta_in(dir.path(), {"--port", "2", "--write-set", "-"});
    reader->setStandardOutputProcess(writer.get());
    writer->start(), reader->start();
    QVERIFY(reader->waitForFinished(20000) && writer->waitForFinished(20000));
    QCOMPARE(QString::number(reader->exitCode()) + QString::number(writer->exitCode()) + writer->readAllStandardError(),
             QString("00"));
    QCOMPARE(sim_set(two), sim_set(one));
    QCOMPARE(QDir(dir.filePath("backups")).entryList(QDir::Files).size(), 1);
  }
};

VELTA_TEST_MAIN(TestScripts)
#include "test_scripts.moc"
