#pragma once
// Every message box of the program goes through MsgBox, so that a test can
// capture each box's text, buttons and title and answer it without a person.
#include <QMessageBox>
#include <QString>
#include <functional>

namespace ui {
// The application's title, shown in the title bar of every failure message.
extern const QString APP_TITLE;

struct MsgBoxRequest {
  QString text;
  QString title;
  QMessageBox::StandardButtons buttons = QMessageBox::Ok;
  QMessageBox::StandardButton default_button = QMessageBox::Ok;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
};

// A modal box; returns the button the user pressed.
QMessageBox::StandardButton MsgBox(const QString& text,
                                   QMessageBox::StandardButtons buttons = QMessageBox::Ok,
                                   const QString& title = APP_TITLE,
                                   QMessageBox::StandardButton default_button = QMessageBox::Ok,
                                   QMessageBox::Icon icon = QMessageBox::NoIcon);

// The Yes/No question of the overwriting commands: title "WRITE PARAMETERS
// COMMAND", No as the default, the stop icon. True when the user said Yes.
bool ASK_OVERWRITE(const QString& text);

// When set, boxes are handed to the hook instead of being shown.
using MsgBoxHook = std::function<QMessageBox::StandardButton(const MsgBoxRequest&)>;
void set_msgbox_hook(MsgBoxHook hook);
}  // namespace ui
