// The settings file velta.ini: what the com_port box stores, what a stored
// file gives back, and that a bad number or a folder this user may not write
// never costs the technician the program or the file.
#include <QTemporaryDir>
#include <QTest>
#include <unistd.h>

#include "app/file_in.h"
#include "app/myVar.h"
#include "tests/harness/bench.h"

namespace {
// A scratch working directory with a main window in it, message boxes captured.
struct Desk {
  QTemporaryDir dir;
  QString old = QDir::currentPath();
  MsgCapture msgs;
  velta w;
  Desk() {
    QDir::setCurrent(dir.path());
    myVar::com_port_number = 1;
    file_in::RESET_WRITE_WARNING();
  }
  ~Desk() { QDir::setCurrent(old); }
  bool store(const QString& typed) {
    w.com_port->setText(typed);
    return file_in::WRITE_SETTINGS();
  }
};
}  // namespace

class SettingsTest : public QObject {
  Q_OBJECT
 private slots:
  // Typed, stored (a half goes to the even neighbour), read back as stored.
  void typed_numbers() {
    const std::pair<const char*, const char*> cases[] = {{"03", " 3 "},  {"  12 ", " 12 "}, {"12a", " 12 "},
                                                         {"abc", " 0 "}, {"2.5", " 2 "},    {"3.5", " 4 "},
                                                         {"-3", "-3 "},  {"32767", " 32767 "}};
    for (const auto& [typed, stored] : cases) {
      Desk d;
      QVERIFY(!d.store(typed));
      QCOMPARE(settings_file(), QByteArray(stored) + "\r\n");
      d.w.com_port->setText("junk");
      QCOMPARE(file_in::READ_SETTINGS(), file_in::Settings::read);
      QCOMPARE(d.w.com_port->text(), QString(stored).trimmed());
      QCOMPARE(d.msgs.texts(), QStringList{});
    }
  }

  void stored_files() {
    using S = file_in::Settings;
    const struct {
      QByteArray file;
      S result;
      const char* shown;
    } cases[] = {{" 4 \r\n 9 \r\nrubbish\r\n", S::read, "4"},  {"5", S::read, "5"},
                 {" 7 \n8\n", S::read, "7"},                     {"3.50\r\n", S::read, "3.5"},
                 {"1\rX2\r\n", S::read, "12"},                   {"", S::unreadable, "1"},
                 {"\r\n5\r\n", S::unreadable, "1"},              {"3x\r\n", S::unreadable, "1"}};
    for (const auto& c : cases) {
      Desk d;
      put_settings_file(c.file);
      QCOMPARE(file_in::READ_SETTINGS(), c.result);
      QCOMPARE(d.w.com_port->text(), QString(c.shown));
    }
    Desk d;
    QCOMPARE(file_in::READ_SETTINGS(), S::missing);
    QVERIFY(QDir().mkdir("velta.ini"));  // a folder where the file should be
    QCOMPARE(file_in::READ_SETTINGS(), S::unreadable);
  }

  // A number the port cannot have is refused; the one stored before is kept,
  // and the file is replaced as a whole or not at all.
  void refused_and_replaced() {
    for (const char* typed : {"70000", "-32769", "1e300"}) {
      Desk d;
      put_settings_file(" 4 \r\nold second line\r\n");
      QCOMPARE(file_in::READ_SETTINGS(), file_in::Settings::read);
      QVERIFY(d.store(typed));
      QCOMPARE(settings_file(), QByteArray(" 4 \r\nold second line\r\n"));
      QCOMPARE(d.msgs.texts(), QStringList{QString("The port number %1 is not valid: it must lie from -32768 to "
                                                   "32767. The port number 4 is kept.").arg(typed)});
      QVERIFY(!d.store("2"));
      QCOMPARE(settings_file(), QByteArray(" 2 \r\n"));
      QCOMPARE(QDir().entryList(QDir::Files | QDir::Hidden), QStringList{"velta.ini"});
    }
  }

  // In a folder this user may not write: a file he may write is written in
  // place; when he may write neither, the number holds for this run only,
  // told once.
  void folder_this_user_may_not_write() {
    for (bool file_writable : {true, false}) {
      Desk d;
      put_settings_file(" 5 \r\n");
      const auto r = QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther;
      const auto w = QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;
      QVERIFY(QFile::setPermissions("velta.ini", file_writable ? r | w : r));
      QVERIFY(QFile::setPermissions(d.dir.path(), r | QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther));
      const bool as_root = geteuid() == 0;  // root writes anywhere: the check is made as an ordinary user
      if (as_root) QCOMPARE(seteuid(65534), 0);
      const bool refused = d.store("8") || d.store("9");
      if (as_root) QCOMPARE(seteuid(0), 0);
      QFile::setPermissions(d.dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
      QVERIFY(!refused);
      QCOMPARE(int(myVar::com_port_number), 9);
      QCOMPARE(settings_file(), QByteArray(file_writable ? " 9 \r\n" : " 5 \r\n"));
      const QString told = QString("The settings file velta.ini cannot be written in %1: the port number 8 holds "
                                   "for this run only.").arg(QDir::currentPath());
      QCOMPARE(d.msgs.texts(), file_writable ? QStringList{} : QStringList{told});
      QCOMPARE(QDir().entryList(QDir::Files | QDir::Hidden), QStringList{"velta.ini"});
    }
  }
};

VELTA_TEST_MAIN(SettingsTest)
#include "test_settings.moc"
