#include "serial/link.h"

#include <QTimer>

#include "serial/serial_vars.h"
#include "serial/yield.h"

namespace tune_cmd {
namespace {
SerialComm* comm_ = nullptr;
QTimer* timer_ = nullptr;
bool link_lost_ = false;
bool link_lost_told_ = false;
int lost_port_ = 0;
Unattended* unattended_ = nullptr;
std::function<void(const QString&)> user_messages_;
// The exchange a stop may break into while it waits, and the stop that did.
QString waiting_exchange_;
QString waiting_consequence_;
std::function<void()> waiting_forget_;
QString interrupted_text_;
bool interrupted_told_ = false;

// Every failure text goes out here: to the user, or to an unattended caller.
void tell(const QString& text, Failure kind) {
  if (unattended_) return unattended_->keep(kind, text);
  if (user_messages_) user_messages_(text);
}

// Tells `text` unless it has been told already in this exchange.
void tell_once(const QString& text, Failure kind, bool& told) {
  if (told) return;
  told = true;
  tell(text, kind);
}

QString lost_text() {
  return QStringLiteral("COM PORT # %1 LOST: the serial device hung up or was unplugged!").arg(lost_port_);
}

// "ERROR OPENING COM PORT #" and the number with a blank in front of it,
// a negative number carrying its minus sign in place of the blank.
QString open_error_text() {
  const int n = myVar::com_port_number;
  return QStringLiteral("ERROR OPENING COM PORT #") + (n < 0 ? QString::number(n) : " " + QString::number(n));
}

void tell_interruption() {
  if (interrupted_told_) return;
  if (waiting_forget_) waiting_forget_();
  tell_once(interrupted_text_, Failure::timeout, interrupted_told_);
}
}  // namespace

void SET_USER_MESSAGES(std::function<void(const QString&)> show) { user_messages_ = std::move(show); }

void TELL(const QString& text) { tell(text, Failure::protocol); }

void ATTACH(SerialComm* comm, QTimer* timer) {
  comm_ = comm;
  timer_ = timer;
  QObject::connect(comm, &SerialComm::linkLost, comm, [] {
    link_lost_ = true;
    link_lost_told_ = false;
    lost_port_ = comm_ ? comm_->commPort() : 0;
    // Every wait ends as after a time-out; the port is already closed.
    myVar::reply_timeout = true;
  });
}

SerialComm* MSComm1() { return comm_; }
QTimer* Timer1() { return timer_; }

void TIMER_ON() {
  if (timer_ && !timer_->isActive()) timer_->start();
}

void TIMER_OFF() {
  if (timer_) timer_->stop();
}

void Timer1_Timer() { myVar::reply_timeout = true; }

ReplyWait::ReplyWait() : end_(timer_ ? timer_->interval() : 0, Qt::PreciseTimer) {}

bool ReplyWait::pass(int wanted) {
  TIMER_ON();
  YIELD(wanted, end_);
  if (end_.hasExpired()) myVar::reply_timeout = true;
  return !myVar::reply_timeout;
}

void ReplyWait::yield(int wanted) const { YIELD(wanted, end_); }

bool OPEN_COM() {
  bool failed = false;
  if (myVar::configure_port) {
    failed = !comm_->setCommPort(myVar::com_port_number) || !comm_->setSettings(QStringLiteral("9600,N,8,1"));
    if (!failed) {
      comm_->setInputLen(1);
      comm_->setInBufferSize(4096);
      failed = !comm_->setPortOpen(true);
    }
  } else if (!comm_->portOpen()) {
    failed = !comm_->setPortOpen(true);
  }
  if (failed) {
    // The fixed text first; where the technician can act on the cause, it
    // follows on a line of its own.
    QString text = open_error_text();
    if (comm_->openFailure() == SerialComm::OpenFailure::in_use)
      text += QStringLiteral("\nThe port is in use by another program (or another copy of this tool).");
    else if (comm_->openFailure() == SerialComm::OpenFailure::not_allowed)
      text += QStringLiteral("\nThis user may not open the serial device (on Debian: sudo adduser $USER "
                             "dialout, then log in again).");
    tell(text, Failure::port);
    return true;
  }
  // A port opened afresh starts a new life of the link.
  link_lost_ = false;
  link_lost_told_ = false;
  return false;
}

void CLOSE_COM() {
  if (comm_->portOpen()) comm_->setPortOpen(false);
}

QString READ_PORT() { return QString::fromLatin1(comm_->input()); }

QString GET_CHAR() {
  myVar::rx_buffer.clear();
  ReplyWait wait;
  do {
    wait.pass();
    myVar::rx_buffer += READ_PORT();
  } while (myVar::rx_buffer.isEmpty() && !myVar::reply_timeout);
  TIMER_OFF();
  return myVar::reply_timeout ? QString() : myVar::rx_buffer;
}

void REPORT(const QString& text, Failure kind) {
  // The failure this exchange meets now is the stop's doing, or the
  // vanished device's: say that instead.
  if (!interrupted_text_.isEmpty()) return tell_interruption();
  if (link_lost_) return tell_once(lost_text(), Failure::port, link_lost_told_);
  tell(text, kind);
}

Unattended::Unattended() : outer_(unattended_) { unattended_ = this; }
Unattended::~Unattended() { unattended_ = outer_; }
void Unattended::keep(Failure kind, const QString& text) {
  if (failure_ != Failure::none) return;
  failure_ = kind;
  text_ = text;
}

Attended::Attended() : outer_(unattended_) { unattended_ = nullptr; }
Attended::~Attended() { unattended_ = outer_; }

WaitingExchange::WaitingExchange(const QString& name, const QString& consequence, std::function<void()> forget) {
  waiting_exchange_ = name;
  waiting_consequence_ = consequence;
  waiting_forget_ = std::move(forget);
  interrupted_text_.clear();
  interrupted_told_ = false;
}

WaitingExchange::~WaitingExchange() {
  waiting_exchange_.clear();
  waiting_forget_ = nullptr;
  interrupted_text_.clear();
  interrupted_told_ = false;
}

void WaitingExchange::set_consequence(const QString& consequence) { waiting_consequence_ = consequence; }

void INTERRUPT(const QString& stop) {
  if (waiting_exchange_.isEmpty()) return;
  interrupted_text_ = QStringLiteral("%1 ended: %2 was sent while it waited for its reply. %3")
                          .arg(waiting_exchange_, stop, waiting_consequence_)
                          .trimmed();
  interrupted_told_ = false;
}

bool INTERRUPTED() { return !interrupted_text_.isEmpty(); }

void END_LINK_REPORT() {
  if (!interrupted_text_.isEmpty()) tell_interruption();
  if (link_lost_) tell_once(lost_text(), Failure::port, link_lost_told_);
  link_lost_ = false;
  link_lost_told_ = false;
}

bool LINK_LOST() { return link_lost_; }
}  // namespace tune_cmd
