#pragma once
// A cbox-sim run for one test: its own scratch working directory holding the
// port entry ports/com<N>, and its control channel.
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

class SimProcess {
 public:
  // Extra arguments are passed on (e.g. "--no-pacing").
  explicit SimProcess(int port = 1, const QStringList& args = {});
  ~SimProcess();
  QString dir() const { return dir_.path(); }
  QString ptyPath() const { return pty_; }
  bool ok() const { return ok_; }
  // One control command; the answer without "ok " ("err ..." as is).
  QString control(const QString& line);
  void fault(const QString& spec) { control("fault " + spec); }
  void clearFaults() { control("fault clear"); }
  void set(const QString& key, const QString& value) { control("set " + key + " " + value); }
  QByteArray received();  // everything the tool sent since the last call
  void send(const QByteArray& bytes);
  QStringList events() const { return events_; }  // lines it printed on its own ("renewed ...")

 private:
  QString readLine(int timeout_ms);
  QTemporaryDir dir_;
  QProcess proc_;
  QString pty_;
  bool ok_ = false;
  QStringList events_;
};

// A frame as the tool writes it: STX, "A", code, data, CR.
QByteArray frame(char code, const QByteArray& data = {});
