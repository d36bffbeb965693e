#include "ui/dial_rose.h"

#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionFocusRect>
#include <cmath>
#include <numbers>

#include "app/presets.h"
#include "protocol/rotator_lines.h"
#include "ui/colours.h"

namespace dial {
namespace {
constexpr double RADIANS = std::numbers::pi / 180;

// Everything is drawn in shares of the radius, so that the rose reads the
// same at any window size, pixel ratio or screen resolution.
constexpr double TICK = 0.08;          // a tick every 10°
constexpr double LONG_TICK = 0.14;     // every 30°, where a number or letter stands
constexpr double LABELS = 0.70;        // the numbers' and letters' middles
constexpr double POSITION_TIP = 0.78;
constexpr double TARGET_TIP = 0.88;    // longer, so that it shows past the position's
constexpr double NEEDLE_HALF = 0.05;
constexpr double THIN = 0.012;         // pen widths
constexpr double THICK = 0.07;
constexpr double STOP_HALF_SPAN = 10;  // degrees either side of N or S

// A screen reader reads the rose as a dial whose value is the text the
// sighted user gets from the needles.
class RoseAccessible : public QAccessibleWidget {
 public:
  explicit RoseAccessible(ROSE* rose) : QAccessibleWidget(rose, QAccessible::Dial) {}
  QString text(QAccessible::Text t) const override {
    if (t == QAccessible::Value) return static_cast<const ROSE*>(object())->value_text();
    return QAccessibleWidget::text(t);
  }
};

QAccessibleInterface* rose_accessible(const QString&, QObject* object) {
  auto* rose = qobject_cast<ROSE*>(object);
  return rose ? new RoseAccessible(rose) : nullptr;
}

QString degrees_or_unknown(std::optional<int> d) { return d ? presets::DEGREES_TEXT(*d) : QStringLiteral("???"); }
}  // namespace

std::optional<int> ANGLE_AT(QPointF point, QPointF centre, double radius) {
  const QPointF d = point - centre;
  if (std::hypot(d.x(), d.y()) < CENTRE_FRACTION * radius) return std::nullopt;
  // Up is negative y on the screen; atan2 of (east, north) runs clockwise from N.
  return rotator_lines::WHOLE_DEGREES(std::atan2(d.x(), -d.y()) / RADIANS);
}

QPointF POINT_AT(double degrees, QPointF centre, double r) {
  const double a = degrees * RADIANS;
  return centre + QPointF(r * std::sin(a), -r * std::cos(a));
}

ROSE::ROSE(QWidget* parent) : QWidget(parent) {
  // Once for the program, before any screen reader asks for a rose.
  static const bool factory_installed = (QAccessible::installFactory(rose_accessible), true);
  Q_UNUSED(factory_installed);
  setObjectName(QStringLiteral("dial_rose"));
  setFocusPolicy(Qt::StrongFocus);
  setAccessibleName(QStringLiteral("Rotator dial"));
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void ROSE::set_position(std::optional<int> degrees, bool busy) {
  position_ = degrees;
  busy_ = busy;
  update();
}

void ROSE::set_target(std::optional<int> degrees) {
  target_ = degrees;
  update();
}

void ROSE::set_stop_mode(std::optional<int> mode) {
  stop_mode_ = mode;
  update();
}

void ROSE::set_marked(std::optional<int> degrees) { marked_ = degrees; }

QPointF ROSE::centre() const { return QRectF(rect()).center(); }

// A margin for the rim's pen and the end-stop mark, which stand on the rim.
double ROSE::radius() const { return std::min(width(), height()) / 2.0 / (1 + THICK); }

QString ROSE::value_text() const {
  QString text = QStringLiteral("position ") + degrees_or_unknown(position_);
  if (target_) text += QStringLiteral(", target ") + presets::DEGREES_TEXT(*target_);
  return text;
}

// In lines of the widget's font, so that the rose grows with the user's font size.
QSize ROSE::sizeHint() const {
  const int side = fontMetrics().height() * 20;
  return {side, side};
}

QSize ROSE::minimumSizeHint() const {
  const int side = fontMetrics().height() * 12;
  return {side, side};
}

void ROSE::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
  paint_scale(p);
  paint_stop(p);
  if (target_) paint_needle(p, *target_, false);
  if (position_) paint_needle(p, *position_, true);
  // The centre circle shows where a click marks nothing.
  const double r = radius();
  p.setPen(QPen(palette().color(QPalette::WindowText), r * THIN));
  p.setBrush(palette().color(QPalette::Button));
  p.drawEllipse(centre(), r * CENTRE_FRACTION, r * CENTRE_FRACTION);
  if (hasFocus()) {
    QStyleOptionFocusRect focus;
    focus.initFrom(this);
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &p, this);
  }
}

