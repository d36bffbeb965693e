#include "pty_link.h"

#include <fcntl.h>
#include <pty.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {
void set_raw_9600(int fd) {
  termios t{};
  if (tcgetattr(fd, &t) != 0) return;
  cfmakeraw(&t);
  cfsetispeed(&t, B9600);
  cfsetospeed(&t, B9600);
  t.c_cflag &= ~(PARENB | CSTOPB | CSIZE | CRTSCTS);
  t.c_cflag |= CS8 | CLOCAL | CREAD;
  t.c_cc[VMIN] = 1;
  t.c_cc[VTIME] = 0;
  tcsetattr(fd, TCSANOW, &t);
}
}  // namespace

bool PtyLink::make_pty(std::string* error) {
  int m = -1, s = -1;
  char name[256] = {};
  if (openpty(&m, &s, name, nullptr, nullptr) != 0) {
    *error = std::string("openpty: ") + std::strerror(errno);
    return false;
  }
  set_raw_9600(s);
  set_raw_9600(m);
  fcntl(m, F_SETFL, fcntl(m, F_GETFL) | O_NONBLOCK);
  fcntl(m, F_SETFD, FD_CLOEXEC);
  fcntl(s, F_SETFD, FD_CLOEXEC);
  master_ = m;
  slave_hold_ = s;
  slave_path_ = name;
  // Replace the entry atomically, so the tool never finds it missing.
  const std::string tmp = entry_path_ + ".new";
  ::unlink(tmp.c_str());
  if (::symlink(slave_path_.c_str(), tmp.c_str()) != 0 || ::rename(tmp.c_str(), entry_path_.c_str()) != 0) {
    *error = "cannot create " + entry_path_ + ": " + std::strerror(errno);
    return false;
  }
  return true;
}

bool PtyLink::open(const std::string& dir, int port, std::string* error) {
  const std::string ports = dir + "/ports";
  ::mkdir(ports.c_str(), 0755);
  entry_path_ = ports + "/com" + std::to_string(port);
  return make_pty(error);
}

bool PtyLink::hangup_and_renew(std::string* error) {
  close();
  return make_pty(error);
}

void PtyLink::close() {
  if (master_ >= 0) ::close(master_);
  if (slave_hold_ >= 0) ::close(slave_hold_);
  master_ = slave_hold_ = -1;
}
