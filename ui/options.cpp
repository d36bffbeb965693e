#include "ui/options.h"

#include <QDir>
#include <QSettings>

namespace ui {
namespace {
// Opened anew each time: the file lives in the working folder, as velta.ini.
QString path() { return QDir::current().filePath(QString::fromLatin1(OPTIONS_FILE)); }
}  // namespace

bool OPTION(const QString& key, bool fallback) {
  return QSettings(path(), QSettings::IniFormat).value(key, fallback).toBool();
}

void SET_OPTION(const QString& key, bool value) {
  QSettings settings(path(), QSettings::IniFormat);
  settings.setValue(key, value);
}
}  // namespace ui
