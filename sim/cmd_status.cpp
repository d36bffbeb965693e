// Status "?": position (three digits) and the busy/ready letter.
#include "controller.h"

namespace {
Reply status_reply(Controller& c) {
  Reply r;
  const bool busy = c.busy || c.faults.busy_for('?');
  r.bytes = std::string("\x02") + "A,?," + field3(c.position) + "," + (busy ? "B" : "R") + "\r";
  r.field_pos = 5;
  r.field_len = 3;
  r.state_pos = 9;
  return r;
}
}  // namespace

void register_status(Controller& c) {
  c.status_frame = status_reply;
  c.on('?', [](Controller& c, const std::string&) { c.reply('?', status_reply(c)); });
}
