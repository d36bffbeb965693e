#include "tests/harness/sim_process.h"

#include <QElapsedTimer>

#ifndef CBOX_SIM_PATH
#error "CBOX_SIM_PATH must name the simulator binary"
#endif

QByteArray frame(char code, const QByteArray& data) { return "\x02" "A" + QByteArray(1, code) + data + "\r"; }

SimProcess::SimProcess(int port, const QStringList& args) {
  proc_.setProgram(QStringLiteral(CBOX_SIM_PATH));
  proc_.setArguments(QStringList{"--control", "--port", QString::number(port), "--dir", dir_.path()} + args);
  proc_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  proc_.start();
  if (!proc_.waitForStarted(5000)) return;
  const QString line = readLine(5000);
  if (!line.startsWith("ready ")) return;
  pty_ = line.section(' ', 1, 1);
  ok_ = true;
}

SimProcess::~SimProcess() {
  if (proc_.state() != QProcess::NotRunning) {
    proc_.write("quit\n");
    proc_.closeWriteChannel();
    if (!proc_.waitForFinished(2000)) {
      proc_.kill();
      proc_.waitForFinished(2000);
    }
  }
}

QString SimProcess::readLine(int timeout_ms) {
  QElapsedTimer t;
  t.start();
  while (!proc_.canReadLine()) {
    const int left = timeout_ms - static_cast<int>(t.elapsed());
    if (left <= 0 || !proc_.waitForReadyRead(left)) {
      if (proc_.canReadLine()) break;
      return {};
    }
  }
  return QString::fromLatin1(proc_.readLine()).trimmed();
}

QString SimProcess::control(const QString& line) {
  proc_.write((line + "\n").toLatin1());
  proc_.waitForBytesWritten(2000);
  for (;;) {
    const QString answer = readLine(5000);
    if (answer.isEmpty()) return QStringLiteral("err no answer");
    if (answer.startsWith("ok")) return answer.mid(3);
    if (answer.startsWith("err")) return answer;
    events_ << answer;  // "renewed ..." and the like
  }
}

QByteArray SimProcess::received() {
  return QByteArray::fromHex(control(QStringLiteral("rx")).toLatin1());
}

void SimProcess::send(const QByteArray& bytes) { control("send " + QString::fromLatin1(bytes.toHex())); }
