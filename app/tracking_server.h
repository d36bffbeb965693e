#pragma once
// The tracking server: tracking programs, scripts and other machines turn the
// rotator through the tool over TCP, in the rotator daemon's text protocol
// (protocol/rotator_lines.h), while the technician keeps the window to watch
// and to step in.
//
// Requests run one at a time in arrival order, each only while no other
// exchange runs, with every control that starts an exchange disabled; a
// failure goes back as the answer's code and into the status line, never
// into a message box.
#include <QElapsedTimer>
#include <QHostAddress>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTcpServer>
#include <QTimer>
#include <deque>
#include <optional>

#include "protocol/rotator_lines.h"

class QTcpSocket;
class velta;
namespace tune_cmd {
class Unattended;
}

namespace tracking {
inline constexpr quint16 DEFAULT_PORT = 4533;
inline constexpr int MAX_CLIENTS = 8;
// Requests of one client taken in while earlier ones wait: more stay unread
// in the connection until those have been answered.
inline constexpr int MAX_WAITING_PER_CLIENT = 8;
// A request that has not had its turn within this time is answered TIMED_OUT.
inline constexpr int TURN_LIMIT_MS = 10000;

struct Endpoint {
  QHostAddress host{QHostAddress::LocalHost};
  quint16 port = DEFAULT_PORT;
};
// "[HOST:]PORT": HOST an address (an IPv6 one in brackets) or "localhost",
// 127.0.0.1 when not given; PORT 1 to 65535. Nothing, with the reason in
// `problem`, when the text is not one.
std::optional<Endpoint> PARSE_ENDPOINT(const QString& text, QString* problem);
// "127.0.0.1:4533", "[::1]:4533".
QString TEXT_OF(const Endpoint& at);

class Server : public QObject {
  Q_OBJECT
 public:
  // Lives as long as the window whose controller it drives.
  explicit Server(velta& w);
  ~Server() override;

  // Listens on `at` (port 0: one the system picks). False when the port
  // cannot be taken: then one line on stderr and in the status line.
  bool start(const Endpoint& at);
  // Closes the server and every client; waiting requests are dropped.
  void stop();
  bool listening() const { return listener_.isListening(); }
  // The address last given to start, with the port actually taken.
  Endpoint endpoint() const { return at_; }
  // "Tracking: 127.0.0.1:4533, 2 clients, last P 200 0 -> RPRT 0".
  QString status() const;

 signals:
  void status_changed(const QString& status);
  void listening_changed(bool listening);
  // A client came or went: its address and port ("127.0.0.1:50122").
  void client_came(const QString& client);
  void client_left(const QString& client);
  // A request has been answered: the client, the request as the status line
  // shows it, its code, why it failed, and the whole answer as sent.
  void answered(const QString& client, const QString& request, int code, const QString& why, const QByteArray& text);

 private:
  struct Waiting {
    QPointer<QTcpSocket> client;
    QString from;  // the client's address and port
    rotator_lines::Request request;
    QString line;  // as the status line shows it
    qint64 arrived_ms;
  };
  void accept_clients();
  void read_lines(QTcpSocket* client);
  void drop(QTcpSocket* client);
  // Runs what is due: answers what needs no controller, answers those whose
  // turn never came in time, and starts at most one controller request.
  void take_turns();
  void schedule(int ms);
  void run(const Waiting& w);
  // The controller's part of a request.
  struct Result {
    int code = rotator_lines::OK;
    double azimuth = 0;  // the position, for p
    QString why;         // why it failed
    // p while the monitor runs: the monitor reads the reply, and the status
    // frame it completes next gives the answer.
    bool awaits_frame = false;
  };
  Result ask_controller(const rotator_lines::Request& r, const tune_cmd::Unattended& quiet);
  // Answers the p that awaits the monitor's status frame: with the frame's
  // position, or TIMED_OUT when none came within a reply period.
  void frame_came(std::optional<int> degrees);
  void answer(const Waiting& w, int code, double azimuth, const QString& why);
  int waiting_of(const QTcpSocket* client) const;
  static QString address_of(const QTcpSocket* client);
  void tell_status();

  velta& window_;
  QTcpServer listener_;
  Endpoint at_;
  QList<QTcpSocket*> clients_;
  std::deque<Waiting> queue_;
  QPointer<QTcpSocket> running_for_;
  bool running_ = false;
  // A p sent while the monitor runs, until the monitor's frame answers it.
  std::optional<Waiting> awaiting_;
  QTimer frame_timer_;
  QString version_;  // as the last V read showed it; empty before any
  QTimer turn_timer_;
  QElapsedTimer clock_;
  QString last_;
  QString fault_;  // why the server is off, when it could not start
};
}  // namespace tracking
