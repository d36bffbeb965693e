#pragma once
// The backup before every write: cmd W replaces the controller's whole set,
// so the set the tool last knew of it is first kept as a set file in
// backups/ of the working folder, for the window's cmd W and a script's
// alike. Nothing is ever deleted from backups/; File > Load a backup...
// puts one back into PARAMETERS SET.
#include <QDateTime>
#include <QString>
#include <QStringList>

class QWidget;

namespace backups {
inline constexpr const char* FOLDER = "backups";

struct Made {
  QString path;     // the file, absolute; empty: nothing is known to back up
  QString problem;  // why it could not be written; empty: written
};
// Writes the set the tool last knew (tune_cmd::KNOWN_SET) to
// backups/cbox-<firmware>-<yyyyMMdd-HHmmss-zzz>.json, the folder made when
// missing, the file written beside its place and renamed in. A name already
// taken is never replaced: the next millisecond's is used. Before any
// complete read nothing is known and nothing is written.
Made BACK_UP(const QDateTime& when = QDateTime::currentDateTime());
// "The CBOX set cannot be backed up to <path>: <reason>."
QString CANNOT_TEXT(const Made& made);
// The window's cmd W: the backup, or when it cannot be written the question
// whether to write without one. True when the write may go on.
bool BACK_UP_OR_ASK();

// The set files in backups/ (absolute paths), newest first by the time in
// their names (a file named otherwise by its modification time).
QStringList NEWEST_FIRST();
// The list of backups, newest first, to pick one from; the path picked, empty
// when there is none or the technician cancelled (told when there is none).
QString CHOOSE(QWidget* parent);
}  // namespace backups
