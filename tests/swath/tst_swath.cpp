#include "support.h"
#include "swath/analysis.h"
#include "swath/swath.h"
#include "swath/widthgroups.h"

#include <algorithm>
#include <numeric>
#include <random>

using namespace pellamar;
using namespace pellamar::swath;
using namespace pellamar::testing;

namespace {

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
    OverlapStats stats{0, 0, 0, 1000000.0f}; // cov, mean, max, min
    float sum = 0.0f, squares = 0.0f;
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
        const double sd = count > 1 ? double(static_cast<float>(std::sqrt(spread / (count * (count - 1))))) : 0.0;
        stats.cov = static_cast<float>(sd / double(stats.mean));
    }
    return stats;
}

QList<quint32> bits(const OverlapStats& s)
{
    return {std::bit_cast<quint32>(s.cov), std::bit_cast<quint32>(s.mean), std::bit_cast<quint32>(s.max),
            std::bit_cast<quint32>(s.min)};
}

} // namespace

class TestSwath : public QObject {
    Q_OBJECT
private slots:
    void overlapStatistics_data()
    {
        QTest::addColumn<QStringList>("densities");
        QTest::addColumn<bool>("racetrack");
        QTest::addColumn<float>("swathWidth");
        QTest::addColumn<int>("j");
        QTest::addColumn<QList<quint32>>("expected"); // cov, mean, max, min
        const auto row = [](const char* name, const QStringList& densities, bool racetrack, float swathWidth, int j,
                            const OverlapStats& expected) {
            QTest::newRow(name) << densities << racetrack << swathWidth << j << bits(expected);
        };
        row("racetrack j=1 is one point", {"1", "2", "4"}, true, 0, 1, {0, 7, 7, 7});
        row("symmetric back-and-forth j=1", {"1", "3", "1"}, false, 0, 1, {0, 5, 5, 5});
        row("all zero back-and-forth", {"0", "0", "0", "0"}, false, 0, 3, {0, 0, 0, 0});
        row("minimum starts at one million", {"2e6", "2e6", "2e6"}, true, 0, 1, {0, 6e6f, 6e6f, 1e6f});
        // Mimicked in Python with every product and sum rounded to single; any sum kept in
        // double, square rounded to single or the halves swapped would change the last bits.
        row("back-and-forth j=2 to the bit", {"1.63", "2.81", "1.36", "2.63", "2.5"}, false, 30, 2,
            {0.0274027102f, 3.64333367f, 3.74666667f, 3.5066669f});
    }
    void overlapStatistics()
    {
        QFETCH(QStringList, densities);
        QFETCH(bool, racetrack);
        QFETCH(float, swathWidth);
        QFETCH(int, j);
        QList<SampleRow> rows;
        for (const QString& count : densities) rows.append({{}, count, {}, {}}); // 1 m²: the count is the density
        auto ds = lineOfPans(rows);
        ds->parameters().swathWidth = swathWidth;
        SwathRecord r;
        calculateSwathStats(r, *ds, Source::Density,
                            racetrack ? FlightPattern::Racetrack : FlightPattern::BackAndForth);
        QTEST(bits({r.cov[j], r.mean[j], r.max[j], r.min[j]}), "expected");
        if (!racetrack && j == 1) { // the pass seen from the other side, then as measured
            const auto v = r.profile.values();
            QCOMPARE(QList<float>(v.begin(), v.end()), (QList<float>{1, 3, 1, 0, 1, 3, 1}));
        }
    }

