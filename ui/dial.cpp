#include "ui/dial.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QMenu>
#include <QVBoxLayout>

#include "ui/colours.h"
#include "ui/preset_dialog.h"

const QString DIAL::CAPTION = QStringLiteral("Rotator");

namespace {
QLabel* reading(QWidget* parent, const char* name, const QString& text, const QString& accessible) {
  auto* l = new QLabel(text, parent);
  l->setObjectName(QString::fromLatin1(name));
  l->setAccessibleName(accessible);
  l->setAlignment(Qt::AlignCenter);
  QFont f = l->font();
  f.setBold(true);
  l->setFont(f);
  return l;
}

QAction* menu_item(QMenu* menu, const char* name, const QString& text) {
  QAction* a = menu->addAction(text);
  a->setObjectName(QString::fromLatin1(name));
  return a;
}

const std::optional<presets::Preset>& preset(int index) {
  return presets::KEPT().presets()[static_cast<std::size_t>(index)];
}
}  // namespace

DIAL::DIAL(QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName(QStringLiteral("DIAL"));
  setWindowTitle(CAPTION);
  // A window beside the main one: closing the main window must end the
  // program even while the dial is open.
  setAttribute(Qt::WA_QuitOnClose, false);

  rose = new dial::ROSE(this);
  dial_position = reading(this, "dial_position", QStringLiteral("???"), QStringLiteral("Position"));
  dial_target = reading(this, "dial_target", QString(), QStringLiteral("Target"));
  dial_state = reading(this, "dial_state", QStringLiteral("???"), QStringLiteral("State"));
  connect(rose, &dial::ROSE::angle_marked, this, &DIAL::angle_marked);
  connect(rose, &dial::ROSE::execute_requested, this, &DIAL::execute_requested);

  auto* readings = new QHBoxLayout;
  for (QLabel* l : {dial_position, dial_target, dial_state}) readings->addWidget(l, 1);
  auto* grid = new QGridLayout;
  for (int i = 0; i < presets::COUNT; ++i) grid->addWidget(preset_button(i), i / 4, i % 4);
  auto* column = new QVBoxLayout(this);
  column->addWidget(rose, 1);
  column->addLayout(readings);
  column->addLayout(grid);
  connect(&presets::KEPT(), &presets::Kept::changed, this, &DIAL::show_presets);
  show_presets();
}

// A button of one preset: a click goes there, its menu changes it.
QPushButton* DIAL::preset_button(int index) {
  auto* b = new QPushButton(this);
  b->setObjectName(QStringLiteral("preset_") + QString::number(index + 1));
  b->setAutoDefault(false);
  preset_buttons[static_cast<std::size_t>(index)] = b;
  connect(b, &QPushButton::clicked, this, [this, index] {
    if (const auto& p = preset(index)) emit preset_go(p->azimuth);
  });

  auto* menu = new QMenu(b);
  menu->setObjectName(QStringLiteral("preset_menu"));
  b->installEventFilter(this);
  connect(menu_item(menu, "set_to_position", QStringLiteral("Set to the &position")), &QAction::triggered, this,
          [this, index] {
            if (!position_) return;
            const auto& now = preset(index);
            // The name stays: "Park" set anew is still the park position.
            presets::KEPT().change(index, presets::Preset{now ? now->name : QString(), *position_});
          });
  connect(menu_item(menu, "set_to", QStringLiteral("&Set to ...")), &QAction::triggered, this,
          [this, index] { ask_preset(index); });
  connect(menu_item(menu, "clear", QStringLiteral("&Clear")), &QAction::triggered, this,
          [index] { presets::KEPT().change(index, std::nullopt); });
  return b;
}

void DIAL::ask_preset(int index) {
  PRESET_DIALOG dialog(index + 1, preset(index), position_, this);
  if (dialog.exec() == QDialog::Accepted) presets::KEPT().change(index, dialog.preset());
}

bool DIAL::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::ContextMenu) return false;
  watched->findChild<QMenu*>(QStringLiteral("preset_menu"))
      ->popup(static_cast<QContextMenuEvent*>(event)->globalPos());
  return true;
}

void DIAL::show_presets() {
  for (int i = 0; i < presets::COUNT; ++i) {
    const auto& p = preset(i);
    QPushButton* b = preset_buttons[static_cast<std::size_t>(i)];
    // A "&" in a name is shown, not taken as the button's shortcut letter.
    b->setText(presets::BUTTON_TEXT(p).replace('&', QStringLiteral("&&")));
    b->setToolTip(p ? QStringLiteral("Go to ") + presets::DEGREES_TEXT(p->azimuth) +
                          QStringLiteral("; right-click to change")
                    : QStringLiteral("Empty; right-click to set"));
    b->findChild<QAction*>(QStringLiteral("set_to_position"))->setEnabled(position_.has_value());
    b->findChild<QAction*>(QStringLiteral("clear"))->setEnabled(p.has_value());
  }
}

void DIAL::show_position(int degrees) {
  const bool first = !position_;
  position_ = degrees;
  dial_position->setText(presets::DEGREES_TEXT(degrees));
  rose->set_position(position_, busy_);
  if (first) show_presets();
}

void DIAL::show_state(const QString& letter) {
  busy_ = letter == QLatin1String("B");
  dial_state->setText(busy_                          ? QStringLiteral("BUSY")
                      : letter == QLatin1String("R") ? QStringLiteral("READY")
                                                     : QStringLiteral("???"));
  // Red as the main window's BUSY box.
  ui::SET_FORECOLOR(dial_state, busy_ ? colours::RED() : colours::SYS_WINDOW_TEXT());
  rose->set_position(position_, busy_);
}

void DIAL::show_target(std::optional<int> target) {
  dial_target->setText(target ? QStringLiteral("to ") + presets::DEGREES_TEXT(*target) : QString());
  rose->set_target(target);
}

void DIAL::show_stop_mode(std::optional<int> mode) { rose->set_stop_mode(mode); }

void DIAL::show_marked(std::optional<int> marked) { rose->set_marked(marked); }

void DIAL::set_execute_enabled(bool enabled) {
  for (QPushButton* b : preset_buttons) b->setEnabled(enabled);
}

void DIAL::closeEvent(QCloseEvent* event) {
  event->accept();
  emit closed();
}
