// Start-up, the settings file, shutdown and whole sessions: the chooser with the stored number, S, V and the read
// on the wire, the number stored, and the program as its entry point runs it on any desktop, ending with its window.
#include <QApplication>
#include <QTest>
#include <clocale>
#include <unistd.h>

#include "app/file_in.h"
#include "app/myVar.h"
#include "app/program.h"
#include "tests/harness/bench.h"
#include "tests/harness/script.h"
#include "ui/calibration.h"
#include "ui/quale_com.h"

namespace {
const QString CONNECT = "Connect the PC to the CBOX, power-on it and click on OK when the CBOX is ready";
const QString QUESTION = "THIS COMMAND OVERWRITES THE CBOX SETTINGS!!! ARE YOU SURE?";
const QByteArray PROBE = frame('S') + frame('V') + frame('L');

// A click as a person makes it: from the event loop, so that its handler runs while the script goes on looking.
void click_later(QAbstractButton* b) { QTimer::singleShot(0, b, [b] { click(b); }); }

// A scratch working directory with a main window, boxes captured.
struct Scratch {
  QTemporaryDir dir;
  QString old = QDir::currentPath();
  MsgCapture msgs;
  velta w;
  Scratch() { QDir::setCurrent(dir.path()), myVar::com_port_number = 1, file_in::RESET_WRITE_WARNING(); }
  ~Scratch() { QDir::setCurrent(old); }
  bool store(const QString& typed) { return w.com_port->setText(typed), file_in::WRITE_SETTINGS(); }
};

}  // namespace

class StartupTest : public QObject {
  Q_OBJECT
 private slots:
  // What a technician may meet at start-up: the settings file, the controller, the chooser (keys typed, "close"; else
  // ACCEPT as it shows) or a port given beforehand (velta --port N: neither the chooser nor the question). Then: the
  // messages, the wire, velta.ini, what the chooser and the window's com_port showed, the number, the lower limit.
  void start_up() {
    const QString read = " | 12° 12", unread = " | ??? ???", unreadable = "The port number stored in velta.ini could "
        "not be read (the file cannot be read or its first line is not a number). Please choose the port.|";
    const QString e300 = "|ERROR OPENING COM PORT # 300", timeout = "|cmd %1, Communication timeout on <header>";
    const struct { int port; QByteArray file; const char *fault, *chooser; QString messages; QByteArray wire,
                   stored; QString shown; } cases[] = {
        {1, "<none>", "", "", CONNECT, PROBE, " 1 \r\n", "1 1 | 1 1" + read},
        {1, "COM1\r\n", "", "", unreadable + CONNECT, PROBE, " 1 \r\n", "1 1 | 1 1" + read},
        {5, " 3 \r\n", "", "05", CONNECT, PROBE, " 5 \r\n", "3 3 > 05 05 | 5 5" + read},  // 05 comes back as 5
        {2, " 2 \r\n", "", "70000", "The port number 70000 is not valid: it must lie from -32768 to 32767. The port "
         "number 2 is kept.|" + CONNECT, PROBE, " 2 \r\n", "2 2 > 70000 70000 > refused 2 2 | 2 2" + read},
        {1, " 1 \r\n", "", "close", "", "", " 1 \r\n", "1 1 | 1 1" + unread + " | ended"},
        {1, "<none>", "silence", "", CONNECT + timeout.arg('S'), frame('S'), " 1 \r\n", "1 1 | 1 1" + unread},
        {1, " 300 \r\n", "", "", CONNECT + e300 + e300, "", " 300 \r\n", "300 300 | 300 300" + unread},
        {1, "<none>", "silence for=V", "", CONNECT + timeout.arg('V'), PROBE.chopped(4), " 1 \r\n", "1 1 | 1 1" + unread},
        {2, " 7 \r\n", "", "given", "", PROBE, " 7 \r\n", "no chooser | 2 2" + read},
    };
    for (const auto& c : cases) {
      Bench b({}, c.port, false);
      myVar::com_port_number = 1, b.setReplyPeriod(300), b.sim().set("lower_limit", "12");  // a program just started
      if (c.file != "<none>") put_settings_file(c.file);
      if (*c.fault) b.sim().fault(c.fault);
      if (QString(c.chooser) == "given") b.w().given_port = c.port;
      QString shown = "no chooser";
      later(50, [&] {
        quale_com* chooser = quale_com_form();
        if (!chooser) return;
        const auto both = [&] { return chooser->com_port->text() + " " + b.w().com_port->text(); };
        shown = both();
        if (QString(c.chooser) == "close") return (void)chooser->close();
        if (*c.chooser) QTest::keyClicks(chooser->com_port, c.chooser), shown += " > " + both();  // over the number
        click(chooser->continue_button);
        if (!myVar::port_accepted) shown += " > refused " + both(), click(chooser->continue_button);
      });
      b.w().Form_Load();
      QCOMPARE(b.msgs().texts().join('|'), c.messages);
      QCOMPARE(b.sim().received() + "|" + settings_file(), c.wire + "|" + c.stored);
      QCOMPARE(shown + " | " + b.w().com_port->text() + " " + QString::number(myVar::com_port_number) + " | " +
                   b.w().read_lower_limit->text() + " " + b.w().lower_limit->text() + (b.w().end_requested ? " | ended" : ""),
               c.shown);
      QVERIFY(!myVar::fill_set_fields && !myVar::configure_port && !(quale_com_form() && quale_com_form()->isVisible()));
    }
  }

