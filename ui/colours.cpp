#include "ui/colours.h"

#include <QAbstractButton>
#include <QLabel>
#include <QPalette>
#include <QWidget>

namespace ui {
namespace {
QPalette::ColorRole back_role(const QWidget* w) {
  return qobject_cast<const QAbstractButton*>(w) ? QPalette::Button : QPalette::Base;
}
QPalette::ColorRole fore_role(const QWidget* w) {
  if (qobject_cast<const QAbstractButton*>(w)) return QPalette::ButtonText;
  if (qobject_cast<const QLabel*>(w)) return QPalette::WindowText;
  return QPalette::Text;
}
}  // namespace

void SET_BACKCOLOR(QWidget* w, const QColor& c) {
  QPalette p = w->palette();
  p.setColor(back_role(w), c);
  w->setPalette(p);
}

QColor BACKCOLOR(const QWidget* w) { return w->palette().color(QPalette::Active, back_role(w)); }

void SET_FORECOLOR(QWidget* w, const QColor& c) {
  QPalette p = w->palette();
  p.setColor(fore_role(w), c);
  w->setPalette(p);
}

QColor FORECOLOR(const QWidget* w) { return w->palette().color(QPalette::Active, fore_role(w)); }
}  // namespace ui
