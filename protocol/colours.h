#pragma once
// The colours the program shows states in: red marks a busy controller, a
// rejected go-to, an entry outside its range and enabled DIP switches; the
// neutral states are the system's own colours.
#include <QColor>

namespace colours {
QColor RED();                    // colour value 255: red 255, green 0, blue 0
QColor SYS_WINDOW_BACKGROUND();  // backgrounds of text boxes
QColor SYS_WINDOW_TEXT();        // text
QColor SYS_BUTTON_FACE();        // disabled buttons
}  // namespace colours
