// Choosing the device behind a port number: the links of ports/, the chooser's
// device list and ACCEPT, and the options that do the same from a script.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>
#include <sys/stat.h>

#include "app/myVar.h"
#include "serial/port_links.h"
#include "tests/harness/bench.h"
#include "tests/harness/design.h"
#include "ui/quale_com.h"

namespace {
const QString IN_THE_WAY = ", not a link to a device: nothing was changed (move it away first).";
}  // namespace

class TestPorts : public QObject {
  Q_OBJECT
 private slots:
  // A row: a command, what stood at ports/com<N> (N: the number given, else 2; "ports a file": no ports/ folder), what
  // came of it, what stands there after. Routines: "list" (the device lists of ports 1, 3, 4, 5, 255, 0; what port 1's
  // first device links), "link N DEVICE" (stable names from by-id/), "unlink N"; ACCEPT: "accept N PICK [FIRST]" (line
  // PICK picked at FIRST, then N; what the chooser showed, velta.ini, the messages); options, without a display: status, output.
  void links_from_the_chooser_and_the_command_line() {
    const std::vector<port_links::PortDescription> ports{
        {"/dev/ttyUSB0", "FT232R USB UART", "FTDI", "A50285BI", "/dev/serial/by-id/usb-FTDI_A50285BI-if00-port0"},
        {"/dev/null", "Null adapter", "", "", ""}, {"/dev/ttyS0", "", "", "", ""}};
    const auto denied = [](const QString& path) { return path == "/dev/ttyS0"; };
    const QString no_perm = " (no permission: add yourself to the group dialout)", range = "it must lie from 1 to 255. "
        "Nothing was changed.", devices = "\n/dev/ttyUSB0 (FT232R USB UART, FTDI, A50285BI) as by-id/usb-FTDI_A50285BI-"
        "if00-port0\n/dev/null (Null adapter)\n/dev/ttyS0" + no_perm + "\n";
    const struct { QStringList args; const char* before; QString printed; const char* after; } cases[] = {
        {{"--tracking-server", "4533", "--help"}, "none", "0 Usage: velta [OPTION]\n", "none"},  // its first line
        {{"--list-ports"}, "file", "0 2 -> (not a link)\n3 -> /dev/null\n4 -> /nowhere\n5 -> (not a link)\n", "file"},
        {{"list"}, "none", "/dev/ttyS0 (default)" + no_perm + devices + "ports/com3 -> /dev/null (Null adapter)" + devices +
         "/dev/ttyS2 (default)\nports/com4 -> /nowhere (missing)" + devices + "/dev/ttyS3 (default)\nports/com5 (not a "
         "link)" + devices + "/dev/ttyS254 (default)" + devices + "no device for this number\n" + ports[0].by_id, "none"},
        {{"--link-port", "255", "/dev/null"}, "-> /nowhere", "0 ports/com255 -> /dev/null\n", "-> /dev/null"},
        {{"--link-port", "2", "/dev/null"}, "file", "2 velta: ports/com2 is a file" + IN_THE_WAY + "\n", "file"},
        {{"--link-port", "256", "x"}, "none", "2 velta: The port number 256 cannot be given a device: " + range + "\n", "none"},
        {{"--link-port", "2x", "/dev/null"}, "none", "2 velta: 2x is not a port number: " + range + "\n", "none"},
        {{"--link-port", "2", "ports"}, "-> /dev/null",
         "2 velta: ports is not a serial device (not a character device): nothing was changed.\n", "-> /dev/null"},
        {{"--link-port", "2", "nx"}, "none",
         "2 velta: nx cannot be linked: No such file or directory. Nothing was changed.\n", "none"},
        {{"--link-port", "2"}, "none", "2 velta: --link-port needs N DEVICE\n", "none"},
        {{"--list-ports", "--x"}, "none", "2 velta: --x is not an option (velta --help lists them)\n", "none"},
        {{"link", "1", "/dev/zero"}, "none", "", "-> DIR/by-id/usb-Maker_Adapter_X1-if00-port0"},  // by its stable name
        {{"unlink", "255"}, "-> /dev/null", "", "none"},
        {{"unlink", "2"}, "none", "", "none"},
        {{"unlink", "2"}, "folder", "ports/com2 is a folder" + IN_THE_WAY, "folder"},
        {{"unlink", "2"}, "fifo", "ports/com2 is something else" + IN_THE_WAY, "other"},
        {{"unlink", "2"}, "ports a file", "ports/com2 cannot be made: Not a directory. Nothing was changed.", "none"},
        {{"unlink", "0"}, "none", "The port number 0 cannot be given a device: " + range, "none"},
        {{"accept", "2", "1", "5"}, "none", "accepted ports/com2 -> /dev/null (Null adapter) | 2 \r\n", "-> /dev/null"},
        {{"accept", "2", "1"}, "file", "stays /dev/null (Null adapter) |<none>ports/com2 is a file" + IN_THE_WAY, "file"},
        {{"accept", "3", "2"}, "none", "accepted /dev/ttyS2 (default) | 3 \r\n", "none"},  // ports/com3 was linked by hand
    };
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) env.remove(name);
    static const QRegularExpression device_line("^[^\n]*\t[^\n]*\n", QRegularExpression::MultilineOption);
    const QString old = QDir::currentPath();
    for (const auto& c : cases) {
      // A scratch settings folder, entered: a folder of stable names holding one for /dev/zero; ports/com3 linked by
      // hand, com4 to nothing, com5 a file, com07, which no number opens.
      QTemporaryDir dir;
      QDir::setCurrent(dir.path());
      QDir().mkpath("ports"), QDir().mkpath("by-id"), QFile::link("/dev/zero", "by-id/usb-Maker_Adapter_X1-if00-port0");
      QFile::link("/dev/null", "ports/com3"), QFile::link("/dev/null", "ports/com07"), QFile::link("/nowhere", "ports/com4");
      QFile("ports/com5").open(QIODevice::WriteOnly);
      const int n = c.args.value(1).toInt();
      const QString entry = QStringLiteral("ports/com%1").arg(n > 0 && n < 1000 ? n : 2), tag = c.args.join(' ') + ": ";
      if (const QString b = c.before; b == "file") QFile(entry).open(QIODevice::WriteOnly);
      else if (b == "folder") QDir().mkpath(entry); else if (b.startsWith("-> ")) QFile::link(b.mid(3), entry);
      else if (b == "fifo") ::mkfifo(entry.toLocal8Bit(), 0600);
      else if (b == "ports a file") QDir().rename("ports", "p"), QFile("ports").open(QIODevice::WriteOnly);
      QString got = c.args[0] == "link" ? port_links::LINK_PORT(n, c.args[2], dir.filePath("by-id")) : "";
      if (c.args[0] == "unlink") got = port_links::UNLINK_PORT(n);
      if (c.args[0] == "list") {
        for (int k : {1, 3, 4, 5, 255, 0})
          for (const port_links::ListEntry& e : port_links::DEVICE_LIST(k, ports, denied)) got += e.text + "\n";
        got += port_links::DEVICE_LIST(1, ports, denied)[1].device;
      }
      if (c.args[0] == "accept") {
        MsgCapture msgs;
        velta w;
        quale_com chooser;
        chooser.SHOW_DEVICES({{"/dev/null", "Null adapter", "", "", ""}});
        chooser.com_port->setText(c.args.value(3, c.args[1])), chooser.device_list->setCurrentIndex(c.args[2].toInt());
        chooser.com_port->setText(c.args[1]), myVar::port_accepted = false;
        QTest::mouseClick(chooser.continue_button, Qt::LeftButton);
        got = QString(myVar::port_accepted ? "accepted " : "stays ") + chooser.device_list->currentText() + " |" +
              settings_file() + msgs.texts().join('|');
      }
      if (c.args[0].startsWith("--")) {
        QProcess velta;
        velta.setProcessEnvironment(env), velta.start(VELTA_PATH, c.args);
        QVERIFY(velta.waitForFinished(20000));
        got = QString::number(velta.exitCode()) + " " + QString(velta.readAllStandardOutput()).remove(device_line) +
              velta.readAllStandardError();
        if (c.args.contains("--help")) CHECK_SNAPSHOT(got.mid(2).split('\n'), "help"), got.truncate(c.printed.size());
      }
      // What stands at the entry after, with the settings folder written as "DIR"; no half-made hidden file beside it.
      const QFileInfo info(entry);
      got += " | " + (info.isSymLink() ? "-> " + info.symLinkTarget().replace(dir.path(), "DIR") : info.isDir() ? "folder"
                      : info.isFile() ? "file" : info.exists() ? "other" : "none");
      got += QDir("ports").entryList({".*"}, QDir::Hidden | QDir::System | QDir::Files).join(' ');
      QCOMPARE(tag + got, tag + c.printed + " | " + c.after);
      QDir::setCurrent(old);
    }
  }
};

VELTA_TEST_MAIN(TestPorts)
#include "test_ports.moc"
