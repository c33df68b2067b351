#include "core/dataset.h"
#include "swath/swath.h"

#include <QTest>
#include <bit>
#include <memory>

using namespace pellamar;
using namespace pellamar::swath;

namespace {

constexpr float kSeparation = 10.0f;

// Pans from row `first` on, one text each in the column; opening area 1 m², so a weight of w g
// deposits 10 × w kg/ha and a granule count is the density.
std::unique_ptr<DataSet> lineOfPans(int first, const QStringList& texts, float position1 = 0.0f,
                                    float swathWidth = 0.0f, int column = ColWeight)
{
    auto ds = std::make_unique<DataSet>();
    ds->applyUnits();
    SamplerSettings s;
    s.openingArea = 1.0f;
    s.separation = kSeparation;
    s.position1 = position1;
    ds->clearDataSet(s);
    ds->parameters().swathWidth = swathWidth;
    for (int i = 0; i < texts.size(); ++i) {
        ds->setCell(first + i, column, texts[i]);
    }
    ds->calculateResults(0);
    return ds;
}

QStringList counting(int n)
{
    QStringList texts;
    for (int i = 1; i <= n; ++i) {
        texts << QString::number(i);
    }
    return texts;
}

double total(const BoundedArray& a)
{
    double sum = 0;
    for (float v : a.values()) {
        sum += double(v);
    }
    return sum;
}

// QCOMPARE on floats is fuzzy; the statistics must match to the bit.
quint32 bits(float v)
{
    return std::bit_cast<quint32>(v);
}

} // namespace

class TestSwath : public QObject {
    Q_OBJECT
private slots:
    void overlapStatistics_data();
    void overlapStatistics();
    void meanAcrossWidths_data();
    void meanAcrossWidths();
    void reversedProfile_data();
    void reversedProfile();
    void selectSwathWidth_data();
    void selectSwathWidth();
    void block_data();
    void block();
    void shortRanges_data();
    void shortRanges();
};

void TestSwath::overlapStatistics_data()
{
    QTest::addColumn<QList<float>>("profile");
    QTest::addColumn<bool>("racetrack");
    QTest::addColumn<float>("swathWidth");
    QTest::addColumn<int>("j");
    QTest::addColumn<QList<float>>("expected"); // cov, mean, max, min

    QTest::newRow("racetrack j=1 is one point")
        << QList<float>{1, 2, 4} << true << 0.0f << 1 << QList<float>{0, 7, 7, 7};
    QTest::newRow("symmetric back-and-forth j=1")
        << QList<float>{1, 3, 1} << false << 0.0f << 1 << QList<float>{0, 5, 5, 5};
    QTest::newRow("all zero racetrack")
        << QList<float>{0, 0, 0, 0} << true << 0.0f << 2 << QList<float>{0, 0, 0, 0};
    QTest::newRow("all zero back-and-forth")
        << QList<float>{0, 0, 0, 0} << false << 0.0f << 3 << QList<float>{0, 0, 0, 0};
    QTest::newRow("minimum starts at one million")
        << QList<float>{2e6f, 2e6f, 2e6f} << true << 0.0f << 1 << QList<float>{0, 6e6f, 6e6f, 1e6f};
    // Mimicked in Python with every product and sum rounded to single; any sum kept in
    // double, square rounded to single or the halves swapped would change the last bits.
    QTest::newRow("back-and-forth j=2 to the bit")
        << QList<float>{1.63f, 2.81f, 1.36f, 2.63f, 2.5f} << false << 3.0f << 2
        << QList<float>{0.0274027102f, 3.64333367f, 3.74666667f, 3.5066669f};
}

