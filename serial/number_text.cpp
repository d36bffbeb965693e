#include "serial/number_text.h"

#include <QRegularExpression>
#include <charconv>
#include <cmath>
#include <string>

namespace tune_cmd {
namespace {
bool ignored(QChar c) { return c == ' ' || c == '\t' || c == '\n'; }
bool digit(char c) { return c >= '0' && c <= '9'; }

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
  while (i < kept.size() && digit(kept[i])) out += kept[i++], digits = true;
  if (i < kept.size() && kept[i] == '.') {
    out += kept[i++];
    while (i < kept.size() && digit(kept[i])) out += kept[i++], digits = true;
  }
  if (!digits) return {};
  if (i < kept.size() && (kept[i] == 'E' || kept[i] == 'e')) {
    std::size_t j = i + 1;
    std::string exp = "e";
    if (j < kept.size() && (kept[j] == '+' || kept[j] == '-')) exp += kept[j++];
    bool exp_digits = false;
    while (j < kept.size() && digit(kept[j])) exp += kept[j++], exp_digits = true;
    if (exp_digits) out += exp;
  }
  return out;
}
}  // namespace

double Val(const QString& text) {
  std::string prefix = number_prefix(text);
  if (prefix.empty()) return 0.0;
  const bool negative = prefix[0] == '-';
  if (prefix[0] == '+' || negative) prefix.erase(0, 1);  // from_chars takes no sign of its own
  double value = 0;
  const auto [end, error] = std::from_chars(prefix.data(), prefix.data() + prefix.size(), value);
  (void)end;
  if (error == std::errc::result_out_of_range) {
    // Beyond a double: a large exponent overflows, a small one underflows.
    const std::size_t e = prefix.find('e');
    const bool large = e != std::string::npos && prefix[e + 1] != '-';
    value = large ? HUGE_VAL : 0.0;
  }
  return negative ? -value : value;
}

QString S(double x) {
  if (std::isnan(x)) return QStringLiteral("NaN");
  if (std::isinf(x)) return x < 0 ? QStringLiteral("-Inf") : QStringLiteral("Inf");
  if (x == 0) return QStringLiteral("0");
  char buf[64];
  const auto result = std::to_chars(buf, buf + sizeof buf, x, std::chars_format::general, 15);
  QString s = QString::fromLatin1(buf, static_cast<int>(result.ptr - buf));
  // The exponent is shown as 1E+20.
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

QString TRIM_BLANKS(const QString& text) {
  qsizetype first = 0, last = text.size();
  while (first < last && text.at(first) == QLatin1Char(' ')) ++first;
  while (last > first && text.at(last - 1) == QLatin1Char(' ')) --last;
  return text.mid(first, last - first);
}
}  // namespace tune_cmd
