#pragma once
// A cbox-sim run for one test: its own scratch working directory holding the
// port entry ports/com<N>, and its control channel.
#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

class SimProcess {
 public:
  // Starts the simulator in a fresh scratch directory; extra arguments are
  // passed on (e.g. "--no-pacing"). Fails the test when it does not come up.
  explicit SimProcess(int port = 1, const QStringList& args = {});
  ~SimProcess();

  QString dir() const { return dir_.path(); }
  QString ptyPath() const { return pty_; }
  int port() const { return port_; }
  bool ok() const { return ok_; }

  // One control command; returns the answer without "ok " ("err ..." as is).
  QString control(const QString& line);
  void fault(const QString& spec) { control("fault " + spec); }
  void clearFaults() { control("fault clear"); }
  void set(const QString& key, const QString& value) { control("set " + key + " " + value); }
  // Everything the tool sent since the last call.
  QByteArray received();
  // Sends characters as they are.
  void send(const QByteArray& bytes);
  // Lines the simulator printed on its own ("renewed ...").
  QStringList events() const { return events_; }

 private:
  QString readLine(int timeout_ms);
  QTemporaryDir dir_;
  QProcess proc_;
  QString pty_;
  int port_;
  bool ok_ = false;
  QStringList events_;
};

// Frames as the tool writes them: STX, "A", code, data, CR.
QByteArray frame(char code, const QByteArray& data = {});
