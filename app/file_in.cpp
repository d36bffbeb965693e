#include "app/file_in.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <cfenv>
#include <cmath>
#include <limits>

#include "app/myVar.h"
#include "serial/number_text.h"
#include "ui/msgbox.h"
#include "ui/quale_com.h"
#include "ui/velta.h"

namespace file_in {
namespace {
// The user hears once per run that the number cannot be stored.
bool write_warning_given = false;
// The number the boxes showed from the file, or stored last.
QString kept = QStringLiteral("1");

// The number text of a line read back: blanks around it allowed, nothing else.
bool parse_stored_number(QString text, double& out) {
  text = text.trimmed();  // also drops the LF a lone-LF line keeps
  if (!tune_cmd::IS_NUMBER(text)) return false;
  out = tune_cmd::Val(text);
  return std::isfinite(out);
}
// The nearest whole number, a half going to the even neighbour.
double whole(double x) {
  const int old_mode = std::fegetround();
  std::fesetround(FE_TONEAREST);
  const double rounded = std::nearbyint(x);
  std::fesetround(old_mode);
  return rounded;
}

// A number com_port_number can hold.
bool fits(double x) {
  return x >= std::numeric_limits<std::int16_t>::min() && x <= std::numeric_limits<std::int16_t>::max();
}

// The first line of velta.ini as a number; false when there is none.
bool stored_number(Settings& result, double& number) {
  QFile file(QString::fromLatin1(SETTINGS_FILE));
  result = !file.exists() ? Settings::missing
           : !file.open(QIODevice::ReadOnly) || !parse_stored_number(READ_INI_LINE(file), number) ? Settings::unreadable
                                                                                                  : Settings::read;
  return result == Settings::read;
}
}  // namespace

QByteArray SETTINGS_LINE(int number) {
  // A blank where the minus sign of a negative number would stand, the
  // digits, one blank, CR LF.
  QByteArray line = number < 0 ? QByteArray("-") : QByteArray(" ");
  line += QByteArray::number(std::abs(number));
  line += " \r\n";
  return line;
}

void RESET_WRITE_WARNING() {
  write_warning_given = false;
  kept = QString::number(myVar::com_port_number);
}

bool WRITE_SETTINGS() {
  const QString text = tune_cmd::TRIM_BLANKS(velta_form().com_port->text());
  const double rounded = whole(tune_cmd::Val(text));
  if (!fits(rounded)) {
    ui::MsgBox(QStringLiteral("The port number %1 is not valid: it must lie from -32768 to "
                              "32767. The port number %2 is kept.")
                   .arg(text, kept));
    return true;
  }
  myVar::com_port_number = static_cast<std::int16_t>(rounded);
  kept = QString::number(myVar::com_port_number);

  // Written beside the file and renamed into place, so that a failure on the
  // way never leaves a damaged settings file behind; in a folder this user
  // may not write, a file he may write is written in place (one short line).
  QSaveFile file(QString::fromLatin1(SETTINGS_FILE));
  file.setDirectWriteFallback(true);
  bool written = file.open(QIODevice::WriteOnly);
  if (written) {
    const QByteArray line = SETTINGS_LINE(myVar::com_port_number);
    written = file.write(line) == line.size() && file.commit();
  }
  if (!written && !write_warning_given) {
    write_warning_given = true;
    ui::MsgBox(QStringLiteral("The settings file velta.ini cannot be written in %1: the port "
                              "number %2 holds for this run only.")
                   .arg(QDir::toNativeSeparators(QDir::currentPath()))
                   .arg(myVar::com_port_number));
  }
  return false;
}

QString KEPT_NUMBER() { return kept; }

QString READ_INI_LINE(QFile& file) {
  QString text;
  char c = 0;
  while (!file.atEnd() && file.getChar(&c)) {
    if (c == '\r') {
      char dropped = 0;
      file.getChar(&dropped);  // the character after a CR goes with it
      if (dropped == '\n') break;
      continue;
    }
    text += QChar::fromLatin1(c);
    if (c == '\n') break;
  }
  return text;
}

Settings READ_SETTINGS() {
  Settings result;
  double number = 0;
  if (!stored_number(result, number)) return result;
  const QString shown = tune_cmd::S(number);
  kept = shown;
  if (quale_com* chooser = quale_com_form()) {
    chooser->com_port->setText(shown);
    velta_form().com_port->setText(chooser->com_port->text());
  } else {
    velta_form().com_port->setText(shown);
  }
  return Settings::read;
}
std::optional<int> STORED_PORT() {
  Settings result;
  double number = 0;
  if (!stored_number(result, number) || !fits(whole(number))) return std::nullopt;
  return static_cast<int>(whole(number));
}
}  // namespace file_in
