// Takes the README's picture: runs the real start-up of the tool against a
// running cbox-sim (port 1 in the current directory), accepts the port in the
// chooser, answers the connection prompt, and saves the main window as PNG;
// with a second file, also the window with its File menu open.
//   velta_shot OUTPUT.png [MENU.png]
#include <QApplication>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QStyleFactory>
#include <QTimer>
#include <cstdio>

#include "ui/msgbox.h"
#include "ui/velta.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: velta_shot OUTPUT.png [MENU.png]\n");
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
  window.show();
  bool saved = true;
  auto save = [&saved](const QPixmap& shot, const char* path) {
    const bool ok = shot.save(QString::fromLocal8Bit(path));
    std::fprintf(stderr, ok ? "saved %s\n" : "could not save %s\n", path);
    saved = saved && ok;
  };
  QTimer::singleShot(800, [&] {
    save(window.screen()->grabWindow(window.winId()), argv[1]);
    if (argc < 3) {
      app.exit(saved ? 0 : 1);
      return;
    }
    // The File menu open over the window: a picture of the screen around both.
    window.menu_bar->setActiveAction(window.menu_bar->actions().value(0));
    QTimer::singleShot(600, [&] {
      QRect area = window.frameGeometry();
      if (QWidget* menu = QApplication::activePopupWidget()) area |= menu->frameGeometry();
      save(window.screen()->grabWindow(0, area.x(), area.y(), area.width(), area.height()), argv[2]);
      app.exit(saved ? 0 : 1);
    });
  });
  return app.exec();
}
