#include "serial/port_links.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSerialPortInfo>
#include <QStringList>
#include <algorithm>
#include <tuple>
#include <cerrno>

#include "serial/serial_comm.h"

namespace port_links {
namespace {
const QString NO_PERMISSION_MARK = QStringLiteral(" (no permission: add yourself to the group dialout)");

QByteArray native(const QString& path) { return QFile::encodeName(path); }

QString default_device(int n) { return QStringLiteral("/dev/ttyS%1").arg(n - 1); }

QString out_of_range(int n) {
  return QStringLiteral("The port number %1 cannot be given a device: it must lie from %2 to %3. Nothing was changed.")
      .arg(QString::number(n), QString::number(FIRST_PORT), QString::number(LAST_PORT));
}

QString cannot_make(int n, int error) {
  return QStringLiteral("%1 cannot be made: %2. Nothing was changed.").arg(ENTRY(n), qt_error_string(error));
}

// What the serial service knows of the device at `path`, and whether this
// user may open it: " (FT232R USB UART, FTDI, A50285BI)".
QString described(const QString& path, const std::vector<PortDescription>& ports,
                  const std::function<bool(const QString&)>& no_permission) {
  QStringList known;
  for (const PortDescription& p : ports) {
    if (p.path != path) continue;
    for (const QString& part : {p.description, p.maker, p.serial})
      if (!part.isEmpty()) known << part;
  }
  QString text = known.isEmpty() ? QString() : " (" + known.join(QStringLiteral(", ")) + ")";
  if (no_permission(path)) text += NO_PERMISSION_MARK;
  return text;
}

// Why ports/com<N> may not be replaced or removed: something other than a
// link stands there, put by hand, and we never destroy it. Empty when the
// entry is a link or missing.
QString in_the_way(int n) {
  struct stat st {};
  if (::lstat(native(ENTRY(n)).constData(), &st) != 0) return errno == ENOENT ? QString() : cannot_make(n, errno);
  if (S_ISLNK(st.st_mode)) return {};
  const QString kind = S_ISDIR(st.st_mode)   ? QStringLiteral("a folder")
                       : S_ISREG(st.st_mode) ? QStringLiteral("a file")
                                             : QStringLiteral("something else");
  return QStringLiteral("%1 is %2, not a link to a device: nothing was changed (move it away first).")
      .arg(ENTRY(n), kind);
}

// Adapters first (a technician looks for those), then by name with the
// numbers in order: ttyS2 before ttyS10.
bool listed_before(const PortDescription& a, const PortDescription& b) {
  const auto key = [](const PortDescription& p) {
    qsizetype digits = p.path.size();
    while (digits > 0 && p.path[digits - 1].isDigit()) --digits;
    return std::tuple(p.by_id.isEmpty() && p.maker.isEmpty(), p.path.left(digits), p.path.size() - digits, p.path);
  };
  return key(a) < key(b);
}
}  // namespace

QString ENTRY(int n) { return QStringLiteral("ports/com%1").arg(n); }

std::vector<PortDescription> PORTS_PRESENT() {
  std::vector<PortDescription> ports;
  for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
    const QString path = info.systemLocation();
    ports.push_back({path, info.description(), info.manufacturer(), info.serialNumber(), STABLE_NAME(path)});
  }
  std::sort(ports.begin(), ports.end(), listed_before);
  return ports;
}

QString STABLE_NAME(const QString& device, const QString& by_id_dir) {
  struct stat wanted {};
  if (::stat(native(device).constData(), &wanted) != 0 || !S_ISCHR(wanted.st_mode)) return {};
  const QDir folder(by_id_dir);
  for (const QString& name : folder.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot, QDir::Name)) {
    const QString path = folder.filePath(name);
    struct stat st {};
    if (::stat(native(path).constData(), &st) == 0 && S_ISCHR(st.st_mode) && st.st_rdev == wanted.st_rdev) return path;
  }
  return {};
}

