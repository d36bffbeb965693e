// libFuzzer target: arbitrary reply bytes for every command routine of the
// tool, delivered through the real serial layer on a pseudo-terminal. The
// first input byte chooses the command; the rest is what the "controller"
// answers once the command frame has arrived. No input may crash, trip a
// sanitizer or hang the tool.
#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QSocketNotifier>
#include <QStyleFactory>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <vector>

#include "app/myVar.h"
#include "protocol/tune_cmd.h"
#include "ui/msgbox.h"
#include "ui/velta.h"

namespace {
QApplication* app = nullptr;
velta* window = nullptr;
int master_fd = -1;
QByteArray pending;  // the reply of the current input
QTemporaryDir* dir = nullptr;

void drain_and_answer() {
  char buf[512];
  bool got = false;
  while (::read(master_fd, buf, sizeof buf) > 0) got = true;
  if (got && !pending.isEmpty()) {
    // The tool sent its frame: answer with the whole reply at once.
    const ssize_t n = ::write(master_fd, pending.constData(), static_cast<size_t>(pending.size()));
    (void)n;
    pending.clear();
  }
}

struct Command {
  const char* name;
  std::function<void()> run;
};

std::vector<Command>& commands() {
  static std::vector<Command> list = {
      {"status", [] { tune_cmd::CMD_STATUS(); }},
      {"S", [] { tune_cmd::CMD_S(); }},
      {"M", [] { tune_cmd::CMD_M(); }},
      {"V", [] { tune_cmd::CMD_VERSION(); }},
      {"L", [] { window->read_info_Click(); }},
      {"L start-up", [] {
         myVar::fill_set_fields = true;
         window->read_info_Click();
         myVar::fill_set_fields = false;
       }},
  };
  return list;
}

void setup() {
  static int argc = 1;
  static char name[] = "fuzz_replies";
  static char* argv[] = {name, nullptr};
  qputenv("QT_QPA_PLATFORM", "offscreen");
  app = new QApplication(argc, argv);
  QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
  dir = new QTemporaryDir;
  QDir::setCurrent(dir->path());
  QDir().mkdir("ports");
  int slave_fd = -1;
  char path[256] = {};
  if (openpty(&master_fd, &slave_fd, path, nullptr, nullptr) != 0) abort();
  termios t{};
  tcgetattr(slave_fd, &t);
  cfmakeraw(&t);
  tcsetattr(slave_fd, TCSANOW, &t);
  fcntl(master_fd, F_SETFL, O_NONBLOCK);
  if (!QFile::link(QString::fromLatin1(path), "ports/com1")) abort();
  ui::set_msgbox_hook([](const ui::MsgBoxRequest& r) {
    return (r.buttons & QMessageBox::Yes) ? QMessageBox::Yes : QMessageBox::Ok;
  });
  window = new velta;
  window->Timer1->setInterval(5);  // time-outs end every input quickly
  myVar::com_port_number = 1;
  myVar::configure_port = true;
  if (tune_cmd::OPEN_COM()) abort();
  myVar::configure_port = false;
  tune_cmd::CLOSE_COM();
  auto* notifier = new QSocketNotifier(master_fd, QSocketNotifier::Read);
  QObject::connect(notifier, &QSocketNotifier::activated, [] { drain_and_answer(); });
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (!app) setup();
  if (size < 1 || size > 4096) return 0;
  const auto& list = commands();
  const Command& c = list[data[0] % list.size()];
  pending = QByteArray(reinterpret_cast<const char*>(data + 1), static_cast<int>(size - 1));
  myVar::reply_timeout = false;
  c.run();
  drain_and_answer();
  pending.clear();
  // Nothing of one input may leak into the next.
  if (tune_cmd::MSComm1()->portOpen()) abort();
  if (tune_cmd::Timer1()->isActive()) abort();
  return 0;
}
