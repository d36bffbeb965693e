// Choosing the device behind a port number: the links of ports/, the
// chooser's device list and its ACCEPT, and the command-line options that do
// the same from a script without a display.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <unistd.h>

#include "app/myVar.h"
#include "serial/port_links.h"
#include "tests/harness/bench.h"
#include "ui/quale_com.h"

#ifndef VELTA_PATH
#error "VELTA_PATH must name the program"
#endif

using port_links::ListEntry;
using Pick = ListEntry::Pick;

namespace {
// A scratch settings folder, entered for the test: a plain file, a folder
// of stable names holding one for /dev/zero, ports/com3 linked by hand.
struct Folder {
  QTemporaryDir dir;
  QString old = QDir::currentPath();
  Folder() {
    QDir::setCurrent(dir.path());
    QDir().mkpath("ports");
    QDir().mkpath("by-id");
    QFile plain("plain.txt");
    plain.open(QIODevice::WriteOnly);
    plain.write("x");
    QFile::link("/dev/zero", "by-id/usb-Maker_Adapter_X1-if00-port0");
    QFile::link("/dev/null", "ports/com3");
  }
  ~Folder() { QDir::setCurrent(old); }
  // What stands at `entry`, with the settings folder written as "DIR".
  QString state(const QString& entry) const {
    const QFileInfo info(entry);
    if (info.isSymLink()) return "-> " + info.symLinkTarget().replace(dir.path(), "DIR");
    return info.isDir() ? "folder" : info.isFile() ? "file" : "none";
  }
  void put(const QString& entry, const QString& what) const {
    if (what == "file") QFile(entry).open(QIODevice::WriteOnly);
    if (what == "folder") QDir().mkpath(entry);
    if (what.startsWith("-> ")) QFile::link(what.mid(3), entry);
  }
};
}  // namespace

