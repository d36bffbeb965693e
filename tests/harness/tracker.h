#pragma once
// A tracking program on the tracking server as it really behaves: a tick every
// period of its habit, its requests one at a time, each sent once the whole
// answer to the one before has come. Driven by the event loop only: a wait of
// its own would run nested above the communication monitor's loop and keep it
// from reading the frames that answer.
#include <QElapsedTimer>
#include <QProcess>
#include <QPushButton>
#include <QStringList>
#include <QTcpSocket>
#include <QTimer>
#include <functional>
#include <optional>
#include <vector>

class Tracker : public QObject {
 public:
  // A request of a tick, `delay_ms` after the answer to the one before (after
  // the tick for the first): its line from the tracker as it stands, or none
  // when the habit leaves it out this time.
  struct Step {
    int delay_ms;
    std::function<QString(const Tracker&)> line;
  };
  struct Habit {
    QString name;
    int period_ms;
    std::vector<Step> steps;
  };
  struct Exchange {
    QString request;
    double ms;  // from the request's write to its whole answer
  };
  // Connected to the server on the loopback at `port`; `target` gives the
  // azimuth the pass wants now.
  Tracker(Habit habit, quint16 port, std::function<double()> target);
  ~Tracker() override;
  // The first tick after `phase_ms`, then one every period.
  void start(int phase_ms);
  // No more ticks; the request underway is still answered.
  void stop() { ticker_.stop(), ticking_ = false; }
  bool quiet() const { return !ticking_ && request_.isEmpty() && !stepper_.isActive(); }

  const QString& name() const { return habit_.name; }
  double target() const { return target_(); }
  int ticks() const { return ticks_; }
  const QString& last_set() const { return last_set_; }  // the last P line sent
  std::optional<double> position() const { return position_; }  // the last read
  const std::vector<Exchange>& exchanges() const { return exchanges_; }
  // One line each: an answer neither "RPRT 0" nor a position, an answer that
  // came in more than one read (those programs read it with one receive), a
  // tick that found the last one unanswered, the connection closed.
  const QStringList& faults() const { return faults_; }
  // "gpredict: ok", or what went wrong over a pass of `pass_ms`: the faults,
  // too few ticks, the last position more than 2° off the target of its tick
  // (`controller`, the controller's position, for a tracker that read none).
  QString verdict(int pass_ms, double controller) const;

 private:
  void tick();
  void next_step();
  void read();

  Habit habit_;
  std::function<double()> target_;
  QTcpSocket socket_;
  QTimer ticker_, stepper_;
  bool ticking_ = false;
  std::size_t step_;  // the step of the tick underway; all of them: none
  int ticks_ = 0;
  QString request_;  // the request awaiting its answer
  QByteArray got_;
  QElapsedTimer sent_;
  QString last_set_;
  std::optional<double> position_;
  double tick_target_ = 0;
  std::vector<Exchange> exchanges_;
  QStringList faults_;
};

// Clicks `button` once it is enabled: between two requests, never inside one.
void click_when_enabled(QPushButton* button);

// The rotator library's network client (`rotctl -m 2`), where it is installed,
// reading its commands as they come: every second "P <target> 0", then "p",
// for `seconds` seconds.
class Rotctl : public QObject {
 public:
  Rotctl(quint16 port, std::function<double()> target, int seconds);
  // "rotctl: ok", or what went wrong: anything on stderr, a position missing,
  // the last one more than 2° off its target, an exit status but 0. Empty
  // where it is not installed.
  QString verdict();

 private:
  QProcess process_;
  QTimer ticks_;
  QList<double> targets_;
  int seconds_;
};
