#include "ui/quale_com.h"

#include <QAbstractItemView>
#include <QCloseEvent>
#include <QFileInfo>
#include <QSignalBlocker>
#include <cmath>
#include <limits>

#include "serial/serial_vars.h"
#include "serial/number_text.h"
#include "ui/colours.h"
#include "ui/fonts.h"
#include "ui/msgbox.h"
#include "ui/velta.h"
#include "ui/widgets.h"

namespace myVar {
bool port_accepted = false;
}  // namespace myVar

const QString quale_com::CAPTION = QStringLiteral("CHOOSE or CONFIRM COM PORT");

namespace {
quale_com* the_chooser = nullptr;

// Where plugging or pulling an adapter shows: its device node and its
// stable name.
const QString DEVICE_FOLDERS[] = {QStringLiteral("/dev"), QString::fromLatin1(port_links::BY_ID_DIR)};

// The port number the box stands for, rounded as ACCEPT stores it; 0 for a
// number ACCEPT refuses.
int shown_port(const QString& text) {
  const double rounded = std::nearbyint(tune_cmd::Val(text.trimmed()));
  const bool fits =
      rounded >= std::numeric_limits<std::int16_t>::min() && rounded <= std::numeric_limits<std::int16_t>::max();
  return fits ? static_cast<int>(rounded) : 0;
}
}  // namespace

quale_com* quale_com_form() { return the_chooser; }

quale_com::quale_com(QWidget* parent) : QWidget(parent) {
  the_chooser = this;
  setObjectName(QStringLiteral("quale_com"));
  setWindowTitle(CAPTION);
  // Start-up decides what the end of this window means; the program must
  // not quit just because the chooser went away.
  setAttribute(Qt::WA_QuitOnClose, false);
  // It never outlives the main window, however that ends.
  if (velta_exists()) connect(&velta_form(), &QObject::destroyed, this, [this] { delete this; });
  setFixedSize(480, 124);
  build();

  // udev makes an adapter's node and then its stable name; one refresh a
  // moment after the last change sees both.
  refresh_timer_.setSingleShot(true);
  refresh_timer_.setInterval(300);
  connect(&refresh_timer_, &QTimer::timeout, this, &quale_com::refresh_timer_Timer);
  connect(&dev_watch_, &QFileSystemWatcher::directoryChanged, this, &quale_com::dev_watch_Change);

  connect(com_port, &QLineEdit::textChanged, this, &quale_com::com_port_Change);
  connect(com_port, &QLineEdit::returnPressed, this, &quale_com::continue_button_Click);
  connect(continue_button, &QPushButton::clicked, this, &quale_com::continue_button_Click);

  // The devices present are gathered when the window shows.
  SHOW_DEVICES({});
  initial_read_ = Form_Initialize();
}

void quale_com::build() {
  Label45 = new QLabel(QStringLiteral("COM"), this);
  Label45->setObjectName(QStringLiteral("Label45"));
  Label45->setFont(ui::ARIAL_BOLD(12));
  Label45->setGeometry(16, 28, 50, 30);

  com_port = ui::NEW_BOX(this, QStringLiteral("com_port"), QStringLiteral("1"));
  com_port->setFont(ui::ARIAL_BOLD(12));
  com_port->setGeometry(68, 26, 80, 34);
  Label45->setBuddy(com_port);
  com_port->setAccessibleName(QStringLiteral("COM"));

  device_label = new QLabel(QStringLiteral("Device"), this);
  device_label->setObjectName(QStringLiteral("device_label"));
  device_label->setFont(ui::ARIAL_BOLD(10));
  device_label->setGeometry(16, 78, 52, 30);

  device_list = new QComboBox(this);
  device_list->setObjectName(QStringLiteral("device_list"));
  device_list->setGeometry(68, 78, 396, 30);
  // Device lines are long; the box keeps its place and the open list shows
  // them whole.
  device_list->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  device_label->setBuddy(device_list);
  device_list->setAccessibleName(QStringLiteral("Device"));

  continue_button = ui::NEW_BUTTON(this, QStringLiteral("continue_button"), QStringLiteral("ACCEPT"), QColor(255, 128, 0));
  continue_button->setFont(ui::ARIAL_BOLD(10));
  continue_button->setGeometry(172, 22, 110, 42);
  continue_button->setDefault(true);

  setTabOrder(com_port, device_list);
  setTabOrder(device_list, continue_button);
  com_port->setFocus();
}

