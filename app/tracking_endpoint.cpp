#include <QHostAddress>

#include "app/tracking_server.h"
#include "serial/number_text.h"

namespace tracking {
std::optional<Endpoint> PARSE_ENDPOINT(const QString& text, QString* problem) {
  Endpoint at;
  QString port = text;
  const qsizetype colon = text.lastIndexOf(':');
  if (colon >= 0) {
    QString host = text.left(colon);
    port = text.mid(colon + 1);
    const bool bracketed = host.startsWith('[') && host.endsWith(']');
    if (bracketed) host = host.mid(1, host.size() - 2);
    if (host == QLatin1String("localhost")) {
      at.host = QHostAddress(QHostAddress::LocalHost);
    } else if ((host.contains(':') && !bracketed) || !at.host.setAddress(host)) {
      *problem = QStringLiteral("%1 is not an address: give one such as 127.0.0.1, 0.0.0.0 or [::1]").arg(host);
      return std::nullopt;
    }
  }
  bool ok = false;
  const uint number = tune_cmd::IS_DIGITS(port) ? port.toUInt(&ok) : 0;
  if (!ok || number < 1 || number > 65535) {
    *problem = QStringLiteral("%1 is not a port: it must be a whole number from 1 to 65535").arg(port);
    return std::nullopt;
  }
  at.port = static_cast<quint16>(number);
  return at;
}

QString TEXT_OF(const Endpoint& at) {
  const QString host = at.host.protocol() == QAbstractSocket::IPv6Protocol
                           ? QLatin1Char('[') + at.host.toString() + QLatin1Char(']')
                           : at.host.toString();
  return host + QLatin1Char(':') + QString::number(at.port);
}

}  // namespace tracking
