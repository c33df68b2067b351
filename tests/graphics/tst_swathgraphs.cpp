#include "core/dataset.h"
#include "core/settings.h"
#include "graphics/recordingsurface.h"
#include "graphics/swathgraphs.h"

#include <QtTest>
#include <memory>

using namespace pellamar;
using namespace pellamar::graphics;
using pellamar::swath::Source;

namespace {

// On 600 × 400 px the COV plot spans x 30..570, y 250..350; the swath plot y 15..185.
struct Drawn {
    std::unique_ptr<DataSet> ds;
    swath::SwathRecord record;
    RecordingSurface surface{600, 400, 96};

    // Opening area 1 m²: a weight of w g deposits 10 × w kg/ha.
    Drawn(QStringList weights, float separation = 10, float position1 = 0, bool metric = true)
        : ds(std::make_unique<DataSet>(metric))
    {
        ds->applyUnits();
        SamplerSettings s;
        s.openingArea = 1;
        s.separation = separation;
        s.position1 = position1;
        ds->clearDataSet(s);
        ds->ensureDataRows(static_cast<int>(weights.size()));
        for (int i = 0; i < weights.size(); ++i)
            ds->setCell(i + 1, ColWeight, weights[i]);
        ds->calculateResults(0);
        swath::calculateSwathStats(record, *ds, Source::Deposit,
                                   swath::FlightPattern::BackAndForth);
        record.widthIndex = 1;
    }

    // Texts whose line box starts at the given top, as drawn; the first must centre on x = 30.
    QStringList textsAt(double top) const
    {
        QStringList texts;
        for (const DrawCall& call : surface.callsOf(Op::Text))
            if (call.numbers[1] == top &&
                (!texts.isEmpty() || call.numbers[0] + call.numbers[2] / 2 == 30))
                texts.append(call.text);
        return texts;
    }

    // The value beside the top right corner of the plot whose top edge is at plotTop.
    QString topValue(double plotTop) const
    {
        for (const DrawCall& call : surface.callsOf(Op::Text))
            if (call.numbers[0] == 577 && call.numbers[1] + call.numbers[3] / 2 == plotTop)
                return call.text;
        return {};
    }
};

QStringList even(int n)
{
    return QStringList(n, QStringLiteral("2"));
}

} // namespace

class TestSwathGraphs : public QObject {
    Q_OBJECT
private slots:
    void covGraph_data();
    void covGraph();
    void crowdedWidthLabels();
    void swathGraph_data();
    void swathGraph();
};

void TestSwathGraphs::covGraph_data()
{
    QTest::addColumn<int>("n");
    QTest::addColumn<float>("separation");
    QTest::addColumn<bool>("metric");
    QTest::addColumn<QList<float>>("cov");
    QTest::addColumn<QStringList>("labels");
    QTest::addColumn<QList<int>>("lefts");
    QTest::addColumn<QString>("top");

    const QList<int> three{24, 294, 564};
    const QStringList tens{"10", "20", "30"};
    QTest::newRow("10 m, all 0") << 4 << 10.0f << true << QList<float>{0, 0, 0} << tens << three
                                 << "1.0";
    QTest::newRow("2.5 m") << 4 << 2.5f << true << QList<float>{0.1f, 0.2f, 0.3f}
                           << QStringList{"2.5", "5.0", "7.5"} << three << "0.3";
    QTest::newRow("10 m in feet") << 3 << 10.0f << false << QList<float>{0.1f, 0.2f}
                                  << QStringList{"32.8", "65.6"} << QList<int>{24, 564} << "0.2";
    QTest::newRow("one width at the left edge") << 2 << 10.0f << true << QList<float>{0.05f}
                                                << QStringList{"10"} << QList<int>{24} << "0.1";
    QTest::newRow("0.42 rounds up")
        << 4 << 10.0f << true << QList<float>{0.42f, 0.1f, 0.2f} << tens << three << "0.5";
    QTest::newRow("0.4 stays") << 4 << 10.0f << true << QList<float>{0.1f, 0.4f, 0.2f} << tens
                               << three << "0.4";
    QTest::newRow("30 % above the plot")
        << 4 << 10.0f << true << QList<float>{0.2f, 0.15f, 0.1f} << tens << three << "0.2";
}

