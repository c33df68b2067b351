#include "core/dataset.h"
#include "graphics/recordingsurface.h"
#include "graphics/resultgraph.h"

#include <QtTest>

using namespace pellamar;
using namespace pellamar::graphics;

namespace {

bool near(double a, double b)
{
    return std::abs(a - b) < 1e-4 * std::max(1.0, std::abs(b));
}

// Pans from -20 m every 10 m with 1 m² openings; the input cells (weight, granules, larvae)
// in each of the rows.
void fill(DataSet& ds, const QList<int>& rows, const QStringList& cells, bool metric = true,
          int controlLarvae = 0)
{
    ds.applyUnits();
    ds.clearDataSet({0, 1.0f, -20.0f, 10.0f});
    ds.switchUnits(metric);
    ds.setControlData({static_cast<std::int16_t>(controlLarvae), 0, 24.0f});
    for (int row : rows) {
        for (int c = 0; c < cells.size(); ++c)
            ds.setCell(row, ColWeight + c, cells[c]);
    }
    ds.calculateResults(0);
}

} // namespace

class TestResultGraph : public QObject {
    Q_OBJECT
private slots:
    void graph_data();
    void graph();
    void emptyRowInsideRange();
    void controlNote();
    void nothingToDraw();
    void tooltip();
    void manyRows();
};

void TestResultGraph::graph_data()
{
    QTest::addColumn<QList<int>>("rows");
    QTest::addColumn<QStringList>("cells");
    QTest::addColumn<int>("option");
    QTest::addColumn<bool>("metric");
    QTest::addColumn<double>("marker"); // 0: not checked
    QTest::addColumn<QStringList>("labels");
    QTest::addColumn<int>("polygons");
    using L = QList<int>;
    using S = QStringList;
    QTest::newRow("deposit 0.04") << L{2, 4} << S{"0.004"} << 1 << true << 0.048
                                  << S{"-20", "10.0", "0.1"} << 2;
    QTest::newRow("deposit 3.7") << L{2, 4} << S{"0.37"} << 1 << true << 4.44
                                 << S{"-20", "10.0", "4.1"} << 2;
    QTest::newRow("cdf, -20 to 20 m")
        << L{1, 5} << S{"2"} << 2 << true << 1.1 << S{"-20", "20.0", "1"} << 4;
    QTest::newRow("gran/g below 1/1.1")
        << L{2, 4} << S{"2", "1"} << 4 << true << 0.6 << S{"-20", "10.0", "1"} << 2;
    QTest::newRow("single row") << L{3} << S{"2"} << 1 << true << 24.0 << S{"-20", "10.0", "22.0"}
                                << 0;
    QTest::newRow("larvae only") << L{2} << S{"", "", "10"} << 1 << true << 1.2
                                 << S{"-20", "0.0", "1.1"} << 0;
    QTest::newRow("U.S.") << L{1, 5} << S{"2"} << 1 << false << 0.0 << S{"-66", "65.6", "19.6"}
                          << 4;
}

void TestResultGraph::graph()
{
    QFETCH(QList<int>, rows);
    QFETCH(QStringList, cells);
    QFETCH(int, option);
    QFETCH(bool, metric);
    QFETCH(double, marker);
    DataSet ds;
    fill(ds, rows, cells, metric, 100);
    RecordingSurface surface(300, 120, 96);
    const ResultGraphResult r = drawResult(surface, ds, option);
    QVERIFY(r.enabled && r.labelsChanged && near(r.top, r.labels.y2.toDouble()));
    QCOMPARE(r.labels.y1, "0");
    QTEST((QStringList{r.labels.x1, r.labels.x2, r.labels.y2}), "labels");
    QTEST(int(surface.callsOf(Op::PolygonPixels).size()), "polygons");
    // The flight line, drawn whether or not it is visible.
    const auto lines = surface.callsOf(Op::Line);
    QCOMPARE(lines.size(), 1u);
    QCOMPARE(lines[0].color, QColor(255, 0, 0));
    QCOMPARE(lines[0].numbers[0] + lines[0].numbers[1] + lines[0].numbers[2], 0.0);
    QVERIFY(marker == 0.0 || near(lines[0].numbers[3], marker));
}

