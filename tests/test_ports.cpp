// Choosing the device behind a port number: the links of ports/, the
// chooser's device list and its ACCEPT, and the command-line options that do
// the same from a script without a display.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include "app/myVar.h"
#include "serial/port_links.h"
#include "tests/harness/bench.h"
#include "ui/quale_com.h"

#ifndef VELTA_PATH
#error "VELTA_PATH must name the program"
#endif

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
    put("plain.txt", "file");
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
  void link_rules() {
    // What stood at ports/com<port>, the device asked for, the refusal, what stands after.
    const struct { const char* name; int port; const char *before, *device, *refused, *after; } cases[] = {
        {"create", 1, "none", "/dev/null", "", "-> /dev/null"},
        {"replace a link", 1, "-> /nowhere", "/dev/full", "", "-> /dev/full"},
        {"stable name", 1, "none", "/dev/zero", "", "-> DIR/by-id/usb-Maker_Adapter_X1-if00-port0"},
        {"remove", 1, "-> /dev/null", "(default)", "", "none"},
        {"file not replaced", 1, "file", "/dev/null", "ports/com1 is a file", "file"},
        {"folder not replaced", 1, "folder", "/dev/null", "ports/com1 is a folder", "folder"},
        {"not a device", 1, "-> /dev/null", "plain.txt", "not a serial device", "-> /dev/null"},
        {"missing device", 1, "none", "/dev/no-such-tty", "cannot be linked", "none"},
        {"number 256", 256, "none", "/dev/null", "from 1 to 255", "none"},
    };
    for (const auto& c : cases) {
      Folder f;
      const QString entry = QStringLiteral("ports/com%1").arg(c.port), tag = QString(c.name) + ": ";
      f.put(entry, c.before);
      const QString why = QString(c.device) == "(default)"
                              ? port_links::UNLINK_PORT(c.port)
                              : port_links::LINK_PORT(c.port, c.device, f.dir.filePath("by-id"));
      QVERIFY2(*c.refused ? why.contains(c.refused) : why.isEmpty(), qPrintable(tag + why));
      QCOMPARE(tag + f.state(entry), tag + c.after);
      // Nothing half-made is left beside the entries.
      const QStringList left =
          QDir("ports").entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot);
      QCOMPARE(tag + left.join(' '), tag + (QString(c.after) == "none" ? "com3" : "com1 com3"));
    }
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
    };
    for (const auto& [n, texts] : cases) {
      QStringList got;
      for (const port_links::ListEntry& e : port_links::DEVICE_LIST(n, ports, denied)) got << e.text;
      QCOMPARE(got, texts);
    }
    const std::vector<port_links::ListEntry> list = port_links::DEVICE_LIST(1, ports, denied);
    QCOMPARE(list[1].device, ports[0].by_id);  // an adapter is linked by its stable name
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

  void command_line() {
    // Arguments, what stood at ports/com2, exit status, printed, what stands there after.
    const struct { QStringList args; const char* before; int status; const char *printed, *after; } cases[] = {
        {{"--help"}, "none", 0, "--link-port N DEVICE", "none"},
        {{"--list-ports"}, "-> /dev/null", 0, "2 -> /dev/null\n3 -> /dev/null\n", "-> /dev/null"},
        {{"--link-port", "2", "/dev/null"}, "none", 0, "ports/com2 -> /dev/null", "-> /dev/null"},
        {{"--link-port", "0", "/dev/null"}, "none", 2, "", "none"},
        {{"--link-port", "2", "/dev/null"}, "file", 2, "", "file"},
        {{"--link-port", "2"}, "none", 2, "", "none"},
        {{"--list-ports", "--frobnicate"}, "none", 2, "", "none"},
        {{"--tracking-server", "4533", "--help"}, "none", 0, "--tracking-server [HOST:]PORT", "none"},
    };
    // No display of any kind: an option that touched one would fail here.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) env.remove(name);
    for (const auto& c : cases) {
      Folder f;
      f.put("ports/com2", c.before);
      QProcess velta;
      velta.setProcessEnvironment(env);
      velta.start(VELTA_PATH, c.args);
      QVERIFY(velta.waitForFinished(20000));
      const QString tag = c.args.join(' ') + ": ";
      const QString out = velta.readAllStandardOutput(), err = velta.readAllStandardError();
      QCOMPARE(tag + QString::number(velta.exitCode()), tag + QString::number(c.status));
      QVERIFY2(out.contains(c.printed), qPrintable(tag + out));
      if (c.status) QVERIFY2(out.isEmpty() && err.count('\n') == 1 && err.startsWith("velta: "), qPrintable(tag + err));
      QCOMPARE(tag + f.state("ports/com2"), tag + c.after);
    }
  }
};

VELTA_TEST_MAIN(TestPorts)
#include "test_ports.moc"
