#pragma once
// The simulator's end of the serial line: a pseudo-terminal whose slave the
// tool opens through the entry ports/com<N> of a working directory.
#include <string>

class PtyLink {
 public:
  // Creates the pty (raw, 9600 8N1) and points ports/com<port> in `dir` at it.
  bool open(const std::string& dir, int port, std::string* error);
  // Hangs the line up: the tool's descriptor sees the hang-up. A new pty is
  // made at once and the port entry points at it, so the tool can reopen.
  bool hangup_and_renew(std::string* error);
  void close();

  int master() const { return master_; }
  const std::string& slave_path() const { return slave_path_; }
  const std::string& entry_path() const { return entry_path_; }

 private:
  bool make_pty(std::string* error);
  int master_ = -1;
  // Held open so the master never sees a hang-up between the tool's
  // exchanges (the tool closes its port after each one).
  int slave_hold_ = -1;
  std::string slave_path_;
  std::string entry_path_;
};
