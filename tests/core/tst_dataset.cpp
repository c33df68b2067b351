#include "core/dataset.h"

#include <QSignalSpy>
#include <QTest>

using namespace pellamar;

namespace {

SamplerSettings sampler(float area = 0.1f, float pos1 = 0.0f, float separation = 10.0f)
{
    SamplerSettings s;
    s.openingArea = area;
    s.position1 = pos1;
    s.separation = separation;
    return s;
}

// A fresh data set with the given sampler line, as after the window's first reset.
std::unique_ptr<DataSet> freshDataSet(const SamplerSettings& s = sampler(), bool metric = true)
{
    auto ds = std::make_unique<DataSet>(metric);
    ds->applyUnits();
    ds->clearDataSet(s);
    return ds;
}

void enterRow(DataSet& ds, int row, const QString& weight, const QString& granules,
              const QString& larvae = {}, const QString& dead = {})
{
    ds.setCell(row, ColWeight, weight);
    ds.setCell(row, ColGranules, granules);
    ds.setCell(row, ColLarvae, larvae);
    ds.setCell(row, ColDead, dead);
}

QStringList computedCells(const DataSet& ds, int row)
{
    QStringList cells;
    for (int c = ColDeposit; c <= ColCorrectedMortality; ++c) {
        cells << ds.cell(row, c);
    }
    return cells;
}

} // namespace

class TestDataSet : public QObject {
    Q_OBJECT
private slots:
    void workedNumbers_data();
    void workedNumbers();
    void correctedMortality_data();
    void correctedMortality();
    void cumulativeFraction();
    void cumulativeFractionClearedWithLastWeight();
    void positionColumn_data();
    void positionColumn();
    void singleRowTouchesOnlyItsRow();
    void lastRowGrowsGrid();
    void guardLeavesEverythingUntouched_data();
    void guardLeavesEverythingUntouched();
    void dataRangeAndSwathAvailability_data();
    void dataRangeAndSwathAvailability();
    void unitRoundTripKeepsStoredValues();
    void switchToSameSystemDoesNothing();
    void positionFormat_data();
    void positionFormat();
    void clearDataSetResets();
    void textThatIsNotANumberFeedsNothing();
};

void TestDataSet::workedNumbers_data()
{
    QTest::addColumn<bool>("metric");
    QTest::addColumn<QString>("weight");
    QTest::addColumn<QString>("granules");
    QTest::addColumn<QStringList>("cells");
    QTest::addColumn<float>("deposit");
    QTest::addColumn<float>("density");

    const QString pad7(7, u' ');
    QTest::newRow("metric") << true << "2"
                            << "50"
                            << QStringList{"200.000" + pad7, "500.000" + pad7, "25.00" + pad7, ""}
                            << 200.0f << 500.0f;
    QTest::newRow("us") << false << "2"
                        << "50"
                        << QStringList{"178.441" + pad7, "46.453" + pad7, "25.00" + pad7, ""}
                        << 178.44109f << 46.452644f;
    QTest::newRow("zero weight") << true << "0"
                                 << "50" << QStringList{"0.000" + pad7, "500.000" + pad7, "", ""}
                                 << 0.0f << 500.0f;
    QTest::newRow("granules only")
        << true << ""
        << "50" << QStringList{"", "500.000" + pad7, "", ""} << 0.0f << 500.0f;
}

void TestDataSet::workedNumbers()
{
    QFETCH(bool, metric);
    QFETCH(QString, weight);
    QFETCH(QString, granules);
    QFETCH(QStringList, cells);
    QFETCH(float, deposit);
    QFETCH(float, density);

    auto ds = freshDataSet(sampler(0.1f), metric);
    enterRow(*ds, 3, weight, granules);
    ds->calculateResults(3);

    QCOMPARE(computedCells(*ds, 3), cells);
    QCOMPARE(ds->result(3).value(1), deposit);
    QCOMPARE(ds->result(3).value(3), density);
    QCOMPARE(ds->firstDataRow(), 3);
    QCOMPARE(ds->lastDataRow(), 3);
}

