#include "app/station.h"

#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QDateTime>
#include <QSocketNotifier>
#include <QTimer>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <optional>

#include "app/command_line.h"
#include "app/presets.h"
#include "app/tracking_server.h"
#include "app/windowless.h"
#include "protocol/rotator_lines.h"
#include "protocol/tune_cmd.h"
#include "serial/port_links.h"
#include "ui/tracking_controls.h"
#include "ui/velta.h"

namespace station {
namespace {
// The signal handler's only work: the signal's number into this pair, whose
// other end wakes the event loop.
int signal_pair[2] = {-1, -1};

void on_signal(int number) {
  const int saved = errno;
  const char byte = static_cast<char>(number);
  [[maybe_unused]] const ssize_t written = ::write(signal_pair[1], &byte, 1);
  errno = saved;
}

QString name_of(int number) { return number == SIGINT ? QStringLiteral("SIGINT") : QStringLiteral("SIGTERM"); }

// SIGTERM and SIGINT, taken from the event loop: the first stops taking
// requests and ends the program once the running exchange has ended; a
// second one ends it at once.
class Stopping : public QObject {
 public:
  // `stop_taking` closes the server and its clients.
  explicit Stopping(std::function<void()> stop_taking) : stop_taking_(std::move(stop_taking)) {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, signal_pair) != 0) return;
    auto* notifier = new QSocketNotifier(signal_pair[0], QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, &Stopping::take_signals);
    struct sigaction action {};
    action.sa_handler = on_signal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int number : {SIGTERM, SIGINT}) ::sigaction(number, &action, nullptr);
  }
  ~Stopping() override {
    for (const int number : {SIGTERM, SIGINT}) std::signal(number, SIG_DFL);
    for (int& fd : signal_pair) {
      if (fd >= 0) ::close(fd);
      fd = -1;
    }
  }
  Stopping(const Stopping&) = delete;
  Stopping& operator=(const Stopping&) = delete;
  bool requested() const { return signals_ > 0; }

 private:
  void take_signals() {
    char numbers[16];
    ssize_t got = 0;
    while ((got = ::read(signal_pair[0], numbers, sizeof numbers)) > 0)
      for (ssize_t i = 0; i < got; ++i) take(numbers[i]);
  }

  void take(int number) {
    if (++signals_ > 1) {
      LOG(name_of(number) + QStringLiteral(" again: stopped at once"));
      // The port goes with its lock file, as on any close.
      tune_cmd::CLOSE_COM();
      std::_Exit(1);
    }
    LOG(QStringLiteral("stopping on %1: no new request is taken").arg(name_of(number)));
    stop_taking_();
    // An exchange running now runs further down the call stack: the event
    // loop returns once it has ended, within its own reply period.
    QCoreApplication::exit(0);
  }

  std::function<void()> stop_taking_;
  int signals_ = 0;
};

// What port N opens, without the entry's own name: "/dev/ttyUSB0",
// "/dev/ttyS0 (default)".
QString device_of(int port) {
  const QString now = port_links::OPENS_NOW(port);
  const QString entry = port_links::ENTRY(port) + QStringLiteral(" -> ");
  return now.startsWith(entry) ? now.mid(entry.size()) : now;
}

// Why a request failed when the server gave no reason of its own.
QString reason_of(int code) {
  if (code == rotator_lines::INVALID) return QStringLiteral("not a request the tool takes, or wrong values");
  if (code == rotator_lines::NOT_AVAILABLE)
    return QStringLiteral("not available: the CBOX has no such command, or no preset is named Park");
  return {};
}

// Clients that come and go, every failed request; with `verbose` every
// request and its answer.
void WATCH(tracking::Server& server, bool verbose) {
  QObject::connect(&server, &tracking::Server::client_came, &server,
                   [](const QString& client) { LOG(QStringLiteral("client %1 connected").arg(client)); });
  QObject::connect(&server, &tracking::Server::client_left, &server,
                   [](const QString& client) { LOG(QStringLiteral("client %1 left").arg(client)); });
  QObject::connect(&server, &tracking::Server::answered, &server,
                   [verbose](const QString& client, const QString& request, int code, const QString& why,
                             const QByteArray& text) {
                     if (code == rotator_lines::OK && !verbose) return;
                     QString line = QStringLiteral("client %1: %2 -> %3")
                                        .arg(client, request, QString::fromLatin1(text).trimmed());
                     const QString reason = why.isEmpty() ? reason_of(code) : why;
                     if (!reason.isEmpty()) line += QStringLiteral(" (") + reason + QLatin1Char(')');
                     LOG(line);
                   });
}

// The toolkit's own warnings go into the log as one line each too.
void toolkit_message(QtMsgType type, const QMessageLogContext&, const QString& text) {
  if (type != QtDebugMsg && type != QtInfoMsg) LOG(QStringLiteral("toolkit: ") + text);
}
}  // namespace

void TAKE_TOOLKIT_MESSAGES() { qInstallMessageHandler(toolkit_message); }

void LOG(const QString& text) {
  const QDateTime now = QDateTime::currentDateTime();
  QString line = text;
  line.replace(QLatin1String("\r\n"), QLatin1String(" / ")).replace(QLatin1Char('\n'), QLatin1String(" / "));
  for (QChar& c : line)
    if (c.unicode() < 0x20 || c.unicode() == 0x7f) c = QLatin1Char('?');
  const QByteArray bytes =
      (now.toOffsetFromUtc(now.offsetFromUtc()).toString(Qt::ISODateWithMs) + QLatin1Char(' ') + line + '\n')
          .toUtf8();
  std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stderr);
  std::fflush(stderr);
}

int RUN_STATION(QApplication& app) {
  const std::optional<int> port = windowless::PORT(command_line::PORT());
  if (!port) {
    std::fprintf(stderr, "velta: %s\n", windowless::NO_PORT);
    return 2;
  }
  // A client or a log reader that went away must not end the station.
  std::signal(SIGPIPE, SIG_IGN);
  tracking::Server* server = nullptr;
  // Taken from here on; acted on once the event loop runs.
  Stopping stopping([&server] {
    if (server) server->stop();
  });
  windowless::Window station(*port, LOG);
  velta& w = station.window();
  server = &tracking_controls::SERVER(w);
  WATCH(*server, command_line::VERBOSE());
  // Before any tracker can ask for the park position; a damaged file is logged.
  presets::LOAD_PRESETS();
  // A station without its server has nothing to do: the one line is told.
  if (!server->start(*command_line::TRACKING_SERVER())) return 1;
  LOG(QStringLiteral("listening on %1, port %2 -> %3")
          .arg(tracking::TEXT_OF(server->endpoint()), QString::number(*port), device_of(*port)));
  // The start-up's exchanges, from the event loop: a stop meanwhile ends the
  // program once the start-up has ended (it ends at its first failure).
  QTimer::singleShot(0, &w, [&w, &stopping] {
    if (!stopping.requested()) w.READ_CONTROLLER();
  });
  const int status = app.exec();
  LOG(QStringLiteral("stopped"));
  return status;
}
}  // namespace station
