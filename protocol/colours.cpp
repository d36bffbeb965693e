#include "protocol/colours.h"

#include <QGuiApplication>
#include <QPalette>

namespace colours {
QColor RED() { return QColor(255, 0, 0); }
QColor SYS_WINDOW_BACKGROUND() { return QGuiApplication::palette().color(QPalette::Base); }
QColor SYS_WINDOW_TEXT() { return QGuiApplication::palette().color(QPalette::WindowText); }
QColor SYS_BUTTON_FACE() { return QGuiApplication::palette().color(QPalette::Button); }
}  // namespace colours
