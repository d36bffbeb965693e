#include <QApplication>
#include "tests/harness/bench.h"

#include <QTest>
#include <QTimer>

#include "app/myVar.h"
#include "monitor/locking.h"
#include "protocol/tune_cmd.h"
#include "ui/calibration.h"
#include "ui/colours.h"

MsgCapture::MsgCapture() {
  ui::set_msgbox_hook([this](const ui::MsgBoxRequest& r) {
    boxes_.push_back(r);
    if (r.buttons & QMessageBox::Yes) {
      if (answers_.empty()) return QMessageBox::No;
      const auto a = answers_.front();
      answers_.pop_front();
      return a;
    }
    return QMessageBox::Ok;
  });
}

MsgCapture::~MsgCapture() { ui::set_msgbox_hook(nullptr); }

QStringList MsgCapture::texts() const {
  QStringList out;
  for (const auto& b : boxes_) out << b.text;
  return out;
}

Bench::Bench(const QStringList& sim_args, int port, bool configure) {
  old_dir_ = QDir::currentPath();
  sim_ = std::make_unique<SimProcess>(port, sim_args);
  QDir::setCurrent(sim_->dir());
  myVar::com_port_number = static_cast<std::int16_t>(port);
  myVar::reply_timeout = false;
  myVar::configure_port = false;
  myVar::fill_set_fields = false;
  window_ = std::make_unique<velta>();
  if (configure) configurePort();
}

Bench::~Bench() {
  window_.reset();
  sim_.reset();
  QDir::setCurrent(old_dir_);
}

void Bench::setReplyPeriod(int ms) { window_->Timer1->setInterval(ms); }

bool Bench::configurePort() {
  myVar::configure_port = true;
  const bool failed = tune_cmd::OPEN_COM();
  myVar::configure_port = false;
  tune_cmd::CLOSE_COM();
  return !failed;
}

// Bound to the main window of the bench: a click planned for one test never
// fires into the next one after the bench is gone.
void later(int ms, std::function<void()> f) {
  QObject* context = velta_exists() ? static_cast<QObject*>(&velta_form()) : qApp;
  QTimer::singleShot(ms, context, std::move(f));
}

#include <QFile>

QString port_in_use_text(int port) {
  return QStringLiteral("ERROR OPENING COM PORT # %1\nThe port is in use by another program (or another copy of "
                        "this tool).")
      .arg(port);
}

std::unique_ptr<SerialComm> hold_port(int port) {
  auto other = std::make_unique<SerialComm>();
  if (!other->setCommPort(port) || !other->setPortOpen(true)) qFatal("cannot hold port %d", port);
  return other;
}

QStringList exchange_not_ended(velta& w) {
  QStringList out;
  const bool running = !tune_cmd::MONITOR_IDLE();
  for (QPushButton* button : {w.write_mode, w.read_info, w.execute, w.cmd_monitor, w.fast_stop, w.soft_stop,
                              w.command_s}) {
    if (button == w.write_mode && running) continue;
    if (!button->isEnabled()) out << button->objectName() + " disabled";
    else if (ui::BACKCOLOR(button) == ui::SYS_BUTTON_FACE()) out << button->objectName() + " in the disabled colour";
  }
  if ((ui::BACKCOLOR(w.cmd_monitor) == ui::RED()) != running) out << "cmd_monitor in the wrong colour";
  QList<QPushButton*> own = {w.command_qm, w.command_c, w.command_v, w.calib};
  if (CALIBRATION* f = calibration_form()) own << f->calib360 << f->calib_def << f->calib << f->write_factor;
  for (QPushButton* button : own)
    if (!button->isEnabled()) out << button->objectName() + " disabled";
  if (tune_cmd::MSComm1()->portOpen() != running) out << (running ? "port closed" : "port open");
  if (tune_cmd::Timer1()->isActive()) out << "reply timer running";
  if (myVar::reply_timeout) out << "reply_timeout set";
  return out;
}

QByteArray sent_with_monitor_running(Bench& b, const std::function<void()>& command) {
  b.sim().received();
  b.w().cmd_monitor->setText(QStringLiteral("STOP"));
  if (tune_cmd::OPEN_COM()) qFatal("the port does not open");
  command();
  QByteArray sent;
  // What went out is on the wire within a few character times.
  for (int i = 0; i < 20; ++i) {
    QTest::qWait(10);
    sent += b.sim().received();
  }
  // Back to idle as the monitor's own end leaves it.
  b.w().cmd_monitor->setText(QStringLiteral("START..."));
  tune_cmd::CLOSE_COM();
  tune_cmd::ENABLE_ALL();
  return sent;
}

QByteArray settings_file() {
  QFile f(QStringLiteral("velta.ini"));
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<none>");
}

void put_settings_file(const QByteArray& bytes) {
  QFile f(QStringLiteral("velta.ini"));
  if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
    qFatal("cannot write velta.ini");
}

#include <QApplication>
#include <QStyle>
#include <QStyleFactory>
#include <QTest>

int run_velta_tests(int argc, char** argv, QObject* tests) {
  QApplication app(argc, argv);
  QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
  QApplication::setPalette(QApplication::style()->standardPalette());
  return QTest::qExec(tests, argc, argv);
}
