#include "core/dataset.h"
#include "graphics/recordingsurface.h"
#include "report/report.h"

#include <QtTest>
#include <memory>

using namespace pellamar;
using namespace pellamar::graphics;
using namespace pellamar::report;
using S = QStringList;

namespace {

bool near(double a, double b, double tolerance = 1e-6)
{
    return std::abs(a - b) < tolerance;
}

// One pan per weight from position1 every 10 m, 1 m² openings: w g deposits 10 × w kg/ha.
// Every pan holds 100 larvae with `dead` of them dead.
std::unique_ptr<DataSet> dataSet(const QList<double>& weights, bool metric = true,
                                 float position1 = 0, int controlLarvae = 10, int dead = 0)
{
    auto ds = std::make_unique<DataSet>(true);
    ds->applyUnits();
    ds->clearDataSet({0, 1.0f, position1, 10.0f});
    ds->switchUnits(metric);
    ds->setControlData({static_cast<std::int16_t>(controlLarvae), 0, 24.0f});
    for (int i = 0; i < weights.size(); ++i) {
        ds->setCell(i + 1, ColWeight, QString::number(weights[i]));
        ds->setCell(i + 1, ColLarvae, "100");
        ds->setCell(i + 1, ColDead, QString::number(dead));
    }
    ds->calculateResults(0);
    return ds;
}

QList<double> peak(int pans)
{
    const double shape[] = {0.1, 0.5, 1, 2, 3, 3.5, 3, 2, 1, 0.5, 0.2, 0.1};
    QList<double> weights;
    for (int i = 0; i < pans; ++i)
        weights.append(shape[i % 12]);
    return weights;
}

// A letter-sized page at the given resolution.
struct Page {
    RecordingSurface surface;
    QStringList captions;
    bool ok = false;
    Page(const DataSet& ds, bool toPrinter, int page, int dpi = 96,
         datafile::SwathChoice choice = {})
        : surface(static_cast<int>(8.5 * dpi), 11 * dpi, dpi)
    {
        ok = printReport(surface, toPrinter, page, {ds, choice}, nullptr,
                         [this](const QString& c) { captions.append(c); });
    }
    QStringList textsWhere(const std::function<bool(const DrawCall&)>& take) const
    {
        QStringList out;
        for (const DrawCall& c : surface.callsOf(Op::Text))
            if (take(c))
                out.append(c.text);
        return out;
    }
};

} // namespace

struct ParameterCase {
    bool metric;
    Field field;
    QString text, label;
    QString next;      // the value with its suffix, or the next label
    QString reference; // the block's longest label
};
Q_DECLARE_METATYPE(ParameterCase)

struct ResultCase {
    QList<double> weights;
    int dead = 0;
    int controlLarvae = 10;
    bool metric = true;
    float position1 = 0;
    QStringList tops;  // graphs 1 to 5
    QStringList texts; // in this order, others between them
    double markX = 0;  // 0: no flight-line marks
};
Q_DECLARE_METATYPE(ResultCase)

struct SwathCase {
    int pans;
    float position1;
    bool metric;
    int width;             // chosen for deposit
    QStringList positions; // under the deposit profile
    double dotX;           // the chosen width's dot
    QStringList widths;    // the first few under both COV graphs
};
Q_DECLARE_METATYPE(SwathCase)

class TestReport : public QObject {
    Q_OBJECT
private slots:

    void parameterLines_data()
    {
        QTest::addColumn<ParameterCase>("c");
        const QString sprayer = "Release Height:", met = "Relative Humidity:",
                      rate = "Product Rate:";
        const auto row = [](const char* name, const ParameterCase& c) { QTest::newRow(name) << c; };
        row("empty height", {true, Field::ReleaseHeight, "", sprayer, "-------- m", sprayer});
        row("height, U.S.", {false, Field::ReleaseHeight, "12", sprayer, "12 ft", sprayer});
        row("empty agency", {true, Field::Agency, "", "Agency:", "Sprayer:", sprayer});
        row("empty area", {true, Field::OpeningArea, "", "Area:", " m²", "Separation:"});
        row("area, U.S.", {false, Field::OpeningArea, "", "Area:", " ft²", "Separation:"});
        row("temperature", {true, Field::AirTemperature, "20", "Air Temp:", "20 °C", met});
        row("temperature, U.S.", {false, Field::AirTemperature, "68", "Air Temp:", "68 °F", met});
        row("wind, U.S.", {false, Field::WindSpeed, "", "Wind Speed:", "-------- mph", met});
        row("direction", {true, Field::WindDirection, "90",
                          "Wind Direction:", "90 °     (rel. to AC heading)", met});
        row("humidity", {true, Field::Humidity, "", met, "-------- %", met});
        row("rate, U.S.", {false, Field::ProductRate, "3", rate, "3 lb/ac", rate});
    }

