// The settings file velta.ini: what the com_port box stores, what a stored
// file gives back, and that a bad number or an unwritable folder never costs
// the technician the program or the file.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <unistd.h>

#include "app/file_in.h"
#include "app/myVar.h"
#include "tests/harness/bench.h"
#include "ui/quale_com.h"
#include "ui/velta.h"

namespace {
// A scratch working directory with a main window in it, message boxes
// captured.
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
};
}  // namespace

class SettingsTest : public QObject {
  Q_OBJECT
 private slots:
  void typed_number_is_stored_and_read_back_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("number");
    QTest::newRow("3") << "3" << QByteArray(" 3 \r\n") << 3;
    QTest::newRow("leading zero") << "03" << QByteArray(" 3 \r\n") << 3;
    QTest::newRow("blanks around") << "  12 " << QByteArray(" 12 \r\n") << 12;
    QTest::newRow("trailing letters") << "12a" << QByteArray(" 12 \r\n") << 12;
    QTest::newRow("no number") << "abc" << QByteArray(" 0 \r\n") << 0;
    QTest::newRow("half to even, down") << "2.5" << QByteArray(" 2 \r\n") << 2;
    QTest::newRow("half to even, up") << "3.5" << QByteArray(" 4 \r\n") << 4;
    QTest::newRow("negative") << "-3" << QByteArray("-3 \r\n") << -3;
    QTest::newRow("top of range") << "32767" << QByteArray(" 32767 \r\n") << 32767;
    QTest::newRow("bottom of range") << "-32768" << QByteArray("-32768 \r\n") << -32768;
  }
  void typed_number_is_stored_and_read_back() {
    QFETCH(QString, typed);
    QFETCH(QByteArray, file);
    QFETCH(int, number);
    Desk d;
    d.w.com_port->setText(typed);
    QCOMPARE(file_in::WRITE_SETTINGS(), false);
    QCOMPARE(int(myVar::com_port_number), number);
    QCOMPARE(settings_file(), file);
    d.w.com_port->setText(QStringLiteral("junk"));
    QCOMPARE(file_in::READ_SETTINGS(), file_in::Settings::read);
    QCOMPARE(d.w.com_port->text(), QString::number(number));
    QCOMPARE(d.msgs.texts(), QStringList{});
  }

  void stored_file_is_read_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("result");  // file_in::Settings
    QTest::addColumn<QString>("shown");
    using S = file_in::Settings;
    QTest::newRow("as written") << QByteArray(" 3 \r\n") << int(S::read) << "3";
    QTest::newRow("further lines ignored") << QByteArray(" 4 \r\n 9 \r\nrubbish\r\n") << int(S::read) << "4";
    QTest::newRow("no line end") << QByteArray("5") << int(S::read) << "5";
    QTest::newRow("lone LF read as its number") << QByteArray(" 7 \n8\n") << int(S::read) << "7";
    QTest::newRow("fraction kept as read") << QByteArray("3.50\r\n") << int(S::read) << "3.5";
    QTest::newRow("CR swallows the next character") << QByteArray("1\rX2\r\n") << int(S::read) << "12";
    QTest::newRow("empty file") << QByteArray("") << int(S::unreadable) << "1";
    QTest::newRow("empty first line") << QByteArray("\r\n5\r\n") << int(S::unreadable) << "1";
    QTest::newRow("letters") << QByteArray("abc\r\n") << int(S::unreadable) << "1";
    QTest::newRow("number then letters") << QByteArray("3x\r\n") << int(S::unreadable) << "1";
    QTest::newRow("binary") << QByteArray("\x00\xff\x01", 3) << int(S::unreadable) << "1";
  }
  void stored_file_is_read() {
    QFETCH(QByteArray, file);
    QFETCH(int, result);
    QFETCH(QString, shown);
    Desk d;
    put_settings_file(file);
    QCOMPARE(int(file_in::READ_SETTINGS()), result);
    QCOMPARE(d.w.com_port->text(), shown);
  }

  void missing_or_unopenable_file() {
    Desk d;
    QCOMPARE(file_in::READ_SETTINGS(), file_in::Settings::missing);
    QVERIFY(QDir().mkdir(QStringLiteral("velta.ini")));  // a folder where the file should be
    QCOMPARE(file_in::READ_SETTINGS(), file_in::Settings::unreadable);
    QCOMPARE(d.w.com_port->text(), QStringLiteral("1"));
  }

  void read_fills_the_chooser_and_its_mirror() {
    Desk d;
    put_settings_file(" 6 \r\n");
    quale_com chooser;  // creating it reads the file
    QCOMPARE(chooser.initial_read(), file_in::Settings::read);
    QCOMPARE(chooser.com_port->text(), QStringLiteral("6"));
    QCOMPARE(d.w.com_port->text(), QStringLiteral("6"));
    chooser.com_port->setText(QString());
    QCOMPARE(d.w.com_port->text(), QString());
  }

  void number_outside_the_port_range_is_refused() {
    for (const char* typed : {"70000", "-32769", "1e300"}) {
      Desk d;
      d.w.com_port->setText(QStringLiteral("4"));
      QVERIFY(!file_in::WRITE_SETTINGS());
      d.w.com_port->setText(QString::fromLatin1(typed));
      QCOMPARE(file_in::WRITE_SETTINGS(), true);
      QCOMPARE(int(myVar::com_port_number), 4);
      QCOMPARE(settings_file(), QByteArray(" 4 \r\n"));
      QCOMPARE(d.msgs.texts(),
               QStringList{QStringLiteral("The port number %1 is not valid: it must lie from -32768 to "
                                          "32767. The port number 4 is kept.")
                               .arg(QString::fromLatin1(typed))});
    }
  }

  void replacing_the_file_leaves_nothing_else_behind() {
    Desk d;
    put_settings_file(" 9 \r\nold second line\r\n");
    d.w.com_port->setText(QStringLiteral("2"));
    file_in::WRITE_SETTINGS();
    QCOMPARE(settings_file(), QByteArray(" 2 \r\n"));
    QCOMPARE(QDir().entryList(QDir::Files | QDir::Hidden), QStringList{"velta.ini"});
  }

  // In a folder this user may not write: a file he may write is written in
  // place; when he may write neither, the number holds for this run only,
  // told once.
  void folder_this_user_may_not_write_data() {
    QTest::addColumn<bool>("file_writable");
    QTest::newRow("file writable") << true;
    QTest::newRow("file read-only too") << false;
  }
  void folder_this_user_may_not_write() {
    QFETCH(bool, file_writable);
    Desk d;
    put_settings_file(" 5 \r\n");
    const auto r_x = QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther |
                     QFile::ExeOther;
    const auto rw = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther |
                    QFile::WriteOther;
    QVERIFY(QFile::setPermissions("velta.ini", file_writable ? rw : QFile::ReadOwner | QFile::ReadOther));
    QVERIFY(QFile::setPermissions(d.dir.path(), r_x));
    // Root writes anywhere; the check is made as an ordinary user.
    const bool as_root = geteuid() == 0;
    if (as_root) QCOMPARE(seteuid(65534), 0);
    d.w.com_port->setText(QStringLiteral("8"));
    const bool refused1 = file_in::WRITE_SETTINGS();
    d.w.com_port->setText(QStringLiteral("9"));
    const bool refused2 = file_in::WRITE_SETTINGS();
    if (as_root) QCOMPARE(seteuid(0), 0);
    QFile::setPermissions(d.dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QVERIFY(!refused1 && !refused2);
    QCOMPARE(int(myVar::com_port_number), 9);
    QCOMPARE(settings_file(), QByteArray(file_writable ? " 9 \r\n" : " 5 \r\n"));
    if (file_writable) {
      QCOMPARE(d.msgs.texts(), QStringList{});
    } else {
      QCOMPARE(d.msgs.texts().size(), 1);  // told once, not at every store
      QVERIFY2(d.msgs.texts()[0].startsWith("The settings file velta.ini cannot be written in ") &&
                   d.msgs.texts()[0].endsWith(": the port number 8 holds for this run only."),
               qPrintable(d.msgs.texts()[0]));
    }
    QCOMPARE(QDir().entryList(QDir::Files | QDir::Hidden), QStringList{"velta.ini"});
  }
};

VELTA_TEST_MAIN(SettingsTest)
#include "test_settings.moc"
