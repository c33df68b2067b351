#include "core/fieldcommit.h"
#include "support.h"

using namespace pellamar;
using pellamar::testing::sameBits;

namespace {

const double kFeet = double(3.2808f);

float& valueOf(Parameters& p, Field field) { return fieldInfo(field).number(p); }

} // namespace

class TstFields : public QObject {
    Q_OBJECT
private slots:
    // What a numeric field stores and shows when the operator leaves it, and whether the data
    // set must be recalculated.
    void commit_data()
    {
        QTest::addColumn<bool>("metric");
        QTest::addColumn<Field>("field");
        QTest::addColumn<float>("before");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<float>("stored");
        QTest::addColumn<bool>("recalc");
        const auto row = [](const char* name, bool metric, Field field, float before, const char* typed,
                            const char* shown, double stored, bool recalc) {
            QTest::newRow(name) << metric << field << before << QString::fromUtf8(typed) << QString::fromUtf8(shown)
                                << float(stored) << recalc;
        };
        using F = Field;
        const float none = kNotEntered;
        // clang-format off
        row("height 0 empties", true, F::ReleaseHeight, 5, "0", "", 0, false);
        row("height negative paste", true, F::ReleaseHeight, 5, "-3", "5.0", 5, false);
        row("height us", false, F::ReleaseHeight, 0, "98.43", "98.4", float(98.4 / kFeet), false);
        row("swath 12 ft", false, F::SwathWidth, 0, "12", "12.0", float(12 / kFeet), true);
        row("swath beyond float", true, F::SwathWidth, 12, "1e39", "12.0", 12, false);
        row("swath float max", true, F::SwathWidth, 0, "3.4e38", "339999995214436424907732413799364296704.0", 3.4e38f, true);
        row("area rounds", true, F::OpeningArea, 1, "0.123456", "0.1235", 0.1235f, true);
        row("area empty reverts", false, F::OpeningArea, 1, "", "10.7636", 1, false);
        row("pos1 us", false, F::Position1, 0, "-2.556", "-2.56", float(-2.56 / kFeet), true);
        row("sep us", false, F::Separation, 10, "32.808", "32.81", float(32.81 / kFeet), true);
        row("temp us", false, F::AirTemperature, none, "77.7", "77.7", float((77.7 - 32) / double(float(9.0 / 5))), false);
        row("temp sentinel paste", true, F::AirTemperature, 20, "-1000", "20.0", 20, false);
        row("wind us 3e38 mph reverts, tie", false, F::WindSpeed, 10, "3e38", "6.3", 10, false);
        row("rate us", false, F::ProductRate, 0, "1.234", "1.23", float(1.23 / double(float(1 / 1.1208))), false);
        row("rate negative paste", true, F::ProductRate, 10, "-1", "10.00", 10, false);
        row("rate us overflow", false, F::ProductRate, 10, "3.2e38", "8.92", 10, false);
        // clang-format on
    }
    void commit()
    {
        QFETCH(bool, metric);
        QFETCH(Field, field);
        QFETCH(float, before);
        QFETCH(QString, typed);
        QFETCH(float, stored);
        DataSet ds(metric);
        ds.applyUnits();
        ds.clearDataSet(SamplerSettings{});
        valueOf(ds.parameters(), field) = before;
        ds.setFieldText(field, typed);
        QTEST(commitField(ds, field, typed), "recalc");
        const float actual = valueOf(ds.parameters(), field);
        QVERIFY2(sameBits(actual, stored), qPrintable(QStringLiteral("stored %1").arg(double(actual), 0, 'g', 9)));
        QTEST(ds.fieldText(field), "shown");
        // What the field shows is what the stored value shows after any later re-display.
        QCOMPARE(ds.fieldText(field), ds.displayText(field).value_or(QString()));
    }
};

QTEST_GUILESS_MAIN(TstFields)
#include "tst_fields.moc"
