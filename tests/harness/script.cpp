#include "tests/harness/script.h"

Script::Script(Action on_fail, QObject* parent) : QObject(parent), on_fail_(std::move(on_fail)) {
  timer_.setInterval(5);
  connect(&timer_, &QTimer::timeout, this, &Script::poll);
}

Script& Script::when(const QString& name, Cond cond, Action action, int within_ms) {
  return add({name, std::move(cond), std::move(action), within_ms});
}

void Script::poll() {
  if (next_ >= steps_.size()) return timer_.stop();
  Step& s = steps_[next_];
  if (clock_.elapsed() >= s.delay_ms && (!s.cond || s.cond())) {
    ++next_;
    // The action may run a nested handler: the timer keeps quiet meanwhile,
    // so that steps never overlap.
    timer_.stop();
    if (s.action) s.action();
    clock_.start();
    if (next_ < steps_.size()) timer_.start();
  } else if (clock_.elapsed() > s.within_ms) {
    failed_ = s.name;
    timer_.stop();
    if (on_fail_) on_fail_();
  }
}
