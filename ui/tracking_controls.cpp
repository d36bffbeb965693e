#include "ui/tracking_controls.h"

#include <QGridLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QSignalBlocker>

#include "app/tracking_server.h"
#include "ui/velta.h"

namespace tracking_controls {
void BUILD(velta& w) {
  auto* server = new tracking::Server(w);

  auto* tools = new QMenu(QStringLiteral("&Tools"), w.menu_bar);
  tools->setObjectName(QStringLiteral("tools_menu"));
  w.menu_bar->insertMenu(w.help_menu->menuAction(), tools);
  QAction* item = tools->addAction(QStringLiteral("&Tracking server"));
  item->setObjectName(QStringLiteral("tracking_server_item"));
  item->setStatusTip(QStringLiteral("Let tracking programs turn the rotator over TCP (the rotator daemon's protocol)"));
  item->setCheckable(true);
  // On the address last given (127.0.0.1:4533 until one is).
  QObject::connect(item, &QAction::triggered, server, [server](bool on) {
    if (on) server->start(server->endpoint());
    else server->stop();
  });
  QObject::connect(server, &tracking::Server::listening_changed, item, [item](bool on) {
    const QSignalBlocker quiet(item);
    item->setChecked(on);
  });

  auto* status = new QLabel(server->status(), &w);
  status->setObjectName(QStringLiteral("tracking_status"));
  // The fixed window keeps its size whatever the line says; a line too long
  // for it is cut, and shown whole as its tool tip.
  status->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  QObject::connect(server, &tracking::Server::status_changed, status, [status](const QString& text) {
    status->setText(text);
    status->setToolTip(text);
  });
  auto* grid = qobject_cast<QGridLayout*>(w.layout());
  grid->addWidget(status, grid->rowCount(), 0, 1, grid->columnCount());

  // The server ends with the window: its clients are closed with it.
  QObject::connect(&w, &velta::window_closed, server, &tracking::Server::stop);
}

tracking::Server& SERVER(velta& w) { return *w.findChild<tracking::Server*>(QStringLiteral("tracking_server")); }
}  // namespace tracking_controls
