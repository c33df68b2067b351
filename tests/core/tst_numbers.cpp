#include "core/numbers.h"

#include <QLocale>
#include <QRandomGenerator>
#include <QTest>
#include <algorithm>
#include <array>
#include <bit>
#include <cctype>
#include <cfloat>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <limits>
#include <string>
#include <type_traits>

using namespace Qt::StringLiterals;
namespace num = pellamar::numbers;

namespace {

// QCOMPARE on floating point is fuzzy; these tests need exact bits.
template <typename T>
bool sameBits(T a, T b)
{
    using Bits = std::conditional_t<sizeof(T) == 8, std::uint64_t, std::uint32_t>;
    return std::bit_cast<Bits>(a) == std::bit_cast<Bits>(b);
}

template <typename T>
QByteArray show(T v)
{
    return QByteArray::number(static_cast<double>(v), 'g', sizeof(T) == 8 ? 17 : 9);
}

// Characters in the shorter of the plain and the exponent form ("d.dde+XX") built from the
// fewest digits that read back as the value.
qsizetype shortestLength(float value)
{
    std::array<char, 64> buffer{};
    char* end = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                              std::chars_format::scientific)
                    .ptr;
    const std::string text(buffer.data(), end);
    const std::size_t e = text.find('e');
    qsizetype digits = 0;
    for (std::size_t i = 0; i < e; ++i) {
        digits += std::isdigit(static_cast<unsigned char>(text[i])) ? 1 : 0;
    }
    const int exponent = std::stoi(text.substr(e + 1));
    const qsizetype plain = exponent >= digits - 1 ? exponent + 1
                            : exponent >= 0        ? digits + 1
                                                   : digits + 1 - exponent;
    const qsizetype exponentForm =
        digits + (digits > 1 ? 1 : 0) + 2 + (std::abs(exponent) >= 100 ? 3 : 2);
    return (std::signbit(value) ? 1 : 0) + std::min(plain, exponentForm);
}

} // namespace

class TestNumbers : public QObject {
    Q_OBJECT

private slots:
    void isNumber_data();
    void isNumber();
    void parse_data();
    void parse();
    void format_data();
    void format();
    void formatGeneral_data();
    void formatGeneral();
    void formatRoundTrip();
    void roundToInt_data();
    void roundToInt();
    void integerPartAndToStored();
    void localeIndependent();
};

void TestNumbers::isNumber_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("expected");

    const auto rows = [](bool expected, std::initializer_list<const char16_t*> texts) {
        for (const char16_t* text : texts) {
            const QString s = QString::fromUtf16(text);
            QTest::addRow("\"%s\"", qPrintable(s)) << s << expected;
        }
    };
    rows(true,
         {u"  -2.5e+3  ", u"-.5", u"5.", u"+3", u"3.4028235e38", u"1e-400", u"1e-99999999999"});
    rows(false,
         {u"", u"   ", u".", u"-", u"+-1", u"1-", u"1e+", u".e1", u"1e1.5", u"1.2.3", u"1,5"});
    rows(false, {u"1 2", u"0x10", u"inf", u"nan", u"1\u0130", u"3.5e38", u"1e400"});
}

void TestNumbers::isNumber()
{
    QFETCH(QString, text);
    QFETCH(bool, expected);
    QCOMPARE(num::isNumber(text), expected);
    QCOMPARE(num::parseDouble(text).has_value(), expected);
    QCOMPARE(num::parseFloat(text).has_value(), expected);
}

void TestNumbers::parse_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("asDouble");
    QTest::addColumn<float>("asFloat");

    const auto row = [](const char* name, QString text, double d, float f) {
        QTest::newRow(name) << text << d << f;
    };
    row("signed exponent", u"  -2.5e+3  "_s, -2500.0, -2500.0f);
    // 2^53 + 1 is a tie: even wins; anything above it goes up.
    row("double tie", u"9007199254740993"_s, 0x1p53, 0x1p53f);
    row("double above tie", u"9007199254740993.0000000001"_s, 0x1.0000000000001p53, 0x1p53f);
    row("many digits", u"123456789012345678901234567890"_s, 123456789012345678901234567890.0,
        123456789012345678901234567890.0f);
    row("float denormal", u"1e-45"_s, 1e-45, 0x1p-149f);
    row("float underflow", u"1e-50"_s, 1e-50, 0.0f);
    row("double underflow", u"1e-400"_s, 0.0, 0.0f);
    // Rounding via double first lands on a float tie and then goes the wrong way.
    row("float just above tie", u"1.00000005960464477539062501"_s, 0x1.000001p0, 0x1.000002p0f);
    row("float just below odd tie", u"1.00000017881393432617187499"_s, 0x1.000003p0, 0x1.000002p0f);
}

