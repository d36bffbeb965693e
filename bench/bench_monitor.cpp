// Monitor figures: a flood of status frames at the full wire rate (frames
// sent against frames numbered, CPU, peak memory, how soon a click on
// "cmd ?" reaches its handler meanwhile), and an idle monitor's CPU.
#include <QApplication>
#include <QMouseEvent>
#include <QStyleFactory>
#include <QTextBlock>
#include <QTextDocument>

#include "bench/bench_util.h"
#include "protocol/tune_cmd.h"
#include "tests/harness/bench.h"
#include "tests/harness/script.h"

using namespace benchutil;

namespace {
bool running(velta& w) { return w.cmd_monitor->text() == QLatin1String("STOP"); }

long long frames_sent(Bench& b) { return b.sim().control("stats").section("sent=", 1).section(' ', 0, 0).toLongLong(); }

// The number of the last line in the reply box.
long long last_numbered(velta& w) {
  const QString text = w.cbox_reply_text->document()->lastBlock().previous().text();
  return text.section(':', 0, 0).trimmed().toLongLong();
}

// A click as the windowing system delivers it: press and release posted to
// the button, handled when the event loop gets to them.
void post_click(QPushButton* button) {
  const QPointF at(button->width() / 2.0, button->height() / 2.0);
  const QPointF global = button->mapToGlobal(at);
  QCoreApplication::postEvent(button, new QMouseEvent(QEvent::MouseButtonPress, at, global, Qt::LeftButton,
                                                      Qt::LeftButton, Qt::NoModifier));
  QCoreApplication::postEvent(button, new QMouseEvent(QEvent::MouseButtonRelease, at, global, Qt::LeftButton,
                                                      Qt::NoButton, Qt::NoModifier));
}

// The monitor under a flood of status frames at the full wire rate, "cmd ?"
// clicked four times a second meanwhile.
void flood(int flood_s) {
  {
    Bench b;
    b.w().show();
    long long sent0 = 0, sent1 = 0, numbered = 0;
    double t0 = 0, c0 = 0, t1 = 0, c1 = 0;
    std::vector<double> click_delay;
    double clicked_at = -1;
    QObject::connect(b.w().command_qm, &QPushButton::clicked, [&] {
      if (clicked_at >= 0) click_delay.push_back(now_ms() - clicked_at);
      clicked_at = -1;
    });
    QTimer clicker;
    clicker.setInterval(250);
    QObject::connect(&clicker, &QTimer::timeout, [&] {
      clicked_at = now_ms();
      post_click(b.w().command_qm);
    });
    Script s([&b] { if (running(b.w())) b.w().cmd_monitor->click(); });
    s.when("running", [&] { return running(b.w()); }, [&] {
      sent0 = frames_sent(b);
      b.sim().control("stream flood");
      t0 = now_ms();
      c0 = cpu_ms();
      clicker.start();
    });
    s.after(flood_s * 1000, "flood", [&] {
      clicker.stop();
      b.sim().control("stream off");
      t1 = now_ms();
      c1 = cpu_ms();
    });
    s.after(300, "drain", [&] {
      sent1 = frames_sent(b);
      numbered = last_numbered(b.w());
      b.w().cmd_monitor->click();
    });
    s.start();
    b.w().cmd_monitor->click();
    if (!s.failed().isEmpty()) std::printf("monitor flood: script stalled at %s\n", qPrintable(s.failed()));
    const double wall = t1 - t0;
    std::printf("monitor flood at 9600 baud for %.0f s: %lld frames sent, %lld numbered, %lld lost; "
                "CPU %.1f %% of one core; peak memory %ld KiB\n",
                wall / 1e3, sent1 - sent0, numbered, sent1 - sent0 - numbered, 100.0 * (c1 - c0) / wall,
                peak_rss_kib());
    std::printf("  click on \"cmd ?\" -> handler during the flood (%zu clicks): median %.2f ms, worst %.2f ms\n",
                click_delay.size(), percentile(click_delay, 0.5), percentile(click_delay, 1.0));
    table_row("monitor flood: frames lost", "%lld of %lld sent in %.0f s", sent1 - sent0 - numbered, sent1 - sent0,
              wall / 1e3);
    table_row("monitor flood: CPU", "%.1f %% of one core", 100.0 * (c1 - c0) / wall);
    table_row("monitor flood: peak memory", "%ld KiB", peak_rss_kib());
    table_row("monitor flood: click on cmd ? -> handler", "median %.2f ms, worst %.2f ms (%zu clicks)",
              percentile(click_delay, 0.5), percentile(click_delay, 1.0), click_delay.size());
  }
}

// The monitor idle on a silent controller: what it costs to wait.
void idle(int idle_s) {
  {
    Bench b;
    double t0 = 0, c0 = 0, t1 = 0, c1 = 0;
    long long blocking0 = 0, quick0 = 0, blocking1 = 0, quick1 = 0;
    Script s([&b] { if (running(b.w())) b.w().cmd_monitor->click(); });
    // One timer for the end of the idle time: nothing else wakes the
    // program while the controller is silent.
    s.when("running", [&] { return running(b.w()); }, [&] {
      b.sim().fault("silence");
      t0 = now_ms();
      c0 = cpu_ms();
      blocking0 = tune_cmd::yield_blocking_passes();
      quick0 = tune_cmd::yield_quick_passes();
      QTimer::singleShot(idle_s * 1000, &b.w(), [&] {
        t1 = now_ms();
        c1 = cpu_ms();
        blocking1 = tune_cmd::yield_blocking_passes();
        quick1 = tune_cmd::yield_quick_passes();
        b.sim().clearFaults();
        b.w().cmd_monitor->click();
      });
    });
    s.start();
    b.w().cmd_monitor->click();
    const double wall = t1 - t0;
    std::printf("idle monitor, silent controller, %.0f s: CPU %.2f ms = %.3f %% of one core; "
                "%lld event-loop passes (%lld blocking)\n",
                wall / 1e3, c1 - c0, 100.0 * (c1 - c0) / wall, (blocking1 - blocking0) + (quick1 - quick0),
                blocking1 - blocking0);
    table_row("idle monitor, silent controller: CPU", "%.3f %% of one core over %.0f s", 100.0 * (c1 - c0) / wall,
              wall / 1e3);
  }
}
}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
  flood(argc > 1 ? std::atoi(argv[1]) : 60);
  idle(argc > 2 ? std::atoi(argv[2]) : 10);
  return 0;
}
