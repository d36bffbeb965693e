#pragma once
// Tracking programs as they really behave: a tick every period of its habit, its requests one at a time, each once the
// whole answer to the one before has come; driven by the event loop only (a wait of its own would run nested above
// the communication monitor's loop and keep it from reading the frames that answer).
#include <QProcess>
#include <QPushButton>
#include <QTcpSocket>
#include <QTimer>
#include <functional>
#include <optional>

class Tracker : public QObject {
 public:
  // A request `delay_ms` after the answer to the one before (the tick, for the first): its line, or none this time.
  struct Step { int delay_ms; std::function<QString(const Tracker&)> line; };
  struct Habit { QString name; int period_ms; std::vector<Step> steps; };
  struct Exchange { QString request; double ms; };  // ms: from the request's write to its whole answer
  // On the loopback at `port`; `target` gives the azimuth the pass wants now.
  Tracker(Habit habit, quint16 port, std::function<double()> target);
  ~Tracker() override { socket_.disconnect(this); }
  void start(int phase_ms) { ticker_.start(phase_ms); }  // the first tick then, the next ones every period
  void stop() { ticker_.stop(); }                         // the request underway is still answered
  bool quiet() const { return !ticker_.isActive() && step_ == habit_.steps.size(); }
  double target() const { return target_(); }
  std::optional<double> position() const { return position_; }  // the last read
  const std::vector<Exchange>& exchanges() const { return exchanges_; }
  // An answer neither "RPRT 0" nor a position, one in more than one read (trackers read it with one receive), a tick
  // that found the last one unanswered, the connection closed.
  const QStringList& faults() const { return faults_; }
  // "gpredict: ok", or the faults over a pass of `pass_ms`, too few ticks, the last position (else `controller`'s)
  // more than 2° off the target of its tick.
  QString verdict(int pass_ms, double controller) const;

 private:
  void tick();
  void next_step();
  void read();
  Habit habit_;
  std::function<double()> target_;
  QTcpSocket socket_;
  QTimer ticker_;
  std::size_t step_;  // the step of the tick underway; all of them: none
  int ticks_ = 0;
  QString request_;  // the request awaiting its answer
  QByteArray got_;
  QElapsedTimer sent_;
  std::optional<double> position_;
  double tick_target_ = 0;
  std::vector<Exchange> exchanges_;
  QStringList faults_;
};

// Clicks `button` once it is enabled: between two requests, never inside one.
void click_when_enabled(QPushButton* button);

// The rotator library's network client (`rotctl -m 2`) where it is installed: "P <target> 0", then "p", every second
// for `seconds` seconds.
struct Rotctl : QObject {
  Rotctl(quint16 port, std::function<double()> target, int seconds);
  // "rotctl: ok", or anything on stderr, an exit status but 0, a position missing, the last one more than 2° off
  // its target. Empty where it is not installed.
  QString verdict();
  QProcess process;
  QTimer ticks;
  QList<double> targets;
};