void TestSwath::overlapStatistics()
{
    QFETCH(QList<float>, profile);
    QFETCH(bool, racetrack);
    QFETCH(float, swathWidth);
    QFETCH(int, j);
    QFETCH(QList<float>, expected);

    const int n = static_cast<int>(profile.size());
    SwathRecord record;
    record.profile.resize(-n, n);
    for (int i = 1; i <= n; ++i) {
        record.profile[i] = record.profile[i - n - 1] = profile[i - 1];
    }
    SwathInputs inputs;
    inputs.separation = 1.0f;
    inputs.swathWidth = swathWidth;
    const OverlapStats s = overlapSwath(
        record, j, inputs, racetrack ? FlightPattern::Racetrack : FlightPattern::BackAndForth);
    QCOMPARE(record.overlap.size(), racetrack ? j : 2 * j);
    QCOMPARE(bits(s.cov), bits(expected[0]));
    QCOMPARE(bits(s.mean), bits(expected[1]));
    QCOMPARE(bits(s.max), bits(expected[2]));
    QCOMPARE(bits(s.min), bits(expected[3]));
}

void TestSwath::meanAcrossWidths_data()
{
    QTest::addColumn<float>("swathWidth");
    QTest::addColumn<bool>("racetrack");
    QTest::newRow("no width, racetrack") << 0.0f << true;
    QTest::newRow("no width, back-and-forth") << 0.0f << false;
    QTest::newRow("width, racetrack") << 25.0f << true;
    QTest::newRow("width, back-and-forth") << 25.0f << false;
}

void TestSwath::meanAcrossWidths()
{
    QFETCH(float, swathWidth);
    QFETCH(bool, racetrack);
    const QStringList weights{"0.3", "1.7", "2.9", "0.55", "1.2", "0.8", "2.1"};
    const auto ds = lineOfPans(2, weights, 0.0f, swathWidth);
    SwathRecord record;
    calculateSwathStats(record, *ds, Source::Deposit,
                        racetrack ? FlightPattern::Racetrack : FlightPattern::BackAndForth);
    QCOMPARE(record.widthCount(), int(weights.size()) - 1);

    double sum = 0;
    for (int i = 1; i <= record.profile.upper(); ++i) {
        sum += double(record.profile[i]);
    }
    for (int j = 1; j <= record.widthCount(); ++j) {
        const double expected = swathWidth > 0 ? kSeparation * sum / swathWidth : sum / j;
        // The mean is a single-precision sum grouped differently at every width, so it equals
        // the exact value only up to rounding: QCOMPARE's relative fuzz is meant here.
        QCOMPARE(record.mean[j], static_cast<float>(expected));
    }
}

void TestSwath::reversedProfile_data()
{
    QTest::addColumn<int>("source");
    QTest::addColumn<int>("column");
    QTest::addColumn<float>("scale");
    QTest::newRow("deposit") << int(Source::Deposit) << int(ColWeight) << 10.0f;
    QTest::newRow("density") << int(Source::Density) << int(ColGranules) << 1.0f;
}

void TestSwath::reversedProfile()
{
    QFETCH(int, source);
    QFETCH(int, column);
    QFETCH(float, scale);
    const auto ds = lineOfPans(1, {"1", "2", "4"}, 0.0f, 0.0f, column);
    SwathRecord record;
    calculateSwathStats(record, *ds, static_cast<Source>(source), FlightPattern::BackAndForth);
    QCOMPARE(record.profile.lower(), -3);
    const QList<float> expected{1, 2, 4, 0, 1, 2, 4};
    for (int i = -3; i <= 3; ++i) {
        QCOMPARE(record.profile[i], scale * expected[i + 3]);
    }
}

void TestSwath::selectSwathWidth_data()
{
    QTest::addColumn<QList<float>>("cov");
    QTest::addColumn<int>("width");
    QTest::addColumn<bool>("found");
    QTest::newRow("crosses once") << QList<float>{0.1f, 0.2f, 0.35f, 0.5f} << 2 << true;
    QTest::newRow("never above") << QList<float>{0.1f, 0.2f, 0.25f, 0.28f} << 1 << false;
    QTest::newRow("widest crossing wins") << QList<float>{0.1f, 0.4f, 0.2f, 0.5f} << 3 << true;
    QTest::newRow("exactly 30 % is at most") << QList<float>{0.1f, 0.3f, 0.31f} << 2 << true;
    QTest::newRow("above from the start") << QList<float>{0.4f, 0.5f} << 1 << false;
}