    // Every width, both halves, to the bit, through the fast path (regrouped for speed, four
    // widths side by side) and the single-width one: neither may move a single rounding.
    void matchesPanByPanWalk_data()
    {
        QTest::addColumn<int>("n");
        QTest::addColumn<bool>("racetrack");
        for (int n : {2, 5, 9, 64, 301})
            for (bool racetrack : {true, false})
                QTest::addRow("n=%d %s", n, racetrack ? "racetrack" : "back-and-forth") << n << racetrack;
    }
    void matchesPanByPanWalk()
    {
        QFETCH(int, n);
        QFETCH(bool, racetrack);
        const float swathWidth = n % 2 ? 37.5f : 0.0f; // entered or not: both rate factors
        std::mt19937 random(static_cast<unsigned>(n));
        std::uniform_real_distribution<double> weight(0.0, 9.0);
        QList<double> grams;
        for (int i = 0; i < n; ++i) grams << std::round(weight(random) * 1000) / 1000;
        auto ds = lineOfPans(weights(grams));
        ds->parameters().swathWidth = swathWidth;
        const FlightPattern pattern = racetrack ? FlightPattern::Racetrack : FlightPattern::BackAndForth;
        SwathRecord record;
        calculateSwathStats(record, *ds, Source::Deposit, pattern);
        const SwathInputs inputs = SwathInputs::from(*ds);
        QCOMPARE(record.widthCount(), n - 1);
        float meanSum = 0;
        for (int j = 1; j < n; ++j) {
            const OverlapStats expected = walkPanByPan(record.profile, n, j, rateFactor(j, inputs), racetrack);
            QVERIFY2(bits({record.cov[j], record.mean[j], record.max[j], record.min[j]}) == bits(expected),
                     qPrintable(QStringLiteral("width %1").arg(j)));
            QCOMPARE(bits(overlapSwath(record, j, inputs, pattern)), bits(expected));
            QCOMPARE(record.overlap.size(), (racetrack ? 1 : 2) * j);
            meanSum += record.mean[j] * (swathWidth > 0 ? swathWidth / 10.0f : float(j));
        }
        // With a swath width entered every width spreads the same product: the mean stays.
        const double total = std::accumulate(grams.begin(), grams.end(), 0.0) * 10;
        QVERIFY(std::abs(meanSum / float(n - 1) - total) < 1e-3 * total);
    }

    // Widths in groups over several threads against one width at a time, to the bit, on random
    // pan lines with zeros, subnormal and huge values (squares past the single range) among them.
    void fastMatchesPlain_data()
    {
        QTest::addColumn<int>("n");
        QTest::addColumn<bool>("racetrack");
        QTest::addColumn<float>("swathWidth");
        QTest::addColumn<int>("threads");
        QTest::newRow("one group, one thread") << 97 << false << 0.0f << 1;
        QTest::newRow("racetrack, two threads") << 161 << true << 47.5f << 2;
        QTest::newRow("groups and a remainder") << 611 << false << 13.3f << 3;
        QTest::newRow("racetrack, as many as processors") << 1250 << true << 0.0f << 0;
        QTest::newRow("many groups, two threads") << 3001 << false << 95.0f << 2;
        QTest::newRow("rate factor past the single range") << 300 << false << 1e-37f << 2;
    }
    void fastMatchesPlain()
    {
        QFETCH(int, n);
        QFETCH(bool, racetrack);
        QFETCH(float, swathWidth);
        QFETCH(int, threads);
        std::mt19937 random(static_cast<unsigned>(n));
        std::uniform_real_distribution<float> value(0.0f, 60.0f);
        std::vector<float> pans;
        for (int i = 0; i < n; ++i) {
            const auto kind = random() % 20;
            pans.push_back(kind == 0 ? 0.0f : kind == 1 ? 1e-41f * value(random) : kind == 2 ? 3e19f : value(random));
        }
        SwathInputs inputs;
        inputs.firstDataRow = 1;
        inputs.lastDataRow = n;
        inputs.swathWidth = swathWidth;
        const FlightPattern pattern = racetrack ? FlightPattern::Racetrack : FlightPattern::BackAndForth;
        SwathRecord plain, fast;
        calculateSwathStatsPlain(plain, inputs, pans, pattern);
        QVERIFY(calculateSwathStats(fast, inputs, pans, pattern, {}, threads));
        QCOMPARE(fast.widthCount(), n - 1);
        for (int j = 1; j < n; ++j) {
            QVERIFY2(bits({fast.cov[j], fast.mean[j], fast.max[j], fast.min[j]}) ==
                         bits({plain.cov[j], plain.mean[j], plain.max[j], plain.min[j]}),
                     qPrintable(QStringLiteral("width %1").arg(j)));
        }
        const auto same = [](const BoundedArray& a, const BoundedArray& b) {
            return std::ranges::equal(a.values(), b.values(), [](float x, float y) { return sameBits(x, y); });
        };
        QVERIFY(same(fast.overlap, plain.overlap));
        QVERIFY(same(fast.profile, plain.profile));
        // Every instruction set this processor has, not only the one chosen.
        for (const auto kernel : detail::WidthGroups::kernels()) {
            const detail::WidthGroups groups(pans, pattern, inputs, kernel);
            std::array<OverlapStats, detail::WidthGroups::kWidths> stats;
            for (int j0 = 1; j0 < n; j0 += detail::WidthGroups::kWidths) {
                if (!groups.fits(j0)) continue;
                groups.compute(j0, stats.data());
                for (int l = 0; l < detail::WidthGroups::kWidths; ++l) {
                    const int j = j0 + l;
                    QVERIFY2(bits(stats[l]) == bits({plain.cov[j], plain.mean[j], plain.max[j], plain.min[j]}),
                             qPrintable(QStringLiteral("kernel %1, width %2").arg(int(kernel)).arg(j)));
                }
            }
        }
    }

