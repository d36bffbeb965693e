#include "monitor/buttons.h"

#include <QByteArray>
#include <QtGlobal>

#include "protocol/panel.h"

namespace tune_cmd {
namespace {
const QColor GREEN(0, 255, 0), LIGHT_GREEN(128, 255, 128), LIGHT_ORANGE(255, 192, 128), LIGHT_BLUE(192, 192, 255);
const QColor NONE;
}  // namespace

const std::vector<ButtonRow>& BUTTONS() {
  static const std::vector<ButtonRow> rows = {
      {"write_mode", "cmd W", LIGHT_GREEN, LIGHT_GREEN, true, true},
      {"read_info", "cmd L", GREEN, LIGHT_GREEN, true, true},
      {"execute", "Execute", GREEN, LIGHT_GREEN, true, true},
      {"cmd_monitor", MONITOR_START, GREEN, LIGHT_GREEN, true, true},
      {"fast_stop", "STOP!", LIGHT_ORANGE, LIGHT_ORANGE, true, false},
      {"soft_stop", "Soft STOP", LIGHT_ORANGE, LIGHT_ORANGE, true, false},
      {"command_s", "cmd S", LIGHT_BLUE, LIGHT_BLUE, true, true},
      {"command_qm", "cmd ?", QColor(255, 192, 255), NONE, false, true},
      {"command_c", "cmd M", QColor(192, 255, 255), NONE, false, true},
      {"command_v", "Firmware Version", QColor(255, 224, 192), NONE, false, true},
      {"calib", "-Calibration- open form ...", QColor(255, 255, 0), NONE, false, true},
      {"set_default", "Set Default", QColor(255, 128, 0), NONE, false, false},
      {"clr_reply", "CLR REPLIES", QColor(255, 192, 192), NONE, false, false},
  };
  return rows;
}

const ButtonRow& BUTTON(const char* name) {
  for (const ButtonRow& row : BUTTONS())
    if (qstrcmp(row.name, name) == 0) return row;
  qFatal("no button %s", name);
}
}  // namespace tune_cmd