  // Closing is refused while the monitor runs; the calibration window closes and the number is stored all the same.
  void shutdown() {
    Bench b({}, 1, false);
    b.w().show(), b.w().calib_Click(), b.w().com_port->setText("4"), b.w().cmd_monitor->setText("STOP");
    QVERIFY(!b.w().close());
    QTRY_COMPARE(calibration_form(), nullptr);
    const QByteArray stored = settings_file();
    b.w().com_port->setText("7"), b.w().cmd_monitor->setText("START...");
    QVERIFY(b.w().close());
    QCOMPARE(b.msgs().texts().join('|') + stored + settings_file(),
             "Please STOP the COMMUNICATION MONITOR before to exit. 4 \r\n 7 \r\n");
  }

  // A whole session as the entry point runs it, the port accepted at the chooser, on a decimal-comma desktop: numbers
  // go in and out with a point. Closed while an exchange waits, the program ends once that exchange has ended,
  // quietly: no box is left behind without its window.
  void session_on_a_decimal_comma_desktop() {
    QVERIFY2(std::setlocale(LC_ALL, "it_IT.UTF-8"), "locale it_IT.UTF-8 is missing: bash scripts/setup.sh generates it");
    QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
    SimProcess sim;
    const QString old = QDir::currentPath();
    QDir::setCurrent(sim.dir());
    for (const char* pwm : {"pwm_a 1", "pwm_b 2", "pwm_c 1"}) sim.control(QString("set ") + pwm);
    MsgCapture msgs;
    QString shown;
    Script script{[] { if (velta_exists()) QTimer::singleShot(100, [] { if (velta_exists()) velta_form().close(); }); }};
    script.when("chooser", [] { return quale_com_form() && quale_com_form()->isVisible(); },
                [] { click_later(quale_com_form()->continue_button); });
    script.when("window: look, type 2.5 s, write", [] { return velta_exists() && velta_form().isVisible(); }, [&] {
      velta& w = velta_form();
      shown = w.read_pwm_max_duty->text() + " " + w.pwm_max_duty->text();
      w.inv_delay->selectAll(), QTest::keyClick(w.inv_delay, Qt::Key_Backspace), QTest::keyClicks(w.inv_delay, "2.5");
      msgs.answer(QMessageBox::Yes), sim.received(), click_later(w.write_mode);
    }, 15000);
    script.when("written", [] { return velta_form().write_mode->isEnabled(); }, [&sim] {
      sim.fault("silence"), click_later(velta_form().read_info), QTimer::singleShot(300, [] { velta_form().close(); });
    }, 15000);
    script.start();
    const int status = RUN_PROGRAM(*qApp);
    std::setlocale(LC_ALL, "C"), QLocale::setDefault(QLocale::c()), QDir::setCurrent(old);
    QCOMPARE(QStringList({QString::number(status), shown}) + msgs.texts(),
             (QStringList{"0", "33.3333333333333% 33.3333333333333", CONNECT, QUESTION}));
    QCOMPARE(sim.received(), frame('S') + frame('W') + "1\r0\r500\r1524\r1\r1\r2\r10\r1\r1\r1829\r0\r0\r2\r3049\r" + frame('L'));
    QVERIFY(!QApplication::windowIcon().pixmap(32).isNull());  // the program's own icon in the task bar
  }

