#pragma once
// The typeface of the small windows' captions and boxes.
#include <QFont>

namespace ui {
// Arial, bold, at the given point size.
inline QFont ARIAL_BOLD(double points) {
  QFont f(QStringLiteral("Arial"));
  f.setPointSizeF(points);
  f.setBold(true);
  return f;
}
}  // namespace ui
