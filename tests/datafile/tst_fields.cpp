#include "core/dataset.h"
#include "datafile/fields.h"

#include <QTest>
#include <bit>
#include <cstdint>

using namespace pellamar;
using namespace pellamar::datafile;

Q_DECLARE_METATYPE(pellamar::Field)

namespace {

const double kFeet = double(3.2808f);
const double kSquareFeet = kFeet * kFeet;
const double kFahrenheit = double(static_cast<float>(9.0 / 5));
const double kMph = double(static_cast<float>(1 / 1.6));
const double kLbPerAcre = double(static_cast<float>(1 / 1.1208));
constexpr float kNone = kNotEntered;

float& valueOf(Parameters& p, Field field)
{
    float* const members[kFieldCount] = {
        nullptr,      nullptr,       &p.releaseHeight, &p.swathWidth, &p.openingArea,
        &p.position1, &p.separation, &p.met[0],        &p.met[1],     &p.met[2],
        &p.met[3],    &p.met[4],     nullptr,          &p.productRate};
    return *members[static_cast<int>(field)];
}

} // namespace

class TstFields : public QObject {
    Q_OBJECT
private slots:
    void commit_data();
    void commit();
    void textFields();
    void filterNumericKey_data();
    void filterNumericKey();
    void toggleSign_data();
    void toggleSign();
};

