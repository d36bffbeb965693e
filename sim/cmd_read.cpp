// L: the parameter read. Position, busy/ready, the fifteen parameters in the
// order of the parameter write, the DIP switches and the calibration factor,
// each field replaceable by raw text for tests.
#include <string>

#include "controller.h"

namespace {
// The controller keeps the offset in a 16-bit count: a negative offset goes
// out as its two's complement (-70 as 65466).
long long offset_count(long long offset) { return offset < 0 ? (offset & 0xFFFF) : offset; }

Reply read_reply(Controller& c) {
  const bool busy = c.busy || c.faults.busy_for('L');
  std::string values[19];
  values[0] = field5(c.position);
  values[1] = busy ? "B" : "R";
  for (int n = 1; n <= 15; ++n) values[n + 1] = field5(n == 12 ? offset_count(c.params[n]) : c.params[n]);
  values[17] = field5(c.dip);
  values[18] = field5(c.cal_factor);
  Reply r;
  r.bytes = "\x02" "A,L,";
  for (int n = 1; n <= 19; ++n) {
    if (n > 1) r.bytes += ',';
    const auto raw = c.raw_fields.find(n);
    const std::string& text = raw != c.raw_fields.end() ? raw->second : values[n - 1];
    if (n == 1) {
      r.field_pos = static_cast<int>(r.bytes.size());
      r.field_len = static_cast<int>(text.size());
    } else if (n == 2) {
      r.state_pos = static_cast<int>(r.bytes.size());
    }
    r.bytes += text;
  }
  r.bytes += '\r';
  return r;
}
}  // namespace

void register_read(Controller& c) {
  c.on('L', [](Controller& c, const std::string&) { c.reply('L', read_reply(c)); });
}
