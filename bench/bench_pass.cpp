// What a tracker sees over a whole pass: gpredict's habit (P, then p 100 ms
// later, every second) through the tracking server against cbox-sim at wire
// speed, the target moving from 100° to 200°, once with the monitor idle and
// once with it running; the answer times of p and of P (median, 95th
// percentile, worst) and the errors, beside the status exchange run directly.
//   bench_pass [PASS_SECONDS]   (default 900: a pass of 15 minutes)
#include <QApplication>
#include <QStyleFactory>
#include <QTest>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "app/tracking_server.h"
#include "bench/bench_util.h"
#include "protocol/panel.h"
#include "protocol/tune_cmd.h"
#include "tests/harness/bench.h"
#include "tests/harness/tracker.h"
#include "ui/tracking_controls.h"

using namespace benchutil;

namespace {
struct Figures {
  std::vector<double> get, set;  // answer times of p and of P, in ms
  int errors = 0;
};

Figures pass(Bench& b, quint16 port, int seconds, bool monitor) {
  QElapsedTimer clock;
  const auto target = [&clock, seconds] {
    return 100 + 100.0 * std::min<qint64>(clock.elapsed(), seconds * 1000LL) / (seconds * 1000.0);
  };
  const auto P = [](const Tracker& t) { return QString("P %1 0.00").arg(t.target(), 0, 'f', 2); };
  Tracker gpredict({"gpredict", 1000, {{0, P}, {100, [](const Tracker&) { return QString("p"); }}}}, port, target);
  b.sim().set("position", "100");
  clock.start();
  gpredict.start(0);
  if (monitor) {
    later(0, [&b] { click_when_enabled(b.w().cmd_monitor); });
    later(seconds * 1000, [&b] { click_when_enabled(b.w().cmd_monitor); });
  }
  QTest::qWait(seconds * 1000);
  gpredict.stop();
  for (QDeadlineTimer end(10000); !gpredict.quiet() && !end.hasExpired();) QTest::qWait(10);
  Figures f;
  for (const Tracker::Exchange& e : gpredict.exchanges()) (e.request == "p" ? f.get : f.set).push_back(e.ms);
  f.errors = static_cast<int>(gpredict.faults().size()) + (gpredict.quiet() ? 0 : 1);
  return f;
}

void report(const char* what, const Figures& f, double direct_median) {
  std::printf("%s: p x%zu median %.2f ms, 95%% %.2f ms, worst %.2f ms (median %+.2f ms beside the status exchange); "
              "P x%zu median %.2f ms, 95%% %.2f ms, worst %.2f ms; %d errors\n",
              what, f.get.size(), percentile(f.get, 0.5), percentile(f.get, 0.95), percentile(f.get, 1.0),
              percentile(f.get, 0.5) - direct_median, f.set.size(), percentile(f.set, 0.5), percentile(f.set, 0.95),
              percentile(f.set, 1.0), f.errors);
  table_row(what, "p x%zu: median %.2f ms (%+.2f), 95%% %.2f ms, worst %.2f ms; P: median %.2f ms, 95%% %.2f ms, "
            "worst %.2f ms; %d errors", f.get.size(), percentile(f.get, 0.5), percentile(f.get, 0.5) - direct_median,
            percentile(f.get, 0.95), percentile(f.get, 1.0), percentile(f.set, 0.5), percentile(f.set, 0.95),
            percentile(f.set, 1.0), f.errors);
}
}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
  const int seconds = argc > 1 ? std::atoi(argv[1]) : 900;

  Bench b;
  b.sim().set("speed", "30");
  tracking::Server& server = tracking_controls::SERVER(b.w());
  if (!server.start({QHostAddress(QHostAddress::LocalHost), 0})) {
    std::fprintf(stderr, "the tracking server does not listen\n");
    return 1;
  }
  // With a pause before each, as gpredict's p comes 100 ms after the answer to its P.
  std::vector<double> direct;
  for (int i = 0; i < 200; ++i) {
    QTest::qWait(100);
    const double t0 = now_ms();
    if (tune_cmd::CMD_STATUS() != tune_cmd::Outcome::done) return 1;
    direct.push_back(now_ms() - t0);
  }
  const double direct_median = percentile(direct, 0.5);
  std::printf("status exchange direct x200: median %.2f ms, 95%% %.2f ms, worst %.2f ms\n", direct_median,
              percentile(direct, 0.95), percentile(direct, 1.0));
  table_row("status exchange direct (beside the passes)", "median %.2f ms, 95%% %.2f ms", direct_median,
            percentile(direct, 0.95));
  const QString idle = QString("gpredict, %1 s pass, monitor idle").arg(seconds);
  const QString running = QString("gpredict, %1 s pass, monitor running").arg(seconds);
  report(qPrintable(idle), pass(b, server.endpoint().port, seconds, false), direct_median);
  report(qPrintable(running), pass(b, server.endpoint().port, seconds, true), direct_median);
  return 0;
}
