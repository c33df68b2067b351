#include "core/dataset.h"
#include "swath/swath.h"

#include <QTest>
#include <bit>
#include <cmath>
#include <memory>
#include <numeric>
#include <random>

using namespace pellamar;
using namespace pellamar::swath;

namespace {

constexpr float kSeparation = 10.0f;

// Pans 1..n (texts "1".."n" unless given) from row `first` on. Opening area 1 m²: a weight of
// w g deposits 10 × w kg/ha and a granule count is the density.
std::unique_ptr<DataSet> lineOfPans(int first, int n, float position1 = 0.0f,
                                    float swathWidth = 0.0f, QStringList texts = {})
{
    auto ds = std::make_unique<DataSet>();
    ds->applyUnits();
    SamplerSettings s;
    s.openingArea = 1.0f;
    s.separation = kSeparation;
    s.position1 = position1;
    ds->clearDataSet(s);
    ds->parameters().swathWidth = swathWidth;
    ds->ensureDataRows(first + n);
    for (int i = 0; i < n; ++i) {
        ds->setCell(first + i, texts.isEmpty() ? ColWeight : ColGranules,
                    texts.isEmpty() ? QString::number(i + 1) : texts[i]);
    }
    ds->calculateResults(0);
    return ds;
}

// The overlap as first written down: pan by pan, each scaled value rounded to single and added
// in walking order, the sums of x and x² rounded to single after every step.
OverlapStats walkPanByPan(const BoundedArray& profile, int n, int j, float f, bool racetrack)
{
    const int sign = racetrack ? 1 : -1;
    const int halves = racetrack ? 1 : 2;
    std::vector<float> points(static_cast<std::size_t>(halves * j), 0.0f);
    for (int k = 0; k < halves; ++k) {
        for (int m = 1; m <= j; ++m) {
            int s = k == 0 ? sign : 1;
            for (int q = m; q <= n; q += j) {
                s *= sign;
                points[static_cast<std::size_t>(k * j + m - 1)] +=
                    static_cast<float>(double(f) * double(profile[s * q]));
            }
        }
    }
    OverlapStats stats;
    stats.min = 1000000.0f;
    float sum = 0.0f;
    float squares = 0.0f;
    for (float v : points) {
        stats.max = std::max(stats.max, v);
        stats.min = std::min(stats.min, v);
        sum += v;
        squares = static_cast<float>(double(squares) + double(v) * double(v));
    }
    const double count = static_cast<double>(points.size());
    stats.mean = static_cast<float>(double(sum) / count);
    if (stats.mean > 0) {
        const double spread = std::abs(count * squares - double(sum) * double(sum));
        const double sd =
            count > 1 ? double(static_cast<float>(std::sqrt(spread / (count * (count - 1))))) : 0.0;
        stats.cov = static_cast<float>(sd / double(stats.mean));
    }
    return stats;
}

} // namespace

class TestSwath : public QObject {
    Q_OBJECT
private slots:
    void overlapStatistics_data();
    void overlapStatistics();
    void meanAcrossWidths();
    void reversedProfile();
    void matchesPanByPanWalk_data();
    void matchesPanByPanWalk();
    void selectSwathWidth_data();
    void selectSwathWidth();
    void block_data();
    void block();
};

void TestSwath::overlapStatistics_data()
{
    QTest::addColumn<QStringList>("densities");
    QTest::addColumn<bool>("racetrack");
    QTest::addColumn<float>("swathWidth");
    QTest::addColumn<int>("j");
    QTest::addColumn<QList<float>>("expected"); // cov, mean, max, min

    QTest::newRow("racetrack j=1 is one point")
        << QStringList{"1", "2", "4"} << true << 0.0f << 1 << QList<float>{0, 7, 7, 7};
    QTest::newRow("symmetric back-and-forth j=1")
        << QStringList{"1", "3", "1"} << false << 0.0f << 1 << QList<float>{0, 5, 5, 5};
    QTest::newRow("all zero racetrack")
        << QStringList{"0", "0", "0", "0"} << true << 0.0f << 2 << QList<float>{0, 0, 0, 0};
    QTest::newRow("all zero back-and-forth")
        << QStringList{"0", "0", "0", "0"} << false << 0.0f << 3 << QList<float>{0, 0, 0, 0};
    QTest::newRow("minimum starts at one million")
        << QStringList{"2e6", "2e6", "2e6"} << true << 0.0f << 1
        << QList<float>{0, 6e6f, 6e6f, 1e6f};
    // Mimicked in Python with every product and sum rounded to single; any sum kept in
    // double, square rounded to single or the halves swapped would change the last bits.
    QTest::newRow("back-and-forth j=2 to the bit")
        << QStringList{"1.63", "2.81", "1.36", "2.63", "2.5"} << false << 30.0f << 2
        << QList<float>{0.0274027102f, 3.64333367f, 3.74666667f, 3.5066669f};
}

