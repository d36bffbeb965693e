// Serial link figures: CPU used while the tool waits for a silent controller,
// and how soon a status reply shows once its last character left the line.
#include <QApplication>
#include <QStyleFactory>

#include "app/myVar.h"
#include "bench/bench_util.h"
#include "protocol/tune_cmd.h"
#include "tests/harness/bench.h"

using namespace benchutil;

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
  const int runs = argc > 1 ? std::atoi(argv[1]) : 100;

  {
    Bench b;
    b.sim().fault("silence");
    const double c0 = cpu_ms(), t0 = now_ms();
    const long long passes0 = tune_cmd::yield_blocking_passes() + tune_cmd::yield_quick_passes();
    tune_cmd::CMD_STATUS();
    const double wall = now_ms() - t0, cpu = cpu_ms() - c0;
    const long long passes = tune_cmd::yield_blocking_passes() + tune_cmd::yield_quick_passes() - passes0;
    std::printf("header wait, silent controller: %.0f ms wall, %.1f ms CPU = %.2f %% of one core, %lld event-loop passes\n",
                wall, cpu, 100.0 * cpu / wall, passes);
    table_row("header wait, silent controller: CPU", "%.2f %% of one core (%.0f ms wall, %.1f ms CPU, %lld passes)",
              100.0 * cpu / wall, wall, cpu, passes);
  }

  {
    Bench b;
    b.sim().set("position", "123");
    std::vector<double> after_last, exchange;
    double shown_at = 0;
    QObject::connect(b.w().fast_pos, &QLineEdit::textChanged, [&] { shown_at = now_ms(); });
    const double cpu0 = cpu_ms();
    double wall = 0;
    for (int i = 0; i < runs; ++i) {
      b.w().fast_pos->setText("???");
      const double t0 = now_ms();
      tune_cmd::CMD_STATUS();
      const double t1 = now_ms();
      wall += t1 - t0;
      const QString stats = b.sim().control("stats");
      const double last_ns = stats.section("last_sent_ns=", 1).toDouble();
      // The reply's CR left the simulator at last_ns; the exchange ends once it is read.
      after_last.push_back(t1 - last_ns / 1e6);
      exchange.push_back(t1 - t0);
      (void)shown_at;
    }
    const double reply_wire = 11 * CHAR_MS, frame_wire = 4 * CHAR_MS;
    std::printf("status exchange x%d at wire speed: reply wire time %.2f ms (command %.2f ms)\n", runs, reply_wire,
                frame_wire);
    std::printf("  last reply character -> exchange done: median %.3f ms, worst %.3f ms\n",
                percentile(after_last, 0.5), percentile(after_last, 1.0));
    std::printf("  whole exchange: median %.2f ms, worst %.2f ms; CPU %.1f %% of one core\n",
                percentile(exchange, 0.5), percentile(exchange, 1.0), 100.0 * (cpu_ms() - cpu0) / wall);
    table_row("status latency: last reply char -> exchange done",
              "median %.2f ms, worst %.2f ms (reply wire time %.2f ms, whole exchange median %.2f ms)",
              percentile(after_last, 0.5), percentile(after_last, 1.0), reply_wire, percentile(exchange, 0.5));
  }
  return 0;
}
