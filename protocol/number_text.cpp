#include "protocol/number_text.h"

#include <QRegularExpression>

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace tune_cmd {
namespace {
bool ignored(QChar c) { return c == ' ' || c == '\t' || c == '\n'; }

// The longest leading run that forms a decimal number, blanks dropped.
std::string number_prefix(const QString& text) {
  std::string kept;
  for (QChar c : text) {
    if (ignored(c)) continue;
    if (c.unicode() > 127) break;
    kept += static_cast<char>(c.unicode());
  }
  std::size_t i = 0;
  std::string out;
  if (i < kept.size() && (kept[i] == '+' || kept[i] == '-')) out += kept[i++];
  bool digits = false;
  while (i < kept.size() && std::isdigit(static_cast<unsigned char>(kept[i]))) {
    out += kept[i++];
    digits = true;
  }
  if (i < kept.size() && kept[i] == '.') {
    out += kept[i++];
    while (i < kept.size() && std::isdigit(static_cast<unsigned char>(kept[i]))) {
      out += kept[i++];
      digits = true;
    }
  }
  if (!digits) return {};
  if (i < kept.size() && (kept[i] == 'E' || kept[i] == 'e')) {
    std::size_t j = i + 1;
    std::string exp = "e";
    if (j < kept.size() && (kept[j] == '+' || kept[j] == '-')) exp += kept[j++];
    bool exp_digits = false;
    while (j < kept.size() && std::isdigit(static_cast<unsigned char>(kept[j]))) {
      exp += kept[j++];
      exp_digits = true;
    }
    if (exp_digits) out += exp;
  }
  return out;
}
}  // namespace

bool BEGINS_WITH_NUMBER(const QString& text) { return !number_prefix(text).empty(); }

double Val(const QString& text) {
  const std::string prefix = number_prefix(text);
  if (prefix.empty()) return 0.0;
  return std::strtod(prefix.c_str(), nullptr);
}

QString S(double x) {
  if (std::isnan(x)) return QStringLiteral("NaN");
  if (std::isinf(x)) return x < 0 ? QStringLiteral("-Inf") : QStringLiteral("Inf");
  if (x == 0) return QStringLiteral("0");
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.15g", x);
  QString s = QString::fromLatin1(buf);
  // %g writes the exponent in lower case; the tool shows it as 1E+20.
  s.replace('e', 'E');
  return s;
}

bool IS_NUMBER(const QString& text) {
  static const QRegularExpression number(QStringLiteral("^[+-]?([0-9]+\\.?[0-9]*|\\.[0-9]+)([eE][+-]?[0-9]+)?$"));
  return number.match(text).hasMatch();
}

bool IS_DIGITS(const QString& text) {
  static const QRegularExpression digits(QStringLiteral("^[0-9]+$"));
  return digits.match(text).hasMatch();
}
}  // namespace tune_cmd
