#include "protocol/panel.h"

namespace tune_cmd {
namespace {
Panel* panel_ = nullptr;
}

void INSTALL_PANEL(Panel* panel) { panel_ = panel; }
Panel& PANEL() { return *panel_; }
bool PANEL_INSTALLED() { return panel_ != nullptr; }

bool MONITOR_IDLE() { return panel_->text(QStringLiteral("cmd_monitor")) == QLatin1String(MONITOR_START); }
bool MONITOR_RUNS() { return panel_->text(QStringLiteral("cmd_monitor")) == QLatin1String(MONITOR_STOP); }
}  // namespace tune_cmd