void ROSE::paint_scale(QPainter& p) const {
  const double r = radius();
  const QPointF c = centre();
  const QColor ink = palette().color(QPalette::WindowText);
  p.setPen(QPen(ink, r * THIN));
  p.setBrush(palette().color(QPalette::Base));
  p.drawEllipse(c, r, r);
  for (int d = 0; d < 360; d += 10) {
    const bool long_tick = d % 30 == 0;
    p.setPen(QPen(ink, r * THIN * (long_tick ? 2 : 1)));
    p.drawLine(POINT_AT(d, c, r * (1 - (long_tick ? LONG_TICK : TICK))), POINT_AT(d, c, r));
  }
  // Font sizes in points from the radius in pixels: the letters keep their
  // share of the rose on a screen of any resolution.
  const double points_per_pixel = 72.0 / logicalDpiY();
  QFont numbers = font(), letters = font();
  numbers.setPointSizeF(std::max(1.0, r * 0.10 * points_per_pixel));
  letters.setPointSizeF(std::max(1.0, r * 0.14 * points_per_pixel));
  letters.setBold(true);
  p.setPen(ink);
  for (int d = 0; d < 360; d += 30) {
    const bool cardinal = d % 90 == 0;
    p.setFont(cardinal ? letters : numbers);
    const QString text = cardinal ? QString(QStringLiteral("NESW").at(d / 90)) : QString::number(d);
    const QPointF at = POINT_AT(d, c, r * LABELS);
    p.drawText(QRectF(at - QPointF(r * 0.2, r * 0.2), QSizeF(r * 0.4, r * 0.4)), Qt::AlignCenter, text);
  }
}

// A narrow kite from behind the centre to the tip: solid for where the
// antenna points, an outline for where it is going.
void ROSE::paint_needle(QPainter& p, int degrees, bool solid) const {
  const double r = radius();
  const QPointF c = centre();
  const QColor colour = solid && busy_ ? colours::RED() : palette().color(QPalette::WindowText);
  const QPolygonF kite{
      POINT_AT(degrees, c, r * (solid ? POSITION_TIP : TARGET_TIP)), POINT_AT(degrees + 90, c, r * NEEDLE_HALF),
      POINT_AT(degrees + 180, c, r * CENTRE_FRACTION * 1.5), POINT_AT(degrees - 90, c, r * NEEDLE_HALF)};
  QPen pen(colour, r * THIN * 1.5);
  pen.setJoinStyle(Qt::MiterJoin);
  p.setPen(pen);
  p.setBrush(solid ? QBrush(colour) : Qt::NoBrush);
  p.drawPolygon(kite);
}

// The end stop the rotator never turns through: N for north-stop (mode 0),
// S for south-stop (mode 1); an absolute rotator (mode 2) has none to show.
void ROSE::paint_stop(QPainter& p) const {
  if (stop_mode_ != 0 && stop_mode_ != 1) return;
  const double r = radius();
  const double at = *stop_mode_ == 0 ? 0 : 180;
  QPen pen(palette().color(QPalette::WindowText), r * THICK, Qt::SolidLine, Qt::FlatCap);
  p.setPen(pen);
  p.setBrush(Qt::NoBrush);
  // Arcs count counter-clockwise from 3 o'clock in sixteenths of a degree.
  const double start = 90 - at - STOP_HALF_SPAN;
  p.drawArc(QRectF(centre() - QPointF(r, r), QSizeF(2 * r, 2 * r)), qRound(start * 16),
            qRound(2 * STOP_HALF_SPAN * 16));
}

std::optional<int> ROSE::angle_under(const QMouseEvent* event) const {
  if (event->button() != Qt::LeftButton) return std::nullopt;
  return ANGLE_AT(event->position(), centre(), radius());
}

void ROSE::mousePressEvent(QMouseEvent* event) {
  if (const std::optional<int> a = angle_under(event)) emit angle_marked(*a);
  QWidget::mousePressEvent(event);
}

// The go-to is sent to where the second click of the pair landed.
void ROSE::mouseDoubleClickEvent(QMouseEvent* event) {
  if (const std::optional<int> a = angle_under(event)) {
    emit angle_marked(*a);
    emit execute_requested();
  }
}

void ROSE::keyPressEvent(QKeyEvent* event) {
  int step = 0;
  switch (event->key()) {
    case Qt::Key_Right: step = 1; break;
    case Qt::Key_PageUp: step = 10; break;
    case Qt::Key_Left: step = -1; break;
    case Qt::Key_PageDown: step = -10; break;
    case Qt::Key_Return:
    case Qt::Key_Enter: emit execute_requested(); return;
    default: QWidget::keyPressEvent(event); return;
  }
  // From the angle the go-to box holds; the window writes the new one there
  // and gives it back through set_marked, so the rose keeps no angle of its own.
  emit angle_marked(((marked_.value_or(0) + step) % 360 + 360) % 360);
}
}  // namespace dial
