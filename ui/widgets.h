#pragma once
// The one factory of the windows' buttons and text boxes, so that every
// window names and colours them alike.
#include <QColor>
#include <QLineEdit>
#include <QPushButton>

namespace ui {
// A button with its object name and its colour shown (the graphical button
// style draws it), never its window's default button. `wrap`: the caption
// wraps onto several lines, as narrow buttons need; text() keeps it whole.
QPushButton* NEW_BUTTON(QWidget* parent, const QString& name, const QString& caption, const QColor& colour,
                        bool wrap = false);
// A text box with its object name and design text, which it keeps so that it
// can be given back (an interrupted read); `colour`, when valid, its field.
QLineEdit* NEW_BOX(QWidget* parent, const QString& name, const QString& text, bool read_only = false,
                   const QColor& colour = {});
}  // namespace ui
