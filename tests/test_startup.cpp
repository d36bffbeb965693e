// Start-up, the settings file, shutdown and whole sessions: the chooser with
// the stored number, S, V and the read on the wire, the number stored, and
// the program as its entry point runs it, on any desktop, ending with its window.
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

QStringList boxes(velta& w) {
  QStringList out;
  for (QLineEdit* e : w.findChildren<QLineEdit*>())
    if (e != w.com_port) out << e->text();
  return out;
}

// A click or typing as a person does it: from the event loop, so that the
// handler it starts runs while the script goes on looking.
void click_later(QAbstractButton* b) { QTimer::singleShot(0, b, [b] { click(b); }); }
void type(QLineEdit* box, const QString& text) {
  box->selectAll();
  QTest::keyClick(box, Qt::Key_Backspace);
  QTest::keyClicks(box, text);
}

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

// The whole program on a simulator, as its entry point runs it, the port
// accepted at the chooser; the technician's part is a script.
struct Desk {
  SimProcess sim;
  QString old = QDir::currentPath();
  MsgCapture msgs;
  Script script{[] {
    if (velta_exists()) QTimer::singleShot(100, [] { if (velta_exists()) velta_form().close(); });
  }};
  Desk() {
    QDir::setCurrent(sim.dir());
    script.when("chooser", [] { return quale_com_form() && quale_com_form()->isVisible(); },
                [] { click_later(quale_com_form()->continue_button); });
    script.when("window", [] { return velta_exists() && velta_form().isVisible(); }, [] {}, 15000);
  }
  ~Desk() { QDir::setCurrent(old); }
  int run() {
    script.start();
    return RUN_PROGRAM(*qApp);
  }
};
}  // namespace

class StartupTest : public QObject {
  Q_OBJECT
 private slots:
  // The chooser shows the stored number, mirrors every keystroke into the main
  // window, stores what ACCEPT finds; the start-up reads and fills the set.
  void chooser_mirrors_and_stores() {
    Bench b({}, 5, false);
    put_settings_file(" 3 \r\n");
    b.sim().set("lower_limit", "12");
    QStringList seen;
    later(50, [&] {
      quale_com* c = quale_com_form();
      seen << c->com_port->text() + " " + b.w().com_port->text();
      c->com_port->selectAll();
      QTest::keyClick(c->com_port, Qt::Key_Backspace);
      seen << b.w().com_port->text();
      for (const char* key : {"0", "5"}) QTest::keyClicks(c->com_port, key), seen << b.w().com_port->text();
      click(c->continue_button);
    });
    b.w().Form_Load();
    QCOMPARE(seen, (QStringList{"3 3", "", "0", "05"}));
    QCOMPARE(b.msgs().texts(), QStringList{CONNECT});
    QCOMPARE(b.sim().received(), PROBE);
    QCOMPARE(settings_file(), QByteArray(" 5 \r\n"));  // 05 comes back as 5
    QCOMPARE(b.w().com_port->text() + " " + QString::number(myVar::com_port_number), QString("5 5"));
    QCOMPARE(b.w().read_lower_limit->text() + " " + b.w().lower_limit->text(), QString("12° 12"));
    QVERIFY(!myVar::fill_set_fields && !myVar::configure_port && !quale_com_form()->isVisible());
  }

