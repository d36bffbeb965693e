#pragma once
// Colours on the widgets: the background of a button or text box, the text
// of a label, box or button. The colour values are those of
// protocol/colours.h.
#include <QColor>

#include "protocol/colours.h"

class QWidget;

namespace ui {
// Background: the face of a button, the field of a text box.
void SET_BACKCOLOR(QWidget* w, const QColor& c);
QColor BACKCOLOR(const QWidget* w);
// Text colour of a label, text box or button.
void SET_FORECOLOR(QWidget* w, const QColor& c);
QColor FORECOLOR(const QWidget* w);
}  // namespace ui