    void parameterLines()
    {
        QFETCH(ParameterCase, c);
        auto ds = dataSet({1, 1}, c.metric);
        ds->setFieldText(c.field, c.text);
        Page page(*ds, false, 1);
        QVERIFY(page.ok);
        QVERIFY(!page.surface.findText("R.H.:"));
        const auto texts = page.surface.callsOf(Op::Text);
        const auto at = std::find_if(texts.begin(), texts.end(),
                                     [&](const DrawCall& t) { return t.text == c.label; });
        QVERIFY(at != texts.end() && at + 1 != texts.end());
        const DrawCall& value = *(at + 1);
        QCOMPARE(value.text, c.next);

        // Labels start 2.5 inches from the paper's edge, values in their block's column.
        QVERIFY(near(at->numbers[0], 0.0));
        if (!c.next.endsWith(u':')) {
            RecordingSurface probe(816, 1056, 96);
            probe.setScale(-2.5, 11, 6, 0);
            setReportFont(probe, false, 12);
            QVERIFY(near(value.numbers[0], probe.textWidth(c.reference) + 0.125));
            QVERIFY(near(value.numbers[1], at->numbers[1]));
        }
    }

    void fontSizes_data()
    {
        QTest::addColumn<bool>("toPrinter");
        QTest::addColumn<double>("nominal");
        QTest::addColumn<double>("size");
        QTest::addColumn<bool>("small");
        QTest::newRow("preview label") << false << 10.0 << 5.23 << true;
        QTest::newRow("preview line") << false << 12.0 << 6.28 << true;
        QTest::newRow("preview title") << false << 18.0 << 9.42 << false;
        QTest::newRow("printer label") << true << 10.0 << 10.0 << false;
    }

    void fontSizes()
    {
        QFETCH(bool, toPrinter);
        QFETCH(double, nominal);
        QFETCH(double, size);
        QFETCH(bool, small);
        // The preview picture: 427 pixels wide on a 96 dpi screen.
        RecordingSurface surface(427, 553, 96);
        surface.setScale(0, 11, 8.5, 0);
        setReportFont(surface, toPrinter, nominal);
        QVERIFY2(near(surface.fontSize(), size, 0.01),
                 qPrintable(QString::number(surface.fontSize())));
        QCOMPARE(surface.fontName() == "Liberation Sans", !small);
    }

    void pagesAndCaptions_data()
    {
        QTest::addColumn<bool>("toPrinter");
        QTest::addColumn<int>("page");
        QTest::addColumn<QStringList>("headings");
        QTest::addColumn<int>("breaks"); // page breaks; the job ends only on the printer
        QTest::addColumn<QStringList>("captions");
        const S all{"Analysis Parameters", "Analysis Results", "Deposit Profile"};
        QTest::newRow("printer") << true << 0 << all << 2
                                 << S{"Pellamar - Printing Page 1...",
                                      "Pellamar - Printing Page 2...",
                                      "Pellamar - Printing Page 3...", "Pellamar - Print"};
        QTest::newRow("preview 2") << false << 2 << S{all[1]} << 0 << S{"Pellamar - Print"};
        QTest::newRow("preview 3") << false << 3 << S{all[2]} << 0 << S{"Pellamar - Print"};
    }

