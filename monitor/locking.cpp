#include "monitor/locking.h"

#include <QtGlobal>

#include "monitor/buttons.h"
#include "protocol/colours.h"
#include "protocol/exchange.h"
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

// START... while exchanges run: disabled, with the state it is to have once
// the last one has ended.
struct Held {
  bool held = false;
  bool enabled = false;
  QColor colour;
} monitor_button;

const QString MONITOR_BUTTON = QStringLiteral("cmd_monitor");

void hold_monitor_button(bool enabled, const QColor& colour) {
  monitor_button = {true, enabled, colour};
  disable("cmd_monitor");
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
void DISABLE_CMD_MONITOR() {
  if (monitor_button.held) monitor_button = {true, false, colours::SYS_BUTTON_FACE()};
  disable("cmd_monitor");
}

void ENABLE_WRITE_MODE() {
  if (MONITOR_IDLE()) enable("write_mode", BUTTON("write_mode").unlocked);
}

void ENABLE_CMD_MONITOR() {
  if (MONITOR_IDLE() && EXCHANGE_RUNNING()) return hold_monitor_button(true, BUTTON("cmd_monitor").unlocked);
  enable("cmd_monitor", MONITOR_IDLE() ? BUTTON("cmd_monitor").unlocked : colours::RED());
}

void LOCK_MONITOR_WHILE_EXCHANGES_RUN() {
  ON_EXCHANGES(&monitor_button, [](bool running) {
    if (!PANEL_INSTALLED()) return;
    Panel& p = PANEL();
    if (running && MONITOR_IDLE()) return hold_monitor_button(p.enabled(MONITOR_BUTTON), p.backcolor(MONITOR_BUTTON));
    if (running || !monitor_button.held) return;
    // Back as the exchanges left it, or as it was before them.
    monitor_button.held = false;
    if (!MONITOR_IDLE()) return;
    p.set_enabled(MONITOR_BUTTON, monitor_button.enabled);
    p.set_backcolor(MONITOR_BUTTON, monitor_button.colour);
  });
}
}  // namespace tune_cmd
