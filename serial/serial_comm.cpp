#include "serial/serial_comm.h"

#include <fcntl.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

SerialComm::SerialComm(QObject* parent) : QObject(parent) {
  port_.setFlowControl(QSerialPort::NoFlowControl);
  port_.setReadBufferSize(in_buffer_size_);
  connect(&port_, &QSerialPort::errorOccurred, this, &SerialComm::onError);
}

QString SerialComm::devicePath(int number) {
  const QString entry = QDir::current().filePath(QStringLiteral("ports/com%1").arg(number));
  const QFileInfo info(entry);
  // A dangling link still names the port the technician meant; opening it
  // then fails with the usual message instead of silently using ttyS.
  if (info.exists() || info.isSymLink()) return entry;
  return QStringLiteral("/dev/ttyS%1").arg(number - 1);
}

bool SerialComm::setCommPort(int number) {
  if (number < 1) return false;
  comm_port_ = number;
  const QString path = devicePath(number);
  // QSerialPort takes a bare name as /dev/<name>; give it the full path.
  const QString resolved = QFileInfo(path).canonicalFilePath();
  device_path_ = resolved.isEmpty() ? path : resolved;
  port_.setPortName(device_path_);
  return true;
}

bool SerialComm::setSettings(const QString& settings) {
  const QStringList parts = settings.split(',');
  if (parts.size() != 4) return false;
  bool ok = false;
  const int baud = parts[0].trimmed().toInt(&ok);
  if (!ok || baud <= 0) return false;
  QSerialPort::Parity parity;
  const QString p = parts[1].trimmed().toUpper();
  if (p == "N") parity = QSerialPort::NoParity;
  else if (p == "E") parity = QSerialPort::EvenParity;
  else if (p == "O") parity = QSerialPort::OddParity;
  else if (p == "M") parity = QSerialPort::MarkParity;
  else if (p == "S") parity = QSerialPort::SpaceParity;
  else return false;
  const int bits = parts[2].trimmed().toInt(&ok);
  if (!ok || bits < 5 || bits > 8) return false;
  const QString s = parts[3].trimmed();
  QSerialPort::StopBits stop;
  if (s == "1") stop = QSerialPort::OneStop;
  else if (s == "1.5") stop = QSerialPort::OneAndHalfStop;
  else if (s == "2") stop = QSerialPort::TwoStop;
  else return false;
  port_.setBaudRate(baud);
  port_.setParity(parity);
  port_.setDataBits(static_cast<QSerialPort::DataBits>(bits));
  port_.setStopBits(stop);
  settings_ = settings;
  return true;
}

void SerialComm::setInBufferSize(int size) {
  in_buffer_size_ = size;
  // Past this many characters Qt stops taking input from the device; the
  // rest waits in the driver, so nothing is lost while the program is busy.
  port_.setReadBufferSize(size);
}

int SerialComm::inBufferCount() const {
  return port_.isOpen() ? static_cast<int>(port_.bytesAvailable()) : 0;
}

bool SerialComm::portOpen() const { return port_.isOpen(); }

bool SerialComm::setPortOpen(bool open) {
  if (!open) {
    if (port_.isOpen()) port_.close();
    return true;
  }
  if (port_.isOpen()) return false;
  // Resolve the entry anew at every open: a replugged adapter or a renewed
  // pty may stand behind the same port number now.
  setCommPort(comm_port_);
  open_failure_ = OpenFailure::none;
  if (!port_.open(QIODevice::ReadWrite)) {
    switch (port_.error()) {
      case QSerialPort::DeviceNotFoundError: open_failure_ = OpenFailure::missing; break;
      case QSerialPort::PermissionError:
        // The serial service says "permission" both for a device this user
        // may not open and for one another program holds (lock file,
        // exclusive access): the device's own rights tell them apart.
        open_failure_ = ::faccessat(AT_FDCWD, QFile::encodeName(device_path_).constData(), R_OK | W_OK, AT_EACCESS) == 0
                            ? OpenFailure::in_use
                            : OpenFailure::not_allowed;
        break;
      default: open_failure_ = OpenFailure::other; break;
    }
    port_.clearError();
    return false;
  }
  // A closed port hears nothing: whatever the device queued while we were
  // away belongs to no exchange of ours, so it goes.
  port_.clear(QSerialPort::Input);
  return true;
}

void SerialComm::output(const QByteArray& data) {
  if (!port_.isOpen()) return;
  port_.write(data);
}

QByteArray SerialComm::input() {
  if (!port_.isOpen()) return {};
  return input_len_ > 0 ? port_.read(input_len_) : port_.readAll();
}

void SerialComm::discardInput() {
  if (port_.isOpen()) port_.clear(QSerialPort::Input);
}

void SerialComm::onError(QSerialPort::SerialPortError error) {
  if (error == QSerialPort::NoError) return;
  if (!port_.isOpen()) return;  // open failures are reported by setPortOpen
  if (error == QSerialPort::ResourceError || error == QSerialPort::DeviceNotFoundError ||
      error == QSerialPort::ReadError || error == QSerialPort::WriteError) {
    // A hung-up descriptor keeps signalling; close it at once and say so once.
    port_.close();
    port_.clearError();
    emit linkLost();
  }
}