class TestPorts : public QObject {
  Q_OBJECT
 private slots:
  void link_rules_data() {
    for (const char* c : {"port", "before", "device", "refused", "after"}) QTest::addColumn<QString>(c);
    QTest::newRow("create") << "1" << "none" << "/dev/null" << "" << "-> /dev/null";
    QTest::newRow("replace") << "1" << "-> /dev/null" << "/dev/full" << "" << "-> /dev/full";
    QTest::newRow("replace a dangling link") << "1" << "-> /nowhere" << "/dev/null" << "" << "-> /dev/null";
    QTest::newRow("stable name") << "1" << "none" << "/dev/zero" << ""
                                 << "-> DIR/by-id/usb-Maker_Adapter_X1-if00-port0";
    QTest::newRow("remove") << "1" << "-> /dev/null" << "(default)" << "" << "none";
    QTest::newRow("remove nothing") << "1" << "none" << "(default)" << "" << "none";
    QTest::newRow("file not replaced") << "1" << "file" << "/dev/null" << "ports/com1 is a file" << "file";
    QTest::newRow("file not removed") << "1" << "file" << "(default)" << "ports/com1 is a file" << "file";
    QTest::newRow("folder not replaced") << "1" << "folder" << "/dev/null" << "ports/com1 is a folder" << "folder";
    QTest::newRow("not a device") << "1" << "-> /dev/null" << "plain.txt" << "not a serial device" << "-> /dev/null";
    QTest::newRow("missing device") << "1" << "none" << "/dev/no-such-tty" << "cannot be linked" << "none";
    QTest::newRow("number 0") << "0" << "none" << "/dev/null" << "from 1 to 255" << "none";
    QTest::newRow("number 256") << "256" << "none" << "/dev/null" << "from 1 to 255" << "none";
  }
  void link_rules() {
    QFETCH(QString, port);
    QFETCH(QString, before);
    QFETCH(QString, device);
    QFETCH(QString, refused);
    QFETCH(QString, after);
    Folder f;
    const QString entry = "ports/com" + port;
    f.put(entry, before);
    const QString why = device == "(default)" ? port_links::UNLINK_PORT(port.toInt())
                                              : port_links::LINK_PORT(port.toInt(), device, f.dir.filePath("by-id"));
    QVERIFY2(refused.isEmpty() ? why.isEmpty() : why.contains(refused), qPrintable(why));
    QCOMPARE(f.state(entry), after);
    // Nothing half-made is left beside the entries.
    QStringList expected{"com3"};
    if (after != "none") expected.prepend(entry.mid(6));
    QCOMPARE(QDir("ports").entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot), expected);
  }

  void list_follows_the_port_and_its_link() {
    Folder f;
    QFile::link("/nowhere", "ports/com4");
    const std::vector<port_links::PortDescription> ports{
        {"/dev/ttyUSB0", "FT232R USB UART", "FTDI", "A50285BI", "/dev/serial/by-id/usb-FTDI_A50285BI-if00-port0"},
        {"/dev/null", "Null adapter", "", "", ""},
        {"/dev/ttyS0", "", "", "", ""}};
    const auto denied = [](const QString& path) { return path == "/dev/ttyS0"; };
    const QString no_perm = " (no permission: add yourself to the group dialout)";
    const QStringList devices{"/dev/ttyUSB0 (FT232R USB UART, FTDI, A50285BI) as by-id/usb-FTDI_A50285BI-if00-port0",
                              "/dev/null (Null adapter)", "/dev/ttyS0" + no_perm};
    const std::pair<int, QStringList> cases[] = {
        {1, QStringList{"/dev/ttyS0 (default)" + no_perm} + devices},
        {3, QStringList{"ports/com3 -> /dev/null (Null adapter)"} + devices + QStringList{"/dev/ttyS2 (default)"}},
        {4, QStringList{"ports/com4 -> /nowhere (missing)"} + devices + QStringList{"/dev/ttyS3 (default)"}},
        {0, {"no device for this number"}},
        {256, {"/dev/ttyS255 (default)"}},
    };
    for (const auto& [n, texts] : cases) {
      const std::vector<ListEntry> list = port_links::DEVICE_LIST(n, ports, denied);
      QStringList got;
      for (const ListEntry& e : list) got << e.text;
      QCOMPARE(got, texts);
      QCOMPARE(list.front().pick, Pick::keep);
    }
    const std::vector<ListEntry> list = port_links::DEVICE_LIST(1, ports, denied);
    QCOMPARE(list[1].device, ports[0].by_id);  // an adapter is linked by its stable name
    QCOMPARE(list[2].device, QStringLiteral("/dev/null"));
    QCOMPARE(port_links::OPENS_NOW(3), QStringLiteral("ports/com3 -> /dev/null"));
  }

  void accept_links_the_pick_or_stays_to_correct_it() {
    Folder f;
    MsgCapture msgs;
    velta w;
    quale_com chooser;
    chooser.SHOW_DEVICES({{"/dev/null", "Null adapter", "", "", ""}});
    const auto accept = [&](const QString& number, int pick) {
      myVar::port_accepted = false;
      chooser.com_port->setText(number);
      chooser.device_list->setCurrentIndex(pick < 0 ? chooser.device_list->count() + pick : pick);
      QTest::mouseClick(chooser.continue_button, Qt::LeftButton);
    };
    accept("2", 1);
    QVERIFY(myVar::port_accepted);
    QCOMPARE(f.state("ports/com2"), QStringLiteral("-> /dev/null"));
    QCOMPARE(chooser.device_list->itemText(0), QStringLiteral("ports/com2 -> /dev/null (Null adapter)"));
    QCOMPARE(settings_file(), QByteArray(" 2 \r\n"));
    f.put("ports/com5", "file");
    accept("5", 1);
    QVERIFY(!myVar::port_accepted);
    QCOMPARE(msgs.texts().size(), 1);
    QVERIFY(msgs.texts()[0].startsWith("ports/com5 is a file"));
    QCOMPARE(f.state("ports/com5"), QStringLiteral("file"));
    QCOMPARE(settings_file(), QByteArray(" 2 \r\n"));
    // The pick stays while the number is corrected; "(default)" takes the link away.
    chooser.com_port->setText("3");
    QCOMPARE(chooser.device_picked().device, QStringLiteral("/dev/null"));
    accept("3", -1);
    QVERIFY(myVar::port_accepted);
    QCOMPARE(f.state("ports/com3"), QStringLiteral("none"));
    QCOMPARE(settings_file(), QByteArray(" 3 \r\n"));
  }

  void command_line_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("com2_before");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("printed");
    QTest::addColumn<QString>("com2_after");
    QTest::newRow("help") << QStringList{"--help"} << "none" << 0 << "--link-port N DEVICE" << "none";
    QTest::newRow("list") << QStringList{"--list-ports"} << "-> /dev/null" << 0 << "2 -> /dev/null\n3 -> /dev/null\n"
                          << "-> /dev/null";
    QTest::newRow("link") << QStringList{"--link-port", "2", "/dev/null"} << "none" << 0 << "ports/com2 -> /dev/null"
                          << "-> /dev/null";
    QTest::newRow("not a device") << QStringList{"--link-port", "2", "plain.txt"} << "none" << 2 << "" << "none";
    QTest::newRow("number 0") << QStringList{"--link-port", "0", "/dev/null"} << "none" << 2 << "" << "none";
    QTest::newRow("no number") << QStringList{"--link-port", "x", "/dev/null"} << "none" << 2 << "" << "none";
    QTest::newRow("file in the way") << QStringList{"--link-port", "2", "/dev/null"} << "file" << 2 << "" << "file";
    QTest::newRow("missing device") << QStringList{"--link-port", "2"} << "none" << 2 << "" << "none";
    QTest::newRow("unknown") << QStringList{"--list-ports", "--frobnicate"} << "none" << 2 << "" << "none";
  }
  void command_line() {
    QFETCH(QStringList, args);
    QFETCH(QString, com2_before);
    QFETCH(int, status);
    QFETCH(QString, printed);
    QFETCH(QString, com2_after);
    Folder f;
    f.put("ports/com2", com2_before);
    QProcess velta;
    // No display of any kind: an option that touched one would fail here.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) env.remove(name);
    velta.setProcessEnvironment(env);
    velta.start(VELTA_PATH, args);
    QVERIFY(velta.waitForFinished(20000));
    const QString out = velta.readAllStandardOutput(), err = velta.readAllStandardError();
    QCOMPARE(velta.exitStatus(), QProcess::NormalExit);
    QCOMPARE(velta.exitCode(), status);
    QVERIFY2(out.contains(printed), qPrintable(out));
    if (status != 0) QVERIFY2(out.isEmpty() && err.count('\n') == 1 && err.startsWith("velta: "), qPrintable(err));
    QCOMPARE(f.state("ports/com2"), com2_after);
  }
};

VELTA_TEST_MAIN(TestPorts)
#include "test_ports.moc"
