#include "core/units.h"

#include <QTest>

using namespace pellamar;

class TestUnits : public QObject {
    Q_OBJECT
private slots:
    void factors_data();
    void factors();
    void labels_data();
    void labels();
};

void TestUnits::factors_data()
{
    QTest::addColumn<bool>("metric");
    QTest::addColumn<int>("index");
    QTest::addColumn<double>("expected");

    for (int i = 1; i <= 4; ++i) {
        QTest::addRow("metric %d", i) << true << i << 1.0;
    }
    QTest::newRow("metric offset") << true << 5 << 0.0;
    // The exact single-precision values the conversions multiply by.
    QTest::newRow("feet") << false << 1 << 3.2808001041412354;
    QTest::newRow("fahrenheit scale") << false << 2 << 1.7999999523162842;
    QTest::newRow("mph") << false << 3 << 0.625;
    QTest::newRow("lb/ac") << false << 4 << 0.89221984148025513;
    QTest::newRow("fahrenheit offset") << false << 5 << 32.0;
}

void TestUnits::factors()
{
    QFETCH(bool, metric);
    QFETCH(int, index);
    QFETCH(double, expected);
    QCOMPARE(double(Units::forSystem(metric).factor(index)), expected);
}

void TestUnits::labels_data()
{
    QTest::addColumn<bool>("metric");
    QTest::addColumn<QStringList>("graphUnits");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QStringList>("headings");

    const QString sq(QChar(0x00B2));
    const QStringList fixedHeadings{"Sample Wt\n(g)", "# of Granules", "Larvae", "Mortality"};
    QTest::newRow("metric") << true << QStringList{"kg/ha", "", "#/m " + sq, "Gran./g", "%"}
                            << QStringList{"kg/ha", "CDF", "#/m " + sq, "Gran./g", "Mortality"}
                            << (QStringList{"Position\n(m)"} + fixedHeadings +
                                QStringList{"kg/ha", "Granules/m " + sq, "Granules/g",
                                            "Corrected\nMortality (%)"});
    QTest::newRow("us") << false << QStringList{"lb/ac", "", "#/ft " + sq, "Gran./g", "%"}
                        << QStringList{"lb/ac", "CDF", "#/ft " + sq, "Gran./g", "Mortality"}
                        << (QStringList{"Position\n(ft)"} + fixedHeadings +
                            QStringList{"lb/ac", "Granules/ft " + sq, "Granules/g",
                                        "Corrected\nMortality (%)"});
}

void TestUnits::labels()
{
    QFETCH(bool, metric);
    QFETCH(QStringList, graphUnits);
    QFETCH(QStringList, options);
    QFETCH(QStringList, headings);

    const Units units = Units::forSystem(metric);
    QStringList actualUnits, actualOptions, actualHeadings;
    for (int i = 1; i <= 5; ++i) {
        actualUnits << units.graphUnit(i);
        actualOptions << graphOptionCaption(i, units);
    }
    for (int c = 0; c < kGridColumns; ++c) {
        actualHeadings << columnHeading(c, units);
    }
    QCOMPARE(actualUnits, graphUnits);
    QCOMPARE(actualOptions, options);
    QCOMPARE(actualHeadings, headings);
}

QTEST_GUILESS_MAIN(TestUnits)
#include "tst_units.moc"
