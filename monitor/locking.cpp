#include "monitor/locking.h"

#include <QtGlobal>

#include "monitor/buttons.h"
#include "protocol/colours.h"
#include "protocol/panel.h"

namespace tune_cmd {
namespace {
void disable(const char* name) {
  Panel& p = PANEL();
  p.set_enabled(QLatin1String(name), false);
  p.set_backcolor(QLatin1String(name), colours::SYS_BUTTON_FACE());
}

void enable(const char* name, const QColor& colour) {
  Panel& p = PANEL();
  p.set_enabled(QLatin1String(name), true);
  p.set_backcolor(QLatin1String(name), colour);
}

// A button of the long lock given back: cmd W only while the monitor is idle,
// the monitor's own button red while it offers a stop.
void unlock(const ButtonRow& b) {
  if (qstrcmp(b.name, "write_mode") == 0) return ENABLE_WRITE_MODE();
  if (qstrcmp(b.name, "cmd_monitor") == 0) return ENABLE_CMD_MONITOR();
  enable(b.name, b.unlocked);
}
}  // namespace

void DISABLE_ALL() {
  for (const ButtonRow& b : BUTTONS())
    if (b.long_lock) disable(b.name);
}

void ENABLE_ALL() {
  for (const ButtonRow& b : BUTTONS())
    if (b.long_lock) unlock(b);
}

void DISABLE_WRITE_MODE() { disable("write_mode"); }
void DISABLE_CMD_MONITOR() { disable("cmd_monitor"); }

void ENABLE_WRITE_MODE() {
  if (MONITOR_IDLE()) enable("write_mode", BUTTON("write_mode").unlocked);
}

void ENABLE_CMD_MONITOR() {
  enable("cmd_monitor", MONITOR_IDLE() ? BUTTON("cmd_monitor").unlocked : colours::RED());
}
}  // namespace tune_cmd
