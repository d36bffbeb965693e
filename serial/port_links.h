#pragma once
// Which device a port number opens, and the links of the ports/ folder that
// choose it: the rules behind the chooser's device list and the command
// line's --list-ports and --link-port. Port N opens the entry ports/com<N>
// of the working directory when it exists, else /dev/ttyS<N-1>
// (SerialComm::devicePath); a link there is how a technician picks a USB
// adapter for a number.
#include <QString>
#include <functional>
#include <vector>

namespace port_links {
// The numbers a link can be made for.
inline constexpr int FIRST_PORT = 1;
inline constexpr int LAST_PORT = 255;
// Where the system keeps the names of USB serial adapters that stay the same
// whatever socket the adapter is plugged into.
inline constexpr const char* BY_ID_DIR = "/dev/serial/by-id";

// One serial device present, as the serial service describes it.
struct PortDescription {
  QString path;         // /dev/ttyUSB0
  QString description;  // FT232R USB UART
  QString maker;        // FTDI
  QString serial;       // A50285BI
  QString by_id;        // its name under BY_ID_DIR, empty when it has none
};

// The serial devices present now, adapters first.
std::vector<PortDescription> PORTS_PRESENT();

// The name under `by_id_dir` that stands for the same device as `device`;
// empty when there is none.
QString STABLE_NAME(const QString& device, const QString& by_id_dir = QString::fromLatin1(BY_ID_DIR));

// Port N's entry, relative to the working directory: "ports/com3".
QString ENTRY(int n);

// The human text of the device port N opens now, for the chooser and the
// About box: "ports/com1 -> /dev/ttyUSB0" or "/dev/ttyS0 (default)".
QString OPENS_NOW(int n);

// True when the device exists but this user may not open it for reading and
// writing.
bool NO_PERMISSION(const QString& path);

// One line of the chooser's device list and what picking it does at ACCEPT.
struct ListEntry {
  enum class Pick { keep, link, unlink };
  Pick pick = Pick::keep;
  QString device;  // for link: the name ports/com<N> will point at
  QString text;
};

// The device list for port N: first what it opens now (picking it changes
// nothing), then every device of `ports`, then the default device when a
// link stands in its way. `no_permission` marks the devices this user may
// not open.
std::vector<ListEntry> DEVICE_LIST(int n, const std::vector<PortDescription>& ports,
                                   const std::function<bool(const QString&)>& no_permission);

// Makes port N open `device` from now on: ports/com<N> becomes a link to its
// stable name under `by_id_dir` when it has one, else to the device itself,
// replacing an earlier link in one step. Only a character device is linked;
// a file or folder at ports/com<N> is never replaced. Empty on success, else
// what stopped it (nothing has changed then).
QString LINK_PORT(int n, const QString& device, const QString& by_id_dir = QString::fromLatin1(BY_ID_DIR));

// Gives port N back its default device: removes a link at ports/com<N> and
// nothing else. Empty on success (also when there was no link).
QString UNLINK_PORT(int n);
}  // namespace port_links
