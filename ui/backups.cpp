#include "ui/backups.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QJsonDocument>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QVBoxLayout>
#include <algorithm>

#include "app/set_file.h"
#include "protocol/read_set.h"
#include "serial/serial_vars.h"
#include "ui/msgbox.h"

namespace backups {
namespace {
const QString STAMP_FORMAT = QStringLiteral("yyyyMMdd-HHmmss-zzz");

QString folder() { return QDir::current().absoluteFilePath(QString::fromLatin1(FOLDER)); }

// The firmware version as a part of a file name: anything but letters,
// digits, points and dashes (a version never read shows "???.??") as "_".
QString name_part(const QString& version) {
  QString part = version;
  for (QChar& c : part)
    if (!(c.isLetterOrNumber() && c.unicode() < 128) && c != '.' && c != '-') c = '_';
  return part.isEmpty() ? QStringLiteral("_") : part;
}

// When a backup was made: the time in its name, else when it was last written.
QDateTime made_at(const QFileInfo& file) {
  static const QRegularExpression stamp(QStringLiteral("-(\\d{8}-\\d{6}-\\d{3})\\.json$"));
  const QRegularExpressionMatch m = stamp.match(file.fileName());
  const QDateTime named = m.hasMatch() ? QDateTime::fromString(m.captured(1), STAMP_FORMAT) : QDateTime();
  return named.isValid() ? named : file.lastModified();
}
}  // namespace

Made BACK_UP(const QDateTime& when) {
  const tune_cmd::ReadSet& known = tune_cmd::KNOWN_SET();
  if (!known.complete) return {};
  const QDir dir(folder());
  Made made;
  QDateTime at = when;
  do {
    made.path = dir.filePath(QStringLiteral("cbox-") + name_part(known.version) + '-' + at.toString(STAMP_FORMAT) +
                             QStringLiteral(".json"));
    at = at.addMSecs(1);
  } while (QFileInfo::exists(made.path));
  if (!QDir().mkpath(dir.path())) {
    made.problem = QFileInfo(dir.path()).exists() ? QStringLiteral("%1 is not a folder").arg(FOLDER)
                                                  : QStringLiteral("the folder %1 cannot be made").arg(FOLDER);
    return made;
  }
  const QJsonObject doc = set_file::DOCUMENT_OF(known, myVar::com_port_number, when);
  made.problem = set_file::WRITE_WHOLE(made.path, QJsonDocument(doc).toJson(QJsonDocument::Indented));
  return made;
}

QString CANNOT_TEXT(const Made& made) {
  return QStringLiteral("The CBOX set cannot be backed up to ") + QDir::toNativeSeparators(made.path) +
         QStringLiteral(": ") + made.problem + '.';
}

bool BACK_UP_OR_ASK() {
  const Made made = BACK_UP();
  if (made.problem.isEmpty()) return true;
  return ui::MsgBox(CANNOT_TEXT(made) + QStringLiteral(" Write without a backup?"),
                    QMessageBox::Yes | QMessageBox::No, ui::APP_TITLE, QMessageBox::No) == QMessageBox::Yes;
}

QStringList NEWEST_FIRST() {
  QFileInfoList files = QDir(folder()).entryInfoList({QStringLiteral("*.json")}, QDir::Files);
  std::stable_sort(files.begin(), files.end(), [](const QFileInfo& a, const QFileInfo& b) {
    const QDateTime ta = made_at(a), tb = made_at(b);
    return ta != tb ? ta > tb : a.fileName() > b.fileName();
  });
  QStringList paths;
  for (const QFileInfo& f : files) paths << f.absoluteFilePath();
  return paths;
}

QString CHOOSE(QWidget* parent) {
  const QStringList paths = NEWEST_FIRST();
  if (paths.isEmpty()) {
    ui::MsgBox(QStringLiteral("There is no backup in ") + QDir::toNativeSeparators(folder()) +
               QStringLiteral(" yet: every cmd W after a complete read of the CBOX makes one."));
    return {};
  }
  QDialog dialog(parent);
  dialog.setWindowTitle(QStringLiteral("Load a backup into PARAMETERS SET"));
  auto* layout = new QVBoxLayout(&dialog);
  layout->addWidget(new QLabel(QStringLiteral("The CBOX sets kept before each cmd W, newest first:"), &dialog));
  auto* list = new QListWidget(&dialog);
  list->setObjectName(QStringLiteral("backup_list"));
  for (const QString& path : paths) {
    const QFileInfo file(path);
    auto* row = new QListWidgetItem(made_at(file).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) +
                                        QStringLiteral("   ") + file.fileName(), list);
    row->setData(Qt::UserRole, path);
  }
  list->setCurrentRow(0);
  list->setMinimumWidth(list->sizeHintForColumn(0) + 40);
  layout->addWidget(list);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("&Load"));
  layout->addWidget(buttons);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  QObject::connect(list, &QListWidget::itemDoubleClicked, &dialog, &QDialog::accept);
  if (dialog.exec() != QDialog::Accepted || !list->currentItem()) return {};
  return list->currentItem()->data(Qt::UserRole).toString();
}
}  // namespace backups
