#include "core/dataset.h"
#include "support.h"

#include <QSignalSpy>

using namespace pellamar;
using namespace pellamar::testing;

namespace {

// A data set with 0.1 m² openings from 0 m every 10 m, as after the window's first reset.
std::unique_ptr<DataSet> fresh(bool metric = true, SamplerSettings s = {0, 0.1f, 0.0f, 10.0f})
{
    auto ds = std::make_unique<DataSet>(metric);
    ds->applyUnits();
    ds->clearDataSet(s);
    return ds;
}

void enter(DataSet& ds, int row, const SampleRow& r)
{
    ds.setInput(row, ColWeight, r.weight);
    ds.setInput(row, ColGranules, r.granules);
    ds.setInput(row, ColLarvae, r.larvae);
    ds.setInput(row, ColDead, r.dead);
}

QStringList computed(const DataSet& ds, int row)
{
    QStringList cells;
    for (int c = ColDeposit; c <= ColCorrectedMortality; ++c) cells << cellText(ds, row, c);
    return cells;
}

} // namespace

class TestDataSet : public QObject {
    Q_OBJECT
private slots:
    // The four computed cells of a row, as shown, and their values; 0.1 m² openings.
    void rowResults_data()
    {
        QTest::addColumn<bool>("metric");
        QTest::addColumn<QList<int>>("control"); // larvae, dead
        QTest::addColumn<SampleRow>("pan");
        QTest::addColumn<QStringList>("cells");
        QTest::addColumn<QList<float>>("values"); // deposit, density, granules/g, mortality
        const auto row = [](const char* name, bool metric, QList<int> control, SampleRow pan, QStringList cells,
                            QList<float> values) {
            QTest::newRow(name) << metric << control << pan << cells << values;
        };
        // clang-format off
        row("metric", true, {0, 0}, {"2", "50", "", ""}, {"200.000", "500.000", "25.00", ""}, {200, 500, 25, 0});
        row("us", false, {0, 0}, {"2", "50", "", ""}, {"178.441", "46.453", "25.00", ""}, {178.44109f, 46.452644f, 25, 0});
        row("zero weight", true, {0, 0}, {"0", "50", "", ""}, {"0.000", "500.000", "", ""}, {0, 500, 0, 0});
        row("granules only", true, {0, 0}, {"", "50", "", ""}, {"", "500.000", "", ""}, {0, 500, 0, 0});
        row("abbott", true, {20, 2}, {"1", "", "20", "10"}, {"100.000", "", "", "44.44"}, {100, 0, 0, 44.444443f});
        row("below control clamps to 0", true, {20, 10}, {"1", "", "20", "2"}, {"100.000", "", "", "0.00"}, {100, 0, 0, 0});
        row("more dead than larvae", true, {20, 0}, {"1", "", "10", "15"}, {"100.000", "", "", "150.00"}, {100, 0, 0, 150});
        row("no larvae in pan", true, {20, 2}, {"", "", "0", "0"}, {"", "", "", "0.00"}, {0, 0, 0, 0});
        row("fraction rounds half to even", true, {20, 0}, {"1", "", "2.5", "2"}, {"100.000", "", "", "100.00"}, {100, 0, 0, 100});
        row("no control data", true, {0, 0}, {"1", "", "20", "10"}, {"100.000", "", "", ""}, {100, 0, 0, 0});
        row("every control larva dead", true, {20, 20}, {"1", "", "20", "10"}, {"100.000", "", "", ""}, {100, 0, 0, 0});
        row("dead missing", true, {20, 2}, {"1", "", "20", ""}, {"100.000", "", "", ""}, {100, 0, 0, 0});
        // clang-format on
    }
    void rowResults()
    {
        QFETCH(bool, metric);
        QFETCH(QList<int>, control);
        QFETCH(SampleRow, pan);
        auto ds = fresh(metric);
        ds->setControlData({std::int16_t(control[0]), std::int16_t(control[1]), 24.0f});
        enter(*ds, 3, pan);
        ds->calculateResults(3);
        QTEST(computed(*ds, 3), "cells");
        const SampleResult& r = ds->result(3);
        QTEST((QList<float>{r.value(Result::Deposit), r.value(Result::Density), r.value(Result::GranulesPerGram),
                            r.value(Result::Mortality)}),
              "values");
    }