void TstFields::commit_data()
{
    QTest::addColumn<bool>("metric");
    QTest::addColumn<Field>("field");
    QTest::addColumn<float>("before");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown"); // "*": only checked against the stored value
    QTest::addColumn<float>("stored");
    QTest::addColumn<bool>("recalc");

    auto row = [](const char* name, bool metric, Field field, float before, const char* typed,
                  const char* shown, float stored, bool recalc) {
        QTest::newRow(name) << metric << field << before << QString::fromUtf8(typed)
                            << QString::fromUtf8(shown) << stored << recalc;
    };
    using F = Field;
    const auto us = [](double v) { return static_cast<float>(v); };

    row("height 0 empties", true, F::ReleaseHeight, 5.0f, "0", "", 0.0f, false);
    row("height letters revert", true, F::ReleaseHeight, 5.0f, "abc", "5.0", 5.0f, false);
    row("height empty", true, F::ReleaseHeight, 5.0f, "", "", 0.0f, false);
    row("height tie rounds up", true, F::ReleaseHeight, 0.0f, "7.25", "7.3", 7.3f, false);
    row("height negative paste", true, F::ReleaseHeight, 5.0f, "-3", "5.0", 5.0f, false);
    row("height us", false, F::ReleaseHeight, 0.0f, "98.43", "98.4", us(98.4 / kFeet), false);
    row("height us tiny", false, F::ReleaseHeight, 5.0f, "0.04", "", 0.0f, false);
    row("swath 12 m", true, F::SwathWidth, 0.0f, "12", "12.0", 12.0f, true);
    row("swath 12 ft", false, F::SwathWidth, 0.0f, "12", "12.0", us(12 / kFeet), true);
    row("swath empty", true, F::SwathWidth, 12.0f, "", "", 0.0f, true);
    row("swath letters revert", true, F::SwathWidth, 12.0f, "x", "12.0", 12.0f, false);
    row("swath letters unset", false, F::SwathWidth, 0.0f, "x", "", 0.0f, false);
    row("swath beyond float", true, F::SwathWidth, 12.0f, "1e39", "12.0", 12.0f, false);
    row("swath 3e38 ft", false, F::SwathWidth, 0.0f, "3e38", "*", us(3e38 / kFeet), true);
    row("swath float max m", true, F::SwathWidth, 0.0f, "3.4e38", "*", 3.4e38f, true);
    row("area", true, F::OpeningArea, 1.0f, "0.25", "0.25", 0.25f, true);
    row("area rounds", true, F::OpeningArea, 1.0f, "0.123456", "0.1235", 0.1235f, true);
    row("area us", false, F::OpeningArea, 1.0f, "2.5", "2.5", us(2.5 / kSquareFeet), true);
    row("area 0 reverts", true, F::OpeningArea, 1.0f, "0", "1.0", 1.0f, false);
    row("area negative reverts", true, F::OpeningArea, 1.0f, "-2", "1.0", 1.0f, false);
    row("area rounding to 0", true, F::OpeningArea, 1.0f, "0.00001", "1.0", 1.0f, false);
    row("area empty reverts", false, F::OpeningArea, 1.0f, "", "10.7636", 1.0f, false);
    row("pos1 negative", true, F::Position1, 0.0f, "-2.5", "-2.5", -2.5f, true);
    row("pos1 us", false, F::Position1, 0.0f, "-2.556", "-2.56", us(-2.56 / kFeet), true);
    row("pos1 minus zero", true, F::Position1, 1.0f, "-0.001", "0.0", 0.0f, true);
    row("pos1 letters", true, F::Position1, 1.5f, "a", "1.5", 1.5f, false);
    row("sep", true, F::Separation, 10.0f, "2.5", "2.5", 2.5f, true);
    row("sep us", false, F::Separation, 10.0f, "32.808", "32.81", us(32.81 / kFeet), true);
    row("sep 0 reverts", true, F::Separation, 10.0f, "0", "10.0", 10.0f, false);
    row("sep negative reverts", true, F::Separation, 10.0f, "-5", "10.0", 10.0f, false);
    row("sep us reverts", false, F::Separation, 10.0f, "", "32.81", 10.0f, false);
    row("met height empty", true, F::MetHeight, 2.0f, "", "", kNone, false);
    row("met height unset", true, F::MetHeight, kNone, "abc", "", kNone, false);
    row("met height us", false, F::MetHeight, kNone, "6.56", "6.6", us(6.6 / kFeet), false);
    row("temp", true, F::AirTemperature, kNone, "25", "25.0", 25.0f, false);
    row("temp negative paste", true, F::AirTemperature, kNone, "-5", "-5.0", -5.0f, false);
    row("temp us", false, F::AirTemperature, kNone, "77.7", "77.7", us((77.7 - 32) / kFahrenheit),
        false);
    row("temp us revert", false, F::AirTemperature, 25.0f, "x", "77.0", 25.0f, false);
    row("temp sentinel paste", true, F::AirTemperature, 20.0f, "-1000", "20.0", 20.0f, false);
    row("temp us sentinel", false, F::AirTemperature, kNone, "-1768", "", kNone, false);
    row("wind", true, F::WindSpeed, kNone, "8", "8.0", 8.0f, false);
    row("wind us", false, F::WindSpeed, kNone, "10", "10.0", us(10 / kMph), false);
    row("wind us empty", false, F::WindSpeed, 10.0f, "", "", kNone, false);
    row("wind us 3e38 mph reverts, tie", false, F::WindSpeed, 10.0f, "3e38", "6.3", 10.0f, false);
    row("direction", false, F::WindDirection, kNone, "90.04", "90.0", 90.0f, false);
    row("direction negative", true, F::WindDirection, kNone, "-90", "-90.0", -90.0f, false);
    row("humidity", false, F::Humidity, kNone, "65.56", "65.6", 65.6f, false);
    row("humidity 1e39", true, F::Humidity, 50.0f, "1e39", "50.0", 50.0f, false);
    row("rate", true, F::ProductRate, 0.0f, "10", "10.00", 10.0f, false);
    row("rate us", false, F::ProductRate, 0.0f, "1.234", "1.23", us(1.23 / kLbPerAcre), false);
    row("rate 0 empties", true, F::ProductRate, 10.0f, "0", "", 0.0f, false);
    row("rate letters", true, F::ProductRate, 10.0f, "abc", "10.00", 10.0f, false);
    row("rate negative paste", true, F::ProductRate, 10.0f, "-1", "10.00", 10.0f, false);
    row("rate us overflow", false, F::ProductRate, 10.0f, "3.2e38", "8.92", 10.0f, false);
}

