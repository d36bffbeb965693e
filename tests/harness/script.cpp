#include "tests/harness/script.h"

#include <memory>
#include <QElapsedTimer>

namespace {
qint64 now_ms() {
  static QElapsedTimer clock = [] {
    QElapsedTimer t;
    t.start();
    return t;
  }();
  return clock.elapsed();
}
}  // namespace

Script::Script(Action on_fail, QObject* parent) : QObject(parent), on_fail_(std::move(on_fail)) {
  timer_.setInterval(5);
  connect(&timer_, &QTimer::timeout, this, &Script::poll);
}

Script& Script::when(const QString& name, Cond cond, Action action, int within_ms) {
  steps_.push_back({name, std::move(cond), std::move(action), within_ms});
  return *this;
}

Script& Script::after(int ms, const QString& name, Action action) {
  auto started = std::make_shared<qint64>(-1);
  return when(
      name,
      [started, ms] {
        if (*started < 0) *started = now_ms();
        return now_ms() - *started >= ms;
      },
      std::move(action), ms + 5000);
}

void Script::start() {
  step_started_ = now_ms();
  timer_.start();
}

void Script::poll() {
  if (done() || !failed_.isEmpty()) {
    timer_.stop();
    return;
  }
  Step& s = steps_[next_];
  if (s.cond()) {
    ++next_;
    step_started_ = now_ms();
    // The step's action may run a nested handler; the timer keeps quiet
    // meanwhile so that steps never overlap.
    timer_.stop();
    if (s.action) s.action();
    if (!done()) timer_.start();
    return;
  }
  if (now_ms() - step_started_ > s.within_ms) {
    failed_ = s.name;
    timer_.stop();
    if (on_fail_) on_fail_();
  }
}
