#include "tests/harness/bench.h"

#include <QApplication>
#include <QFile>
#include <QStyle>
#include <QStyleFactory>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>

#include "app/myVar.h"
#include "monitor/locking.h"
#include "serial/number_text.h"
#include "protocol/tune_cmd.h"
#include "sim/controller.h"
#include "ui/calibration.h"
#include "ui/colours.h"

MsgCapture::MsgCapture() {
  ui::set_msgbox_hook([this](const ui::MsgBoxRequest& r) {
    boxes_.push_back(r);
    if (!(r.buttons & QMessageBox::Yes)) return QMessageBox::Ok;
    if (answers_.empty()) return QMessageBox::No;
    const auto a = answers_.front();
    answers_.pop_front();
    return a;
  });
}
MsgCapture::~MsgCapture() { ui::set_msgbox_hook(nullptr); }

QStringList MsgCapture::texts() const {
  QStringList out;
  for (const auto& b : boxes_) out << b.text;
  return out;
}

Bench::Bench(const QStringList& sim_args, int port, bool configure) : old_dir_(QDir::currentPath()) {
  sim_ = std::make_unique<SimProcess>(port, sim_args);
  QDir::setCurrent(sim_->dir());
  myVar::com_port_number = static_cast<std::int16_t>(port);
  myVar::reply_timeout = myVar::configure_port = myVar::fill_set_fields = false;
  window_ = std::make_unique<velta>();
  if (!configure) return;
  myVar::configure_port = true;
  tune_cmd::OPEN_COM();
  myVar::configure_port = false;
  tune_cmd::CLOSE_COM();
}

Bench::~Bench() {
  window_.reset();
  sim_.reset();
  QDir::setCurrent(old_dir_);
}

void Bench::apply(const QStringList& controls) {
  for (const QString& c : controls)
    if (const QString answer = sim_->control(c); !answer.isEmpty()) qFatal("%s: %s", qPrintable(c), qPrintable(answer));
}

void click(QAbstractButton* b) { QTest::mouseClick(b, Qt::LeftButton); }

// Bound to the main window: a click planned for one test never fires into the next.
void later(int ms, std::function<void()> f) {
  QTimer::singleShot(ms, velta_exists() ? static_cast<QObject*>(&velta_form()) : qApp, std::move(f));
}

Entries entries_of(const QStringList& pairs) {
  Entries e;
  for (const QString& p : pairs) e[p.section('=', 0, 0)] = p.section('=', 1);
  return e;
}

const QStringList DEFAULT_LINES = QString("1 0 500 1829 1 30 0 10 15 1 1829 0 0 2 3049").split(' ');

Entries defaults_with(const QStringList& changes) {
  Entries e;
  for (const tune_cmd::EntryDefault& d : tune_cmd::ENTRY_DEFAULTS()) e[d.entry] = d.text;
  const Entries c = entries_of(changes);
  for (auto it = c.begin(); it != c.end(); ++it) e[it.key()] = it.value();
  return e;
}

void start_up_read(velta& w) {
  myVar::fill_set_fields = true;
  w.read_info_Click();
  myVar::fill_set_fields = false;
}

void put_set(SimProcess& sim, const ControllerSet& set) {
  for (int i = 0; i < tune_cmd::RECORD_VALUES; ++i) sim.set(PARAMS[i].key, tune_cmd::S(set[i]));
}

ControllerSet random_set(std::mt19937& rng, bool exact) {
  auto in = [&rng](double lo, double hi) {
    return rng() % 10 ? double(std::uniform_int_distribution<long>(long(lo), long(hi))(rng)) : rng() % 2 ? lo : hi;
  };
  const double most = exact ? 99999 : 99694, period = in(1, 99999), a = in(0, period);
  return {in(0, 2),    in(0, 500), in(0, 500),   in(0, most), in(0, 1),  a,           period - a, in(0, 999),
          in(0, period), in(0, 1), in(0, most), in(-70, 70), in(0, 1), in(0, 359), in(0, most)};
}

std::unique_ptr<SerialComm> hold_port(int port) {
  auto other = std::make_unique<SerialComm>();
  if (!other->setCommPort(port) || !other->setPortOpen(true)) qFatal("cannot hold port %d", port);
  return other;
}

QString port_in_use_text(int port) {
  return QString("ERROR OPENING COM PORT # %1\nThe port is in use by another program (or another copy of this tool).")
      .arg(port);
}

QStringList exchange_not_ended(velta& w) {
  QStringList out;
  const bool running = !tune_cmd::MONITOR_IDLE();
  for (QPushButton* b : {w.write_mode, w.read_info, w.execute, w.cmd_monitor, w.fast_stop, w.soft_stop, w.command_s}) {
    if (b == w.write_mode && running) continue;
    if (!b->isEnabled()) out << b->objectName() + " disabled";
    else if (ui::BACKCOLOR(b) == colours::SYS_BUTTON_FACE()) out << b->objectName() + " in the disabled colour";
  }
  if ((ui::BACKCOLOR(w.cmd_monitor) == colours::RED()) != running) out << "cmd_monitor in the wrong colour";
  QList<QPushButton*> own = {w.command_qm, w.command_c, w.command_v, w.calib};
  if (CALIBRATION* f = calibration_form()) own << f->calib360 << f->calib_def << f->calib << f->write_factor;
  for (QPushButton* b : own)
    if (!b->isEnabled()) out << b->objectName() + " disabled";
  if (tune_cmd::MSComm1()->portOpen() != running) out << (running ? "port closed" : "port open");
  // A running monitor reads its frames under the reply timer and leaves a
  // time-out for the next command to clear.
  if (tune_cmd::Timer1()->isActive() && !running) out << "reply timer running";
  if (myVar::reply_timeout && !running) out << "reply_timeout set";
  return out;
}

QByteArray sent_with_monitor_running(Bench& b, const std::function<void()>& command) {
  b.sim().received();
  b.w().cmd_monitor->setText("STOP");
  if (tune_cmd::OPEN_COM()) qFatal("the port does not open");
  command();
  QByteArray sent;
  for (int i = 0; i < 20; ++i, sent += b.sim().received()) QTest::qWait(10);  // on the wire within a few characters
  b.w().cmd_monitor->setText("START...");  // back to idle as the monitor's own end leaves it
  tune_cmd::CLOSE_COM();
  tune_cmd::ENABLE_ALL();
  return sent;
}

QByteArray settings_file() {
  QFile f("velta.ini");
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<none>");
}

void put_settings_file(const QByteArray& bytes) {
  QFile f("velta.ini");
  if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size()) qFatal("no velta.ini");
}

QByteArray ask(QTcpSocket& c, const QByteArray& text, int lines) {
  c.write(text);
  QByteArray got;
  for (QDeadlineTimer end(8000); got.count('\n') < lines && !end.hasExpired(); got += c.readAll()) QTest::qWait(2);
  return got;
}

int run_velta_tests(int argc, char** argv, QObject* tests) {
  QApplication app(argc, argv);
  // The graphical button style, so that the buttons show their colours.
  QApplication::setStyle(QStyleFactory::create("Fusion"));
  QApplication::setPalette(QApplication::style()->standardPalette());
  return QTest::qExec(tests, argc, argv);
}
