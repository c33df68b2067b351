#include "core/numbers.h"

#include <algorithm>
#include <cfloat>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <locale.h>
#include <string>
#include <string_view>
#include <type_traits>

namespace pellamar::numbers {

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// A number's characters without the blanks around it, as plain ASCII, in a buffer of the
// caller's for the lengths of real data.
class NumberText {
public:
    // False when the text does not have the shape of a number.
    bool read(QStringView text);

    const char* begin() const { return chars_; }
    const char* end() const { return chars_ + size_; }
    // from_chars takes no "+"; a minus sign stays.
    const char* unsignedBegin() const { return chars_[0] == '+' ? chars_ + 1 : chars_; }
    // Whether a digit of the significand is not 0: a result of 0 is then an underflow.
    bool nonZero() const { return nonZero_; }
    std::string string() const { return std::string(chars_, size_); }

private:
    char small_[64];
    std::string large_;
    char* chars_ = small_;
    std::size_t size_ = 0;
    bool nonZero_ = false;
};

bool NumberText::read(QStringView text)
{
    text = trimBlanks(text);
    size_ = static_cast<std::size_t>(text.size());
    if (size_ > sizeof small_) {
        large_.resize(size_);
        chars_ = large_.data();
    }
    char* const s = chars_;
    for (std::size_t k = 0; k < size_; ++k) {
        const char16_t c = text[static_cast<qsizetype>(k)].unicode();
        if (c > 0x7f) {
            return false;
        }
        s[k] = static_cast<char>(c);
    }

    std::size_t i = 0;
    if (i < size_ && (s[i] == '+' || s[i] == '-')) {
        ++i;
    }
    int digits = 0;
    bool point = false;
    for (; i < size_; ++i) {
        if (isDigit(s[i])) {
            ++digits;
            nonZero_ = nonZero_ || s[i] != '0';
        } else if (s[i] == '.' && !point) {
            point = true;
        } else {
            break;
        }
    }
    if (digits == 0) {
        return false;
    }
    if (i < size_ && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        if (i < size_ && (s[i] == '+' || s[i] == '-')) {
            ++i;
        }
        int expDigits = 0;
        while (i < size_ && isDigit(s[i])) {
            ++i;
            ++expDigits;
        }
        if (expDigits == 0) {
            return false;
        }
    }
    return i == size_;
}

locale_t cLocale()
{
    static const locale_t locale = newlocale(LC_ALL_MASK, "C", nullptr);
    return locale;
}

// from_chars rounds correctly like glibc's strtod and strtof, and is many times faster. The
// cases where the two could part, overflow and underflow, are left to strtod and strtof (in the
// C locale, which keeps "." the separator), so that they keep their infinities, zeros and signs.
template <typename Real>
Real toReal(const NumberText& text)
{
    Real value = 0;
    const auto [ptr, error] = std::from_chars(text.unsignedBegin(), text.end(), value);
    if (error == std::errc() && ptr == text.end() && std::isfinite(value) &&
        (value != 0 || !text.nonZero())) {
        return value;
    }
    const std::string s = text.string();
    if constexpr (std::is_same_v<Real, float>) {
        return strtof_l(s.c_str(), nullptr, cLocale());
    } else {
        return strtod_l(s.c_str(), nullptr, cLocale());
    }
}

// True when value × 10^q is exactly half-way between two integers, the one case where
// rounding half away from zero differs from the round-half-even of std::to_chars.
bool isHalfTie(double value, int q)
{
    if (value == 0.0 || !std::isfinite(value)) {
        return false;
    }
    int exponent = 0;
    const double fraction = std::frexp(std::fabs(value), &exponent);
    auto mantissa = static_cast<std::uint64_t>(std::ldexp(fraction, 53));
    exponent -= 53;
    while ((mantissa & 1u) == 0) {
        mantissa >>= 1;
        ++exponent;
    }
    // value = mantissa × 2^exponent with an odd mantissa.
    if (exponent + q != -1) {
        return false;
    }
    if (q >= 0) {
        return true;
    }
    std::uint64_t five = 1;
    for (int k = 0; k < -q; ++k) {
        if (five > mantissa / 5) {
            return false;
        }
        five *= 5;
    }
    return mantissa % five == 0;
}

double awayFromZero(double value)
{
    return std::nextafter(value, value > 0 ? std::numeric_limits<double>::infinity()
                                           : -std::numeric_limits<double>::infinity());
}

QString nonFinite(double value)
{
    if (std::isnan(value)) {
        return QStringLiteral("NaN");
    }
    return value < 0 ? QStringLiteral("-Infinity") : QStringLiteral("Infinity");
}

bool allZeroDigits(std::string_view s)
{
    for (char c : s) {
        if (isDigit(c) && c != '0') {
            return false;
        }
    }
    return true;
}

} // namespace

QStringView trimBlanks(QStringView text)
{
    const auto blank = [](QChar c) { return c == u' ' || c == u'\t'; };
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && blank(text[begin])) {
        ++begin;
    }
    while (end > begin && blank(text[end - 1])) {
        --end;
    }
    return text.mid(begin, end - begin);
}

bool isNumber(QStringView text)
{
    return parseDouble(text).has_value();
}

std::optional<double> parseDouble(QStringView text)
{
    NumberText number;
    if (!number.read(text)) {
        return std::nullopt;
    }
    const double value = toReal<double>(number);
    if (!(std::fabs(value) <= kSingleMax)) {
        return std::nullopt;
    }
    return value;
}

