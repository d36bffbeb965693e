// Takes the README's pictures: runs the real start-up of the tool against a
// running cbox-sim (port 1 in the current directory), accepts the port in the
// chooser, answers the connection prompt, and saves the main window as PNG;
// with a second file, also the window with its File menu open; with a third,
// the rotator dial beside the window after a go-to to 250° has been sent and
// a status read while the rotator turns.
//   velta_shot OUTPUT.png [MENU.png [DIAL.png]]
#include <QAction>
#include <QApplication>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QStyleFactory>
#include <QTimer>
#include <cstdio>

#include "app/presets.h"
#include "ui/dial.h"
#include "ui/dial_controls.h"
#include "ui/msgbox.h"
#include "ui/velta.h"

namespace {
bool saved = true;

void save(const QPixmap& shot, const char* path) {
  const bool ok = shot.save(QString::fromLocal8Bit(path));
  std::fprintf(stderr, ok ? "saved %s\n" : "could not save %s\n", path);
  saved = saved && ok;
}

// A picture of the screen around the window and whatever else is given.
void save_area(const QWidget& window, QRect area, const char* path) {
  area |= window.frameGeometry();
  save(window.screen()->grabWindow(0, area.x(), area.y(), area.width(), area.height()), path);
}

// Two windows side by side on a plain desktop, without the bare screen of
// the virtual display around them.
void save_pair(const QWidget& left, const QWidget& right, const char* path) {
  const QRect area = left.frameGeometry() | right.frameGeometry();
  QPixmap shot(area.size() * left.devicePixelRatioF());
  shot.setDevicePixelRatio(left.devicePixelRatioF());
  shot.fill(QColor(96, 112, 128));
  QPainter p(&shot);
  for (const QWidget* w : {&left, &right})
    p.drawPixmap(w->frameGeometry().topLeft() - area.topLeft(), w->screen()->grabWindow(w->winId()));
  p.end();
  save(shot, path);
}

// The dial opened from its View item, an angle marked on it and sent by
// Execute, then the status read while the rotator turns there.
void dial_shot(velta& window, const char* path) {
  if (QWidget* menu = QApplication::activePopupWidget()) menu->close();
  window.findChild<QAction*>(QStringLiteral("rotator_dial"))->trigger();
  DIAL& dial = dial_controls::DIAL_OF(window);
  QTimer::singleShot(600, [&window, &dial, path] {
    emit dial.rose->angle_marked(250);
    window.execute->click();
    QTimer::singleShot(4000, [&window, &dial, path] {
      window.command_qm->click();
      QTimer::singleShot(400, [&window, &dial, path] {
        save_pair(window, dial, path);
        QApplication::exit(saved ? 0 : 1);
      });
    });
  });
}

void shots(velta& window, int argc, char** argv) {
  save(window.screen()->grabWindow(window.winId()), argv[1]);
  if (argc < 3) return QApplication::exit(saved ? 0 : 1);
  // The File menu open over the window.
  window.menu_bar->setActiveAction(window.menu_bar->actions().value(0));
  QTimer::singleShot(600, [&window, argc, argv] {
    QWidget* menu = QApplication::activePopupWidget();
    save_area(window, menu ? menu->frameGeometry() : QRect(), argv[2]);
    if (argc < 4) return QApplication::exit(saved ? 0 : 1);
    dial_shot(window, argv[3]);
  });
}
}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: velta_shot OUTPUT.png [MENU.png [DIAL.png]]\n");
    return 2;
  }
  QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
  QApplication::setPalette(QApplication::style()->standardPalette());
  ui::set_msgbox_hook([](const ui::MsgBoxRequest& r) {
    std::fprintf(stderr, "message: %s\n", qPrintable(r.text));
    return QMessageBox::Ok;
  });
  // Accept the stored port as a technician would, once the chooser shows.
  auto* accept = new QTimer(&app);
  QObject::connect(accept, &QTimer::timeout, [] {
    for (QWidget* w : QApplication::topLevelWidgets()) {
      if (w->objectName() == QLatin1String("quale_com") && w->isVisible()) {
        if (auto* b = w->findChild<QPushButton*>(QStringLiteral("continue_button"))) b->click();
      }
    }
  });
  accept->start(300);
  velta window;
  window.Form_Load();
  accept->stop();
  presets::LOAD_PRESETS();
  window.show();
  QTimer::singleShot(800, [&] { shots(window, argc, argv); });
  return app.exec();
}