void TestNumbers::parse()
{
    QFETCH(QString, text);
    QFETCH(double, asDouble);
    QFETCH(float, asFloat);
    const double d = num::parseDouble(text).value_or(NAN);
    QVERIFY2(sameBits(d, asDouble), show(d).constData());
    const float f = num::parseFloat(text).value_or(NAN);
    QVERIFY2(sameBits(f, asFloat), show(f).constData());
}

void TestNumbers::format_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("expected");

    // Expected texts come from the exact binary values (python Decimal, ROUND_HALF_UP).
    const auto row = [](const char* name, double value, QString pattern, QString expected) {
        QTest::newRow(name) << value << pattern << expected;
    };
    row("true tie 0.125f", static_cast<double>(0.125f), u"0.00"_s, u"0.13"_s);
    row("-2.5", -2.5, u"0"_s, u"-3"_s);
    row("big tie", 4503599627370494.5, u"0"_s, u"4503599627370495"_s);
    row("2.675 below half", 2.675, u"0.00"_s, u"2.67"_s);
    // Scaling by 10^n in double turns this into an exact half.
    row("0.015 scaled", 0.015, u"0.00"_s, u"0.01"_s);
    row("carry 0.995f", static_cast<double>(0.995f), u"0.00"_s, u"1.00"_s);
    row("carry new digit", 99.95, u"0.0"_s, u"100.0"_s);
    row("optional dropped", static_cast<double>(1.0f), u"0.0#"_s, u"1.0"_s);
    row("optional tie", static_cast<double>(0.125f), u"0.0#"_s, u"0.13"_s);
    row("optionals 0.092903", 0.0929030, u"0.0###"_s, u"0.0929"_s);
    row("optionals tiny up", 0.00005, u"0.0###"_s, u"0.0001"_s);
    row("blanks rounded", -2.5, u"0   "_s, u"-3   "_s);
    row("blanks zero", -0.4, u"0   "_s, u"0   "_s);
    row("negative zero", -0.0, u"0.0"_s, u"0.0"_s);
    row("rounds to zero optional", -0.00004, u"0.0###"_s, u"0.0"_s);
    row("rounds away from zero", -0.05, u"0.0"_s, u"-0.1"_s);
    row("float max", static_cast<double>(FLT_MAX), u"0"_s,
        u"340282346638528859811704183484516925440"_s);
}

void TestNumbers::format()
{
    QFETCH(double, value);
    QFETCH(QString, pattern);
    QFETCH(QString, expected);
    QCOMPARE(num::format(value, pattern), expected);
}

void TestNumbers::formatGeneral_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("expected");

    const auto row = [](const char* name, double value, QString expected) {
        QTest::newRow(name) << value << expected;
    };
    row("zero", 0.0, u"0"_s);
    row("24.0f", static_cast<double>(24.0f), u"24"_s);
    row("0.1f", static_cast<double>(0.1f), u"0.1"_s);
    row("third float", static_cast<double>(1.0f / 3.0f), u"0.3333333"_s);
    row("seven digits", 123.4567891, u"123.4568"_s);
    row("1234567", 1234567.0, u"1234567"_s);
    row("tie away odd", 1234568.5, u"1234569"_s);
    row("double above half", 1.0000005, u"1.000001"_s);
    row("float below half", static_cast<double>(1.0000005f), u"1"_s);
    row("1e-4", 0.0001, u"0.0001"_s);
    row("rounds up to 1e-4", 0.000099999999, u"0.0001"_s);
    row("just below 1e-4", 0.00009999999, u"9.999999E-05"_s);
    row("1e-5f", static_cast<double>(1e-5f), u"1E-05"_s);
    row("negative exponent form", -0.000012345, u"-1.2345E-05"_s);
    row("12345678", 12345678.0, u"1.234568E+07"_s);
    row("rounds up to 1e7", 9999999.5, u"1E+07"_s);
    row("denormal", 5e-324, u"4.940656E-324"_s);
}

void TestNumbers::formatGeneral()
{
    QFETCH(double, value);
    QFETCH(QString, expected);
    QCOMPARE(num::formatGeneral(value), expected);
}

