// Takes the README's picture: runs the real start-up of the tool against a
// running cbox-sim (port 1 in the current directory), accepts the port in the
// chooser, answers the connection prompt, and saves the main window as PNG.
//   velta_shot OUTPUT.png
#include <QApplication>
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
    std::fprintf(stderr, "usage: velta_shot OUTPUT.png\n");
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
  QTimer::singleShot(800, [&] {
    const QPixmap shot = window.screen()->grabWindow(window.winId());
    const bool saved = shot.save(QString::fromLocal8Bit(argv[1]));
    std::fprintf(stderr, saved ? "saved %s\n" : "could not save %s\n", argv[1]);
    app.exit(saved ? 0 : 1);
  });
  return app.exec();
}
