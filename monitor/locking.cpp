#include "monitor/locking.h"

#include <QPushButton>

#include "protocol/exchange.h"
#include "ui/colours.h"
#include "ui/velta.h"

namespace tune_cmd {
namespace {
const QColor LIGHT_GREEN(128, 255, 128);
const QColor LIGHT_ORANGE(255, 192, 128);
const QColor LIGHT_BLUE(192, 192, 255);

void disable(QPushButton* b) {
  b->setEnabled(false);
  ui::SET_BACKCOLOR(b, ui::SYS_BUTTON_FACE());
}

void enable(QPushButton* b, const QColor& colour) {
  b->setEnabled(true);
  ui::SET_BACKCOLOR(b, colour);
}
}  // namespace

void DISABLE_WRITE_MODE() { disable(velta_form().write_mode); }
void DISABLE_READ_INFO() { disable(velta_form().read_info); }
void DISABLE_EXECUTE() { disable(velta_form().execute); }
void DISABLE_CMD_MONITOR() { disable(velta_form().cmd_monitor); }
void DISABLE_FAST_STOP() { disable(velta_form().fast_stop); }
void DISABLE_SOFT_STOP() { disable(velta_form().soft_stop); }
void DISABLE_COMMAND_S() { disable(velta_form().command_s); }

void ENABLE_WRITE_MODE() {
  if (MONITOR_IDLE()) enable(velta_form().write_mode, LIGHT_GREEN);
}
void ENABLE_READ_INFO() { enable(velta_form().read_info, LIGHT_GREEN); }
void ENABLE_EXECUTE() { enable(velta_form().execute, LIGHT_GREEN); }
void ENABLE_CMD_MONITOR() {
  QPushButton* b = velta_form().cmd_monitor;
  b->setEnabled(true);
  ui::SET_BACKCOLOR(b, b->text() == QLatin1String("START...") ? LIGHT_GREEN : ui::RED());
}
void ENABLE_FAST_STOP() { enable(velta_form().fast_stop, LIGHT_ORANGE); }
void ENABLE_SOFT_STOP() { enable(velta_form().soft_stop, LIGHT_ORANGE); }
void ENABLE_COMMAND_S() { enable(velta_form().command_s, LIGHT_BLUE); }

void DISABLE_ALL() {
  DISABLE_WRITE_MODE();
  DISABLE_READ_INFO();
  DISABLE_EXECUTE();
  DISABLE_CMD_MONITOR();
  DISABLE_FAST_STOP();
  DISABLE_SOFT_STOP();
  DISABLE_COMMAND_S();
}

void ENABLE_ALL() {
  ENABLE_WRITE_MODE();
  ENABLE_READ_INFO();
  ENABLE_EXECUTE();
  ENABLE_CMD_MONITOR();
  ENABLE_FAST_STOP();
  ENABLE_SOFT_STOP();
  ENABLE_COMMAND_S();
}
}  // namespace tune_cmd
