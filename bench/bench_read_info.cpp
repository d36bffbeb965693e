// One parameter read "cmd L" against cbox-sim paced at wire speed: elapsed
// time as a ratio to the wire time of the command and reply frames (the
// physical limit), median over 20 runs, and the CPU time the tool used.
#include <sys/resource.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QStyle>
#include <QStyleFactory>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "bench/bench_util.h"
#include "protocol/tune_cmd.h"
#include "tests/harness/bench.h"

namespace {
constexpr int RUNS = 20;
using benchutil::CHAR_MS;
using benchutil::cpu_ms;

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

// The length of the controller's L reply, counted on the wire.
int reply_length(Bench& b) {
  using namespace tune_cmd;
  if (OPEN_COM()) return -1;
  SEND_FRAME('L');
  QByteArray got;
  QElapsedTimer t;
  t.start();
  while (!got.endsWith('\r') && t.elapsed() < 3000) {
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    got += MSComm1()->input();
  }
  CLOSE_COM();
  b.sim().received();
  const int stx = got.indexOf('\x02');
  return got.endsWith('\r') && stx >= 0 ? got.size() - stx : -1;
}
}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
  Bench b;  // simulator at wire speed (pacing on)
  if (!b.sim().ok()) {
    std::fprintf(stderr, "bench_read_info: the simulator did not start\n");
    return 1;
  }
  const int reply_chars = reply_length(b);
  if (reply_chars < 0) {
    std::fprintf(stderr, "bench_read_info: no L reply from the simulator\n");
    return 1;
  }
  const int frame_chars = 4 + reply_chars;
  const double wire_ms = frame_chars * CHAR_MS;

  b.w().read_info_Click();  // warm-up
  std::vector<double> elapsed, cpu;
  const long long blocking0 = tune_cmd::yield_blocking_passes();
  const long long quick0 = tune_cmd::yield_quick_passes();
  for (int i = 0; i < RUNS; ++i) {
    const double c0 = cpu_ms();
    QElapsedTimer t;
    t.start();
    b.w().read_info_Click();
    elapsed.push_back(t.nsecsElapsed() / 1e6);
    cpu.push_back(cpu_ms() - c0);
  }
  if (!b.msgs().texts().isEmpty()) {
    std::fprintf(stderr, "bench_read_info: a read failed: %s\n", qPrintable(b.msgs().texts().first()));
    return 1;
  }
  const double med = median(elapsed);
  double cpu_total = 0;
  for (double c : cpu) cpu_total += c;
  std::printf("cmd L at 9600 baud, %d runs\n", RUNS);
  std::printf("  frames on the wire      %d chars (4 out + %d reply) = %.2f ms\n", frame_chars, reply_chars,
              wire_ms);
  std::printf("  elapsed median          %.2f ms (min %.2f, max %.2f)\n", med,
              *std::min_element(elapsed.begin(), elapsed.end()), *std::max_element(elapsed.begin(), elapsed.end()));
  std::printf("  ratio to wire time      %.4f\n", med / wire_ms);
  // The pty takes the tool's 4 characters at once (only the simulator paces
  // its output), so the reply alone is the limit actually in force here.
  std::printf("  ratio to the reply only %.4f (%.2f ms)\n", med / (reply_chars * CHAR_MS), reply_chars * CHAR_MS);
  std::printf("  CPU time (user+system)  %.2f ms per read (median %.2f), %.1f%% of elapsed\n", cpu_total / RUNS,
              median(cpu), 100.0 * median(cpu) / med);
  std::printf("  event-loop passes       %.1f blocking + %.1f quick per read\n",
              double(tune_cmd::yield_blocking_passes() - blocking0) / RUNS,
              double(tune_cmd::yield_quick_passes() - quick0) / RUNS);
  benchutil::table_row("cmd L exchange against wire time", "median %.2f ms, wire %.2f ms (reply alone %.2f ms), ratio %.3f",
            med, wire_ms, reply_chars * CHAR_MS, med / wire_ms);
  return 0;
}
