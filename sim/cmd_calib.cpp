// Calibration commands C, c, K and F: accepted ("R" CR) only while the
// controller is ready and in absolute mode, otherwise refused with "B" alone.
// F stores the calibration factor it carries.
#include <cstdlib>

#include "controller.h"

namespace {
void answer(Controller& c, char code, const std::string& data) {
  const bool refuse = c.busy || !c.absolute_mode || c.faults.busy_for(code);
  Reply r;
  r.bytes = std::string("\x02") + "A," + code + "," + (refuse ? "B" : "R\r");
  r.state_pos = 5;
  if (!refuse && code == 'F') c.cal_factor = std::atoll(data.c_str());
  c.reply(code, r);
}
}  // namespace

void register_calib(Controller& c) {
  for (char code : {'C', 'c', 'K', 'F'})
    c.on(code, [code](Controller& c, const std::string& data) { answer(c, code, data); });
}