void TestSwath::overlapStatistics()
{
    QFETCH(QStringList, densities);
    QFETCH(bool, racetrack);
    QFETCH(float, swathWidth);
    QFETCH(int, j);
    QFETCH(QList<float>, expected);
    const auto ds = lineOfPans(1, static_cast<int>(densities.size()), 0.0f, swathWidth, densities);
    SwathRecord r;
    calculateSwathStats(r, *ds, Source::Density,
                        racetrack ? FlightPattern::Racetrack : FlightPattern::BackAndForth);
    const QList<float> actual{r.cov[j], r.mean[j], r.max[j], r.min[j]};
    for (int i = 0; i < 4; ++i) { // bit patterns, since QCOMPARE on floats is fuzzy
        QCOMPARE(std::bit_cast<quint32>(actual[i]), std::bit_cast<quint32>(expected[i]));
    }
}

void TestSwath::meanAcrossWidths()
{
    for (float swathWidth : {0.0f, 25.0f}) {
        const auto ds = lineOfPans(2, 7, 0.0f, swathWidth); // deposits 10..70, sum 280
        for (FlightPattern pattern : {FlightPattern::Racetrack, FlightPattern::BackAndForth}) {
            SwathRecord record;
            calculateSwathStats(record, *ds, Source::Deposit, pattern);
            QCOMPARE(record.widthCount(), 6);
            for (int j = 1; j <= 6; ++j) {
                // Each width sums its points in a different order, so the mean is the exact
                // value only up to rounding: QCOMPARE's relative fuzz is meant here.
                QCOMPARE(record.mean[j],
                         swathWidth > 0 ? 280 * kSeparation / swathWidth : 280.0f / float(j));
            }
        }
    }
}

void TestSwath::reversedProfile()
{
    const auto ds = lineOfPans(1, 3, 0.0f, 0.0f, {"1", "2", "4"});
    SwathRecord record;
    calculateSwathStats(record, *ds, Source::Density, FlightPattern::BackAndForth);
    QCOMPARE(record.profile.lower(), -3);
    const auto values = record.profile.values();
    QCOMPARE(QList<float>(values.begin(), values.end()), (QList<float>{1, 2, 4, 0, 1, 2, 4}));
}

void TestSwath::matchesPanByPanWalk_data()
{
    QTest::addColumn<int>("n");
    QTest::addColumn<float>("swathWidth");
    QTest::addColumn<bool>("racetrack");
    for (int n : {2, 5, 9, 64, 301}) {
        for (bool racetrack : {true, false}) {
            for (float width : {0.0f, 37.5f}) {
                QTest::addRow("n=%d %s width %g", n, racetrack ? "racetrack" : "back-and-forth",
                              double(width))
                    << n << width << racetrack;
            }
        }
    }
}

