#include "ui/menus.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QJsonDocument>
#include <QLayout>
#include <QMenuBar>

#include "app/file_in.h"
#include "serial/serial_vars.h"
#include "app/set_file.h"
#include "monitor/reply_box.h"
#include "protocol/read_set.h"
#include "serial/port_links.h"
#include "ui/backups.h"
#include "ui/msgbox.h"
#include "ui/options.h"
#include "ui/velta.h"

namespace menus {
namespace {
const QString SET_FILTER = QStringLiteral("CBOX parameter sets (*.json);;All files (*)");
const QString TEXT_FILTER = QStringLiteral("Text files (*.txt);;All files (*)");

QString shown(const QString& path) { return QDir::toNativeSeparators(path); }

// A path from the file dialog; empty when the technician cancelled. The
// dialog opens in the working directory, where velta.ini lives.
QString ask_path(velta& w, const QString& title, const QString& filter, const QString& suggested = {}) {
  QFileDialog dialog(&w, title, QDir::currentPath(), filter);
  dialog.setAcceptMode(suggested.isEmpty() ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
  if (suggested.isEmpty()) {
    dialog.setFileMode(QFileDialog::ExistingFile);
  } else {
    dialog.setDefaultSuffix(QFileInfo(suggested).suffix());
    dialog.selectFile(suggested);
  }
  return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
}

QString stamp_now() { return QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss")); }

void save_set_Click(velta& w) {
  const QString path = ask_path(w, QStringLiteral("Save CBOX set"), SET_FILTER,
                                set_file::SUGGESTED_NAME(QDateTime::currentDateTime()));
  if (!path.isEmpty()) SAVE_SET(path);
}

void load_set_Click(velta& w) {
  const QString path = ask_path(w, QStringLiteral("Load set into PARAMETERS SET"), SET_FILTER);
  if (!path.isEmpty()) LOAD_SET(path);
}

void save_replies_Click(velta& w) {
  const QString path = ask_path(w, QStringLiteral("Save monitor replies"), TEXT_FILTER,
                                QStringLiteral("cbox-replies-") + stamp_now() + QStringLiteral(".txt"));
  if (!path.isEmpty()) SAVE_REPLIES(path);
}

QAction* item(QMenu* menu, const char* name, const QString& text, const QString& tip) {
  QAction* a = menu->addAction(text);
  a->setObjectName(QString::fromLatin1(name));
  a->setStatusTip(tip);
  return a;
}

// Load a backup... beside Load, Read back after cmd W after Compare.
void backup_items(velta& w, QMenu* file, QAction* compare) {
  auto* load_backup = new QAction(QStringLiteral("Load a &backup..."), file);
  load_backup->setObjectName(QStringLiteral("load_backup"));
  load_backup->setStatusTip(QStringLiteral("Fill PARAMETERS SET from a backup made before a cmd W, newest first"));
  file->insertAction(compare, load_backup);
  QObject::connect(load_backup, &QAction::triggered, &w, [&w] {
    if (const QString path = backups::CHOOSE(&w); !path.isEmpty()) LOAD_SET(path);
  });
  QAction* read_back = item(file, "read_back", QStringLiteral("&Read back after cmd W"),
                            QStringLiteral("Read the CBOX after every cmd W and show where it differs from the set sent"));
  read_back->setCheckable(true);
  read_back->setChecked(ui::OPTION(QString::fromLatin1(READ_BACK_OPTION)));
  QObject::connect(read_back, &QAction::toggled, &w,
                   [](bool on) { ui::SET_OPTION(QString::fromLatin1(READ_BACK_OPTION), on); });
}
}  // namespace

void BUILD_MENUS(velta& w) {
  auto* bar = new QMenuBar(&w);
  bar->setObjectName(QStringLiteral("menu_bar"));

  QMenu* file = bar->addMenu(QStringLiteral("&File"));
  file->setObjectName(QStringLiteral("file_menu"));
  QAction* save_set = item(file, "save_set", QStringLiteral("&Save CBOX set..."),
                           QStringLiteral("Save the set of the last complete read of the CBOX to a file"));
  save_set->setShortcut(QKeySequence::Save);
  // Only a complete read gives a set to save.
  save_set->setEnabled(false);
  QObject::connect(&w, &velta::parameters_read, save_set, [save_set] { save_set->setEnabled(true); });
  QObject::connect(save_set, &QAction::triggered, &w, [&w] { save_set_Click(w); });

  QAction* load_set = item(file, "load_set", QStringLiteral("&Load set into PARAMETERS SET..."),
                           QStringLiteral("Fill PARAMETERS SET from a set file; cmd W then sends it"));
  load_set->setShortcut(QKeySequence::Open);
  QObject::connect(load_set, &QAction::triggered, &w, [&w] { load_set_Click(w); });

  QAction* compare = item(file, "compare_set", QStringLiteral("&Compare PARAMETERS SET with CBOX..."),
                          QStringLiteral("List where PARAMETERS SET differs from the last read of the CBOX"));
  QObject::connect(compare, &QAction::triggered, &w, [] { COMPARE_SET(); });
  backup_items(w, file, compare);

  file->addSeparator();
  QAction* replies = item(file, "save_replies", QStringLiteral("Save &monitor replies..."),
                          QStringLiteral("Save the lines of the CBOX replies box as a text file"));
  QObject::connect(replies, &QAction::triggered, &w, [&w] { save_replies_Click(w); });

  QMenu* view = bar->addMenu(QStringLiteral("&View"));
  view->setObjectName(QStringLiteral("view_menu"));
  QAction* stamps = item(view, "time_stamps", QStringLiteral("&Time stamps in monitor"),
                         QStringLiteral("Lead each new monitor line with the time it arrived"));
  stamps->setCheckable(true);
  // The check item is the setting: a new window starts with it off.
  tune_cmd::SET_REPLY_TIME_STAMPS(false);
  QObject::connect(stamps, &QAction::toggled, &w, [](bool on) { tune_cmd::SET_REPLY_TIME_STAMPS(on); });

  QMenu* help = bar->addMenu(QStringLiteral("&Help"));
  help->setObjectName(QStringLiteral("help_menu"));
  QAction* about = item(help, "about", QStringLiteral("&About"),
                        QStringLiteral("Program version, the port in use and where velta.ini lives"));
  QObject::connect(about, &QAction::triggered, &w,
                   [] { ui::MsgBox(ABOUT_TEXT(), QMessageBox::Ok, QStringLiteral("About velta")); });

  w.menu_bar = bar;
  w.help_menu = help;
  w.layout()->setMenuBar(bar);
}

void SAVE_SET(const QString& path) {
  const tune_cmd::ReadSet& read = tune_cmd::LAST_READ();
  if (!read.complete) {
    ui::MsgBox(QStringLiteral("No complete read of the CBOX yet: there is no set to save. Read it with cmd L."));
    return;
  }
  const QJsonObject doc = set_file::DOCUMENT_OF(read, myVar::com_port_number, QDateTime::currentDateTime());
  const QString problem = set_file::WRITE_WHOLE(path, QJsonDocument(doc).toJson(QJsonDocument::Indented));
  if (!problem.isEmpty())
    ui::MsgBox(QStringLiteral("The CBOX set could not be saved to ") + shown(path) + QStringLiteral(": ") + problem);
}

QString NOT_LOADED(const QString& name, const QString& problem) {
  return QStringLiteral("The file ") + shown(name) + QStringLiteral(" was not loaded: ") + problem + '.';
}

void LOAD_SET(const QString& path) {
  tune_cmd::ControllerSet set{};
  if (const QString problem = set_file::READ_SET_FILE(path, set); !problem.isEmpty()) {
    ui::MsgBox(NOT_LOADED(path, problem) + QStringLiteral("\nPARAMETERS SET is unchanged."));
    return;
  }
  velta_form().set_entries(tune_cmd::ENTRIES_OF(set, true));
}

void COMPARE_SET() {
  const tune_cmd::ReadSet& read = tune_cmd::LAST_READ();
  if (!read.complete) {
    ui::MsgBox(QStringLiteral("No complete read of the CBOX yet: there is nothing to compare with. Read it with "
                              "cmd L."));
    return;
  }
  const tune_cmd::Entries entries = velta_form().entries();
  if (const QString problem = tune_cmd::RECORD_PROBLEM(entries); !problem.isEmpty()) {
    ui::MsgBox(QStringLiteral("cmd W would not send PARAMETERS SET: ") + problem);
    return;
  }
  const QStringList lines = DIFFERENCES(tune_cmd::SET_OF(entries), read.values);
  if (lines.isEmpty()) {
    ui::MsgBox(QStringLiteral("PARAMETERS SET and the last read of the CBOX: no difference."));
    return;
  }
  ui::MsgBox(QStringLiteral("PARAMETERS SET differs from the last read of the CBOX in:\n") + lines.join('\n'));
}

QStringList DIFFERENCES(const tune_cmd::ControllerSet& boxes, const tune_cmd::ControllerSet& cbox,
                        bool with_stop_mode) {
  QStringList lines;
  for (const tune_cmd::Parameter& p : tune_cmd::RECORD()) {
    const auto i = static_cast<std::size_t>(p.n - 1);
    if (p.unit == tune_cmd::Unit::stop_mode && !with_stop_mode) continue;
    // Options compare as cmd W gives them: on or off.
    const bool differ =
        p.unit == tune_cmd::Unit::on_off ? (boxes[i] != 0) != (cbox[i] != 0) : boxes[i] != cbox[i];
    if (differ)
      lines << QString::fromLatin1(p.name) + QStringLiteral(": ") + tune_cmd::USER_TEXT(boxes, p.n) +
                   QStringLiteral(" in PARAMETERS SET, ") + tune_cmd::USER_TEXT(cbox, p.n) +
                   QStringLiteral(" in the CBOX");
  }
  return lines;
}

const QString READ_BACK_DIFFERS = QStringLiteral("The CBOX read back after cmd W differs from what it sent in:\n");

QStringList READ_BACK_DIFFERENCES(const tune_cmd::Entries& sent) {
  return DIFFERENCES(tune_cmd::SET_OF(sent), tune_cmd::LAST_READ().values,
                     !tune_cmd::WIRE_VALUE(sent, 1).isEmpty());
}

void SAVE_REPLIES(const QString& path) {
  // The box ends each line with its own line end, the last one too.
  const QString text = velta_form().cbox_reply_text->toPlainText();
  const QString problem = set_file::WRITE_WHOLE(path, text.toUtf8());
  if (!problem.isEmpty())
    ui::MsgBox(QStringLiteral("The monitor replies could not be saved to ") + shown(path) + QStringLiteral(": ") +
               problem);
}

QString ABOUT_TEXT() {
  const QStringList lines = {
      QStringLiteral("velta " VELTA_VERSION),
      QStringLiteral("Service tool for the CBOX antenna-rotator controller"),
      QString(),
      QStringLiteral("Port in use: COM ") + QString::number(myVar::com_port_number),
      QStringLiteral("It opens: ") + port_links::OPENS_NOW(myVar::com_port_number),
      QStringLiteral("Settings file: ") +
          shown(QDir::current().absoluteFilePath(QString::fromLatin1(file_in::SETTINGS_FILE))),
  };
  return lines.join('\n');
}
}  // namespace menus
