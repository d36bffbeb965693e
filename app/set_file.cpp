#include "app/set_file.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSaveFile>

namespace set_file {
namespace {
const QString DOCUMENT = QStringLiteral("CBOX parameter set");
// Far more than any set file: anything larger is not one and is not read.
constexpr qint64 MAX_BYTES = 1 << 20;

QString key(const tune_cmd::Parameter& p) { return QString::fromLatin1(p.name); }

// A JSON value as it stands in the file ("abc" with its quotes), for a message.
QString json_text(const QJsonValue& v) {
  const QByteArray wrapped = QJsonDocument(QJsonArray{v}).toJson(QJsonDocument::Compact);
  return QString::fromUtf8(wrapped.mid(1, wrapped.size() - 2));
}
}  // namespace

QJsonObject DOCUMENT_OF(const tune_cmd::ReadSet& read, int port, const QDateTime& when) {
  QJsonObject values, user_units;
  tune_cmd::ControllerSet set = read.values;
  for (const tune_cmd::Parameter& p : tune_cmd::RECORD()) {
    double& v = set[static_cast<std::size_t>(p.n - 1)];
    // An option is on for any value but 0; cmd W gives it back as 1.
    if (p.unit == tune_cmd::Unit::on_off) v = v != 0 ? 1 : 0;
    values[key(p)] = static_cast<qint64>(v);
  }
  for (const tune_cmd::Parameter& p : tune_cmd::RECORD()) user_units[key(p)] = tune_cmd::USER_TEXT(set, p.n);
  return {
      {QStringLiteral("document"), DOCUMENT},
      {QStringLiteral("version"), VERSION},
      {QStringLiteral("program"), QStringLiteral("velta " VELTA_VERSION)},
      {QStringLiteral("saved"), when.toOffsetFromUtc(when.offsetFromUtc()).toString(Qt::ISODate)},
      {QStringLiteral("port"), port},
      {QStringLiteral("firmware_version"), read.version},
      {QStringLiteral("dip_switches"), read.dip},
      {QStringLiteral("calibration_factor"), read.cal_factor},
      {QStringLiteral("values"), values},
      {QStringLiteral("user_units"), user_units},
  };
}

QString SUGGESTED_NAME(const QDateTime& when) {
  return QStringLiteral("cbox-") + when.toString(QStringLiteral("yyyyMMdd-HHmmss")) + QStringLiteral(".json");
}

QString SET_OF_BYTES(const QByteArray& bytes, tune_cmd::ControllerSet& set) {
  QJsonParseError error{};
  const QJsonDocument doc = QJsonDocument::fromJson(bytes, &error);
  if (error.error != QJsonParseError::NoError)
    return QStringLiteral("it is not a JSON document (") + error.errorString() + QStringLiteral(" at character ") +
           QString::number(error.offset) + QStringLiteral(")");
  const QJsonObject top = doc.object();
  if (!doc.isObject() || top.value(QStringLiteral("document")) != DOCUMENT)
    return QStringLiteral("it is not a CBOX parameter set file");
  const QJsonValue version = top.value(QStringLiteral("version"));
  if (version != VERSION)
    return QStringLiteral("its version ") + json_text(version) +
           QStringLiteral(" is unknown to this program, which reads version ") + QString::number(VERSION);
  const QJsonObject values = top.value(QStringLiteral("values")).toObject();
  tune_cmd::ControllerSet read{};
  for (const tune_cmd::Parameter& p : tune_cmd::RECORD()) {
    const QJsonValue v = values.value(key(p));
    if (v.isUndefined()) return QStringLiteral("the value ") + key(p) + QStringLiteral(" is missing");
    if (!v.isDouble()) return key(p) + QStringLiteral(" is not a number: ") + json_text(v);
    read[static_cast<std::size_t>(p.n - 1)] = v.toDouble();
  }
  if (const QString problem = tune_cmd::SET_PROBLEM(read); !problem.isEmpty()) return problem;
  set = read;
  return {};
}

QString READ_SET_FILE(const QString& path, tune_cmd::ControllerSet& set) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return QStringLiteral("it cannot be read (") + file.errorString() + ')';
  return READ_SET_FROM(file, set);
}

QString READ_SET_FROM(QIODevice& in, tune_cmd::ControllerSet& set) {
  // A pipe gives its bytes in pieces; no more than a set file can hold is
  // ever kept.
  QByteArray bytes;
  for (QByteArray piece; bytes.size() <= MAX_BYTES && !(piece = in.read(MAX_BYTES + 1 - bytes.size())).isEmpty();)
    bytes += piece;
  if (bytes.size() > MAX_BYTES) return QStringLiteral("it is far too large to be a CBOX parameter set file");
  return SET_OF_BYTES(bytes, set);
}

QString WRITE_WHOLE(const QString& path, const QByteArray& bytes) {
  QSaveFile file(path);
  if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit()) return {};
  return file.errorString();
}
}  // namespace set_file
