#pragma once
// Faults the simulator can put into its replies, switched from the command
// line (--fault SPEC) and from the control channel (fault SPEC).
//
// SPEC is NAME[=ARG] followed by optional words "for=CODES" (only replies to
// these command codes, e.g. for=?L) and "once" (only the next such reply):
//   silence          no reply at all
//   noise[=N]        N characters of noise before STX (default 6)
//   wrong-header     "X" in place of the identifier "A"
//   wrong-code       "Z" in place of the echoed command code
//   bad-sep          ";" in place of the separator after the echoed code
//   short-field      the first numeric field one character short
//   wrong-term       line feed in place of the frame's terminating CR
//   slow[=MS]        every character after STX MS ms late (default 3500)
//   busy             the state letter "B" in place of "R"
//   hangup[=I]       hang the line up before character I (default: mid-reply)
//   cut=I            send only the first I characters
//   replace=I:C      character I (0 = STX) replaced by C (a character or a decimal code)
//   delay=I:MS       MS ms of silence before character I
#include <string>
#include <vector>

#include "output_queue.h"

// A reply as a command handler builds it.
struct Reply {
  std::string bytes;
  int field_pos = -1;  // first numeric field, for short-field
  int field_len = 0;
  int state_pos = -1;  // the state letter, for busy
  bool frame = true;   // counts as a frame (for statistics)
};

struct Fault {
  std::string name;
  std::string arg;
  std::string codes;  // empty: every reply
  bool once = false;
};

class Faults {
 public:
  // Parses and adds a fault; false with a reason on a bad spec.
  bool add(const std::string& spec, std::string* error);
  void clear() { faults_.clear(); }
  bool empty() const { return faults_.empty(); }
  std::string describe() const;

  // True when the controller should report busy to a command with this code.
  bool busy_for(char code);
  // Turns a reply to `code` into the characters that go on the wire.
  std::vector<OutItem> apply(char code, const Reply& reply);

 private:
  bool applies(const Fault& f, char code) const;
  void consume_once(char code, const std::string& name);
  std::vector<Fault> faults_;
};