    void cumulativeFraction()
    {
        auto ds = fresh();
        enter(*ds, 1, {"1", {}, {}, {}});
        enter(*ds, 3, {"3", {}, {}, {}});
        enter(*ds, 5, {{}, "7", {}, {}});
        ds->calculateResults(0);
        for (int row = 1; row <= 5; ++row)
            QCOMPARE(ds->result(row).value(Result::CumulativeDeposit), (QList<float>{0.25f, 0.25f, 1, 1, 1}[row - 1]));
        // Removing every weight by single-row commits leaves no deposit anywhere.
        for (int row : {1, 3}) {
            ds->setInput(row, ColWeight, QString());
            ds->calculateResults(row);
        }
        QCOMPARE(ds->result(5).value(Result::CumulativeDeposit), 0.0f);
        QCOMPARE(ds->firstDataRow(), 5);
    }

    void positionColumn_data()
    {
        QTest::addColumn<bool>("metric");
        QTest::addColumn<float>("pos1");
        QTest::addColumn<float>("separation");
        QTest::addColumn<QStringList>("positions");
        QTest::addColumn<QString>("format"); // of the position fields
        QTest::newRow("half metres") << true << 0.0f << 0.5f << QStringList{"0.00", "0.50", "1.00"} << "0.0";
        QTest::newRow("negative start") << true << -20.0f << 10.0f << QStringList{"-20", "-10", "0"} << "0";
        QTest::newRow("feet") << false << 0.0f << 10.0f << QStringList{"0.00", "32.81", "65.62"} << "0.0";
        // 0.005 m is 0.00 to two decimals: the third decimal is not looked at.
        QTest::newRow("third decimal ignored") << true << 0.0f << 1.005f << QStringList{"0", "1", "2"} << "0";
    }
    void positionColumn()
    {
        QFETCH(bool, metric);
        QFETCH(float, pos1);
        QFETCH(float, separation);
        auto ds = fresh(metric, {0, 1.0f, pos1, separation});
        QTEST((QStringList{cellText(*ds, 1, 0), cellText(*ds, 2, 0), cellText(*ds, 3, 0)}), "positions");
        QTEST(ds->positionFormat(), "format");
    }

    // A commit recalculates its row only; totals, fractions and the data range span the grid.
    void singleRowAndGrowth()
    {
        auto ds = fresh();
        enter(*ds, 1, {"2", "50", {}, {}});
        enter(*ds, 2, {"4", "60", {}, {}});
        QSignalSpy recalculated(ds.get(), &DataSet::recalculated);
        QSignalSpy inserted(ds.get(), &DataSet::rowsInserted);
        ds->calculateResults(2);
        QCOMPARE(recalculated.takeFirst(), (QVariantList{2, 2}));
        QCOMPARE(computed(*ds, 1), (QStringList{"", "", "", ""}));
        QVERIFY(!cellText(*ds, 2, ColDeposit).isEmpty());
        QCOMPARE(ds->firstDataRow(), 1);
        QCOMPARE(ds->result(1).value(Result::CumulativeDeposit), float(2.0 / 6.0));

        // Only a commit in the last row grows the grid (as the grid's own tests show).
        for (int row : {0, 3, kInitialDataRows - 1}) ds->calculateResults(row);
        QCOMPARE(ds->dataRowCount(), kInitialDataRows);
        QVERIFY(inserted.isEmpty());
    }

