#include "ui/widgets.h"

#include <QStyleOptionButton>
#include <QStylePainter>

#include "ui/colours.h"

namespace ui {
namespace {
class WrapButton : public QPushButton {
 public:
  using QPushButton::QPushButton;

 protected:
  void paintEvent(QPaintEvent*) override {
    QStylePainter p(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    option.text.clear();
    p.drawControl(QStyle::CE_PushButton, option);
    p.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
    p.drawText(rect().adjusted(3, 2, -3, -2), Qt::AlignCenter | Qt::TextWordWrap, text());
  }
};
}  // namespace

QPushButton* NEW_BUTTON(QWidget* parent, const QString& name, const QString& caption, const QColor& colour,
                        bool wrap) {
  QPushButton* b = wrap ? new WrapButton(caption, parent) : new QPushButton(caption, parent);
  b->setObjectName(name);
  b->setAutoDefault(false);
  SET_BACKCOLOR(b, colour);
  return b;
}

QLineEdit* NEW_BOX(QWidget* parent, const QString& name, const QString& text, bool read_only, const QColor& colour) {
  auto* e = new QLineEdit(text, parent);
  e->setObjectName(name);
  e->setReadOnly(read_only);
  e->setProperty("design_text", text);
  if (colour.isValid()) SET_BACKCOLOR(e, colour);
  return e;
}
}  // namespace ui
