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
    void rowResults_data()
    {
        QTest::addColumn<bool>("metric");
        QTest::addColumn<QList<int>>("control"); // larvae, dead
        QTest::addColumn<SampleRow>("pan");
        QTest::addColumn<QStringList>("cells");
        QTest::addColumn<QList<float>>("values"); // deposit, cumulative, density, granules/g, mortality
        const auto row = [](const char* name, bool metric, QList<int> control, SampleRow pan, QStringList cells,
                            QList<float> values) {
            QTest::newRow(name) << metric << control << pan << cells << values;
        };
        // clang-format off
        row("metric", true, {0, 0}, {"2", "50", "", ""}, {"200.000", "500.000", "25.00", ""}, {200, 1, 500, 25, 0});
        row("us", false, {0, 0}, {"2", "50", "", ""}, {"178.441", "46.453", "25.00", ""}, {178.44109f, 1, 46.452644f, 25, 0});
        // Without any deposit there is no fraction of it, not 0 / 0.
        row("zero weight", true, {0, 0}, {"0", "50", "", ""}, {"0.000", "500.000", "", ""}, {0, 0, 500, 0, 0});
        row("granules only", true, {0, 0}, {"", "50", "", ""}, {"", "500.000", "", ""}, {0, 0, 500, 0, 0});
        row("abbott", true, {20, 2}, {"1", "", "20", "10"}, {"100.000", "", "", "44.44"}, {100, 1, 0, 0, 44.444443f});
        row("below control clamps to 0", true, {20, 10}, {"1", "", "20", "2"}, {"100.000", "", "", "0.00"}, {100, 1, 0, 0, 0});
        row("more dead than larvae", true, {20, 0}, {"1", "", "10", "15"}, {"100.000", "", "", "150.00"}, {100, 1, 0, 0, 150});
        row("no larvae in pan", true, {20, 2}, {"", "", "0", "0"}, {"", "", "", "0.00"}, {0, 0, 0, 0, 0});
        row("fraction rounds half to even", true, {20, 0}, {"1", "", "2.5", "2"}, {"100.000", "", "", "100.00"}, {100, 1, 0, 0, 100});
        row("no control data", true, {0, 0}, {"1", "", "20", "10"}, {"100.000", "", "", ""}, {100, 1, 0, 0, 0});
        row("every control larva dead", true, {20, 20}, {"1", "", "20", "10"}, {"100.000", "", "", ""}, {100, 1, 0, 0, 0});
        row("dead missing", true, {20, 2}, {"1", "", "20", ""}, {"100.000", "", "", ""}, {100, 1, 0, 0, 0});
        // clang-format on
    }
    void rowResults()
    {
        QFETCH(bool, metric);
        QFETCH(QList<int>, control);
        QFETCH(SampleRow, pan);
        auto ds = fresh(metric);
        ds->setControlData({std::int16_t(control[0]), std::int16_t(control[1]), 24.0f});
        enterRow(*ds, 3, pan);
        ds->calculateResults(3);
        QTEST(computed(*ds, 3), "cells");
        const auto& values = ds->result(3).v;
        QTEST(QList<float>(values.begin(), values.end()), "values");
    }

    void positionColumn_data()
    {
        QTest::addColumn<bool>("metric");
        QTest::addColumn<QList<float>>("line");     // pan 1, separation
        QTest::addColumn<QStringList>("positions"); // of pans 1 to 3, then the position fields' format
        QTest::newRow("half metres") << true << QList<float>{0, 0.5f} << QStringList{"0.00", "0.50", "1.00", "0.0"};
        QTest::newRow("negative start") << true << QList<float>{-20, 10} << QStringList{"-20", "-10", "0", "0"};
        QTest::newRow("feet") << false << QList<float>{0, 10} << QStringList{"0.00", "32.81", "65.62", "0.0"};
        // 0.005 m is 0.00 to two decimals: the third decimal is not looked at.
        QTest::newRow("third decimal ignored") << true << QList<float>{0, 1.005f} << QStringList{"0", "1", "2", "0"};
    }
    void positionColumn()
    {
        QFETCH(bool, metric);
        QFETCH(QList<float>, line);
        auto ds = fresh(metric, {0, 1.0f, line[0], line[1]});
        QTEST((QStringList{cellText(*ds, 1, 0), cellText(*ds, 2, 0), cellText(*ds, 3, 0), ds->positionFormat()}),
              "positions");
    }

    // A commit recalculates its row only; totals, fractions and the data range span the grid.
    // Larvae alone and texts that are no numbers are no sample data; swath analysis needs a span
    // of at least three pans.
    void dataRange()
    {
        auto ds = fresh();
        enterRow(*ds, 1, {"1", {}, {}, {}});
        enterRow(*ds, 2, {"abc", "1e40", "x", "3"}); // from a file edited elsewhere
        enterRow(*ds, 3, {"3", "60", {}, {}});
        enterRow(*ds, 4, {{}, "7", {}, {}});
        enterRow(*ds, 9, {{}, {}, "20", {}});
        QSignalSpy recalculated(ds.get(), &DataSet::recalculated);
        QSignalSpy inserted(ds.get(), &DataSet::rowsInserted);
        ds->calculateResults(3);
        QCOMPARE(recalculated.takeFirst(), (QVariantList{3, 3}));
        QCOMPARE(computed(*ds, 1), (QStringList{"", "", "", ""}));
        QCOMPARE(computed(*ds, 3), (QStringList{"300.000", "600.000", "20.00", ""}));
        for (int row = 1; row <= 5; ++row)
            QCOMPARE(ds->result(row).value(Result::CumulativeDeposit), (QList<float>{0.25f, 0.25f, 1, 1, 1}[row - 1]));
        QCOMPARE((QList<int>{ds->firstDataRow(), ds->lastDataRow()}), (QList<int>{1, 4}));
        ds->calculateResults(2);
        QCOMPARE(computed(*ds, 2), (QStringList{"", "", "", ""}));
        // Removing every weight by single-row commits leaves no deposit anywhere.
        for (int row : {1, 3}) {
            ds->setInput(row, ColWeight, QString());
            ds->calculateResults(row);
        }
        QCOMPARE(ds->result(4).value(Result::CumulativeDeposit), 0.0f);
        QCOMPARE((QList<int>{ds->firstDataRow(), ds->lastDataRow()}), (QList<int>{3, 4}));
        QVERIFY(ds->hasData() && !ds->canAnalyseSwath());
        ds->setInput(5, ColWeight, QStringLiteral("1.5"));
        ds->calculateResults(5);
        QCOMPARE(ds->lastDataRow(), 5);
        QVERIFY(ds->canAnalyseSwath());
        // Recalculating grows no row: an entry in the last row does (as the grid's own tests show).
        for (int row : {0, 2, kInitialDataRows - 1}) ds->calculateResults(row);
        QCOMPARE(ds->dataRowCount(), kInitialDataRows);
        QVERIFY(inserted.isEmpty());
    }

    // An opening area of 0 or a separation of 0 or less would divide by 0: nothing is touched.
    void guardLeavesEverythingUntouched()
    {
        for (auto [area, separation] : {std::pair{0.0f, 10.0f}, {1.0f, 0.0f}, {1.0f, -1.0f}}) {
            auto ds = fresh();
            enterRow(*ds, 1, {"2", "50", {}, {}});
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

    // The unit switch converts what is shown and recalculates every row; switched back, the
    // stored values are the ones entered, not converted twice.
    void unitRoundTripKeepsStoredValues()
    {
        auto ds = makeDataSet(true, {{"2", {}, "20", "10"}});
        const QStringList before = snapshot(*ds);
        QSignalSpy recalculated(ds.get(), &DataSet::recalculated);
        QVERIFY(!ds->switchUnits(true) && recalculated.isEmpty());
        QVERIFY(ds->switchUnits(false));
        QCOMPARE(recalculated.last(), (QVariantList{1, kInitialDataRows}));
        QCOMPARE(snapshot(*ds).mid(19, 15),
                 (QStringList{"Vector Control, North", "AT-402", "39.4", "98.4", "1.0764", "-32.81", "32.81", "6.6",
                              "77.0", "5.0", "90.0", "", "Granule G", "9.99", "1"}));
        QCOMPARE(computed(*ds, 1), (QStringList{"178.441", "", "", "44.44"}));
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
    }
};

QTEST_GUILESS_MAIN(TestDataSet)
#include "tst_dataset.moc"
