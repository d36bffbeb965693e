#pragma once
// Every control that starts an exchange, disabled for as long as a tracker's
// request runs and then given back as it was, so that no click runs nested
// inside the request's exchange. The calibration window's buttons too, and
// its opener: a window opened meanwhile would bring its buttons enabled.
#include <QColor>
#include <QPointer>
#include <QPushButton>
#include <vector>

class velta;

namespace tracking {
class RequestLock {
 public:
  explicit RequestLock(velta& w);
  ~RequestLock();
  RequestLock(const RequestLock&) = delete;
  RequestLock& operator=(const RequestLock&) = delete;

 private:
  struct Kept {
    QPointer<QPushButton> button;
    bool enabled;
    QColor colour;
  };
  std::vector<Kept> kept_;
};
}  // namespace tracking