std::optional<float> parseFloat(QStringView text)
{
    NumberText number;
    if (!number.read(text)) {
        return std::nullopt;
    }
    const float value = toReal<float>(number);
    // Below the largest float the text's double is below it as well; at it, the double decides.
    if (!(std::fabs(value) < FLT_MAX) && !(std::fabs(toReal<double>(number)) <= kSingleMax)) {
        return std::nullopt;
    }
    return value;
}

QString format(double value, QStringView pattern)
{
    if (!std::isfinite(value)) {
        return nonFinite(value);
    }
    // Pattern: "0", then optionally "." with required "0"s and optional "#"s, then literals.
    qsizetype i = 1;
    int required = 0;
    int optional = 0;
    if (i < pattern.size() && pattern[i] == u'.') {
        ++i;
        while (i < pattern.size() && pattern[i] == u'0') {
            ++required;
            ++i;
        }
        while (i < pattern.size() && pattern[i] == u'#') {
            ++optional;
            ++i;
        }
    }
    const QStringView literal = pattern.mid(i);
    const int decimals = required + optional;

    if (isHalfTie(value, decimals)) {
        value = awayFromZero(value);
    }
    // Formatted in place: the grid and the file format every computed cell.
    char buffer[400];
    const char* begin = buffer;
    const char* end =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals)
            .ptr;
    if (*begin == '-' && allZeroDigits(std::string_view(begin, end))) {
        ++begin;
    }
    for (int k = 0; k < optional && end[-1] == '0'; ++k) {
        --end;
    }
    if (end[-1] == '.') {
        --end;
    }
    QString text(end - begin + literal.size(), Qt::Uninitialized);
    QChar* out = text.data();
    for (const char* c = begin; c != end; ++c) {
        *out++ = QLatin1Char(*c);
    }
    std::copy(literal.begin(), literal.end(), out);
    return text;
}

QString formatGeneral(double value)
{
    if (!std::isfinite(value)) {
        return nonFinite(value);
    }
    if (value == 0.0) {
        return QStringLiteral("0");
    }
    constexpr int kDigits = 7;
    char buffer[64];
    auto scientific = [&](double v) {
        const auto r = std::to_chars(buffer, buffer + sizeof buffer, v,
                                     std::chars_format::scientific, kDigits - 1);
        return std::string(buffer, r.ptr);
    };
    std::string s = scientific(value);
    int exponent = std::atoi(s.c_str() + s.find('e') + 1);
    // A carry into a new leading digit comes from ...9|5 with an odd last digit, where both
    // tie rules agree, so the printed exponent is good enough to find the tie.
    if (isHalfTie(value, kDigits - 1 - exponent)) {
        s = scientific(awayFromZero(value));
        exponent = std::atoi(s.c_str() + s.find('e') + 1);
    }

    const bool negative = s.front() == '-';
    std::string digits;
    for (char c : s.substr(0, s.find('e'))) {
        if (isDigit(c)) {
            digits.push_back(c);
        }
    }
    while (digits.size() > 1 && digits.back() == '0') {
        digits.pop_back();
    }

    std::string out = negative ? "-" : "";
    if (exponent < -4 || exponent >= kDigits) {
        out += digits.substr(0, 1);
        if (digits.size() > 1) {
            out += '.';
            out += digits.substr(1);
        }
        out += exponent < 0 ? "E-" : "E+";
        const int magnitude = std::abs(exponent);
        if (magnitude < 10) {
            out += '0';
        }
        out += std::to_string(magnitude);
    } else if (exponent < 0) {
        out += "0.";
        out.append(static_cast<std::size_t>(-exponent - 1), '0');
        out += digits;
    } else {
        const auto whole = static_cast<std::size_t>(exponent) + 1;
        if (digits.size() <= whole) {
            out += digits;
            out.append(whole - digits.size(), '0');
        } else {
            out += digits.substr(0, whole);
            out += '.';
            out += digits.substr(whole);
        }
    }
    return QString::fromLatin1(out.data(), static_cast<qsizetype>(out.size()));
}

bool wholeToTwoDecimals(double value)
{
    const QString text = format(value, u"0.000");
    return text.mid(text.size() - 3, 2) == u"00";
}

QString formatRoundTrip(float value)
{
    if (!std::isfinite(value)) {
        return nonFinite(static_cast<double>(value));
    }
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return QString::fromLatin1(buffer, static_cast<qsizetype>(result.ptr - buffer));
}

namespace {
template <typename Int>
Int roundToInt(double value)
{
    if (std::isnan(value)) {
        return 0;
    }
    const double rounded = std::nearbyint(value);
    if (rounded <= static_cast<double>(std::numeric_limits<Int>::min())) {
        return std::numeric_limits<Int>::min();
    }
    if (rounded >= static_cast<double>(std::numeric_limits<Int>::max())) {
        return std::numeric_limits<Int>::max();
    }
    return static_cast<Int>(rounded);
}
} // namespace

std::int32_t roundToInt32(double value)
{
    return roundToInt<std::int32_t>(value);
}
std::int16_t roundToInt16(double value)
{
    return roundToInt<std::int16_t>(value);
}

double integerPart(double value)
{
    return std::trunc(value);
}

float toStored(double value)
{
    if (value > static_cast<double>(FLT_MAX)) {
        return FLT_MAX;
    }
    if (value < -static_cast<double>(FLT_MAX)) {
        return -FLT_MAX;
    }
    return static_cast<float>(value);
}

} // namespace pellamar::numbers