    void pagesAndCaptions()
    {
        QFETCH(bool, toPrinter);
        QFETCH(int, page);
        QFETCH(QStringList, headings);
        QFETCH(int, breaks);
        QFETCH(QStringList, captions);
        auto ds = dataSet({1, 2, 3, 2, 1, 0.5});
        Page p(*ds, toPrinter, page, toPrinter ? 300 : 96);
        QVERIFY(p.ok);
        QCOMPARE(p.captions, captions);
        QCOMPARE(int(p.surface.callsOf(Op::NewPage).size()), breaks);
        QCOMPARE(p.surface.callsOf(Op::EndDocument).size(), std::size_t(toPrinter));
        for (const char* heading : {"Analysis Parameters", "Analysis Results", "Deposit Profile"})
            QCOMPARE(bool(p.surface.findText(heading)), headings.contains(heading));

        // Frames 1/32 inch, the area outlines 1/64 inch, whatever the resolution.
        const double pixels = toPrinter ? 300 : 96;
        for (const DrawCall& c : p.surface.calls()) {
            if (c.op == Op::Rectangle && c.box == Box::Outline)
                QCOMPARE(c.lineWidth, qRound(pixels / 32));
            if (c.op == Op::Polygon)
                QCOMPARE(c.lineWidth, std::max(1, qRound(pixels / 64)));
        }
    }

    void printerFailure()
    {
        struct Jammed : RecordingSurface {
            Jammed()
                : RecordingSurface(2550, 3300, 300)
            {}
            bool newPage() override { return false; }
        } surface;
        auto ds = dataSet({1, 2, 1});
        QString error;
        QStringList captions;
        QVERIFY(!printReport(surface, true, 0, {*ds, {}}, &error,
                             [&](const QString& c) { captions.append(c); }));
        QVERIFY(error.startsWith("There was an error printing:\n\n"));
        QCOMPARE(captions.last(), "Pellamar - Print");
        QVERIFY(!surface.findText("Analysis Results"));
        QVERIFY(surface.callsOf(Op::EndDocument).empty());
    }

    void resultGraphs_data()
    {
        QTest::addColumn<ResultCase>("row");
        const auto row = [](const char* name, QList<double> weights, int dead, int control,
                            bool metric, float position1, S tops, S texts, double markX = 0) {
            QTest::newRow(name) << ResultCase{weights,   dead, control, metric,
                                              position1, tops, texts,   markX};
        };
        row("deposit 0.3, mortality 95", QList<double>{0.03, 0.01}, 95, 10, true, 0,
            S{"0", "1", "1", "1", "100"},
            S{"Deposit (kg/ha)", "Density (#/m²)", "Sampler Position (m)", "0", "10"});
        row("U.S., deposit 95", QList<double>{9.5, 1}, 50, 10, false, 0,
            S{"102", "1", "1", "1", "60"},
            S{"Deposit (lb/ac)", "Density (#/ft²)", "Sampler Position (ft)", "0", "32.808"});
        // Position 0 lies five separations right of the axis' left end, half-way along.
        row("flight line at -50 m, no control", QList<double>(11, 1.0), 0, 0, true, -50,
            S{"12", "1", "1", "1", "1"},
            S{"No control data entered", "Sampler Position (m)", "-50", "50"}, 4.25);
    }

    void resultGraphs()
    {
        QFETCH(ResultCase, row);
        const auto& [weights, dead, controlLarvae, metric, position1, tops, texts, markX] = row;
        auto ds = dataSet(weights, metric, position1, controlLarvae, dead);
        Page p(*ds, false, 2);
        QVERIFY(p.ok);

        // Each top value is centred on its frame's top edge.
        const double frameTops[] = {9.875, 8.0, 6.125, 4.25, 2.375};
        int i = 0;
        QCOMPARE(p.textsWhere([&](const DrawCall& c) {
            return near(c.numbers[0], 7.6875) &&
                   near(c.numbers[1] - c.numbers[3] / 2, frameTops[std::min(i++, 4)]);
        }),
                 tops);
        // The texts appear in this order, others between them.
        const QStringList all = p.surface.texts();
        qsizetype found = 0;
        for (const QString& text : all)
            found += found < texts.size() && text == texts[found];
        QVERIFY2(found == texts.size(), qPrintable(all.join('|')));
        const DrawCall* notice = p.surface.findText("No control data entered");
        QCOMPARE(bool(notice), controlLarvae == 0);
        if (notice)
            QVERIFY(near(notice->numbers[1] - notice->numbers[3] / 2, 1.625));

        // The flight line through every graph and the aircraft under the axis.
        const auto circles = p.surface.callsOf(Op::Circle);
        QCOMPARE(circles.size(), std::size_t(markX != 0));
        int flightLines = 0;
        for (const DrawCall& c : p.surface.callsOf(Op::Line))
            flightLines += near(c.numbers[0], markX) && near(c.numbers[2], markX) &&
                           near(c.numbers[1] - c.numbers[3], 1.5);
        QCOMPARE(flightLines, markX != 0 ? 5 : 0);
        if (markX != 0) {
            QVERIFY(near(circles[0].numbers[0], markX));
            QVERIFY(near(circles[0].numbers[1], 0.875 - 1.0 / 32 - 1.0 / 8));
            QCOMPARE(circles[0].fillColor, QColor(Qt::white));
        }
    }

