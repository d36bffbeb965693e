// S, M and V: the short commands. S and M answer with one state letter, V with
// the firmware version as a five-digit field.
#include "controller.h"

namespace {
Reply state_reply(char code, bool refused) {
  Reply r;
  r.bytes = std::string("\x02") + "A," + code + "," + (refused ? "B" : "R") + "\r";
  r.state_pos = 5;
  return r;
}
}  // namespace

void register_s_m_v(Controller& c) {
  // S: busy while the rotator turns (or a busy fault asks for it).
  c.on('S', [](Controller& c, const std::string&) {
    const bool busy = c.busy || c.faults.busy_for('S');
    c.reply('S', state_reply('S', busy));
  });
  // M: refused in absolute mode.
  c.on('M', [](Controller& c, const std::string&) {
    const bool refused = c.absolute_mode || c.faults.busy_for('M');
    c.reply('M', state_reply('M', refused));
  });
  c.on('V', [](Controller& c, const std::string&) {
    Reply r;
    const std::string version = field5(c.version);
    r.bytes = std::string("\x02") + "A,V," + version + "\r";
    r.field_pos = 5;
    r.field_len = static_cast<int>(version.size());
    c.reply('V', r);
  });
}
