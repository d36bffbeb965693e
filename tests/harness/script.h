#pragma once
// A technician's part in a session that runs inside a long handler (the
// monitor, a waiting exchange): steps, each run once its condition holds,
// checked every few milliseconds from the event loop.
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <functional>
#include <vector>

class Script : public QObject {
 public:
  using Cond = std::function<bool()>;
  using Action = std::function<void()>;
  // `on_fail` runs when a step's condition has not held within its time.
  explicit Script(Action on_fail = {}, QObject* parent = nullptr);
  // Runs `action` once `cond` holds, at most `within_ms` after the step before.
  Script& when(const QString& name, Cond cond, Action action, int within_ms = 5000);
  // Runs `action` `ms` after the step before ran.
  Script& after(int ms, const QString& name, Action action) { return add({name, {}, std::move(action), ms + 5000, ms}); }
  void start() { clock_.start(), timer_.start(); }
  QString failed() const { return failed_; }  // the step whose condition never held

 private:
  struct Step {
    QString name;
    Cond cond;
    Action action;
    int within_ms, delay_ms = 0;
  };
  Script& add(Step s) { return steps_.push_back(std::move(s)), *this; }
  void poll();
  std::vector<Step> steps_;
  size_t next_ = 0;
  QElapsedTimer clock_;  // since the step before ran
  QString failed_;
  Action on_fail_;
  QTimer timer_;
};