  // What a technician may meet: the settings file, the controller, what is
  // done at the chooser ("" accepts what it shows). Messages split at "|".
  void start_up() {
    const QString unreadable = "The port number stored in velta.ini could not be read (the file cannot be read or its "
                               "first line is not a number). Please choose the port.|";
    const QString e300 = "|ERROR OPENING COM PORT # 300";
    const struct { int port; QByteArray file; const char* fault; const char* chooser; QString messages; QByteArray wire; } cases[] = {
        {1, "<none>", "", "", CONNECT, PROBE},
        {1, "COM1\r\n", "", "", unreadable + CONNECT, PROBE},
        {2, " 2 \r\n", "", "70000",
         "The port number 70000 is not valid: it must lie from -32768 to 32767. The port number 2 is kept.|" + CONNECT, PROBE},
        {1, " 1 \r\n", "", "close", "", ""},
        {1, "<none>", "silence", "", CONNECT + "|cmd S, Communication timeout on <header>", frame('S')},
        {1, " 300 \r\n", "", "", CONNECT + e300 + e300, ""},
        {1, "<none>", "silence for=V", "", CONNECT + "|cmd V, Communication timeout on <header>", frame('S') + frame('V')}};
    for (const auto& c : cases) {
      Bench b({}, c.port, false);
      myVar::com_port_number = 1;  // as in a program just started
      b.setReplyPeriod(300);
      if (c.file != "<none>") put_settings_file(c.file);
      if (*c.fault) b.sim().fault(c.fault);
      const QStringList design = boxes(b.w());
      QString after_refusal;
      later(50, [&] {
        quale_com* chooser = quale_com_form();
        if (QString(c.chooser) == "close") return (void)chooser->close();
        if (*c.chooser) {
          chooser->com_port->setText(c.chooser);
          click(chooser->continue_button);
          after_refusal = chooser->com_port->text() + (myVar::port_accepted ? " accepted" : " waiting");
        }
        click(chooser->continue_button);
      });
      b.w().Form_Load();
      QCOMPARE(b.msgs().texts().join('|'), c.messages);
      QCOMPARE(b.sim().received(), c.wire);
      QCOMPARE(settings_file(), c.file == "<none>" ? QByteArray(" 1 \r\n") : c.file == "COM1\r\n" ? " 1 \r\n" : c.file);
      QCOMPARE(b.w().end_requested, QString(c.chooser) == "close");
      if (*c.chooser == '7') QCOMPARE(after_refusal, QString("2 waiting"));
      if (c.wire.size() < PROBE.size()) QCOMPARE(boxes(b.w()), design);
    }
  }

  // velta --port N: neither the chooser nor the question; the number is
  // shown and probed, and closing stores it as any number shown.
  void start_on_a_given_port() {
    Bench b({}, 2, false);
    put_settings_file(" 7 \r\n");
    myVar::com_port_number = 1;  // as in a program just started
    b.w().given_port = 2;
    b.w().Form_Load();
    QCOMPARE(b.msgs().texts(), QStringList());
    QCOMPARE(b.sim().received(), PROBE);
    QCOMPARE(b.w().com_port->text() + " " + QString::number(myVar::com_port_number), QString("2 2"));
    QVERIFY(b.w().close());
    QCOMPARE(settings_file(), QByteArray(" 2 \r\n"));
  }

  // Closing is refused while the monitor runs (its state is its caption);
  // the calibration window closes and the number is stored all the same.
  void shutdown() {
    Bench b({}, 1, false);
    b.w().show();
    b.w().calib_Click();
    b.w().com_port->setText("4");
    b.w().cmd_monitor->setText("STOP");
    QVERIFY(!b.w().close());
    QCOMPARE(b.msgs().texts(), QStringList{"Please STOP the COMMUNICATION MONITOR before to exit."});
    QTRY_COMPARE(calibration_form(), nullptr);
    QCOMPARE(settings_file(), QByteArray(" 4 \r\n"));
    b.w().cmd_monitor->setText("START...");
    b.w().com_port->setText("7");
    QVERIFY(b.w().close());
    QCOMPARE(settings_file(), QByteArray(" 7 \r\n"));
  }

  // On a decimal-comma desktop numbers go in and out with a point.
  void session_on_a_decimal_comma_desktop() {
    QVERIFY2(std::setlocale(LC_ALL, "it_IT.UTF-8"), "locale it_IT.UTF-8 is missing: bash scripts/setup.sh generates it");
    QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
    Desk d;
    for (const char* pwm : {"pwm_a 1", "pwm_b 2", "pwm_c 1"}) d.sim.control(QString("set ") + pwm);
    QString shown;
    d.script.after(0, "look, type 2.5 s, write", [&] {
      velta& w = velta_form();
      shown = w.read_pwm_max_duty->text() + " " + w.pwm_max_duty->text();
      type(w.inv_delay, "2.5");
      d.msgs.answer(QMessageBox::Yes);
      d.sim.received();
      click_later(w.write_mode);
    });
    d.script.when("written", [] { return velta_form().write_mode->isEnabled(); }, [] { velta_form().close(); }, 15000);
    QCOMPARE(d.run(), 0);
    std::setlocale(LC_ALL, "C");
    QLocale::setDefault(QLocale::c());
    QCOMPARE(shown, QString("33.3333333333333% 33.3333333333333"));
    QCOMPARE(d.msgs.texts(), (QStringList{CONNECT, QUESTION}));
    QCOMPARE(d.sim.received(), frame('S') + frame('W') + "1\r0\r500\r1524\r1\r1\r2\r10\r1\r1\r1829\r0\r0\r2\r3049\r");
  }

