// libFuzzer target: arbitrary reply bytes for every command routine of the
// tool and for the communication monitor, delivered through the real serial
// layer on a pseudo-terminal. The first input byte chooses the command; the
// rest, split at every 0xFF byte, is what the "controller" answers: one piece
// for each CR-ended line the tool sends (the parameter write sends many).
// No input may crash, trip a sanitizer or hang the tool.
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
#include <deque>
#include <functional>
#include <vector>

#include "app/myVar.h"
#include "protocol/tune_cmd.h"
#include "ui/calibration.h"
#include "ui/msgbox.h"
#include "ui/velta.h"

namespace {
QApplication* app = nullptr;
velta* window = nullptr;
int master_fd = -1;
std::deque<QByteArray> pending;  // the replies of the current input, in turn
bool hold_replies = false;         // the monitor's input waits until it runs
QTemporaryDir* dir = nullptr;

void write_reply(const QByteArray& reply) { (void)!::write(master_fd, reply.constData(), size_t(reply.size())); }

void drain_and_answer() {
  char buf[512];
  ssize_t n = 0;
  while ((n = ::read(master_fd, buf, sizeof buf)) > 0) {
    if (hold_replies) continue;
    // Every line the tool ends with CR is answered by the next piece.
    for (ssize_t i = 0; i < n; ++i)
      if (buf[i] == '\r' && !pending.empty()) {
        write_reply(pending.front());
        pending.pop_front();
      }
  }
}

bool monitor_running() { return window->cmd_monitor->text() == QLatin1String("STOP"); }

// The monitor: its start exchanges go unanswered; once it runs, the whole
// input arrives as frames the controller sends on its own, and the monitor
// is stopped when it has read everything.
void run_monitor() {
  hold_replies = true;
  QTimer feeder;
  feeder.setInterval(1);
  bool fed = false;
  int quiet = 0;
  QObject::connect(&feeder, &QTimer::timeout, [&] {
    if (!monitor_running()) return;
    if (!fed) {
      fed = true;
      for (const QByteArray& r : pending) write_reply(r);
      pending.clear();
      return;
    }
    if (tune_cmd::MSComm1()->inBufferCount() == 0 && ++quiet > 20) {
      feeder.stop();
      window->cmd_monitor_Click();
    }
  });
  feeder.start();
  window->cmd_monitor_Click();
  hold_replies = false;
  if (window->cmd_monitor->text() != QLatin1String("START...")) abort();
}

const std::vector<std::pair<const char*, std::function<void()>>>& commands() {
  static const std::vector<std::pair<const char*, std::function<void()>>> list = {
      {"status", [] { tune_cmd::CMD_STATUS(); }},
      {"S", [] { tune_cmd::CMD_S(); }},
      {"M", [] { tune_cmd::CMD_M(); }},
      {"V", [] { tune_cmd::CMD_VERSION(); }},
      {"L", [] { window->read_info_Click(); }},
      {"L start-up", [] { myVar::fill_set_fields = true, window->read_info_Click(), myVar::fill_set_fields = false; }},
      {"W", [] { window->write_mode_Click(); }},
      {"G", [] { window->execute_Click(); }},
      {"soft stop", [] { window->soft_stop_Click(); }},
      {"fast stop", [] { window->fast_stop_Click(); }},
      {"C", [] { tune_cmd::CMD_CALIB_360(); }},
      {"c", [] { tune_cmd::CMD_CALIB_DEFAULT(); }},
      {"K", [] { tune_cmd::CMD_CALIB_ANGLE("90"); }},
      {"F", [] { tune_cmd::CMD_CALIB_FACTOR("2500"); }},
      {"monitor", [] { run_monitor(); }},
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
  // Entries every command accepts: the default set for the write, an angle
  // for the go-to, the calibration window with a factor.
  window->set_default_Click();
  window->go_to_angle->setText(QStringLiteral("90"));
  window->calib_Click();
  calibration_form()->cal_factor->setText(QStringLiteral("1234"));
  auto* notifier = new QSocketNotifier(master_fd, QSocketNotifier::Read);
  QObject::connect(notifier, &QSocketNotifier::activated, [] { drain_and_answer(); });
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (!app) setup();
  if (size < 1 || size > 4096) return 0;
  const auto& command = commands()[data[0] % commands().size()].second;
  pending.clear();
  for (const QByteArray& piece :
       QByteArray(reinterpret_cast<const char*>(data + 1), static_cast<int>(size - 1)).split('\xff'))
    pending.push_back(piece);
  myVar::reply_timeout = false;
  command();
  drain_and_answer();
  pending.clear();
  // Nothing of one input may leak into the next.
  if (tune_cmd::MSComm1()->portOpen() || tune_cmd::Timer1()->isActive()) abort();
  return 0;
}