QString OPENS_NOW(int n) {
  if (n < 1) return QStringLiteral("no device for this number");
  const QString path = SerialComm::devicePath(n);
  if (path == default_device(n)) return path + QStringLiteral(" (default)");
  const QFileInfo entry(path);
  if (!entry.isSymLink()) return ENTRY(n) + QStringLiteral(" (not a link)");
  const QString device = entry.canonicalFilePath();
  if (device.isEmpty()) return ENTRY(n) + " -> " + entry.symLinkTarget() + QStringLiteral(" (missing)");
  return ENTRY(n) + " -> " + device;
}

bool NO_PERMISSION(const QString& path) {
  if (::faccessat(AT_FDCWD, native(path).constData(), R_OK | W_OK, AT_EACCESS) == 0) return false;
  return errno == EACCES || errno == EPERM;
}

std::vector<ListEntry> DEVICE_LIST(int n, const std::vector<PortDescription>& ports,
                                   const std::function<bool(const QString&)>& no_permission) {
  std::vector<ListEntry> list;
  const QString now = SerialComm::devicePath(n);
  const QString device_now = QFileInfo(now).canonicalFilePath();
  list.push_back({ListEntry::Pick::keep, {},
                  OPENS_NOW(n) + (device_now.isEmpty() ? QString() : described(device_now, ports, no_permission))});
  if (n < FIRST_PORT || n > LAST_PORT) return list;
  for (const PortDescription& p : ports) {
    QString text = p.path + described(p.path, ports, no_permission);
    if (!p.by_id.isEmpty()) text += " as by-id/" + QFileInfo(p.by_id).fileName();
    list.push_back({ListEntry::Pick::link, p.by_id.isEmpty() ? p.path : p.by_id, text});
  }
  if (QFileInfo(now).isSymLink()) {
    const QString fallback = default_device(n);
    list.push_back({ListEntry::Pick::unlink, {},
                    fallback + QStringLiteral(" (default)") + described(fallback, ports, no_permission)});
  }
  return list;
}

QString LINK_PORT(int n, const QString& device, const QString& by_id_dir) {
  if (n < FIRST_PORT || n > LAST_PORT) return out_of_range(n);
  const QString absolute = QFileInfo(device).absoluteFilePath();
  struct stat st {};
  if (::stat(native(absolute).constData(), &st) != 0)
    return QStringLiteral("%1 cannot be linked: %2. Nothing was changed.").arg(device, qt_error_string(errno));
  if (!S_ISCHR(st.st_mode))
    return QStringLiteral("%1 is not a serial device (not a character device): nothing was changed.").arg(device);
  if (const QString why = in_the_way(n); !why.isEmpty()) return why;
  // The stable name keeps the adapter on its number whatever socket it is
  // plugged into; without one, the device itself, never a link of ours.
  QString target = STABLE_NAME(absolute, by_id_dir);
  if (target.isEmpty()) target = QFileInfo(absolute).canonicalFilePath();
  if (::mkdir("ports", 0755) != 0 && errno != EEXIST) return cannot_make(n, errno);
  // Made beside the entry and renamed over it, so that port N always names
  // either the old device or the new one.
  const QByteArray fresh =
      native(QStringLiteral("ports/.com%1.%2.new").arg(QString::number(n), QString::number(::getpid())));
  ::unlink(fresh.constData());
  if (::symlink(native(target).constData(), fresh.constData()) != 0) return cannot_make(n, errno);
  if (::rename(fresh.constData(), native(ENTRY(n)).constData()) != 0) {
    const int error = errno;
    ::unlink(fresh.constData());
    return cannot_make(n, error);
  }
  return {};
}

QString UNLINK_PORT(int n) {
  if (n < FIRST_PORT || n > LAST_PORT) return out_of_range(n);
  if (const QString why = in_the_way(n); !why.isEmpty()) return why;
  if (::unlink(native(ENTRY(n)).constData()) != 0 && errno != ENOENT) return cannot_make(n, errno);
  return {};
}
}  // namespace port_links
