#include "core/dataset.h"

#include <QSignalSpy>
#include <QTest>

using namespace pellamar;

namespace {

SamplerSettings sampler(float area = 0.1f, float pos1 = 0.0f, float separation = 10.0f)
{
    return {0, area, pos1, separation};
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
    void positionColumn_data();
    void positionColumn();
    void singleRowTouchesOnlyItsRow();
    void lastRowGrowsGrid();
    void guardLeavesEverythingUntouched_data();
    void guardLeavesEverythingUntouched();
    void dataRangeAndSwathAvailability();
    void unitRoundTripKeepsStoredValues();
    void clearDataSetResets();
    void textThatIsNotANumberFeedsNothing();
};

void TestDataSet::workedNumbers_data()
{
    QTest::addColumn<bool>("metric");
    QTest::addColumn<QString>("weight");
    QTest::addColumn<QStringList>("cells");
    QTest::addColumn<float>("deposit");

    const QString pad7(7, u' ');
    const auto row = [](const char* name, bool metric, QString weight, QStringList cells,
                        float deposit) {
        QTest::newRow(name) << metric << weight << cells << deposit;
    };
    row("metric", true, "2", {"200.000" + pad7, "500.000" + pad7, "25.00" + pad7, ""}, 200.0f);
    row("us", false, "2", {"178.441" + pad7, "46.453" + pad7, "25.00" + pad7, ""}, 178.44109f);
    row("zero weight", true, "0", {"0.000" + pad7, "500.000" + pad7, "", ""}, 0.0f);
    row("granules only", true, "", {"", "500.000" + pad7, "", ""}, 0.0f);
}

void TestDataSet::workedNumbers()
{
    QFETCH(bool, metric);
    QFETCH(QString, weight);
    QFETCH(QStringList, cells);
    QFETCH(float, deposit);

    auto ds = freshDataSet(sampler(0.1f), metric);
    enterRow(*ds, 3, weight, "50");
    ds->calculateResults(3);

    QCOMPARE(computedCells(*ds, 3), cells);
    QCOMPARE(ds->result(3).value(1), deposit);
    QCOMPARE(ds->result(3).value(3), metric ? 500.0f : 46.452644f);
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
    const auto row = [&](const char* name, int controlLarvae, int controlDead, QString larvae,
                         QString dead, QString cell, float value) {
        QTest::newRow(name) << controlLarvae << controlDead << larvae << dead
                            << (cell.isEmpty() ? cell : cell + pad8) << value;
    };
    row("abbott", 20, 2, "20", "10", "44.44", 44.444443f);
    row("below control clamps to 0", 20, 10, "20", "2", "0.00", 0.0f);
    row("more dead than larvae", 20, 0, "10", "15", "150.00", 150.0f);
    row("no larvae in pan", 20, 2, "0", "0", "0.00", 0.0f);
    row("fraction rounds half to even", 20, 0, "2.5", "2", "100.00", 100.0f);
    row("no control data", 0, 0, "20", "10", "", 0.0f);
    row("every control larva dead", 20, 20, "20", "10", "", 0.0f);
    row("dead missing", 20, 2, "20", "", "", 0.0f);
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
    ds->setControlData({std::int16_t(controlLarvae), std::int16_t(controlDead), 24.0f});
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

    // Removing every weight by single-row commits leaves no deposit anywhere.
    ds->setCell(1, ColWeight, QString());
    ds->calculateResults(1);
    ds->setCell(3, ColWeight, QString());
    ds->calculateResults(3);
    QCOMPARE(ds->result(5).value(2), 0.0f);
}

void TestDataSet::positionColumn_data()
{
    QTest::addColumn<bool>("metric");
    QTest::addColumn<float>("pos1");
    QTest::addColumn<float>("separation");
    QTest::addColumn<QStringList>("positions");
    QTest::addColumn<QString>("format"); // for the position fields

    const auto row = [](const char* name, bool metric, float pos1, float separation,
                        QStringList positions, QString format) {
        QTest::newRow(name) << metric << pos1 << separation << positions << format;
    };
    row("half metres", true, 0.0f, 0.5f, {"0.00  ", "0.50  ", "1.00  "}, "0.0");
    row("half-metre start", true, 0.5f, 10.0f, {"0.50  ", "10.50  ", "20.50  "}, "0.0");
    row("negative start", true, -20.0f, 10.0f, {"-20     ", "-10     ", "0     "}, "0");
    row("feet", false, 0.0f, 10.0f, {"0.00  ", "32.81  ", "65.62  "}, "0.0");
    // 0.005 m is 0.00 to two decimals: the third decimal is not looked at.
    row("third decimal ignored", true, 0.0f, 1.005f, {"0     ", "1     ", "2     "}, "0");
}

void TestDataSet::positionColumn()
{
    QFETCH(bool, metric);
    QFETCH(float, pos1);
    QFETCH(float, separation);
    QFETCH(QStringList, positions);
    QFETCH(QString, format);

    auto ds = freshDataSet(sampler(1.0f, pos1, separation), metric);
    for (int row = 1; row <= positions.size(); ++row) {
        QCOMPARE(ds->cell(row, ColPosition), positions[row - 1]);
    }
    QCOMPARE(ds->positionFormat(), format);
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

void TestDataSet::dataRangeAndSwathAvailability()
{
    // Swath analysis needs at least three pans' span; larvae alone are no sample data.
    auto ds = freshDataSet();
    ds->setCell(3, ColWeight, QStringLiteral("1.5"));
    ds->setCell(4, ColGranules, QStringLiteral("12"));
    ds->setCell(1, ColLarvae, QStringLiteral("20"));
    ds->setCell(9, ColLarvae, QStringLiteral("20"));
    ds->calculateResults(0);
    QCOMPARE((QList<int>{ds->firstDataRow(), ds->lastDataRow()}), (QList<int>{3, 4}));
    QVERIFY(!ds->swathCheckVisible());
    QVERIFY(ds->saveEnabled());

    ds->setCell(5, ColWeight, QStringLiteral("1.5"));
    ds->calculateResults(5);
    QCOMPARE(ds->lastDataRow(), 5);
    QVERIFY(ds->swathCheckVisible());
}

void TestDataSet::unitRoundTripKeepsStoredValues()
{
    auto ds = freshDataSet(sampler(0.1f, -2.5f, 0.5f));
    Parameters& p = ds->parameters();
    p.releaseHeight = 12.0f;
    p.met = {2.0f, 25.0f, 8.0f, 45.0f, kNotEntered};
    p.productRate = 11.2f;
    ds->applyUnits();
    enterRow(*ds, 1, "2", "");
    ds->calculateResults(1);
    const Parameters before = p;

    QSignalSpy recalculated(ds.get(), &DataSet::recalculated);
    QSignalSpy applied(ds.get(), &DataSet::unitsApplied);
    QVERIFY(!ds->switchUnits(true));
    QCOMPARE(recalculated.size() + applied.size(), 0);
    QVERIFY(ds->switchUnits(false));
    QCOMPARE(applied.size(), 1);
    QCOMPARE(recalculated.size(), 1);
    QCOMPARE(recalculated.last(), (QVariantList{1, kInitialDataRows}));
    QCOMPARE(ds->cell(1, ColDeposit), QStringLiteral("178.441       "));
    const QList<Field> shown{Field::ReleaseHeight,  Field::OpeningArea, Field::Position1,
                             Field::AirTemperature, Field::WindSpeed,   Field::ProductRate,
                             Field::Humidity};
    const auto texts = [&] {
        QStringList t;
        for (Field f : shown) {
            t << ds->fieldText(f);
        }
        return t;
    };
    QCOMPARE(texts(), (QStringList{"39.4", "1.0764", "-8.2", "77.0", "5.0", "9.99", ""}));

    // Back in metric, the stored values are the ones entered, not converted twice.
    QVERIFY(ds->switchUnits(true));
    const Parameters& after = ds->parameters();
    QCOMPARE((QList<float>{after.releaseHeight, after.openingArea, after.position1,
                           after.separation, after.productRate}),
             (QList<float>{before.releaseHeight, before.openingArea, before.position1,
                           before.separation, before.productRate}));
    QCOMPARE(after.met, before.met);
    QCOMPARE(texts(), (QStringList{"12.0", "0.1", "-2.5", "25.0", "8.0", "11.20", ""}));
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
    const ControlData& control = ds->controlData();
    QCOMPARE((QList<float>{float(control.larvae), float(control.dead), control.hours}),
             (QList<float>{0, 0, 24}));
    QCOMPARE(ds->controlHeadingColor(), kHeadingDarkRed);
    QCOMPARE(ds->dataRowCount(), kInitialDataRows);
    QCOMPARE(ds->cell(50, ColWeight), QString());
    QCOMPARE(ds->lastDataRow(), 0);
    QVERIFY(!ds->saveEnabled());
    QVERIFY(!ds->swathChecked());
    QCOMPARE(ds->selectedGraph(), 1);
    QCOMPARE(ds->parameters().agency, QString());
    QCOMPARE(ds->parameters().met[0], kNotEntered);
    QStringList texts;
    for (Field f : {Field::Agency, Field::MetHeight, Field::OpeningArea, Field::Position1,
                    Field::Separation}) {
        texts << ds->fieldText(f);
    }
    QCOMPARE(texts, (QStringList{"", "", "2.0", "-5.0", "2.5"}));
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