void TestDataSet::correctedMortality_data()
{
    QTest::addColumn<int>("controlLarvae");
    QTest::addColumn<int>("controlDead");
    QTest::addColumn<QString>("larvae");
    QTest::addColumn<QString>("dead");
    QTest::addColumn<QString>("cell");
    QTest::addColumn<float>("value");

    const QString pad8(8, u' ');
    QTest::newRow("abbott") << 20 << 2 << "20"
                            << "10"
                            << "44.44" + pad8 << 44.444443f;
    QTest::newRow("below control clamps to 0") << 20 << 10 << "20"
                                               << "2"
                                               << "0.00" + pad8 << 0.0f;
    QTest::newRow("more dead than larvae") << 20 << 0 << "10"
                                           << "15"
                                           << "150.00" + pad8 << 150.0f;
    QTest::newRow("no larvae in pan") << 20 << 2 << "0"
                                      << "0"
                                      << "0.00" + pad8 << 0.0f;
    QTest::newRow("fraction rounds half to even") << 20 << 0 << "2.5"
                                                  << "2"
                                                  << "100.00" + pad8 << 100.0f;
    QTest::newRow("no control data") << 0 << 0 << "20"
                                     << "10"
                                     << "" << 0.0f;
    QTest::newRow("every control larva dead") << 20 << 20 << "20"
                                              << "10"
                                              << "" << 0.0f;
    QTest::newRow("dead missing") << 20 << 2 << "20"
                                  << ""
                                  << "" << 0.0f;
}

void TestDataSet::correctedMortality()
{
    QFETCH(int, controlLarvae);
    QFETCH(int, controlDead);
    QFETCH(QString, larvae);
    QFETCH(QString, dead);
    QFETCH(QString, cell);
    QFETCH(float, value);

    auto ds = freshDataSet();
    ControlData control;
    control.larvae = static_cast<std::int16_t>(controlLarvae);
    control.dead = static_cast<std::int16_t>(controlDead);
    control.hours = 24;
    ds->setControlData(control);
    enterRow(*ds, 1, "1", "", larvae, dead);
    ds->calculateResults(0);

    QCOMPARE(ds->cell(1, ColCorrectedMortality), cell);
    QCOMPARE(ds->result(1).value(5), value);
}

void TestDataSet::cumulativeFraction()
{
    auto ds = freshDataSet();
    enterRow(*ds, 1, "1", "");
    enterRow(*ds, 3, "3", "");
    enterRow(*ds, 5, "", "7");
    ds->calculateResults(0);

    const QList<float> expected{0.25f, 0.25f, 1.0f, 1.0f, 1.0f};
    for (int row = 1; row <= expected.size(); ++row) {
        QCOMPARE(ds->result(row).value(2), expected[row - 1]);
    }
    QCOMPARE(ds->lastDataRow(), 5);
}

void TestDataSet::cumulativeFractionClearedWithLastWeight()
{
    auto ds = freshDataSet();
    enterRow(*ds, 1, "2", "5");
    enterRow(*ds, 2, "", "5");
    ds->calculateResults(0);
    QCOMPARE(ds->result(2).value(2), 1.0f);

    // Removing the only weight by a single-row commit leaves no deposit anywhere.
    ds->setCell(1, ColWeight, QString());
    ds->calculateResults(1);
    QCOMPARE(ds->result(1).value(2), 0.0f);
    QCOMPARE(ds->result(2).value(2), 0.0f);
}

void TestDataSet::positionColumn_data()
{
    QTest::addColumn<bool>("metric");
    QTest::addColumn<float>("pos1");
    QTest::addColumn<float>("separation");
    QTest::addColumn<QStringList>("positions");

    QTest::newRow("whole metres") << true << 0.0f << 10.0f
                                  << QStringList{"0     ", "10     ", "20     "};
    QTest::newRow("half metres") << true << 0.0f << 0.5f
                                 << QStringList{"0.00  ", "0.50  ", "1.00  "};
    QTest::newRow("negative start")
        << true << -20.0f << 10.0f << QStringList{"-20     ", "-10     ", "0     "};
    QTest::newRow("feet") << false << 0.0f << 10.0f << QStringList{"0.00  ", "32.81  ", "65.62  "};
    // 0.005 m is 0.00 to two decimals: the third decimal is not looked at.
    QTest::newRow("third decimal ignored")
        << true << 0.0f << 1.005f << QStringList{"0     ", "1     ", "2     "};
}