void TestSwathGraphs::covGraph()
{
    QFETCH(int, n);
    QFETCH(float, separation);
    QFETCH(bool, metric);
    QFETCH(QList<float>, cov);
    QFETCH(QStringList, labels);
    QFETCH(QList<int>, lefts);
    QFETCH(QString, top);

    Drawn d(even(n), separation, 0, metric);
    for (int i = 0; i < cov.size(); ++i)
        d.record.cov[i + 1] = cov[i];
    const CovGraphResult result = drawCovGraph(d.surface, *d.ds, d.record);

    QCOMPARE(QList<int>(result.optionLefts.begin(), result.optionLefts.end()), lefts);
    QCOMPARE(result.optionTop, 385);
    QCOMPARE(result.covLabel, QString::number(cov[0], 'f', 2));
    QCOMPARE(d.textsAt(357), labels);
    QCOMPARE(d.topValue(250), top);
    QVERIFY(d.surface.findText(metric ? "Swath Width (m)" : "Swath Width (ft)"));

    const double topValue = top.toDouble();
    const DrawCall thirty = d.surface.callsOf(Op::Line).front(); // light red, drawn first
    QCOMPARE(thirty.color, QColor(255, 150, 150));
    QCOMPARE(thirty.numbers,
             (std::vector<double>{30, 350 - 30 / topValue, 570, 350 - 30 / topValue}));
    const auto circles = d.surface.callsOf(Op::Circle);
    QCOMPARE(circles.size(), std::size_t(cov.size()));
    for (int i = 0; i < cov.size(); ++i)
        QCOMPARE(circles[std::size_t(i)].numbers[1], 350 - double(cov[i]) * 100 / topValue);
}

// Two hundred widths on a 540-pixel axis: labels that would overlap are left out, the first stays.
void TestSwathGraphs::crowdedWidthLabels()
{
    Drawn d(even(201));
    drawCovGraph(d.surface, *d.ds, d.record);
    double previousEnd = -1e9;
    int labels = 0;
    for (const DrawCall& call : d.surface.callsOf(Op::Text)) {
        if (call.numbers[1] != 357) {
            continue;
        }
        if (labels == 0) {
            QCOMPARE(call.text, QStringLiteral("10"));
        }
        QVERIFY2(call.numbers[0] > previousEnd, qPrintable(call.text));
        previousEnd = call.numbers[0] + call.numbers[2];
        ++labels;
    }
    QVERIFY2(labels >= 10 && labels < 200, qPrintable(QString::number(labels)));
}

void TestSwathGraphs::swathGraph_data()
{
    QTest::addColumn<QStringList>("weights");
    QTest::addColumn<float>("separation");
    QTest::addColumn<float>("position1");
    QTest::addColumn<bool>("metric"); // metric rows show the deposit, the others the density
    QTest::addColumn<QStringList>("labels");
    QTest::addColumn<QString>("top"); // empty: not examined

    // Swaths of 77 or 90 px: every flight line is labelled, then the far end of the block.
    QTest::newRow("wide") << even(4) << 10.0f << 0.0f << true
                          << QStringList{"0", "10", "20", "30", "40", "70"} << "";
    QTest::newRow("block 3.7, top 4.4") << QStringList{"0.37", "0", "0"} << 10.0f << 0.0f << true
                                        << QStringList{"0", "10", "20", "30", "40", "60"} << "4.4";
    QTest::newRow("block 0.05, top 1.0, feet")
        << QStringList{"0.005", "0", "0"} << 10.0f << 0.0f << false
        << QStringList{"0.0", "32.8", "65.6", "98.4", "131.2", "196.8"} << "1.0";
    QTest::newRow("left end") << even(4) << 10.0f << -20.0f << true
                              << QStringList{"-20", "0", "10", "20", "30", "40", "50"} << "";
    QTest::newRow("23.5 px, every second")
        << even(13) << 10.0f << 0.0f << true
        << QStringList{"0", "20", "40", "60", "80", "100", "230"} << "";
    QTest::newRow("9.8 px, every third")
        << even(29) << 10.0f << 0.0f << true
        << QStringList{"0", "30", "60", "90", "120", "150", "180", "210", "240", "270", "550"}
        << "";
}

void TestSwathGraphs::swathGraph()
{
    QFETCH(QStringList, weights);
    QFETCH(float, separation);
    QFETCH(float, position1);
    QFETCH(bool, metric);
    QFETCH(QStringList, labels);
    QFETCH(QString, top);

    Drawn d(weights, separation, position1, metric);
    d.record.mean[1] = 2.25f;
    d.record.max[1] = 3.75f;
    d.record.min[1] = 0.05f;
    const Source source = metric ? Source::Deposit : Source::Density;
    const SwathGraphResult result = drawSwathGraph(d.surface, *d.ds, d.record, source);

    QCOMPARE(d.textsAt(192), labels);
    if (!top.isEmpty())
        QCOMPARE(d.topValue(15), top);
    QCOMPARE(result.averageLabel, metric ? "2.3 kg/ha" : "2.3 #/ft \u00B2");
    QCOMPARE(result.maxMinLabel, "3.8 / 0.1");
    QCOMPARE(averageCaption(source), metric ? "Average Deposit:" : "Average Density:");
    QVERIFY(
        d.surface.findText(metric ? "Position Across Block (m)" : "Position Across Block (ft)"));
    // The treated block is light yellow, not the white of the clearing fill.
    const QColor yellow(255, 255, 220);
    const auto boxes = d.surface.callsOf(Op::Rectangle);
    QVERIFY(std::any_of(boxes.begin(), boxes.end(), [&](const DrawCall& call) {
        return call.color == yellow && call.fillColor == yellow;
    }));
}

QTEST_MAIN(TestSwathGraphs)
#include "tst_swathgraphs.moc"