    // The result graphs' tops are seen on the page; these two are hard to reach with real data.
    void axisTops_data()
    {
        QTest::addColumn<bool>("cov"); // else the swath data
        QTest::addColumn<float>("maximum");
        QTest::addColumn<double>("top");
        QTest::newRow("COV 0.34") << true << 0.34f << 0.4;
        QTest::newRow("COV 0.3") << true << 0.3f << 0.3;
        QTest::newRow("COV 0") << true << 0.0f << 1.0;
        QTest::newRow("block 0.5") << false << 0.5f << 0.6;
        QTest::newRow("block 0.04") << false << 0.04f << 1.0;
    }

    void axisTops()
    {
        QFETCH(bool, cov);
        QFETCH(float, maximum);
        QFETCH(double, top);
        QCOMPARE(cov ? covGraphTop(maximum) : swathGraphTop(maximum), top);
    }

    void swathLabels_data()
    {
        QTest::addColumn<SwathCase>("row");
        const auto row = [](const char* name, int pans, float position1, bool metric, int width,
                            S positions, double dotX, S widths) {
            QTest::newRow(name) << SwathCase{pans,      position1, metric, width,
                                             positions, dotX,      widths};
        };
        const S metric{"10", "20", "30", "40"};
        const S everyOne{"-50", "0", "60", "120", "180", "240", "300"};
        // 21 pan separations, a pass 0.31 inch wide: every second line, and both ends.
        row("every second", 12, -50, true, 1, S{"-50", "0", "20", "40", "60", "80", "100", "160"},
            1.0, metric);
        row("every one", 12, -50, true, 6, everyOne, 4.25, metric);
        row("beyond the line: the rule", 12, -50, true, 40, everyOne, 4.25, metric);
        // 57 separations, no pans before the first flight line: every third, no left end.
        S third;
        for (int j = 0; j < 29; j += 3)
            third.append(QString::number(10 * j));
        row("every third", 30, 0, true, 1, third << "570", 1.0, metric);
        row("U.S.", 12, 0, false, 1, S{}, 1.0, S{"32.8", "65.6", "98.4", "131.2"});
    }

    void swathLabels()
    {
        QFETCH(SwathCase, row);
        const auto& [pans, position1, metric, width, positions, dotX, widths] = row;
        auto ds = dataSet(peak(pans), metric, position1);
        Page p(*ds, false, 3, 96, {swath::FlightPattern::BackAndForth, {width, 0}});
        QVERIFY(p.ok);
        if (!positions.isEmpty())
            QCOMPARE(p.textsWhere([](const DrawCall& c) { return near(c.numbers[1], 7.4375); }),
                     positions);
        // Width labels hang 1/8 inch under each COV graph.
        for (double bottom : {6.0, 0.875})
            QCOMPARE(p.textsWhere([&](const DrawCall& c) {
                          return near(c.numbers[1], bottom - 0.125);
                      }).mid(0, widths.size()),
                     widths);
        // The chosen width's dot is the first black one, in the deposit section.
        for (const DrawCall& c : p.surface.callsOf(Op::Circle)) {
            if (c.fillColor == QColor(Qt::black)) {
                QVERIFY(near(c.numbers[0], dotX));
                QVERIFY(near(c.numbers[2], 3.0 / 64));
                break;
            }
        }
        QVERIFY(p.surface.findText("Density Profile"));
    }
};

QTEST_MAIN(TestReport)
#include "tst_report.moc"