void TestDataSet::positionColumn()
{
    QFETCH(bool, metric);
    QFETCH(float, pos1);
    QFETCH(float, separation);
    QFETCH(QStringList, positions);

    auto ds = freshDataSet(sampler(1.0f, pos1, separation), metric);
    for (int row = 1; row <= positions.size(); ++row) {
        QCOMPARE(ds->cell(row, ColPosition), positions[row - 1]);
    }
}

void TestDataSet::singleRowTouchesOnlyItsRow()
{
    auto ds = freshDataSet();
    enterRow(*ds, 1, "2", "50");
    enterRow(*ds, 2, "4", "60");
    QSignalSpy spy(ds.get(), &DataSet::recalculated);
    ds->calculateResults(2);

    QCOMPARE(spy.size(), 1);
    QCOMPARE(spy.first(), (QVariantList{2, 2}));
    QCOMPARE(computedCells(*ds, 1), (QStringList{"", "", "", ""}));
    QCOMPARE(ds->result(1).value(1), 0.0f);
    QVERIFY(!ds->cell(2, ColDeposit).isEmpty());
    // The data range and the fractions always cover the whole grid.
    QCOMPARE(ds->firstDataRow(), 1);
    QCOMPARE(ds->result(1).value(2), float(2.0 / 6.0));
}

void TestDataSet::lastRowGrowsGrid()
{
    auto ds = freshDataSet();
    QCOMPARE(ds->dataRowCount(), kInitialDataRows);
    QSignalSpy inserted(ds.get(), &DataSet::rowsInserted);

    enterRow(*ds, 50, "1", "");
    ds->calculateResults(50);
    QCOMPARE(ds->dataRowCount(), 51);
    QCOMPARE(inserted.size(), 1);
    QCOMPARE(inserted.first(), (QVariantList{51, 51}));
    QCOMPARE(ds->cell(51, ColPosition), QStringLiteral("500     "));
    QCOMPARE(ds->cell(50, ColDeposit), QStringLiteral("100.000       "));
    QCOMPARE(ds->result(51).value(1), 0.0f);

    // Only a commit in the last row grows it; row 0 never does.
    ds->calculateResults(0);
    ds->calculateResults(3);
    QCOMPARE(ds->dataRowCount(), 51);
}

void TestDataSet::guardLeavesEverythingUntouched_data()
{
    QTest::addColumn<float>("area");
    QTest::addColumn<float>("separation");
    QTest::newRow("area 0") << 0.0f << 10.0f;
    QTest::newRow("separation 0") << 1.0f << 0.0f;
    QTest::newRow("separation negative") << 1.0f << -1.0f;
}

void TestDataSet::guardLeavesEverythingUntouched()
{
    QFETCH(float, area);
    QFETCH(float, separation);

    auto ds = freshDataSet();
    enterRow(*ds, 1, "2", "50");
    enterRow(*ds, 2, "1", "");
    ds->calculateResults(1);
    const QStringList before = computedCells(*ds, 1) + computedCells(*ds, 2);

    ds->parameters().openingArea = area;
    ds->parameters().separation = separation;
    QSignalSpy spy(ds.get(), &DataSet::recalculated);
    ds->calculateResults(0);
    ds->calculateResults(50);

    QCOMPARE(spy.size(), 0);
    QCOMPARE(computedCells(*ds, 1) + computedCells(*ds, 2), before);
    QCOMPARE(ds->cell(1, ColPosition), QStringLiteral("0     "));
    QCOMPARE(ds->lastDataRow(), 2);
    QCOMPARE(ds->dataRowCount(), kInitialDataRows);
    QVERIFY(ds->saveEnabled());
}

void TestDataSet::dataRangeAndSwathAvailability_data()
{
    QTest::addColumn<QList<int>>("weightRows");
    QTest::addColumn<QList<int>>("granuleRows");
    QTest::addColumn<QList<int>>("larvaeRows");
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("last");
    QTest::addColumn<bool>("swath");

    QTest::newRow("empty") << QList<int>{} << QList<int>{} << QList<int>{} << 0 << 0 << false;
    QTest::newRow("rows 3 and 4") << QList<int>{3} << QList<int>{4} << QList<int>{} << 3 << 4
                                  << false;
    QTest::newRow("rows 3 and 5") << QList<int>{3, 5} << QList<int>{} << QList<int>{} << 3 << 5
                                  << true;
    QTest::newRow("larvae do not count")
        << QList<int>{} << QList<int>{2} << QList<int>{1, 9} << 2 << 2 << false;
}

