#pragma once
// The compass rose of the rotator dial: where the antenna points, where the
// last go-to sends it and where its end stop is, with N at the top and the
// angles running clockwise as a technician reads a map. A click marks an
// angle for the go-to; the rose itself never talks to the controller.
#include <QPointF>
#include <QString>
#include <QWidget>
#include <optional>

class QPainter;

namespace dial {
// A click this close to the middle (as a share of the radius) is taken as
// no angle: there the pointer's direction means nothing to the eye.
inline constexpr double CENTRE_FRACTION = 0.15;

// The whole-degree azimuth of a point on a rose centred at `centre` (0 up,
// clockwise), rounded and brought into 0 to 359 as a tracker's azimuth is
// (359.6 is 0); nothing within the centre circle.
std::optional<int> ANGLE_AT(QPointF point, QPointF centre, double radius);
// The point at `r` from the centre in the direction `degrees`.
QPointF POINT_AT(double degrees, QPointF centre, double r);

class ROSE : public QWidget {
  Q_OBJECT
 public:
  explicit ROSE(QWidget* parent = nullptr);

  void set_position(std::optional<int> degrees, bool busy);
  void set_target(std::optional<int> degrees);
  void set_stop_mode(std::optional<int> mode);
  void set_marked(std::optional<int> degrees);

  // The geometry the painting and the clicks share.
  QPointF centre() const;
  double radius() const;
  // "position 123°, target 250°", read out by a screen reader.
  QString value_text() const;

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 signals:
  void angle_marked(int degrees);
  void execute_requested();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void paint_scale(QPainter& p) const;
  void paint_needle(QPainter& p, int degrees, bool solid) const;
  void paint_stop(QPainter& p) const;
  std::optional<int> angle_under(const QMouseEvent* event) const;

  std::optional<int> position_;
  bool busy_ = false;
  std::optional<int> target_;
  std::optional<int> stop_mode_;
  std::optional<int> marked_;
};
}  // namespace dial
