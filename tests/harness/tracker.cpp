#include "tests/harness/tracker.h"

#include <QRegularExpression>
#include <QStandardPaths>

static QString verdict_of(const QString& name, QStringList faults, double at, double target) {
  if (std::abs(at - target) > 2) faults << QString("the last position %1° off the target").arg(at - target);
  return name + ": " + (faults.isEmpty() ? "ok" : faults.join("; "));
}

Tracker::Tracker(Habit habit, quint16 port, std::function<double()> target)
    : habit_(std::move(habit)), target_(std::move(target)), step_(habit_.steps.size()) {
  connect(&ticker_, &QTimer::timeout, this, &Tracker::tick);
  connect(&socket_, &QTcpSocket::readyRead, this, &Tracker::read);
  connect(&socket_, &QTcpSocket::disconnected, this, [this] { faults_ << "closed by the server"; });
  socket_.connectToHost(QHostAddress::LocalHost, port);
}

void Tracker::tick() {
  if (ticks_ == 0) ticker_.setInterval(habit_.period_ms);  // after the phase, the period
  if (step_ < habit_.steps.size())
    return void(faults_ << QString("tick %1 before the answer to %2").arg(ticks_ + 1).arg(request_));
  ++ticks_, tick_target_ = target(), step_ = 0;
  QTimer::singleShot(habit_.steps[0].delay_ms, this, &Tracker::next_step);
}

void Tracker::next_step() {
  while (step_ < habit_.steps.size() && (request_ = habit_.steps[step_].line(*this)).isEmpty()) ++step_;
  if (step_ < habit_.steps.size()) sent_.start(), socket_.write(request_.toLatin1() + '\n');
}

void Tracker::read() {
  got_ += socket_.readAll();
  if (request_.isEmpty()) return faults_ << "unasked: " + got_, got_.clear();
  if (got_.count('\n') < (request_.startsWith('P') || got_.startsWith("RPRT") ? 1 : 2))
    return void(faults_ << "the answer to " + request_ + " in more than one read");
  exchanges_.push_back({request_, static_cast<double>(sent_.nsecsElapsed()) / 1e6});
  static const QRegularExpression position("^(\\d+\\.\\d{6})\n0\\.000000\n$");
  if (const auto m = position.match(QString::fromLatin1(got_)); request_ == "p" && m.hasMatch())
    position_ = m.captured(1).toDouble();
  else if (request_ == "p" || got_ != "RPRT 0\n")
    faults_ << request_ + " -> " + QString::fromLatin1(got_).replace('\n', '|');
  got_.clear();
  request_.clear();
  if (++step_ < habit_.steps.size()) QTimer::singleShot(habit_.steps[step_].delay_ms, this, &Tracker::next_step);
}

QString Tracker::verdict(int pass_ms, double controller) const {
  QStringList faults = faults_;
  if (ticks_ < pass_ms / habit_.period_ms - 1) faults << QString("%1 ticks").arg(ticks_);
  return verdict_of(habit_.name, faults, position_.value_or(controller), tick_target_);
}

void click_when_enabled(QPushButton* button) {
  auto* poll = new QTimer(button);
  // Stopped before the click, which may run the monitor's loop nested in here.
  QObject::connect(poll, &QTimer::timeout, button, [=] { if (button->isEnabled()) poll->stop(), button->click(); });
  poll->start(2);
}

Rotctl::Rotctl(quint16 port, std::function<double()> target, int seconds)  {
  const QString path = QStandardPaths::findExecutable("rotctl");
  if (path.isEmpty()) return;
  process.start(path, {"-m", "2", "-r", QString("127.0.0.1:%1").arg(port), "-"});
  connect(&ticks, &QTimer::timeout, this, [this, target, seconds] {
    if (targets.size() == seconds) return ticks.stop();
    targets << target();
    process.write(QString("P %1 0\np\n").arg(targets.last(), 0, 'f', 2).toLatin1());
  });
  ticks.start(1000);
}

QString Rotctl::verdict() {
  if (process.state() == QProcess::NotRunning) return {};
  ticks.stop();
  process.closeWriteChannel();
  if (!process.waitForFinished(10000)) return "rotctl: did not end";
  QStringList faults = QString(process.readAllStandardError()).split('\n', Qt::SkipEmptyParts);
  if (process.exitCode() != 0) faults << QString("exit %1").arg(process.exitCode());
  // Each p as it prints it: "p 123.00" and the elevation.
  static const QRegularExpression position("^p (\\d+\\.\\d\\d)\n0\\.00$", QRegularExpression::MultilineOption);
  QList<double> read;
  for (auto m = position.globalMatch(QString::fromLatin1(process.readAllStandardOutput())); m.hasNext();)
    read << m.next().captured(1).toDouble();
  const bool all = read.size() == targets.size() && !read.isEmpty();
  if (!all) faults << QString("%1 positions for %2 ticks").arg(read.size()).arg(targets.size());
  return verdict_of("rotctl", faults, all ? read.last() : 0, all ? targets.last() : 0);
}