void TestDataSet::dataRangeAndSwathAvailability()
{
    QFETCH(QList<int>, weightRows);
    QFETCH(QList<int>, granuleRows);
    QFETCH(QList<int>, larvaeRows);
    QFETCH(int, first);
    QFETCH(int, last);
    QFETCH(bool, swath);

    auto ds = freshDataSet();
    for (int row : weightRows) {
        ds->setCell(row, ColWeight, QStringLiteral("1.5"));
    }
    for (int row : granuleRows) {
        ds->setCell(row, ColGranules, QStringLiteral("12"));
    }
    for (int row : larvaeRows) {
        ds->setCell(row, ColLarvae, QStringLiteral("20"));
    }
    ds->calculateResults(0);
    QCOMPARE(ds->firstDataRow(), first);
    QCOMPARE(ds->lastDataRow(), last);
    QCOMPARE(ds->swathCheckVisible(), swath);
    QCOMPARE(ds->saveEnabled(), last > 0);
}

void TestDataSet::unitRoundTripKeepsStoredValues()
{
    auto ds = freshDataSet(sampler(0.1f, -2.5f, 0.5f));
    Parameters& p = ds->parameters();
    p.releaseHeight = 12.0f;
    p.swathWidth = 30.0f;
    p.met = {2.0f, 25.0f, 8.0f, 45.0f, kNotEntered};
    p.productRate = 11.2f;
    ds->applyUnits();
    const Parameters before = p;
    QCOMPARE(ds->fieldText(Field::AirTemperature), QStringLiteral("25.0"));

    QVERIFY(ds->switchUnits(false));
    QCOMPARE(ds->fieldText(Field::ReleaseHeight), QStringLiteral("39.4"));
    QCOMPARE(ds->fieldText(Field::OpeningArea), QStringLiteral("1.0764"));
    QCOMPARE(ds->fieldText(Field::Position1), QStringLiteral("-8.2"));
    QCOMPARE(ds->fieldText(Field::Separation), QStringLiteral("1.64"));
    QCOMPARE(ds->fieldText(Field::AirTemperature), QStringLiteral("77.0"));
    QCOMPARE(ds->fieldText(Field::WindSpeed), QStringLiteral("5.0"));
    QCOMPARE(ds->fieldText(Field::ProductRate), QStringLiteral("9.99"));
    QCOMPARE(ds->fieldText(Field::Humidity), QString());
    QCOMPARE(ds->units().graphUnit(1), QStringLiteral("lb/ac"));
    QCOMPARE(ds->units().graphUnit(4), QStringLiteral("Gran./g"));
    QCOMPARE(columnHeading(ColDensity, ds->units()), QStringLiteral("Granules/ft \u00b2"));

    QVERIFY(ds->switchUnits(true));
    const Parameters& after = ds->parameters();
    QCOMPARE(after.releaseHeight, before.releaseHeight);
    QCOMPARE(after.openingArea, before.openingArea);
    QCOMPARE(after.position1, before.position1);
    QCOMPARE(after.separation, before.separation);
    QCOMPARE(after.met, before.met);
    QCOMPARE(after.productRate, before.productRate);
    QCOMPARE(ds->fieldText(Field::ReleaseHeight), QStringLiteral("12.0"));
    QCOMPARE(ds->fieldText(Field::Position1), QStringLiteral("-2.5"));
    QCOMPARE(ds->units().graphUnit(3), QStringLiteral("#/m \u00b2"));
}

void TestDataSet::switchToSameSystemDoesNothing()
{
    auto ds = freshDataSet();
    QSignalSpy recalculated(ds.get(), &DataSet::recalculated);
    QSignalSpy applied(ds.get(), &DataSet::unitsApplied);
    QVERIFY(!ds->switchUnits(true));
    QCOMPARE(recalculated.size(), 0);
    QCOMPARE(applied.size(), 0);

    enterRow(*ds, 1, "2", "");
    ds->calculateResults(1);
    QVERIFY(ds->switchUnits(false));
    QCOMPARE(recalculated.size(), 2);
    QCOMPARE(recalculated.last(), (QVariantList{1, kInitialDataRows}));
    QCOMPARE(ds->cell(1, ColDeposit), QStringLiteral("178.441       "));
}