// Every width, both halves, to the bit: the fast path regroups the walk for speed and must not
// move a single rounding.
void TestSwath::matchesPanByPanWalk()
{
    QFETCH(int, n);
    QFETCH(float, swathWidth);
    QFETCH(bool, racetrack);
    std::mt19937 random(static_cast<unsigned>(n));
    std::uniform_real_distribution<double> weight(0.0, 9.0);
    QStringList weights;
    for (int i = 0; i < n; ++i) {
        weights << QString::number(weight(random), 'f', 3);
    }
    auto ds = lineOfPans(1, n, 0.0f, swathWidth);
    for (int i = 0; i < n; ++i) {
        ds->setCell(1 + i, ColWeight, weights[i]);
    }
    ds->calculateResults(0);
    const FlightPattern pattern =
        racetrack ? FlightPattern::Racetrack : FlightPattern::BackAndForth;
    SwathRecord record;
    calculateSwathStats(record, *ds, Source::Deposit, pattern);
    const SwathInputs inputs = SwathInputs::from(*ds);
    QCOMPARE(record.widthCount(), n - 1);
    for (int j = 1; j < n; ++j) {
        const OverlapStats expected =
            walkPanByPan(record.profile, n, j, rateFactor(j, inputs), racetrack);
        const QList<float> actual{record.cov[j], record.mean[j], record.max[j], record.min[j]};
        const QList<float> wanted{expected.cov, expected.mean, expected.max, expected.min};
        for (int i = 0; i < 4; ++i) {
            QVERIFY2(std::bit_cast<quint32>(actual[i]) == std::bit_cast<quint32>(wanted[i]),
                     qPrintable(QStringLiteral("width %1, statistic %2").arg(j).arg(i)));
        }
        const OverlapStats single = overlapSwath(record, j, inputs, pattern);
        QCOMPARE(std::bit_cast<quint32>(single.cov), std::bit_cast<quint32>(expected.cov));
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
    QTest::newRow("one width") << QList<float>{0.5f} << 1 << false;
    QTest::newRow("no width") << QList<float>{} << 1 << false;
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
    QTest::addColumn<QList<int>>("shape"); // passes, off1, off3
    QTest::newRow("pan 1 on the flight line") << 0.0f << 1 << 6 << 2 << QList<int>{5, 0, 0};
    QTest::newRow("more than five passes") << 0.0f << 1 << 20 << 3 << QList<int>{7, 0, 0};
    QTest::newRow("line beyond the flight line") << 2.0f << 1 << 4 << 1 << QList<int>{5, 0, 2};
    QTest::newRow("pans on the near side") << -3.0f << 1 << 8 << 2 << QList<int>{5, 3, 0};
    // The flight line half-way between two pans: unmended, the last pass ends past the block.
    QTest::newRow("half-way, first row 1") << -0.5f << 1 << 5 << 1 << QList<int>{5, 0, 0};
    QTest::newRow("half-way, first row 2") << -1.5f << 2 << 6 << 2 << QList<int>{5, 0, 0};
    QTest::newRow("half-way, line beyond") << -0.5f << 3 << 5 << 1 << QList<int>{5, 0, 2};
    QTest::newRow("two pans") << 0.0f << 4 << 2 << 1 << QList<int>{5, 0, 3};
    QTest::newRow("one pan") << 0.0f << 4 << 1 << 1 << QList<int>{5, 0, 3};
    QTest::newRow("no data") << 0.0f << 4 << 0 << 1 << QList<int>{5, 1, 0};
}

void TestSwath::block()
{
    QFETCH(float, position1);
    QFETCH(int, first);
    QFETCH(int, n);
    QFETCH(int, w);
    QFETCH(QList<int>, shape);
    const auto ds = lineOfPans(first, n, position1 * kSeparation);
    SwathRecord record;
    calculateSwathStats(record, *ds, Source::Deposit, FlightPattern::BackAndForth);
    QCOMPARE(record.profile.upper(), n);
    QCOMPARE(record.widthCount(), std::max(0, n - 1));
    const BlockShape s = buildSwathBlock(record.block, record, w, SwathInputs::from(*ds));

    QCOMPARE((QList<int>{s.passes, s.off1, s.off3}), shape);
    QCOMPARE(record.block.lower(), -s.off1);
    QCOMPARE(record.block.size(), s.span(w) + 1);
    QVERIFY((n - 1) - s.off1 + s.off3 + (s.passes - 1) * w <= record.block.upper());
    if (n > 0) {
        QCOMPARE(record.block[s.off3 - s.off1], 10.0f); // pan 1 of the first pass
    }
    const auto values = record.block.values();
    const double total = std::accumulate(values.begin(), values.end(), 0.0);
    QCOMPARE(total, s.passes * 10.0 * n * (n + 1) / 2); // every pan of every pass landed
}

QTEST_GUILESS_MAIN(TestSwath)
#include "tst_swath.moc"
