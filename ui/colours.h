#pragma once
// The colours of the windows: red marks a busy controller, a rejected go-to
// and an entry outside its range; the neutral states are the system's.
#include <QColor>

class QWidget;

namespace ui {
QColor RED();                     // colour value 255: red 255, green 0, blue 0
QColor SYS_WINDOW_BACKGROUND();   // backgrounds of text boxes
QColor SYS_WINDOW_TEXT();         // text
QColor SYS_BUTTON_FACE();         // disabled buttons

// Background: the face of a button, the field of a text box.
void SET_BACKCOLOR(QWidget* w, const QColor& c);
QColor BACKCOLOR(const QWidget* w);
// Text colour of a label, text box or button.
void SET_FORECOLOR(QWidget* w, const QColor& c);
QColor FORECOLOR(const QWidget* w);
}  // namespace ui
