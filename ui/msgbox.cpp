#include "ui/msgbox.h"

#include <QApplication>

#include "ui/velta.h"

namespace ui {
const QString APP_TITLE = QStringLiteral("velta");

namespace {
MsgBoxHook hook_;
}

void set_msgbox_hook(MsgBoxHook hook) { hook_ = std::move(hook); }

QMessageBox::StandardButton MsgBox(const QString& text, QMessageBox::StandardButtons buttons,
                                   const QString& title,
                                   QMessageBox::StandardButton default_button,
                                   QMessageBox::Icon icon) {
  // After the main window has closed an exchange that was still running ends
  // quietly: nobody is left to answer a box, and it would keep the program alive.
  if (velta_exists() && velta_form().closed()) return default_button;
  MsgBoxRequest request{text, title, buttons, default_button, icon};
  if (hook_) return hook_(request);
  QMessageBox box(icon, title, text, buttons, QApplication::activeWindow());
  box.setDefaultButton(default_button);
  box.setWindowModality(Qt::ApplicationModal);
  box.raise();
  box.activateWindow();
  return static_cast<QMessageBox::StandardButton>(box.exec());
}

bool ASK_OVERWRITE(const QString& text) {
  return MsgBox(text, QMessageBox::Yes | QMessageBox::No, QStringLiteral("WRITE PARAMETERS COMMAND"),
                QMessageBox::No, QMessageBox::Critical) == QMessageBox::Yes;
}
}  // namespace ui