void TestNumbers::formatRoundTrip()
{
    QCOMPARE(num::formatRoundTrip(0.1f), u"0.1"_s);
    QCOMPARE(num::formatRoundTrip(1.0f / 3.0f), u"0.33333334"_s);
    QCOMPARE(num::formatRoundTrip(16777216.0f), u"16777216"_s);
    // Alternates arbitrary bit patterns (all magnitudes, denormals) with data-like decimals.
    QRandomGenerator rng(20240611u);
    for (int i = 0; i < 2000; ++i) {
        const float value = i % 2 == 0
                                ? std::bit_cast<float>(rng.generate())
                                : static_cast<float>(rng.bounded(-10000000, 10000000)) / 1000.0f;
        if (!std::isfinite(value)) {
            continue;
        }
        const QString text = num::formatRoundTrip(value);
        const QByteArray context = show(value) + " -> " + text.toLatin1();
        QVERIFY2(num::isNumber(text), context.constData());
        const std::optional<float> back = num::parseFloat(text);
        QVERIFY2(back && sameBits(*back, value), context.constData());
        QVERIFY2(text.size() <= shortestLength(value), context.constData());
    }
}

void TestNumbers::roundToInt_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<std::int32_t>("int32");
    QTest::addColumn<std::int16_t>("int16");

    constexpr std::int32_t i32max = std::numeric_limits<std::int32_t>::max();
    constexpr std::int32_t i32min = std::numeric_limits<std::int32_t>::min();
    constexpr std::int16_t i16max = std::numeric_limits<std::int16_t>::max();
    constexpr std::int16_t i16min = std::numeric_limits<std::int16_t>::min();
    const auto row = [](const char* name, double value, std::int32_t a, std::int16_t b) {
        QTest::newRow(name) << value << a << b;
    };
    row("2.5 even", 2.5, 2, 2);
    row("3.5 even", 3.5, 4, 4);
    row("-2.5 even", -2.5, -2, -2);
    // floor(x + 0.5) gets this one wrong.
    row("largest below 0.5", 0.49999999999999994, 0, 0);
    row("int16 tie beyond max", 32767.5, 32768, i16max);
    row("int16 tie at min", -32768.5, -32768, i16min);
    row("int16 would wrap", 70000.0, 70000, i16max);
    row("int32 tie beyond max", 2147483647.5, i32max, i16max);
    row("int32 tie at min", -2147483648.5, i32min, i16min);
    row("int32 would wrap", 4294967301.0, i32max, i16max);
    row("-infinity", -std::numeric_limits<double>::infinity(), i32min, i16min);
}

void TestNumbers::roundToInt()
{
    QFETCH(double, value);
    QFETCH(std::int32_t, int32);
    QFETCH(std::int16_t, int16);
    QCOMPARE(num::roundToInt32(value), int32);
    QCOMPARE(num::roundToInt16(value), int16);
}

void TestNumbers::integerPartAndToStored()
{
    // Exact comparisons: QCOMPARE on floating point is fuzzy.
    QVERIFY(num::integerPart(-2.7) == -2.0);
    QVERIFY(num::integerPart(-3e9) == -3e9);
    QVERIFY(num::integerPart(1e20) == 1e20);
    QVERIFY(num::toStored(0x1.000001p0) == 1.0f);
    // Exactly half an ulp above the largest float: plain conversion gives infinity.
    QVERIFY(num::toStored(0x1.ffffffp127) == FLT_MAX);
    QVERIFY(num::toStored(-1e39) == -FLT_MAX);
    QVERIFY(num::toStored(1e-50) == 0.0f);
}

void TestNumbers::localeIndependent()
{
    struct Restore {
        QLocale qt;
        std::string c;
        ~Restore()
        {
            QLocale::setDefault(qt);
            std::setlocale(LC_ALL, c.c_str());
        }
    } restore{QLocale(), std::setlocale(LC_ALL, nullptr)};

    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    QCOMPARE(QLocale().decimalPoint(), u","_s);
    if (!std::setlocale(LC_ALL, "de_DE.UTF-8") && !std::setlocale(LC_ALL, "de_DE.utf8")) {
        qInfo("de_DE C locale not installed; only the Qt default locale is German");
    }

    QCOMPARE(num::format(1234567.25, u"0.00"), u"1234567.25"_s);
    QCOMPARE(num::formatGeneral(1234.5), u"1234.5"_s);
    QCOMPARE(num::formatRoundTrip(-2.5f), u"-2.5"_s);
    QVERIFY(!num::isNumber(u"1,5"));
    QVERIFY(num::parseDouble(u"1.5") == 1.5);
    QVERIFY(num::parseFloat(u" -0.25 ") == -0.25f);
}

QTEST_GUILESS_MAIN(TestNumbers)
#include "tst_numbers.moc"
