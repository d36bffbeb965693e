#include "ui/dial_controls.h"

#include <QAction>
#include <QEvent>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QTimer>
#include <memory>

#include "protocol/read_set.h"
#include "protocol/reports.h"
#include "protocol/tune_cmd.h"
#include "ui/dial.h"
#include "ui/options.h"
#include "ui/velta.h"

namespace dial_controls {
namespace {
// Between the main window's frame and the dial's.
constexpr int GAP = 8;

std::optional<int> angle_in(const QString& text) {
  const QString angle = tune_cmd::TRIM_BLANKS(text);
  return tune_cmd::VALID_ANGLE(angle) ? std::optional<int>(angle.toInt()) : std::nullopt;
}

// Calls `f` on each event of one type a watched object receives.
class Watch : public QObject {
 public:
  Watch(QObject* watched, QEvent::Type type, std::function<void()> f)
      : QObject(watched), type_(type), f_(std::move(f)) {
    watched->installEventFilter(this);
  }
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == type_) f_();
    return false;
  }

 private:
  QEvent::Type type_;
  std::function<void()> f_;
};

// What the controller reported and what went out to it, onto the dial. The
// target is the angle of the last go-to sent; it goes when the controller
// reports READY at it, answers the go-to E, or a stop is sent.
void feed(velta& w, DIAL* d) {
  struct Seen {
    std::optional<int> position, target;
  };
  auto seen = std::make_shared<Seen>();
  const auto target = [d, seen](std::optional<int> t) {
    seen->target = t;
    d->show_target(t);
  };
  tune_cmd::Reports* r = &tune_cmd::REPORTS();
  QObject::connect(r, &tune_cmd::Reports::position_read, d, [d, seen](int degrees) {
    seen->position = degrees;
    d->show_position(degrees);
  });
  QObject::connect(r, &tune_cmd::Reports::state_read, d, [d, seen, target](const QString& letter) {
    d->show_state(letter);
    if (letter == QLatin1String("R") && seen->target && seen->position == seen->target) target(std::nullopt);
  });
  QObject::connect(r, &tune_cmd::Reports::frame_sent, d, [target](char code, const QString& data) {
    if (code != 'G') return;
    if (data == QLatin1String("977") || data == QLatin1String("999")) target(std::nullopt);
    else if (const std::optional<int> angle = angle_in(data)) target(angle);
  });
  QObject::connect(r, &tune_cmd::Reports::go_to_result, d, [target](const QString& letter) {
    if (letter == QLatin1String("E")) target(std::nullopt);
  });
  // Value 1 of the set: 0 north-stop, 1 south-stop, 2 absolute.
  QObject::connect(&w, &velta::parameters_read, d, [d] {
    if (tune_cmd::LAST_READ().complete) d->show_stop_mode(static_cast<int>(tune_cmd::LAST_READ().values[0]));
  });
}

// The dial turns the rotator only through Execute: its angle goes into the
// go-to box as if typed, and Execute runs as its button does, only while
// that button is enabled.
void turn(velta& w, DIAL* d) {
  QObject::connect(d, &DIAL::angle_marked, &w, [&w](int degrees) { w.go_to_angle->setText(QString::number(degrees)); });
  QObject::connect(d, &DIAL::execute_requested, &w, [&w] { w.execute->click(); });
  QObject::connect(d, &DIAL::preset_go, &w, [&w](int degrees) {
    if (!w.execute->isEnabled()) return;
    w.go_to_angle->setText(QString::number(degrees));
    w.execute->click();
  });
  QObject::connect(w.go_to_angle, &QLineEdit::textChanged, d,
                   [d](const QString& text) { d->show_marked(angle_in(text)); });
  d->show_marked(angle_in(w.go_to_angle->text()));
  new Watch(w.execute, QEvent::EnabledChange, [&w, d] { d->set_execute_enabled(w.execute->isEnabled()); });
  d->set_execute_enabled(w.execute->isEnabled());
}

// The first time it opens, the dial stands to the right of the main window,
// or to its left when the screen has no room there.
void place_beside(QWidget& dial, const QWidget& main) {
  dial.adjustSize();
  const QRect m = main.frameGeometry();
  const QRect screen = main.screen()->availableGeometry();
  QPoint at(m.right() + 1 + GAP, m.top());
  if (at.x() + dial.width() > screen.right()) at.setX(std::max(screen.left(), m.left() - GAP - dial.width()));
  dial.move(at);
}

void view_item(velta& w, DIAL* d) {
  QMenu* view = w.menu_bar->findChild<QMenu*>(QStringLiteral("view_menu"));
  QAction* item = view->addAction(QStringLiteral("&Rotator dial"));
  item->setObjectName(QStringLiteral("rotator_dial"));
  item->setStatusTip(QStringLiteral("Show where the antenna points on a compass rose, and turn it from there"));
  item->setCheckable(true);
  item->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_D));
  d->addAction(item);  // Ctrl+D closes it again from the dial itself
  QObject::connect(item, &QAction::toggled, d, [&w, d, placed = false](bool on) mutable {
    ui::SET_OPTION(QString::fromLatin1(OPEN_OPTION), on);
    if (!on) return d->hide();
    if (!std::exchange(placed, true)) place_beside(*d, w);
    d->show();
    d->raise();
  });
  QObject::connect(d, &DIAL::closed, item, [item] { item->setChecked(false); });
  // Closing the main window ends the program: the dial goes with it and is
  // open again at the next start.
  QObject::connect(&w, &velta::window_closed, d, &QWidget::hide);
  new Watch(&w, QEvent::Show, [&w, item, once = true]() mutable {
    if (std::exchange(once, false) && ui::OPTION(QString::fromLatin1(OPEN_OPTION)))
      QTimer::singleShot(0, item, [item] { item->setChecked(true); });
  });
}
}  // namespace

void BUILD(velta& w) {
  auto* d = new DIAL(&w);
  feed(w, d);
  turn(w, d);
  view_item(w, d);
}

DIAL& DIAL_OF(velta& w) { return *w.findChild<DIAL*>(QStringLiteral("DIAL")); }
}  // namespace dial_controls
