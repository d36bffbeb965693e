#pragma once
// Number reading (Val) and number text (S) as every conversion of the tool
// uses them. Both take no locale: a point is the decimal separator on every
// desktop, whatever language the technician's session runs in.
#include <QString>

namespace tune_cmd {
// The number a text begins with. Blanks, tabs and line feeds are ignored
// wherever they stand; reading stops at the first character that cannot
// continue a decimal number (sign, digits, one point, exponent E/e with sign
// and digits). A text that does not begin with a number gives 0.
double Val(const QString& text);
// True when the whole text is one decimal number (sign, digits with at most
// one point, exponent), nothing before or after it; blanks are not trimmed.
bool IS_NUMBER(const QString& text);
// True when the whole text is digits only (leading zeros allowed).
bool IS_DIGITS(const QString& text);
// The text without the blanks (character 32) at either end; tabs, line feeds
// and the other white space stay, as the controller sent them.
QString TRIM_BLANKS(const QString& text);

// Decimal text of a number: at most 15 significant digits, "." as decimal
// separator, "-" for negatives, no point for integral values, no blanks.
QString S(double x);
}  // namespace tune_cmd