  // Typed into com_port, stored (a half to the even neighbour; the file replaced, never added to) and read back; a
  // number no port can have is refused, the stored file kept whole.
  void settings_stored_as_typed() {
    const QByteArray before = " 4 \r\nold second line\r\n";
    const std::pair<const char*, const char*> cases[] = {
        {"03", " 3 "}, {"  12 ", " 12 "}, {"12a", " 12 "}, {"abc", " 0 "},  {"2.5", " 2 "},  {"3.5", " 4 "},
        {"-3", "-3 "}, {"32767", " 32767 "}, {"70000", ""}, {"-32769", ""}, {"1e300", ""}};
    for (const auto& [typed, stored] : cases) {
      Scratch d;
      put_settings_file(before), file_in::READ_SETTINGS();  // 4 is the number kept
      const bool refused = d.store(typed);
      d.w.com_port->setText("junk"), file_in::READ_SETTINGS();
      QCOMPARE(QString::number(refused) + " " + settings_file() + d.msgs.texts().join('|') + " > " + d.w.com_port->text() +
                   " " + QDir().entryList(QDir::Files | QDir::Hidden).join(' '),
               *stored ? "0 " + QString(stored) + "\r\n > " + QString(stored).trimmed() + " velta.ini"
                       : "1 " + before + "The port number " + typed + " is not valid: it must lie from -32768 to 32767. "
                         "The port number 4 is kept. > 4 velta.ini");
    }
  }

  void settings_files_as_found() {
    using S = file_in::Settings;
    const std::tuple<QByteArray, S, const char*> cases[] = {
        {" 4 \r\n 9 \r\nrubbish\r\n", S::read, "4"}, {"5", S::read, "5"}, {" 7 \n8\n", S::read, "7"},
        {"3.50\r\n", S::read, "3.5"}, {"1\rX2\r\n", S::read, "12"}, {"", S::unreadable, "1"}, {"3x\r\n", S::unreadable, "1"},
        {"\r\n5\r\n", S::unreadable, "1"}, {"<none>", S::missing, "1"}, {"<folder>", S::unreadable, "1"}};
    for (const auto& [file, result, shown] : cases) {
      Scratch d;
      if (file == "<folder>") QVERIFY(QDir().mkdir("velta.ini"));
      else if (file != "<none>") put_settings_file(file);
      QCOMPARE((std::pair{file_in::READ_SETTINGS(), d.w.com_port->text()}), std::pair(result, QString(shown)));
    }
  }

  // In a folder this user may not write, a file he may write is written in place; when he may write neither, the
  // number holds for this run, told once.
  void settings_in_a_folder_this_user_may_not_write() {
    const auto r = QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther, w = QFile::WriteOwner | QFile::WriteGroup;
    for (bool file_writable : {true, false}) {
      Scratch d;
      put_settings_file(" 5 \r\n");
      QVERIFY(QFile::setPermissions("velta.ini", file_writable ? r | w | QFile::WriteOther : r));
      QVERIFY(QFile::setPermissions(d.dir.path(), r | QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther));
      const bool as_root = geteuid() == 0;  // root writes anywhere: checked as an ordinary user
      if (as_root) QCOMPARE(seteuid(65534), 0);
      const bool refused = d.store("8") || d.store("9");
      if (as_root) QCOMPARE(seteuid(0), 0);
      QFile::setPermissions(d.dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
      QCOMPARE(QString::number(refused) + QString::number(myVar::com_port_number) + settings_file() + d.msgs.texts().join('|'),
               "09" + (file_writable ? QString(" 9 \r\n")
                                       : " 5 \r\nThe settings file velta.ini cannot be written in " + QDir::currentPath() +
                                             ": the port number 8 holds for this run only."));
    }
  }
};

VELTA_TEST_MAIN(StartupTest)
#include "test_startup.moc"