quale_com::~quale_com() {
  if (the_chooser == this) the_chooser = nullptr;
}

file_in::Settings quale_com::Form_Initialize() { return file_in::READ_SETTINGS(); }

void quale_com::com_port_Change() {
  if (velta_exists()) velta_form().com_port->setText(com_port->text());
  SHOW_DEVICES(ports_);
}

void quale_com::SHOW_DEVICES(std::vector<port_links::PortDescription> ports) {
  const port_links::ListEntry before = entries_.empty() ? port_links::ListEntry{} : device_picked();
  ports_ = std::move(ports);
  listed_port_ = shown_port(com_port->text());
  entries_ = port_links::DEVICE_LIST(listed_port_, ports_, port_links::NO_PERMISSION);
  const QSignalBlocker quiet(device_list);
  device_list->clear();
  int keep = 0;
  for (int i = 0; i < static_cast<int>(entries_.size()); ++i) {
    const port_links::ListEntry& entry = entries_[static_cast<size_t>(i)];
    device_list->addItem(entry.text);
    device_list->setItemData(i, entry.text, Qt::ToolTipRole);
    if (i > 0 && entry.pick == before.pick && entry.device == before.device) keep = i;
  }
  device_list->setCurrentIndex(keep);
  device_list->view()->setMinimumWidth(device_list->view()->sizeHintForColumn(0) + 24);
}

const port_links::ListEntry& quale_com::device_picked() const {
  return entries_[static_cast<size_t>(std::max(0, device_list->currentIndex()))];
}

QString quale_com::LINK_PICKED() {
  const port_links::ListEntry picked = device_picked();
  if (picked.pick == port_links::ListEntry::Pick::keep) return {};
  const QString why = picked.pick == port_links::ListEntry::Pick::link
                          ? port_links::LINK_PORT(listed_port_, picked.device)
                          : port_links::UNLINK_PORT(listed_port_);
  if (why.isEmpty()) {
    // The first line now names what was picked; a second ACCEPT keeps it.
    SHOW_DEVICES(ports_);
    device_list->setCurrentIndex(0);
  }
  return why;
}

void quale_com::dev_watch_Change() { refresh_timer_.start(); }

// Runs only while the window shows: hiding it stops the timer and the watch.
void quale_com::refresh_timer_Timer() {
  // The stable-name folder comes and goes with the first and last adapter.
  if (!dev_watch_.directories().isEmpty()) dev_watch_.removePaths(dev_watch_.directories());
  for (const QString& folder : DEVICE_FOLDERS)
    if (QFileInfo(folder).isDir()) dev_watch_.addPath(folder);
  SHOW_DEVICES(port_links::PORTS_PRESENT());
}

void quale_com::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  refresh_timer_Timer();
}

void quale_com::hideEvent(QHideEvent* event) {
  refresh_timer_.stop();
  if (!dev_watch_.directories().isEmpty()) dev_watch_.removePaths(dev_watch_.directories());
  QWidget::hideEvent(event);
}

void quale_com::continue_button_Click() {
  // The device picked is linked before anything is stored: when that cannot
  // be done the technician hears why once and corrects it here, with the
  // number, the settings file and the port's link as they were.
  if (const QString why = LINK_PICKED(); !why.isEmpty()) {
    ui::MsgBox(why);
    return;
  }
  // A number the port cannot have is refused there and then; the user
  // corrects it in this window.
  if (file_in::WRITE_SETTINGS()) {
    com_port->setText(file_in::KEPT_NUMBER());
    return;
  }
  myVar::port_accepted = true;
}

void quale_com::closeEvent(QCloseEvent* event) {
  // Start-up hides and closes the window after ACCEPT; any other close comes
  // from the window's own close control.
  if (!myVar::port_accepted) closed_without_accept_ = true;
  event->accept();
}