    // A stop asked for while the threads work ends them all, told no more, and says so.
    void stopsWhenTold()
    {
        const std::vector<float> pans(2000, 1.0f);
        const SwathInputs inputs{1, 2000};
        QList<int> told;
        const auto progress = [&](int done, int total) {
            told << done << total;
            return told.size() < 6;
        };
        SwathRecord record;
        QVERIFY(!calculateSwathStats(record, inputs, pans, FlightPattern::BackAndForth, progress, 2));
        QCOMPARE(told.size(), 6);
        QCOMPARE(told.mid(0, 2), (QList<int>{0, 1999}));
        QVERIFY(told[2] > 0 && told[4] > told[2] && told[4] < 1999);
    }

    void selectSwathWidth_data()
    {
        QTest::addColumn<QList<float>>("cov");
        QTest::addColumn<int>("width");
        QTest::addColumn<bool>("found");
        QTest::newRow("crosses once") << QList<float>{0.1f, 0.2f, 0.35f, 0.5f} << 2 << true;
        QTest::newRow("never above") << QList<float>{0.1f, 0.2f, 0.25f, 0.28f} << 1 << false;
        QTest::newRow("widest crossing wins") << QList<float>{0.1f, 0.4f, 0.2f, 0.5f} << 3 << true;
        QTest::newRow("exactly 30 % is at most") << QList<float>{0.1f, 0.3f, 0.31f} << 2 << true;
        QTest::newRow("first above") << QList<float>{0.5f, 0.6f} << 1 << false;
        QTest::newRow("no width") << QList<float>{} << 1 << false;
    }
    void selectSwathWidth()
    {
        QFETCH(QList<float>, cov);
        BoundedArray a(1, static_cast<int>(cov.size()));
        for (int i = 1; i <= a.upper(); ++i) a[i] = cov[i - 1];
        const WidthChoice choice = swath::selectSwathWidth(a);
        QTEST(choice.width, "width");
        QTEST(choice.found, "found");
    }

    // The rule at every limit on one COV series; 0 where it finds no width.
    void effectiveSwaths_data()
    {
        QTest::addColumn<QList<float>>("cov");
        QTest::addColumn<QList<int>>("widths"); // at 10, 15, 20, 25 and 30 %
        QTest::newRow("rising") << QList<float>{0.05f, 0.12f, 0.18f, 0.25f, 0.3f, 0.42f} << QList<int>{1, 2, 3, 4, 5};
        QTest::newRow("dip after a rise") << QList<float>{0.02f, 0.22f, 0.14f, 0.16f} << QList<int>{1, 3, 1, 0, 0};
        QTest::newRow("never above some") << QList<float>{0.08f, 0.11f, 0.2f} << QList<int>{1, 2, 0, 0, 0};
        QTest::newRow("above from the start") << QList<float>{0.5f, 0.6f} << QList<int>{0, 0, 0, 0, 0};
    }
    void effectiveSwaths()
    {
        QFETCH(QList<float>, cov);
        BoundedArray a(1, static_cast<int>(cov.size()));
        for (int i = 1; i <= a.upper(); ++i) a[i] = cov[i - 1];
        const swath::EffectiveSwaths widths = swath::effectiveSwaths(a);
        QTEST(QList<int>(widths.begin(), widths.end()), "widths");
        QCOMPARE(swath::covLimit(30), 0.3f); // the classic rule's threshold to the bit
    }