void TestSwath::selectSwathWidth()
{
    QFETCH(QList<float>, cov);
    QFETCH(int, width);
    QFETCH(bool, found);
    BoundedArray a(1, static_cast<int>(cov.size()));
    for (int i = 1; i <= a.upper(); ++i) {
        a[i] = cov[i - 1];
    }
    const WidthChoice choice = swath::selectSwathWidth(a);
    QCOMPARE(choice.width, width);
    QCOMPARE(choice.found, found);
}

void TestSwath::block_data()
{
    QTest::addColumn<float>("position1"); // in separations
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("n");
    QTest::addColumn<int>("w");
    QTest::addColumn<int>("passes");
    QTest::addColumn<int>("off1");
    QTest::addColumn<int>("off3");
    QTest::newRow("pan 1 on the flight line") << 0.0f << 1 << 6 << 2 << 5 << 0 << 0;
    QTest::newRow("more than five passes") << 0.0f << 1 << 20 << 1 << 19 << 0 << 0;
    QTest::newRow("line beyond the flight line") << 2.0f << 1 << 4 << 1 << 5 << 0 << 2;
    QTest::newRow("pans on the near side") << -3.0f << 1 << 8 << 2 << 5 << 3 << 0;
    // The flight line half-way between two pans: unmended, the last pass ends past the block.
    QTest::newRow("half-way, first row 1") << -0.5f << 1 << 5 << 1 << 5 << 0 << 0;
    QTest::newRow("half-way, first row 2") << -1.5f << 2 << 6 << 2 << 5 << 0 << 0;
    QTest::newRow("half-way, line beyond") << -0.5f << 3 << 5 << 1 << 5 << 0 << 2;
}

void TestSwath::block()
{
    QFETCH(float, position1);
    QFETCH(int, first);
    QFETCH(int, n);
    QFETCH(int, w);
    QFETCH(int, passes);
    QFETCH(int, off1);
    QFETCH(int, off3);
    const auto ds = lineOfPans(first, counting(n), position1 * kSeparation);
    SwathRecord record;
    calculateSwathStats(record, *ds, Source::Deposit, FlightPattern::Racetrack);
    const BlockShape shape = buildSwathBlock(record.block, record, w, SwathInputs::from(*ds));

    QCOMPARE(int(shape.passes), passes);
    QCOMPARE(int(shape.off1), off1);
    QCOMPARE(int(shape.off3), off3);
    QCOMPARE(record.block.lower(), -off1);
    QCOMPARE(record.block.size(), shape.span(w) + 1);
    QVERIFY((n - 1) - off1 + off3 + (passes - 1) * w <= record.block.upper());
    QCOMPARE(record.block[off3 - off1], 10.0f);
    QCOMPARE(total(record.block), passes * 10.0 * n * (n + 1) / 2);
}

void TestSwath::shortRanges_data()
{
    QTest::addColumn<int>("n");
    QTest::newRow("no data") << 0;
    QTest::newRow("one pan") << 1;
    QTest::newRow("two pans") << 2;
}

void TestSwath::shortRanges()
{
    QFETCH(int, n);
    const auto ds = lineOfPans(4, counting(n));
    for (FlightPattern pattern : {FlightPattern::Racetrack, FlightPattern::BackAndForth}) {
        SwathRecord record;
        calculateSwathStats(record, *ds, Source::Deposit, pattern);
        QCOMPARE(record.widthCount(), std::max(0, n - 1));
        QCOMPARE(record.mean.size(), record.widthCount());
        const WidthChoice choice = swath::selectSwathWidth(record.cov);
        QCOMPARE(choice.width, 1);
        QVERIFY(!choice.found);
        const BlockShape shape = buildSwathBlock(record.block, record, 1, SwathInputs::from(*ds));
        QCOMPARE(int(shape.passes), 5);
        QCOMPARE(total(record.block), 5 * 10.0 * n * (n + 1) / 2);
    }
}

QTEST_GUILESS_MAIN(TestSwath)
#include "tst_swath.moc"