void TestResultGraph::emptyRowInsideRange()
{
    // Over -20..0 m; the bottom pixel row is two up. Deposit dips to 0, the cdf stays level.
    for (int option : {1, 2}) {
        DataSet ds;
        fill(ds, {1}, {"2"});
        ds.setCell(3, ColWeight, "4");
        ds.calculateResults(0);
        RecordingSurface surface(300, 120, 96);
        drawResult(surface, ds, option);
        const auto polygons = surface.callsOf(Op::PolygonPixels);
        QCOMPARE(polygons.size(), 2u);
        QCOMPARE(polygons[0].fillColor, QColor(125, 190, 255));
        const double v0 = 118 - (option == 1 ? 20.0 / 44.0 : 1.0 / 3.0) * 120;
        const std::vector<double> expected{0, 118, 0, v0, 150, option == 1 ? 118 : v0, 150, 118};
        for (std::size_t i = 0; i < expected.size(); ++i)
            QVERIFY(near(polygons[0].numbers[i], expected[i]));
    }
}

void TestResultGraph::controlNote()
{
    for (auto [option, control] : {std::pair{5, 0}, {5, 100}, {1, 0}}) {
        DataSet ds;
        fill(ds, {1, 5}, {"2"}, true, control);
        RecordingSurface surface(300, 120, 96);
        drawResult(surface, ds, option);
        const DrawCall* note = surface.findText("No control data entered");
        QCOMPARE(note != nullptr, option == 5 && control == 0);
        if (note) { // centred both ways
            const std::vector<double>& n = note->numbers;
            const QPointF a = surface.toPixels({n[0], n[1]});
            const QPointF b = surface.toPixels({n[0] + n[2], n[1] - n[3]});
            QVERIFY(near((a.x() + b.x()) / 2, 150) && near((a.y() + b.y()) / 2, 60));
        }
    }
}

void TestResultGraph::nothingToDraw()
{
    DataSet ds;
    fill(ds, {}, {});
    RecordingSurface surface(300, 120, 96);
    const ResultGraphResult r = drawResult(surface, ds, 1, kGraphFillColor, Qt::gray);
    QVERIFY(!r.enabled && !r.labelsChanged);
    QCOMPARE(r.left, -20.0);
    QCOMPARE(r.width, 490.0);
    QCOMPARE(surface.calls().size(), 1u); // the clear alone
    QCOMPARE(surface.calls()[0].color, QColor(Qt::gray));
}

void TestResultGraph::tooltip()
{
    const Units metric = Units::forSystem(true);
    QCOMPARE(resultTooltip(12.4, 3.46, metric, 1), " 12 m -- 3.5 kg/ha ");
    QCOMPARE(resultTooltip(-0.4, 0.5, metric, 2), " 0 m -- 0.5  ");
    QCOMPARE(resultTooltip(-12.5, 7, Units::forSystem(false), 3), " -13 ft -- 7.0 #/ft ² ");
}

// Ten thousand pans on 300 pixels: the trapezoids of one pixel column merge, but a single tall
// pan and a single empty one inside a column must still show, and the picture spans every pan.
void TestResultGraph::manyRows()
{
    DataSet ds;
    fill(ds, {}, {});
    ds.ensureDataRows(10000);
    for (int row = 1; row <= 10000; ++row)
        ds.setCell(row, ColWeight, row == 5010 ? "9" : row == 7010 ? "0" : "1");
    ds.calculateResults(0);
    RecordingSurface surface(300, 120, 96);
    drawResult(surface, ds, 1);
    const auto polygons = surface.callsOf(Op::PolygonPixels);
    QVERIFY(!polygons.empty());
    QVERIFY2(polygons.size() <= 300u, qPrintable(QString::number(polygons.size())));

    const double bottom = 118;
    double highest = bottom;
    int atBottom = 0; // tops inside the range that touch the bottom
    double previousRight = polygons.front().numbers[0];
    for (const auto& polygon : polygons) {
        const auto& n = polygon.numbers;
        QCOMPARE(n[0], previousRight); // no gap between neighbours
        previousRight = n[n.size() - 2];
        for (std::size_t i = 2; i + 2 < n.size(); i += 2) {
            highest = std::min(highest, n[i + 1]);
            atBottom += n[i + 1] == bottom ? 1 : 0;
        }
    }
    QCOMPARE(polygons.front().numbers[0], 0.0);
    QVERIFY2(near(previousRight, 300.0), qPrintable(QString::number(previousRight)));
    const double peak = bottom - std::abs(surface.scaleY(90.0, Unit::User, Unit::Pixel));
    QVERIFY2(near(highest, peak), qPrintable(QString::number(highest)));
    QVERIFY(atBottom >= 1);
}

QTEST_MAIN(TestResultGraph)
#include "tst_resultgraph.moc"
