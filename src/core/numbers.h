#pragma once

#include <QString>
#include <QStringView>
#include <cstdint>
#include <optional>

// Number texts as the program reads and writes them: "." is always the decimal separator and
// digits are never grouped, whatever the locale, because the data-set file is comma-separated.
namespace pellamar::numbers {

// The largest magnitude a stored (single-precision) value may have.
inline constexpr double kSingleMax = 3.4028235e38;

// The text without the spaces and tabs around it; other control characters belong to it.
QStringView trimBlanks(QStringView text);

// True when the text is a number: optional blanks around, an optional sign, digits with at most
// one ".", at least one digit, and an optional exponent (e or E, optional sign, digits).
// A value beyond single precision is not a number.
bool isNumber(QStringView text);

// The value of a number text, correctly rounded; nullopt when isNumber() is false.
std::optional<double> parseDouble(QStringView text);
// The number text rounded once, straight to the nearest float.
std::optional<float> parseFloat(QStringView text);

// Formats with a pattern of the form "0", "0.0", "0.00", "0.000", "0.0#", "0.0###" or "0   ":
// "0" is a required digit, "#" an optional one, anything after the digits (blanks) is kept.
// Rounds half away from zero on the exact binary value, so 0.125f gives "0.13" with "0.00"
// while the double 2.675 (just below the half) gives "2.67". A result that rounds to zero
// never shows a minus sign.
QString format(double value, QStringView pattern);
inline QString format(float value, QStringView pattern)
{
    return format(static_cast<double>(value), pattern);
}

// The general number form: at most 7 significant digits (rounded half away from zero on the
// exact value), no trailing zeros or trailing "."; exponent form (1.5E+07, 1E-05) only when the
// decimal exponent is below -4 or at least 7.
QString formatGeneral(double value);
inline QString formatGeneral(float value)
{
    return formatGeneral(static_cast<double>(value));
}

// True when the value formatted "0.000" shows "00" as its first two decimals; the third decimal
// is deliberately not examined.
bool wholeToTwoDecimals(double value);

// The shortest text that reads back as the same float (for values stored as text).
QString formatRoundTrip(float value);

// Real to integer: nearest, ties to the even integer; saturates at the type's limits.
std::int32_t roundToInt32(double value);
std::int16_t roundToInt16(double value);
// The integer part: truncation toward zero.
double integerPart(double value);

// Stores a double quotient or product as a float. Values beyond single precision saturate at the
// largest float instead of becoming infinite.
float toStored(double value);

} // namespace pellamar::numbers
