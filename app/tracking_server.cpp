#include "app/tracking_server.h"

#include <QTcpSocket>
#include <QTextStream>
#include <utility>

#include "app/presets.h"
#include "app/request_lock.h"
#include "protocol/reports.h"
#include "protocol/tune_cmd.h"
#include "ui/velta.h"

namespace tracking {
namespace {
using rotator_lines::Command;

// Answers a client has not read yet beyond this: it reads none of them, and
// is closed rather than let them pile up.
constexpr qint64 MAX_UNREAD = 64 * 1024;
// A request as the status line shows it.
constexpr int SHOWN_LINE = 40;

// What a client sent may be anything: the status line shows it printable and short.
QString shown(const QByteArray& line) {
  QString out;
  for (char c : line.trimmed().left(SHOWN_LINE)) out += c >= ' ' && c < 127 ? QChar(c) : QChar('?');
  return line.trimmed().size() > SHOWN_LINE ? out + QStringLiteral("...") : out;
}

// The park position is the preset named "Park": K runs the go-to to it as P
// to that azimuth would, answered under its own name. Without one, the
// CBOX has none.
rotator_lines::Request parked(rotator_lines::Request r) {
  if (r.command != Command::park) return r;
  if (const std::optional<int> park = presets::PARK(presets::KEPT().presets())) {
    r.command = Command::set_pos;
    r.azimuth = *park;
    r.code = rotator_lines::OK;
  }
  return r;
}
}  // namespace

Server::Server(velta& w) : QObject(&w), window_(w) {
  setObjectName(QStringLiteral("tracking_server"));
  clock_.start();
  turn_timer_.setSingleShot(true);
  connect(&turn_timer_, &QTimer::timeout, this, &Server::take_turns);
  connect(&listener_, &QTcpServer::newConnection, this, &Server::accept_clients);
  frame_timer_.setSingleShot(true);
  connect(&frame_timer_, &QTimer::timeout, this, [this] { frame_came(std::nullopt); });
  // What the controller reported comes as it happens; no box is read back.
  connect(&tune_cmd::REPORTS(), &tune_cmd::Reports::status_frame, this,
          [this](int degrees, const QString&) { frame_came(degrees); });
  connect(&tune_cmd::REPORTS(), &tune_cmd::Reports::version_read, this,
          [this](const QString& version) { version_ = version; });
}

Server::~Server() {
  // The window is going: nobody is left to tell.
  blockSignals(true);
  stop();
}

bool Server::start(const Endpoint& at) {
  stop();
  at_ = at;
  if (!listener_.listen(at.host, at.port)) {
    fault_ = QStringLiteral("%1 cannot be taken: %2").arg(TEXT_OF(at), listener_.errorString());
    QTextStream(stderr) << "velta: tracking server: " << fault_ << Qt::endl;
    tell_status();
    emit listening_changed(false);
    return false;
  }
  at_.port = listener_.serverPort();
  fault_.clear();
  last_.clear();
  // A request waiting for the window's exchange to end takes its turn then.
  tune_cmd::ON_EXCHANGES(this, [this](bool running) {
    if (!running) schedule(0);
  });
  tell_status();
  emit listening_changed(true);
  return true;
}

void Server::stop() {
  const bool was_listening = listener_.isListening();
  listener_.close();
  queue_.clear();
  turn_timer_.stop();
  awaiting_.reset();
  frame_timer_.stop();
  for (QTcpSocket* c : std::exchange(clients_, {})) {
    c->disconnect(this);
    c->abort();
    c->deleteLater();
  }
  if (!was_listening) return;
  tune_cmd::ON_EXCHANGES(this, {});
  tell_status();
  emit listening_changed(false);
}

QString Server::status() const {
  if (!listening())
    return fault_.isEmpty() ? QStringLiteral("Tracking: off") : QStringLiteral("Tracking: off, ") + fault_;
  QString s = QStringLiteral("Tracking: %1, %2 client").arg(TEXT_OF(at_)).arg(clients_.size());
  if (clients_.size() != 1) s += QLatin1Char('s');
  if (!last_.isEmpty()) s += QStringLiteral(", last ") + last_;
  return s;
}

void Server::tell_status() { emit status_changed(status()); }

void Server::accept_clients() {
  while (QTcpSocket* c = listener_.nextPendingConnection()) {
    if (clients_.size() >= MAX_CLIENTS) {
      c->abort();
      c->deleteLater();
      continue;
    }
    // What is not read yet stays in the connection, not in the tool.
    c->setReadBufferSize(4096);
    clients_ << c;
    connect(c, &QTcpSocket::readyRead, this, [this, c] { read_lines(c); });
    connect(c, &QTcpSocket::disconnected, this, [this, c] { drop(c); });
    c->setProperty("from", address_of(c));
    emit client_came(address_of(c));
  }
  tell_status();
}

QString Server::address_of(const QTcpSocket* client) {
  // Kept from when it came: a connection that is gone has no peer any more.
  if (const QVariant kept = client->property("from"); kept.isValid()) return kept.toString();
  const QHostAddress a = client->peerAddress();
  return TEXT_OF({a.protocol() == QAbstractSocket::IPv6Protocol && a.toIPv4Address() ? QHostAddress(a.toIPv4Address()) : a,
                  client->peerPort()});
}

void Server::drop(QTcpSocket* client) {
  if (!clients_.removeOne(client)) return;
  emit client_left(address_of(client));
  std::erase_if(queue_, [client](const Waiting& w) { return w.client == client; });
  client->disconnect(this);
  // Answers already written still go out before the connection closes.
  connect(client, &QTcpSocket::disconnected, client, &QObject::deleteLater);
  client->disconnectFromHost();
  if (client->state() == QAbstractSocket::UnconnectedState) client->deleteLater();
  tell_status();
}

int Server::waiting_of(const QTcpSocket* client) const {
  int n = running_for_ == client || (awaiting_ && awaiting_->client == client) ? 1 : 0;
  for (const Waiting& w : queue_) n += w.client == client ? 1 : 0;
  return n;
}

void Server::read_lines(QTcpSocket* client) {
  if (!clients_.contains(client)) return;
  bool taken = false;
  while (waiting_of(client) < MAX_WAITING_PER_CLIENT) {
    if (!client->canReadLine()) {
      if (client->bytesAvailable() > static_cast<qint64>(rotator_lines::MAX_LINE)) drop(client);
      break;
    }
    // At most the longest line allowed and its "\n".
    QByteArray line = client->readLine(rotator_lines::MAX_LINE + 2);
    line.chop(line.endsWith('\n') ? 1 : 0);
    if (line.size() > static_cast<qsizetype>(rotator_lines::MAX_LINE)) {
      drop(client);
      break;
    }
    const rotator_lines::Request r = parked(rotator_lines::PARSE(std::string_view(line.constData(), line.size())));
    if (r.command == Command::blank) continue;
    queue_.push_back({client, address_of(client), r, shown(line), clock_.elapsed()});
    taken = true;
  }
  if (taken) schedule(0);
}

void Server::schedule(int ms) {
  if (!turn_timer_.isActive() || turn_timer_.remainingTime() > ms) turn_timer_.start(ms);
}

void Server::take_turns() {
  // A request running further down the call stack, or one the monitor's
  // frame answers: its end takes the next turn, so that answers keep the
  // order of the requests.
  if (running_ || awaiting_) return;
  while (!queue_.empty()) {
    if (!queue_.front().client) {
      queue_.pop_front();
      continue;
    }
    const bool controller = rotator_lines::NEEDS_CONTROLLER(queue_.front().request);
    const qint64 waited = clock_.elapsed() - queue_.front().arrived_ms;
    if (controller && waited < TURN_LIMIT_MS && tune_cmd::EXCHANGE_RUNNING()) {
      // Its turn comes when the window's exchange ends, or its time runs out.
      schedule(static_cast<int>(TURN_LIMIT_MS - waited));
      return;
    }
    const Waiting w = std::move(queue_.front());
    queue_.pop_front();
    if (w.request.command == Command::quit) {
      drop(w.client);
    } else if (!controller) {
      answer(w, w.request.code, 0, {});
    } else if (waited >= TURN_LIMIT_MS) {
      answer(w, rotator_lines::TIMED_OUT, 0, QStringLiteral("no turn within %1 s").arg(TURN_LIMIT_MS / 1000));
    } else {
      // One exchange a turn: the event loop runs between two requests.
      run(w);
      schedule(0);
      return;
    }
  }
}

void Server::run(const Waiting& w) {
  running_ = true;
  running_for_ = w.client;
  Result result;
  {
    const tune_cmd::Busy busy;
    const tune_cmd::Unattended quiet;
    const RequestLock lock(window_);
    // The stops stay usable: one clicked meanwhile goes out at once, and the
    // request ends as a read a stop broke into.
    const tune_cmd::WaitingExchange waiting(QStringLiteral("request ") + w.line, QString());
    result = ask_controller(w.request, quiet);
  }
  running_ = false;
  running_for_ = nullptr;
  if (result.awaits_frame) {
    // Not a wait of the request's own: it would run above the monitor's loop,
    // which could then never read the frame.
    awaiting_ = w;
    frame_timer_.start(tune_cmd::Timer1()->interval());
    return;
  }
  answer(w, result.code, result.azimuth, result.why.simplified());
}

void Server::frame_came(std::optional<int> degrees) {
  if (!awaiting_) return;
  frame_timer_.stop();
  const Waiting w = *std::exchange(awaiting_, std::nullopt);
  if (degrees) answer(w, rotator_lines::OK, *degrees, {});
  else answer(w, rotator_lines::TIMED_OUT, 0, QStringLiteral("the monitor got no status frame in time"));
  schedule(0);
}

void Server::answer(const Waiting& w, int code, double azimuth, const QString& why) {
  const std::string info =
      w.request.command == Command::get_info ? rotator_lines::INFO(version_.toStdString()) : std::string();
  const std::string text = rotator_lines::ANSWER(w.request, code, azimuth, info);
  last_ = w.line + QStringLiteral(" -> RPRT ") + QString::number(code);
  if (!why.isEmpty()) last_ += QStringLiteral(" (") + why + QLatin1Char(')');
  if (w.client && w.client->state() == QAbstractSocket::ConnectedState) {
    w.client->write(text.data(), static_cast<qint64>(text.size()));
    if (w.client->bytesToWrite() > MAX_UNREAD) {
      w.client->abort();
      drop(w.client);
    }
  }
  tell_status();
  emit answered(w.from, w.line, code, why, QByteArray::fromStdString(text));
  // Lines held back while this one waited.
  if (w.client) read_lines(w.client);
}
}  // namespace tracking
