#include "app/presets.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cmath>

#include "app/set_file.h"
#include "ui/msgbox.h"

namespace presets {
namespace {
// Eight short entries take a few hundred bytes; anything far larger is not
// a presets file and is not read into memory.
constexpr qint64 MAX_BYTES = 64 * 1024;

const QString NAME = QStringLiteral("name");
const QString AZIMUTH = QStringLiteral("azimuth");

// A JSON value as it stands in the file, for a message.
QString json_text(const QJsonValue& v) {
  const QByteArray wrapped = QJsonDocument(QJsonArray{v}).toJson(QJsonDocument::Compact);
  return QString::fromUtf8(wrapped.mid(1, wrapped.size() - 2));
}

// One entry of the array; empty when it is a preset or null.
QString entry_of(const QJsonValue& v, std::optional<Preset>& out) {
  out.reset();
  if (v.isNull()) return {};
  if (!v.isObject()) return QStringLiteral("it is neither null nor an object: ") + json_text(v);
  const QJsonObject o = v.toObject();
  const QJsonValue name = o.value(NAME), azimuth = o.value(AZIMUTH);
  if (!name.isString()) return QStringLiteral("its name is missing or not text");
  if (const QString problem = NAME_PROBLEM(name.toString()); !problem.isEmpty()) return problem;
  const double a = azimuth.toDouble(-1);
  if (!azimuth.isDouble() || a < 0 || a > 359 || a != std::floor(a))
    return QStringLiteral("its azimuth must be a whole number from 0 to 359, found: ") + json_text(azimuth);
  out = Preset{name.toString().trimmed(), static_cast<int>(a)};
  return {};
}

QString presets_of_bytes(const QByteArray& bytes, Presets& out) {
  QJsonParseError error{};
  const QJsonDocument doc = QJsonDocument::fromJson(bytes, &error);
  if (error.error != QJsonParseError::NoError)
    return QStringLiteral("it is not a JSON document (") + error.errorString() + QStringLiteral(" at character ") +
           QString::number(error.offset) + ')';
  if (!doc.isArray()) return QStringLiteral("it is not a list of presets");
  const QJsonArray entries = doc.array();
  if (entries.size() != COUNT)
    return QStringLiteral("it holds ") + QString::number(entries.size()) +
           (entries.size() == 1 ? QStringLiteral(" entry") : QStringLiteral(" entries")) +
           QStringLiteral(" instead of ") + QString::number(COUNT);
  for (int i = 0; i < COUNT; ++i) {
    if (const QString problem = entry_of(entries[i], out[static_cast<std::size_t>(i)]); !problem.isEmpty())
      return QStringLiteral("entry ") + QString::number(i + 1) + QStringLiteral(": ") + problem;
  }
  return {};
}
}  // namespace

QString READ_PRESETS(const QString& path, Presets& out) {
  out = Presets{};
  QFile file(path);
  if (!file.exists()) return {};
  if (!file.open(QIODevice::ReadOnly)) return QStringLiteral("it cannot be read (") + file.errorString() + ')';
  if (file.size() > MAX_BYTES) return QStringLiteral("it is far too large to be a presets file");
  Presets read;
  const QString problem = presets_of_bytes(file.readAll(), read);
  // Part of a damaged file is no better than none: all or nothing.
  if (problem.isEmpty()) out = read;
  return problem;
}

QString WRITE_PRESETS(const QString& path, const Presets& presets) {
  QJsonArray entries;
  for (const std::optional<Preset>& p : presets)
    entries.append(p ? QJsonValue(QJsonObject{{NAME, p->name}, {AZIMUTH, p->azimuth}}) : QJsonValue());
  return set_file::WRITE_WHOLE(path, QJsonDocument(entries).toJson());
}

std::optional<int> PARK(const Presets& presets) {
  for (const std::optional<Preset>& p : presets)
    if (p && p->name.trimmed().compare(QLatin1String("park"), Qt::CaseInsensitive) == 0) return p->azimuth;
  return std::nullopt;
}

QString DEGREES_TEXT(int degrees) { return QString::number(degrees) + QChar(0x00B0); }

QString BUTTON_TEXT(const std::optional<Preset>& preset) {
  if (!preset) return QStringLiteral("(empty)");
  if (preset->name.isEmpty()) return DEGREES_TEXT(preset->azimuth);
  return preset->name + ' ' + DEGREES_TEXT(preset->azimuth);
}

QString NAME_PROBLEM(const QString& name) {
  const qsizetype length = name.trimmed().size();
  if (length <= MAX_NAME) return {};
  return QStringLiteral("the name must have at most ") + QString::number(MAX_NAME) +
         QStringLiteral(" characters, it has ") + QString::number(length);
}

void Kept::load(const QString& path) {
  path_ = path;
  const QString problem = READ_PRESETS(path, presets_);
  emit changed();
  if (!problem.isEmpty())
    ui::MsgBox(QStringLiteral("The presets file ") + QDir::toNativeSeparators(path) +
               QStringLiteral(" was not read: ") + problem +
               QStringLiteral(".\nThe eight presets are empty; the file is kept as it is until a preset is changed."));
}

void Kept::change(int index, const std::optional<Preset>& preset) {
  presets_.at(static_cast<std::size_t>(index)) = preset;
  emit changed();
  if (const QString why = WRITE_PRESETS(path_, presets_); !why.isEmpty())
    ui::MsgBox(QStringLiteral("The presets could not be saved to ") + QDir::toNativeSeparators(path_) +
               QStringLiteral(": ") + why);
}

Kept& KEPT() {
  static Kept kept;
  return kept;
}

void LOAD_PRESETS() { KEPT().load(QDir::current().absoluteFilePath(FILE_NAME)); }
}  // namespace presets