    void block_data()
    {
        QTest::addColumn<QList<float>>("line"); // pan 1 in separations from the flight line, first row, pans, width
        QTest::addColumn<QList<int>>("shape");  // passes, near pans, far overhang, gap
        QTest::newRow("pan 1 on the flight line") << QList<float>{0, 1, 6, 2} << QList<int>{5, 0, 3, 0};
        QTest::newRow("more than five passes") << QList<float>{0, 1, 20, 3} << QList<int>{7, 0, 16, 0};
        QTest::newRow("line beyond the flight line") << QList<float>{2, 1, 4, 1} << QList<int>{5, 0, 4, 2};
        QTest::newRow("pans on the near side") << QList<float>{-3, 1, 8, 2} << QList<int>{5, 3, 2, 0};
        // The flight line half-way between two pans: unmended, the last pass ends past the block.
        QTest::newRow("half-way, first row 1") << QList<float>{-0.5f, 1, 5, 1} << QList<int>{5, 0, 3, 0};
        QTest::newRow("half-way, first row 2") << QList<float>{-1.5f, 2, 6, 2} << QList<int>{5, 0, 3, 0};
        QTest::newRow("half-way, line beyond") << QList<float>{-0.5f, 3, 5, 1} << QList<int>{5, 0, 5, 2};
        QTest::newRow("far beyond the flight line") << QList<float>{40000, 1, 3, 2} << QList<int>{5, 0, 32767, 32767};
        QTest::newRow("one pan") << QList<float>{0, 4, 1, 1} << QList<int>{5, 0, 2, 3};
        QTest::newRow("no data") << QList<float>{0, 4, 0, 1} << QList<int>{5, 1, 0, 0};
    }
    void block()
    {
        QFETCH(QList<float>, line);
        const int first = int(line[1]), n = int(line[2]), w = int(line[3]);
        QList<double> grams;
        for (int i = 1; i <= n; ++i) grams << i;
        const auto ds = lineOfPans(weights(grams), line[0] * 10, 10, true, first);
        SwathRecord record;
        calculateSwathStats(record, *ds, Source::Deposit, FlightPattern::BackAndForth);
        QCOMPARE(record.profile.upper(), n);
        const Block block = buildSwathBlock(record, w, SwathInputs::from(*ds));
        const BlockShape s = block.shape;
        QTEST((QList<int>{s.passes, s.nearPans, s.farOverhang, s.gap}), "shape");
        QCOMPARE(block.values.lower(), -s.nearPans);
        QCOMPARE(block.values.size(), s.span(w) + 1);
        QVERIFY((n - 1) - s.nearPans + s.gap + (s.passes - 1) * w <= block.values.upper());
        if (n > 0 && s.gap < 32767) QCOMPARE(block.values[s.gap - s.nearPans], 10.0f); // pan 1 of the first pass
        const auto values = block.values.values();
        const double total = std::accumulate(values.begin(), values.end(), 0.0);
        QCOMPARE(total, s.passes * 10.0 * n * (n + 1) / 2); // every pan of every pass landed
        // Back-and-forth turns every second pass round: the second pass starts with the last pan.
        const Block turned = buildSwathBlock(record, w, SwathInputs::from(*ds), FlightPattern::BackAndForth);
        if (const int b = s.gap - s.nearPans + w; n > w && s.gap < 32767)
            QCOMPARE(turned.values[b] - block.values[b], 10.0f * float(n - 1));
    }
};

QTEST_GUILESS_MAIN(TestSwath)
#include "tst_swath.moc"
