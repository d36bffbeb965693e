#pragma once
// The serial communications control of the main window: the one port to the
// CBOX, with the properties the command routines rely on (port number, line
// settings, input length, receive buffer size, open/closed, output, input,
// count of waiting characters, discarding the receive buffer).
#include <QByteArray>
#include <QObject>
#include <QSerialPort>
#include <QString>

class SerialComm : public QObject {
  Q_OBJECT
 public:
  explicit SerialComm(QObject* parent = nullptr);

  // Port number N opens ports/com<N> of the working directory when that
  // entry exists (a link to /dev/ttyUSB0, a pty, any tty), else /dev/ttyS<N-1>.
  // Returns false for a number below 1.
  bool setCommPort(int number);
  int commPort() const { return comm_port_; }
  static QString devicePath(int number);

  // "9600,N,8,1": baud, parity (N, E, O, M, S), data bits, stop bits.
  bool setSettings(const QString& settings);
  QString settings() const { return settings_; }

  // Characters returned by one input(); 0 returns all that wait.
  void setInputLen(int len) { input_len_ = len; }
  int inputLen() const { return input_len_; }
  void setInBufferSize(int size);
  int inBufferSize() const { return in_buffer_size_; }

  int inBufferCount() const;
  bool portOpen() const;
  // Opens or closes the port; false when the serial service refused (see
  // openFailure()).
  bool setPortOpen(bool open);
  // Writes the string unchanged; nothing is added or waited for.
  void output(const QByteArray& data);
  // At most inputLen() characters, the empty string when none wait.
  QByteArray input();
  // Empties the receive buffer; on a closed port it does nothing.
  void discardInput();

  // Why the last open failed, as far as the technician can act on it.
  enum class OpenFailure { none, missing, in_use, not_allowed, other };
  OpenFailure openFailure() const { return open_failure_; }

 signals:
  // The device vanished while open (pty hung up, USB adapter pulled). The
  // port has already been closed when this is emitted.
  void linkLost();

 private:
  void onError(QSerialPort::SerialPortError error);

  QSerialPort port_;
  int comm_port_ = 1;
  QString settings_ = "9600,N,8,1";
  int input_len_ = 1;
  int in_buffer_size_ = 4096;
  OpenFailure open_failure_ = OpenFailure::none;
  QString device_path_;  // the device the port number stands for now
};
