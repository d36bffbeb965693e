#pragma once
// The main window as the panel the command routines and the monitor see:
// its controls found by their object names.
#include <QHash>

#include "protocol/panel.h"

class QWidget;
class velta;

namespace ui {
class WindowPanel : public tune_cmd::Panel {
 public:
  explicit WindowPanel(velta& w) : w_(w) {}
  QString text(const QString& control) const override;
  void set_text(const QString& control, const QString& text) override;
  bool enabled(const QString& control) const override;
  void set_enabled(const QString& control, bool on) override;
  QColor backcolor(const QString& control) const override;
  void set_backcolor(const QString& control, const QColor& c) override;
  void set_forecolor(const QString& control, const QColor& c) override;
  tune_cmd::Entries entries() const override;
  void set_entries(const tune_cmd::Entries& e) override;
  void forget_read_values() override;
  void read_complete() override;
  long long reply_text_length() const override;
  void clear_replies() override;
  void append_reply(const QString& line) override;

 private:
  // The control of that name; a name the window does not have is a fault of
  // the program, not of the controller, and ends it at once.
  QWidget* control(const QString& name) const;
  velta& w_;
  mutable QHash<QString, QWidget*> found_;
};
}  // namespace ui
