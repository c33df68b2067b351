#include "core/numbers.h"
#include "support.h"

#include <QLocale>
#include <QRandomGenerator>
#include <cfloat>
#include <clocale>
#include <cmath>
#include <cstdint>

using namespace Qt::StringLiterals;
namespace num = pellamar::numbers;
using pellamar::testing::sameBits;

class TestNumbers : public QObject {
    Q_OBJECT
private slots:
    // Which texts are numbers, and the double and the float each reads as (NaN: not a number).
    void parse_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("asDouble");
        QTest::addColumn<float>("asFloat");
        const auto row = [](const char16_t* t, double d, float f) {
            const QString text = QString::fromUtf16(t);
            QTest::addRow("%s%s", std::isnan(d) ? "not " : "", qPrintable(text)) << text << d << f;
        };
        for (const char16_t* t : {u"", u" ", u".", u"-", u"+-1", u"1-", u"1e+", u".e1", u"1e1.5", u"1.2.3", u"1,5",
                                  u"1 2", u"0x10", u"inf", u"nan", u"1\u0130", u"3.5e38", u"1e400"})
            row(t, NAN, NAN);
        for (auto [t, v] : {std::pair{u"  -2.5e+3  ", -2500.0}, {u"-.5", -0.5}, {u"5.", 5.0}, {u"+3", 3.0}})
            row(t, v, float(v));
        for (const char16_t* t : {u"1e-400", u"\t1e-99999999999"}) row(t, 0.0, 0.0f);
        row(u"3.4028235e38", 3.4028235e38, FLT_MAX);
        // 2^53 + 1 is a tie: even wins; anything above it goes up.
        row(u"9007199254740993", 0x1p53, 0x1p53f);
        // Rounding via double first lands on a float tie and then goes the wrong way.
        row(u"1.00000005960464477539062501", 0x1.000001p0, 0x1.000002p0f);
        row(u"1.00000017881393432617187499", 0x1.000003p0, 0x1.000002p0f);
    }
    void parse()
    {
        QFETCH(QString, text);
        QFETCH(double, asDouble);
        QFETCH(float, asFloat);
        QCOMPARE(num::isNumber(text), !std::isnan(asDouble));
        QVERIFY(sameBits(num::parseDouble(text).value_or(NAN), asDouble));
        QVERIFY(sameBits(num::parseFloat(text).value_or(NAN), asFloat));
    }

    // Patterns, and the general form (pattern "G"). Expected texts come from the exact binary
    // values (python Decimal, ROUND_HALF_UP).
    void format_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char* name, double v, const char* pattern, const char* expected) {
            QTest::newRow(name) << v << QString(pattern) << QString(expected);
        };
        row("true tie 0.125f", double(0.125f), "0.00", "0.13");
        row("big tie", 4503599627370494.5, "0", "4503599627370495");
        row("2.675 below half", 2.675, "0.00", "2.67");
        // Scaling by 10^n in double turns this into an exact half.
        row("0.015 scaled", 0.015, "0.00", "0.01");
        row("carry new digit", 99.95, "0.0", "100.0");
        row("optionals 0.092903", 0.0929030, "0.0###", "0.0929");
        row("blanks kept", -2.5, "0   ", "-3   ");
        row("negative zero", -0.04, "0.0", "0.0");
        row("rounds away from zero", -0.05, "0.0", "-0.1");
        row("float max", double(FLT_MAX), "0", "340282346638528859811704183484516925440");
        row("general third float", double(1.0f / 3.0f), "G", "0.3333333");
        row("general tie away odd", 1234568.5, "G", "1234569");
        row("general just below 1e-4", 0.00009999999, "G", "9.999999E-05");
        row("general negative exponent form", -0.000012345, "G", "-1.2345E-05");
        row("general rounds up to 1e7", 9999999.5, "G", "1E+07");
        row("general tie of a tens digit", 12345685.0, "G", "1.234569E+07");
        row("general denormal", 5e-324, "G", "4.940656E-324");
    }
    void format()
    {
        QFETCH(double, value);
        QFETCH(QString, pattern);
        QTEST(pattern == "G" ? num::formatGeneral(value) : num::format(value, pattern), "expected");
    }

    // Arbitrary bit patterns (all magnitudes, denormals) and data-like decimals read back exactly.
    void formatRoundTrip()
    {
        QCOMPARE(num::formatRoundTrip(1.0f / 3.0f), u"0.33333334"_s);
        QRandomGenerator rng(20240611u);
        for (int i = 0; i < 2000; ++i) {
            const float value =
                i % 2 == 0 ? std::bit_cast<float>(rng.generate()) : float(rng.bounded(-10000000, 10000000)) / 1000.0f;
            if (!std::isfinite(value)) continue;
            const QString text = num::formatRoundTrip(value);
            QVERIFY2(sameBits(num::parseFloat(text).value_or(NAN), value), qPrintable(text));
        }
    }

    void roundToInt_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<std::int32_t>("int32");
        QTest::addColumn<std::int16_t>("int16");
        const auto i16max = std::int16_t(INT16_MAX);
        QTest::newRow("2.5 even") << 2.5 << 2 << std::int16_t(2);
        // floor(x + 0.5) gets this one wrong.
        QTest::newRow("int16 tie beyond max") << 32767.5 << 32768 << i16max;
        QTest::newRow("int32 would wrap") << 4294967301.0 << INT32_MAX << i16max;
        QTest::newRow("-infinity") << -HUGE_VAL << INT32_MIN << std::int16_t(INT16_MIN);
        QTest::newRow("nan") << double(NAN) << 0 << std::int16_t(0);
    }
    void roundToInt()
    {
        QFETCH(double, value);
        QTEST(num::roundToInt32(value), "int32");
        QTEST(num::roundToInt16(value), "int16");
    }

    void storedAndWhole()
    {
        // Exact comparisons: QCOMPARE on floating point is fuzzy.
        QVERIFY(num::integerPart(-2.7) == -2.0);
        QVERIFY(num::toStored(0x1.000001p0) == 1.0f);
        // Exactly half an ulp above the largest float: plain conversion gives infinity.
        QVERIFY(num::toStored(0x1.ffffffp127) == FLT_MAX && num::toStored(-1e39) == -FLT_MAX);
        // Only the first two decimals count.
        QVERIFY(num::wholeToTwoDecimals(3.009) && num::wholeToTwoDecimals(-2.0));
        QVERIFY(!num::wholeToTwoDecimals(3.01) && !num::wholeToTwoDecimals(0.5));
    }

    void localeIndependent()
    {
        const QLocale before;
        const std::string cBefore = std::setlocale(LC_ALL, nullptr);
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        if (!std::setlocale(LC_ALL, "de_DE.UTF-8"))
            qInfo("de_DE C locale not installed; only the Qt default locale is German");
        const QStringList texts{num::format(1234567.25, u"0.00"), num::formatGeneral(1234.5),
                                num::formatRoundTrip(-2.5f)};
        const bool parsed = num::parseDouble(u"1.5") == 1.5 && !num::isNumber(u"1,5");
        QLocale::setDefault(before);
        std::setlocale(LC_ALL, cBefore.c_str());
        QCOMPARE(texts, (QStringList{"1234567.25", "1234.5", "-2.5"}));
        QVERIFY(parsed);
    }
};

QTEST_GUILESS_MAIN(TestNumbers)
#include "tst_numbers.moc"