  // Closed while an exchange waits, the program ends once that exchange has
  // ended, quietly: no box is left behind without its window.
  void closing_while_an_exchange_waits_ends_the_program() {
    Desk d;
    d.script.after(0, "cmd L to a silent controller, then close", [&d] {
      d.sim.fault("silence");
      click_later(velta_form().read_info);
      QTimer::singleShot(300, [] { velta_form().close(); });
    });
    QCOMPARE(d.run(), 0);
    QCOMPARE(d.msgs.texts(), QStringList{CONNECT});
    QVERIFY(!velta_exists());
    QVERIFY(!QApplication::windowIcon().pixmap(32).isNull());  // the program's own icon in the task bar
  }

  // Typed into com_port, stored (a half to the even neighbour) and read back;
  // a number no port can have is refused, the stored file kept whole.
  void settings_stored_as_typed() {
    const QByteArray before = " 4 \r\nold second line\r\n";
    const std::pair<const char*, const char*> cases[] = {
        {"03", " 3 "}, {"  12 ", " 12 "}, {"12a", " 12 "}, {"abc", " 0 "},  {"2.5", " 2 "},  {"3.5", " 4 "},
        {"-3", "-3 "}, {"32767", " 32767 "}, {"70000", ""}, {"-32769", ""}, {"1e300", ""}};
    for (const auto& [typed, stored] : cases) {
      Scratch d;
      put_settings_file(before);
      QCOMPARE(file_in::READ_SETTINGS(), file_in::Settings::read);
      QCOMPARE(d.store(typed), !*stored);
      QCOMPARE(settings_file(), *stored ? QByteArray(stored) + "\r\n" : before);
      const QString refused = QString("The port number %1 is not valid: it must lie from -32768 to 32767. The port "
                                      "number 4 is kept.").arg(typed);
      QCOMPARE(d.msgs.texts(), *stored ? QStringList{} : QStringList{refused});
      d.w.com_port->setText("junk");
      QCOMPARE(file_in::READ_SETTINGS(), file_in::Settings::read);
      QCOMPARE(d.w.com_port->text(), *stored ? QString(stored).trimmed() : "4");
      QCOMPARE(QDir().entryList(QDir::Files | QDir::Hidden), QStringList{"velta.ini"});  // replaced, not added to
    }
  }

  void settings_files_as_found() {
    using S = file_in::Settings;
    const std::tuple<QByteArray, S, const char*> cases[] = {
        {" 4 \r\n 9 \r\nrubbish\r\n", S::read, "4"}, {"5", S::read, "5"},    {" 7 \n8\n", S::read, "7"},
        {"3.50\r\n", S::read, "3.5"},  {"1\rX2\r\n", S::read, "12"}, {"", S::unreadable, "1"},
        {"\r\n5\r\n", S::unreadable, "1"}, {"3x\r\n", S::unreadable, "1"}, {"<none>", S::missing, "1"},
        {"<folder>", S::unreadable, "1"}};
    for (const auto& [file, result, shown] : cases) {
      Scratch d;
      if (file == "<folder>") QVERIFY(QDir().mkdir("velta.ini"));
      else if (file != "<none>") put_settings_file(file);
      QCOMPARE(file_in::READ_SETTINGS(), result);
      QCOMPARE(d.w.com_port->text(), QString(shown));
    }
  }

  // In a folder this user may not write, a file he may write is written in
  // place; when he may write neither, the number holds for this run, told once.
  void settings_in_a_folder_this_user_may_not_write() {
    for (bool file_writable : {true, false}) {
      Scratch d;
      put_settings_file(" 5 \r\n");
      const auto r = QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther;
      const auto w = QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;
      QVERIFY(QFile::setPermissions("velta.ini", file_writable ? r | w : r));
      QVERIFY(QFile::setPermissions(d.dir.path(), r | QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther));
      const bool as_root = geteuid() == 0;  // root writes anywhere: checked as an ordinary user
      if (as_root) QCOMPARE(seteuid(65534), 0);
      const bool refused = d.store("8") || d.store("9");
      if (as_root) QCOMPARE(seteuid(0), 0);
      QFile::setPermissions(d.dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
      QVERIFY(!refused && myVar::com_port_number == 9);
      QCOMPARE(settings_file(), QByteArray(file_writable ? " 9 \r\n" : " 5 \r\n"));
      const QString told = QString("The settings file velta.ini cannot be written in %1: the port number 8 holds "
                                   "for this run only.").arg(QDir::currentPath());
      QCOMPARE(d.msgs.texts(), file_writable ? QStringList{} : QStringList{told});
    }
  }
};

VELTA_TEST_MAIN(StartupTest)
#include "test_startup.moc"