void TstFields::commit()
{
    QFETCH(bool, metric);
    QFETCH(Field, field);
    QFETCH(float, before);
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    QFETCH(float, stored);
    QFETCH(bool, recalc);

    DataSet ds(metric);
    ds.applyUnits();
    ds.clearDataSet(SamplerSettings{});
    valueOf(ds.parameters(), field) = before;
    ds.setFieldText(field, typed);

    QCOMPARE(commitField(ds, field, typed), recalc);
    const float actual = valueOf(ds.parameters(), field);
    QVERIFY2(std::bit_cast<std::uint32_t>(actual) == std::bit_cast<std::uint32_t>(stored),
             qPrintable(QStringLiteral("stored %1, expected %2")
                            .arg(double(actual), 0, 'g', 9)
                            .arg(double(stored), 0, 'g', 9)));
    if (shown != u"*") {
        QCOMPARE(ds.fieldText(field), shown);
    }
    // What the field shows is what the stored value will show after any later re-display.
    QCOMPARE(ds.fieldText(field), ds.displayText(field).value_or(QString()));
}

void TstFields::textFields()
{
    DataSet ds;
    const QString typed = QStringLiteral("  Acme, 1e39 ");
    for (Field field : {Field::Agency, Field::Sprayer, Field::ProductName}) {
        QVERIFY(isTextField(field));
        QVERIFY(!commitField(ds, field, typed));
        QCOMPARE(ds.fieldText(field), typed);
    }
    QCOMPARE(ds.parameters().agency + ds.parameters().sprayer + ds.parameters().productName,
             typed + typed + typed);
    QVERIFY(!isTextField(Field::ProductRate));
}

void TstFields::filterNumericKey_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("selected");
    QTest::addColumn<bool>("decimal");
    QTest::addColumn<int>("expected");

    QTest::newRow("digit") << int('7') << "1"
                           << "" << true << int('7');
    QTest::newRow("backspace") << kKeyBackspace << "1"
                               << "" << true << kKeyBackspace;
    QTest::newRow("first point") << int('.') << "1"
                                 << "" << true << int('.');
    QTest::newRow("second point") << int('.') << "1.2"
                                  << "" << true << 0;
    QTest::newRow("point replaces point") << int('.') << "1.2"
                                          << ".2" << true << int('.');
    QTest::newRow("point not allowed") << int('.') << "1"
                                       << "" << false << 0;
    QTest::newRow("enter") << kKeyEnter << "1"
                           << "" << true << 0;
    QTest::newRow("minus") << int('-') << "1"
                           << "" << true << 0;
    QTest::newRow("letter") << int('e') << "1"
                            << "" << true << 0;
    QTest::newRow("blank") << int(' ') << "1"
                           << "" << true << 0;
}

void TstFields::filterNumericKey()
{
    QFETCH(int, code);
    QFETCH(QString, text);
    QFETCH(QString, selected);
    QFETCH(bool, decimal);
    QFETCH(int, expected);
    QCOMPARE(datafile::filterNumericKey(code, text, selected, decimal), expected);
}

void TstFields::toggleSign_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("length");
    QTest::addColumn<QString>("newText");
    QTest::addColumn<int>("newStart");
    QTest::addColumn<int>("newLength");

    QTest::newRow("on, caret at end") << "2.5" << 3 << 0 << "-2.5" << 4 << 0;
    QTest::newRow("off, caret at end") << "-2.5" << 4 << 0 << "2.5" << 3 << 0;
    QTest::newRow("on, caret at start") << "2.5" << 0 << 0 << "-2.5" << 1 << 0;
    QTest::newRow("off, caret at start") << "-2.5" << 0 << 0 << "2.5" << 0 << 0;
    QTest::newRow("on, all selected") << "2.5" << 0 << 3 << "-2.5" << 1 << 3;
    QTest::newRow("selection holds sign") << "-2.5" << 0 << 4 << "-" << 1 << 0;
    QTest::newRow("digits selected") << "-2.5" << 1 << 3 << "2.5" << 0 << 3;
    QTest::newRow("empty") << "" << 0 << 0 << "-" << 1 << 0;
    QTest::newRow("pasted exponent") << "1e-5" << 4 << 0 << "1e5" << 3 << 0;
}

void TstFields::toggleSign()
{
    QFETCH(QString, text);
    QFETCH(int, start);
    QFETCH(int, length);
    QFETCH(QString, newText);
    QFETCH(int, newStart);
    QFETCH(int, newLength);
    const SignToggle result = datafile::toggleSign(text, start, length);
    QCOMPARE(result.text, newText);
    QCOMPARE(result.selectionStart, newStart);
    QCOMPARE(result.selectionLength, newLength);
}

QTEST_GUILESS_MAIN(TstFields)
#include "tst_fields.moc"