void TestDataSet::positionFormat_data()
{
    QTest::addColumn<bool>("metric");
    QTest::addColumn<float>("pos1");
    QTest::addColumn<float>("separation");
    QTest::addColumn<QString>("pattern");
    QTest::newRow("10 m") << true << 0.0f << 10.0f << "0";
    QTest::newRow("32.808 ft") << false << 0.0f << 10.0f << "0.0";
    QTest::newRow("half-metre start") << true << 0.5f << 10.0f << "0.0";
    QTest::newRow("negative whole start") << true << -30.0f << 10.0f << "0";
    QTest::newRow("third decimal ignored") << true << 0.0f << 2.004f << "0";
}

void TestDataSet::positionFormat()
{
    QFETCH(bool, metric);
    QFETCH(float, pos1);
    QFETCH(float, separation);
    QFETCH(QString, pattern);
    auto ds = freshDataSet(sampler(1.0f, pos1, separation), metric);
    QCOMPARE(ds->positionFormat(), pattern);
}

void TestDataSet::clearDataSetResets()
{
    auto ds = freshDataSet();
    ds->setControlData({20, 2, 24.0f});
    ds->markControlHeader();
    QCOMPARE(ds->controlHeadingColor(), kHeadingBlack);
    ds->parameters().agency = QStringLiteral("Agency");
    ds->setFieldText(Field::Agency, QStringLiteral("Agency"));
    ds->setFieldText(Field::MetHeight, QStringLiteral("2.0"));
    ds->parameters().met[0] = 2.0f;
    enterRow(*ds, 50, "1", "1", "5", "2");
    ds->calculateResults(50);
    ds->setSelectedGraph(3);
    ds->setSwathChecked(true);

    QSignalSpy reset(ds.get(), &DataSet::resetDone);
    ds->clearDataSet(sampler(2.0f, -5.0f, 2.5f));

    QCOMPARE(reset.size(), 1);
    QCOMPARE(ds->controlData().larvae, std::int16_t(0));
    QCOMPARE(ds->controlData().dead, std::int16_t(0));
    QCOMPARE(ds->controlData().hours, 24.0f);
    QCOMPARE(ds->controlHeadingColor(), kHeadingDarkRed);
    QCOMPARE(ds->dataRowCount(), kInitialDataRows);
    QCOMPARE(ds->cell(50, ColWeight), QString());
    QCOMPARE(ds->lastDataRow(), 0);
    QVERIFY(!ds->saveEnabled());
    QVERIFY(!ds->swathChecked());
    QCOMPARE(ds->selectedGraph(), 1);
    QCOMPARE(ds->parameters().agency, QString());
    QCOMPARE(ds->parameters().met[0], kNotEntered);
    QCOMPARE(ds->fieldText(Field::Agency), QString());
    QCOMPARE(ds->fieldText(Field::MetHeight), QString());
    QCOMPARE(ds->fieldText(Field::OpeningArea), QStringLiteral("2.0"));
    QCOMPARE(ds->fieldText(Field::Position1), QStringLiteral("-5.0"));
    QCOMPARE(ds->fieldText(Field::Separation), QStringLiteral("2.5"));
    QCOMPARE(ds->cell(2, ColPosition), QStringLiteral("-2.50  "));
}

void TestDataSet::textThatIsNotANumberFeedsNothing()
{
    // A file edited elsewhere can put any text in a cell; it must not reach a result.
    auto ds = freshDataSet();
    enterRow(*ds, 2, "abc", "1e40", "x", "3");
    enterRow(*ds, 4, "1", "");
    ds->calculateResults(0);
    QCOMPARE(computedCells(*ds, 2), (QStringList{"", "", "", ""}));
    QCOMPARE(ds->firstDataRow(), 4);
    QCOMPARE(ds->cell(2, ColWeight), QStringLiteral("abc"));
}

QTEST_GUILESS_MAIN(TestDataSet)
#include "tst_dataset.moc"
