// libFuzzer target: arbitrary reply bytes for every command routine and for the communication monitor, through the
// real serial layer on a pseudo-terminal. The first byte chooses the command; the rest, split at every 0xFF byte, is
// what the "controller" answers, a piece for each CR-ended line the tool sends (the parameter write sends many).
// No input may crash, trip a sanitizer, hang the tool or leave the port open.
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

#include "app/myVar.h"
#include "protocol/panel.h"
#include "protocol/tune_cmd.h"
#include "ui/calibration.h"
#include "ui/msgbox.h"
#include "ui/velta.h"

namespace {
velta* window = nullptr;
int master_fd = -1;
std::deque<QByteArray> pending;  // the replies of the current input, in turn
bool hold_replies = false;       // the monitor's input waits until it runs

void write_reply(const QByteArray& reply) { (void)!::write(master_fd, reply.constData(), size_t(reply.size())); }

void drain_and_answer() {
  char buf[512];
  for (ssize_t n = 0; (n = ::read(master_fd, buf, sizeof buf)) > 0;)
    for (ssize_t i = 0; i < n && !hold_replies; ++i)
      if (buf[i] == '\r' && !pending.empty()) write_reply(pending.front()), pending.pop_front();
}

// The monitor's start exchanges go unanswered; once it runs, the whole input arrives as frames the controller sends
// on its own, and the monitor is stopped when it has read everything.
void run_monitor() {
  hold_replies = true;
  QTimer feeder;
  bool fed = false;
  int quiet = 0;
  QObject::connect(&feeder, &QTimer::timeout, [&] {
    if (!tune_cmd::MONITOR_RUNS()) return;
    if (!fed) {
      for (const QByteArray& r : pending) write_reply(r);
      fed = true, pending.clear();
    } else if (tune_cmd::MSComm1()->inBufferCount() == 0 && ++quiet > 20) {
      feeder.stop(), window->cmd_monitor_Click();
    }
  });
  feeder.start(1), window->cmd_monitor_Click();
  hold_replies = false;
  if (!tune_cmd::MONITOR_IDLE()) abort();
}

void (*const commands[])() = {
    [] { tune_cmd::CMD_STATUS(); }, [] { tune_cmd::CMD_S(); }, [] { tune_cmd::CMD_M(); },
    [] { tune_cmd::CMD_VERSION(); }, [] { window->read_info_Click(); },
    [] { myVar::fill_set_fields = true, window->read_info_Click(), myVar::fill_set_fields = false; },  // start-up's L
    [] { window->write_mode_Click(); }, [] { window->execute_Click(); }, [] { window->soft_stop_Click(); },
    [] { window->fast_stop_Click(); }, [] { tune_cmd::CMD_CALIB_360(); }, [] { tune_cmd::CMD_CALIB_DEFAULT(); },
    [] { tune_cmd::CMD_CALIB_ANGLE("90"); }, [] { tune_cmd::CMD_CALIB_FACTOR("2500"); }, run_monitor,
};

void setup() {
  static int argc = 1;
  static char name[] = "fuzz_replies", *argv[] = {name, nullptr};
  qputenv("QT_QPA_PLATFORM", "offscreen");
  new QApplication(argc, argv);
  QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
  static QTemporaryDir dir;
  QDir::setCurrent(dir.path());
  QDir().mkdir("ports");
  int slave_fd = -1;
  char path[256] = {};
  termios t{};
  if (openpty(&master_fd, &slave_fd, path, nullptr, nullptr) != 0 || tcgetattr(slave_fd, &t) != 0) abort();
  cfmakeraw(&t), tcsetattr(slave_fd, TCSANOW, &t), fcntl(master_fd, F_SETFL, O_NONBLOCK);
  if (!QFile::link(QString::fromLatin1(path), "ports/com1")) abort();
  ui::set_msgbox_hook([](const ui::MsgBoxRequest& r) {
    return (r.buttons & QMessageBox::Yes) ? QMessageBox::Yes : QMessageBox::Ok;
  });
  window = new velta;
  window->Timer1->setInterval(5);  // time-outs end every input quickly
  myVar::com_port_number = 1, myVar::configure_port = true;
  if (tune_cmd::OPEN_COM()) abort();
  myVar::configure_port = false, tune_cmd::CLOSE_COM();
  // Entries every command accepts: the default set for the write, an angle for the go-to, a calibration factor.
  window->set_default_Click(), window->go_to_angle->setText(QStringLiteral("90")), window->calib_Click();
  calibration_form()->cal_factor->setText(QStringLiteral("1234"));
  QObject::connect(new QSocketNotifier(master_fd, QSocketNotifier::Read), &QSocketNotifier::activated, drain_and_answer);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (!window) setup();
  if (size < 1 || size > 4096) return 0;
  pending.clear();
  for (const QByteArray& piece : QByteArray(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1)).split('\xff'))
    pending.push_back(piece);
  myVar::reply_timeout = false;
  commands[data[0] % std::size(commands)]();
  drain_and_answer();
  pending.clear();
  // Nothing of one input may leak into the next.
  if (tune_cmd::MSComm1()->portOpen() || tune_cmd::Timer1()->isActive()) abort();
  return 0;
}
