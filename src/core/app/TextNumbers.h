#pragma once
// The number rules every screen shares: reading a number from a text, writing one, rounding.
#include <QString>
#include <optional>

namespace app {

// The longest leading part of the text that reads as a decimal number (optional sign, digits,
// optional '.' and digits) after leading blanks; 0 when there is none. "3b" gives 3.
double numericValue(const QString& text);

// Plain text: the shortest decimal form, no decimal point for whole numbers ("4", "-1", "2.5").
QString plainNumberText(double value);

// As plainNumberText, preceded by one blank when the value is zero or positive (" 212", "-3").
QString SignedNumberText(double value);

// Rounds to the nearest integer, halves to the even neighbour (2.5 -> 2, 3.5 -> 4).
double roundHalfEven(double value);

// Rounded half-even value when it fits a 16-bit signed field (-32768..32767), else empty.
std::optional<qint16> toInt16(double value);

// As toInt16, but values beyond the range are clamped instead of refused.
qint16 clampToInt16(double value);

// Strict conversion of a whole text to a 32-bit integer, as when copying option boxes to the
// capture control: the text (blanks around it allowed) must be a decimal number; it is rounded
// half-even and must fit 32 bits. Empty or not a number gives an empty result.
std::optional<qint32> strictToInt32(const QString& text);

// Strict conversion to a 16-bit integer (the settings store's numeric reads).
std::optional<qint16> strictToInt16(const QString& text);

// Upper-case hexadecimal of a 32-bit error number, no prefix ("80040005").
QString hexErrorNumber(qint32 number);

} // namespace app
