#pragma once
// Set files: a controller's parameter set as a readable JSON document, saved
// from the last complete read and loaded back into PARAMETERS SET, so that a
// set can be kept, put back exactly or copied to another controller.
//
// The document (version 1):
//   "document"  "CBOX parameter set"
//   "version"   1
//   "program"   the program and its version that wrote it
//   "saved"     local date and time, ISO 8601 with the offset from UTC
//   "port"      the port number the controller was read on
//   "firmware_version", "dip_switches", "calibration_factor": as reported
//   "values"    the fifteen values by their readable names, in the
//               controller's units (ticks, degrees, 0/1, stop mode 0/1/2)
//   "user_units" the same values as texts in the user's units, for a reader;
//               loading ignores them
#include <QByteArray>
#include <QIODevice>
#include <QDateTime>
#include <QJsonObject>
#include <QString>

#include "protocol/parameter_record.h"
#include "protocol/read_set.h"

namespace set_file {
inline constexpr int VERSION = 1;

// The document of a read set.
QJsonObject DOCUMENT_OF(const tune_cmd::ReadSet& read, int port, const QDateTime& when);
// "cbox-<yyyyMMdd>-<HHmmss>.json".
QString SUGGESTED_NAME(const QDateTime& when);

// The controller set a document's bytes hold; empty when they hold one that
// the entries can give back exactly, else what is wrong with them.
QString SET_OF_BYTES(const QByteArray& bytes, tune_cmd::ControllerSet& set);
// The same for a file.
QString READ_SET_FILE(const QString& path, tune_cmd::ControllerSet& set);
// The same for what an open device gives up to its end (standard input).
QString READ_SET_FROM(QIODevice& in, tune_cmd::ControllerSet& set);

// Writes the bytes to the file through a copy beside it that is renamed into
// place, so that a failure never leaves half a file. Empty on success, else
// why it failed.
QString WRITE_WHOLE(const QString& path, const QByteArray& bytes);
}  // namespace set_file