    // An opening area of 0 or a separation of 0 or less would divide by 0: nothing is touched.
    void guardLeavesEverythingUntouched()
    {
        for (auto [area, separation] : {std::pair{0.0f, 10.0f}, {1.0f, 0.0f}, {1.0f, -1.0f}}) {
            auto ds = fresh();
            enter(*ds, 1, {"2", "50", {}, {}});
            ds->calculateResults(0);
            const QStringList before = snapshot(*ds);
            ds->parameters().openingArea = area;
            ds->parameters().separation = separation;
            QSignalSpy spy(ds.get(), &DataSet::recalculated);
            ds->calculateResults(0);
            ds->calculateResults(kInitialDataRows);
            QCOMPARE(spy.size(), 0);
            QCOMPARE(snapshot(*ds).mid(19), before.mid(19)); // all but the stored parameters
        }
    }

    // Larvae alone are no sample data; swath analysis needs a span of at least three pans.
    void dataRange()
    {
        auto ds = fresh();
        enter(*ds, 3, {"1.5", {}, "20", {}});
        enter(*ds, 4, {{}, "12", {}, {}});
        enter(*ds, 9, {{}, {}, "20", {}});
        ds->calculateResults(0);
        QCOMPARE((QList<int>{ds->firstDataRow(), ds->lastDataRow()}), (QList<int>{3, 4}));
        QVERIFY(ds->hasData() && !ds->canAnalyseSwath());
        ds->setInput(5, ColWeight, QStringLiteral("1.5"));
        ds->calculateResults(5);
        QCOMPARE(ds->lastDataRow(), 5);
        QVERIFY(ds->canAnalyseSwath());
        // A text from a file edited elsewhere is no number: it reaches no result.
        enter(*ds, 2, {"abc", "1e40", "x", "3"});
        ds->calculateResults(0);
        QCOMPARE(computed(*ds, 2), (QStringList{"", "", "", ""}));
        QCOMPARE(ds->firstDataRow(), 3);
    }

    // The unit switch converts what is shown and recalculates every row; switched back, the
    // stored values are the ones entered, not converted twice.
    void unitRoundTripKeepsStoredValues()
    {
        auto ds = fresh(true, {0, 0.1f, -2.5f, 0.5f});
        ds->parameters().releaseHeight = 12.0f;
        ds->parameters().met = {2.0f, 25.0f, 8.0f, 45.0f, kNotEntered};
        ds->parameters().productRate = 11.2f;
        ds->applyUnits();
        enter(*ds, 1, {"2", {}, {}, {}});
        ds->calculateResults(1);
        const QStringList before = snapshot(*ds);
        QSignalSpy recalculated(ds.get(), &DataSet::recalculated);
        QVERIFY(!ds->switchUnits(true) && recalculated.isEmpty());
        QVERIFY(ds->switchUnits(false));
        QCOMPARE(recalculated.last(), (QVariantList{1, kInitialDataRows}));
        QCOMPARE(snapshot(*ds).mid(19, 15), (QStringList{"", "", "39.4", "", "1.0764", "-8.2", "1.64", "6.6", "77.0",
                                                         "5.0", "", "", "", "9.99", "1"}));
        QCOMPARE(shown(*ds, 1, ColDeposit), "178.441");
        QVERIFY(ds->switchUnits(true));
        QCOMPARE(snapshot(*ds), before);
    }

    // A reset empties everything but the sampler line, which comes from the settings.
    void clearDataSetResets()
    {
        auto ds = makeDataSet(true, fourPans());
        QSignalSpy reset(ds.get(), &DataSet::resetDone);
        ds->clearDataSet({0, 2.0f, -5.0f, 2.5f});
        QCOMPARE(reset.size(), 1);
        auto expected = fresh(true, {0, 2.0f, -5.0f, 2.5f});
        expected->setControlData({0, 0, 24.0f});
        QCOMPARE(snapshot(*ds), snapshot(*expected));
        QVERIFY(!ds->hasData());
        QCOMPARE(ds->fieldText(Field::OpeningArea) + ds->fieldText(Field::Separation), "2.02.5");
        QCOMPARE(cellText(*ds, 2, ColPosition), "-2.50");
    }
};

QTEST_GUILESS_MAIN(TestDataSet)
#include "tst_dataset.moc"
