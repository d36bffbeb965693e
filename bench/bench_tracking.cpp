// What the tracking server adds: "p" from a TCP client through the server to
// the controller and back, 200 requests on cbox-sim at wire speed, beside the
// status exchange run directly, one of each in turn; median and worst.
#include <QApplication>
#include <QStyleFactory>
#include <QTcpSocket>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "app/tracking_server.h"
#include "bench/bench_util.h"
#include "protocol/tune_cmd.h"
#include "tests/harness/bench.h"
#include "ui/tracking_controls.h"

using namespace benchutil;

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
  const int runs = argc > 1 ? std::atoi(argv[1]) : 200;

  Bench b;
  b.sim().set("position", "123");
  tracking::Server& server = tracking_controls::SERVER(b.w());
  QTcpSocket client;
  if (server.start({QHostAddress(QHostAddress::LocalHost), 0}))
    client.connectToHost(QHostAddress::LocalHost, server.endpoint().port);
  if (!client.waitForConnected(3000)) {
    std::fprintf(stderr, "the tracking server does not take a client\n");
    return 1;
  }
  std::vector<double> through, direct;
  for (int i = 0; i < runs; ++i) {
    double t0 = now_ms();
    client.write("p\n");
    QByteArray answer;
    while (answer.count('\n') < 2 && now_ms() - t0 < 10000) {
      QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
      answer += client.readAll();
    }
    through.push_back(now_ms() - t0);
    if (answer != "123.000000\n0.000000\n") {
      std::fprintf(stderr, "request %d answered: %s\n", i, answer.constData());
      return 1;
    }
    t0 = now_ms();
    if (tune_cmd::CMD_STATUS() != tune_cmd::Outcome::done) return 1;
    direct.push_back(now_ms() - t0);
  }
  const double through_median = percentile(through, 0.5), direct_median = percentile(direct, 0.5);
  std::printf("p through the tracking server x%d: median %.2f ms, worst %.2f ms\n", runs, through_median,
              percentile(through, 1.0));
  std::printf("status exchange direct x%d:        median %.2f ms, worst %.2f ms\n", runs, direct_median,
              percentile(direct, 1.0));
  std::printf("  the server adds %.2f ms to the median\n", through_median - direct_median);
  table_row("tracking server: p through the server (client -> controller -> client)",
            "median %.2f ms, worst %.2f ms; status exchange direct median %.2f ms, worst %.2f ms; added %.2f ms",
            through_median, percentile(through, 1.0), direct_median, percentile(direct, 1.0),
            through_median - direct_median);
  return 0;
}
