#include "ui/window_panel.h"

#include <QAbstractButton>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>

#include "ui/colours.h"
#include "ui/velta.h"

namespace ui {
QWidget* WindowPanel::control(const QString& name) const {
  QWidget*& found = found_[name];
  if (!found) found = w_.findChild<QWidget*>(name);
  if (!found) qFatal("the main window has no control %s", qPrintable(name));
  return found;
}

QString WindowPanel::text(const QString& name) const {
  QWidget* c = control(name);
  if (auto* box = qobject_cast<QLineEdit*>(c)) return box->text();
  if (auto* button = qobject_cast<QAbstractButton*>(c)) return button->text();
  return qobject_cast<QLabel*>(c)->text();
}

void WindowPanel::set_text(const QString& name, const QString& text) {
  QWidget* c = control(name);
  if (auto* box = qobject_cast<QLineEdit*>(c)) return box->setText(text);
  if (auto* button = qobject_cast<QAbstractButton*>(c)) return button->setText(text);
  qobject_cast<QLabel*>(c)->setText(text);
}

bool WindowPanel::enabled(const QString& name) const { return control(name)->isEnabled(); }
void WindowPanel::set_enabled(const QString& name, bool on) { control(name)->setEnabled(on); }
QColor WindowPanel::backcolor(const QString& name) const { return BACKCOLOR(control(name)); }
void WindowPanel::set_backcolor(const QString& name, const QColor& c) { SET_BACKCOLOR(control(name), c); }
void WindowPanel::set_forecolor(const QString& name, const QColor& c) { SET_FORECOLOR(control(name), c); }

tune_cmd::Entries WindowPanel::entries() const { return w_.entries(); }
void WindowPanel::set_entries(const tune_cmd::Entries& e) { w_.set_entries(e); }

void WindowPanel::forget_read_values() {
  for (QLineEdit* box : w_.info_read->findChildren<QLineEdit*>())
    box->setText(box->property("design_text").toString());
  SET_BACKCOLOR(w_.cbox_status, colours::SYS_WINDOW_BACKGROUND());
  // The DIP switches' design colour is red, on the box and on its label.
  SET_FORECOLOR(w_.dipsw, colours::RED());
  SET_FORECOLOR(w_.label_dipsw, colours::RED());
}

void WindowPanel::read_complete() { emit w_.parameters_read(); }

long long WindowPanel::reply_text_length() const {
  const QTextDocument* doc = w_.cbox_reply_text->document();
  // The document keeps one separator per line where the box's text has
  // CR LF, and one final paragraph mark of its own.
  return doc->characterCount() - 1 + (doc->blockCount() - 1);
}

void WindowPanel::clear_replies() { w_.cbox_reply_text->clear(); }

void WindowPanel::append_reply(const QString& line) {
  QPlainTextEdit* box = w_.cbox_reply_text;
  // Inserted at the end through a cursor of its own: the box's text is never
  // rebuilt or read back, so a line costs its own length only.
  QTextCursor end(box->document());
  end.movePosition(QTextCursor::End);
  end.insertText(line + QLatin1Char('\n'));
  box->setTextCursor(end);
  box->verticalScrollBar()->setValue(box->verticalScrollBar()->maximum());
}
}  // namespace ui
