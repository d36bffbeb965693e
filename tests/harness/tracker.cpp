#include "tests/harness/tracker.h"

#include <QRegularExpression>
#include <QStandardPaths>

Tracker::Tracker(Habit habit, quint16 port, std::function<double()> target)
    : habit_(std::move(habit)), target_(std::move(target)), step_(habit_.steps.size()) {
  ticker_.setTimerType(Qt::PreciseTimer);
  stepper_.setSingleShot(true);
  connect(&ticker_, &QTimer::timeout, this, &Tracker::tick);
  connect(&stepper_, &QTimer::timeout, this, &Tracker::next_step);
  connect(&socket_, &QTcpSocket::readyRead, this, &Tracker::read);
  connect(&socket_, &QTcpSocket::disconnected, this, [this] { faults_ << "closed by the server"; });
  socket_.connectToHost(QHostAddress::LocalHost, port);
  if (!socket_.waitForConnected(3000)) faults_ << "not taken: " + socket_.errorString();
}

Tracker::~Tracker() { socket_.disconnect(this); }

void Tracker::start(int phase_ms) {
  ticking_ = true;
  QTimer::singleShot(phase_ms, this, [this] {
    if (!ticking_) return;
    tick();
    ticker_.start(habit_.period_ms);
  });
}

void Tracker::tick() {
  if (step_ < habit_.steps.size()) {
    faults_ << QString("tick %1 before the answer to %2").arg(ticks_ + 1).arg(request_);
    return;
  }
  ++ticks_;
  tick_target_ = target();
  step_ = 0;
  stepper_.start(habit_.steps[0].delay_ms);
}

void Tracker::next_step() {
  for (; step_ < habit_.steps.size(); ++step_) {
    request_ = habit_.steps[step_].line(*this);
    if (request_.isEmpty()) continue;
    if (request_.startsWith("P ")) last_set_ = request_;
    sent_.start();
    socket_.write(request_.toLatin1() + '\n');
    return;
  }
}

void Tracker::read() {
  got_ += socket_.readAll();
  if (request_.isEmpty()) {
    faults_ << "unasked: " + got_;
    got_.clear();
    return;
  }
  const bool one_line = request_.startsWith('P') || got_.startsWith("RPRT");
  if (got_.count('\n') < (one_line ? 1 : 2)) {
    faults_ << "the answer to " + request_ + " in more than one read";
    return;
  }
  exchanges_.push_back({request_, static_cast<double>(sent_.nsecsElapsed()) / 1e6});
  static const QRegularExpression position("^(\\d+\\.\\d{6})\n0\\.000000\n$");
  const QRegularExpressionMatch m = position.match(QString::fromLatin1(got_));
  if (request_ == "p" && m.hasMatch())
    position_ = m.captured(1).toDouble();
  else if (request_ == "p" || got_ != "RPRT 0\n")
    faults_ << request_ + " -> " + QString::fromLatin1(got_).replace('\n', '|');
  got_.clear();
  request_.clear();
  if (++step_ < habit_.steps.size()) stepper_.start(habit_.steps[step_].delay_ms);
}

QString Tracker::verdict(int pass_ms, double controller) const {
  QStringList faults = faults_;
  if (ticks_ < pass_ms / habit_.period_ms - 1) faults << QString("%1 ticks").arg(ticks_);
  const double off = position_.value_or(controller) - tick_target_;
  if (std::abs(off) > 2) faults << QString("the last position %1° off the target").arg(off);
  return habit_.name + ": " + (faults.isEmpty() ? "ok" : faults.join("; "));
}

void click_when_enabled(QPushButton* button) {
  auto* poll = new QTimer(button);
  QObject::connect(poll, &QTimer::timeout, button, [poll, button] {
    if (!button->isEnabled()) return;
    poll->stop();  // the click may run the monitor's loop nested in here
    button->click();
  });
  poll->start(2);
}

Rotctl::Rotctl(quint16 port, std::function<double()> target, int seconds) : seconds_(seconds) {
  const QString path = QStandardPaths::findExecutable("rotctl");
  if (path.isEmpty()) return;
  process_.start(path, {"-m", "2", "-r", QString("127.0.0.1:%1").arg(port), "-"});
  connect(&ticks_, &QTimer::timeout, this, [this, target] {
    if (targets_.size() == seconds_) return ticks_.stop();
    targets_ << target();
    process_.write(QString("P %1 0\np\n").arg(targets_.last(), 0, 'f', 2).toLatin1());
  });
  ticks_.start(1000);
}

QString Rotctl::verdict() {
  if (process_.state() == QProcess::NotRunning) return {};
  ticks_.stop();
  process_.closeWriteChannel();
  if (!process_.waitForFinished(10000)) return "rotctl: did not end";
  const QString errors = QString::fromLatin1(process_.readAllStandardError());
  QStringList faults = errors.isEmpty() ? QStringList() : QStringList{errors};
  // Each p as it prints it: "p 123.00" and the elevation.
  static const QRegularExpression position("^p (\\d+\\.\\d\\d)\n0\\.00$", QRegularExpression::MultilineOption);
  QList<double> read;
  for (auto m = position.globalMatch(QString::fromLatin1(process_.readAllStandardOutput())); m.hasNext();)
    read << m.next().captured(1).toDouble();
  if (read.size() != targets_.size() || targets_.size() < seconds_ - 1)
    faults << QString("%1 positions for %2 ticks").arg(read.size()).arg(targets_.size());
  else if (std::abs(read.last() - targets_.last()) > 2)
    faults << QString("the last position %1° off the target").arg(read.last() - targets_.last());
  if (process_.exitCode() != 0) faults << QString("exit %1").arg(process_.exitCode());
  return "rotctl: " + (faults.isEmpty() ? "ok" : faults.join("; "));
}
