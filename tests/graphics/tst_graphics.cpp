#include "core/numbers.h"
#include "graphics/axes.h"
#include "graphics/paintersurface.h"
#include "graphics/resultgraph.h"
#include "graphics/swathgraphs.h"
#include "graphics/swathsummary.h"
#include "support.h"
#include "swath/analysis.h"

#include <QPixmap>

using namespace pellamar;
using namespace pellamar::graphics;
using namespace pellamar::testing;
using swath::Source;

namespace {

const QString kFont = QStringLiteral("Liberation Sans");

QString notes(const ResultGraphResult& r)
{
    return QStringLiteral("%1 [%2 %3 %4 %5] %6 %7 %8 [%9 %10 %11 %12]")
        .arg(r.enabled)
        .arg(r.labels.x1, r.labels.x2, r.labels.y1, r.labels.y2)
        .arg(r.left)
        .arg(r.width)
        .arg(r.top)
        .arg(r.plot.left())
        .arg(r.plot.top())
        .arg(r.plot.width())
        .arg(r.plot.height());
}

// Both swath graphs of a line of pans as the panel draws them: the COV graph, then the swath
// data of the width chosen. Returns what they leave for the panel.
QStringList drawSwath(RecordingSurface& surface, const DataSet& ds, int width, bool racetrack)
{
    swath::SwathRecord record;
    const Source source = ds.metric() ? Source::Deposit : Source::Density;
    const auto pattern = racetrack ? swath::FlightPattern::Racetrack : swath::FlightPattern::BackAndForth;
    swath::calculateSwathStats(record, ds, source, pattern);
    record.widthIndex = width;
    const CovGraphResult cov = drawCovGraph(surface, ds, record, kCovLimit, kFont);
    const swath::Block drawn = swath::buildSwathBlock(record, width, swath::SwathInputs::from(ds), pattern);
    const SwathGraphResult block = drawSwathGraph(surface, ds, record, drawn, source, kFont);
    QStringList lefts;
    for (int left : cov.optionLefts) lefts << QString::number(left);
    return {lefts.join(u' '), QString::number(cov.optionTop), cov.covLabel, block.averageLabel, block.maxMinLabel};
}

QImage whiteImage(int width, int height, int dpi = 96)
{
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.setDotsPerMeterX(static_cast<int>(std::lround(dpi / 0.0254)));
    image.setDotsPerMeterY(image.dotsPerMeterX());
    image.fill(Qt::white);
    return image;
}

} // namespace

class TestGraphics : public QObject {
    Q_OBJECT
private slots:
    // Every result along a line with a gap and an empty pan inside, and the flight line inside; in
    // U.S. units the axis labels change; without control data mortality shows a note; without any
    // data only the background is drawn.
    void resultPictures_data()
    {
        QTest::addColumn<bool>("metric");
        QTest::addColumn<int>("option");
        QTest::addColumn<int>("control");
        for (int option = 1; option <= 5; ++option) QTest::addRow("metric %d", option) << true << option << 100;
        QTest::newRow("us 1") << false << 1 << 100;
        QTest::newRow("no control 5") << true << 5 << 0;
        QTest::newRow("nothing 1") << true << 1 << -1;
        // Pans closer than a pixel merge per pixel column; a single tall pan and a single empty one still show.
        QTest::newRow("many pans 1") << true << 1 << -2;
    }
    void resultPictures()
    {
        QFETCH(bool, metric);
        QFETCH(int, option);
        QFETCH(int, control);
        QList<SampleRow> rows = control == -1 ? QList<SampleRow>() : bell(control == -2 ? 3000 : 9);
        if (control >= 0) {
            rows[3] = {};
            rows[5].weight = "0";
        } else if (control == -2) {
            rows[1403] = {};
            rows[2005].weight = "9";
        }
        // In U.S. units the line ends in the grid's last row.
        auto ds = lineOfPans(rows, -20.0f, 10.0f, metric, metric ? 2 : kInitialDataRows - 8);
        ds->setControlData({std::int16_t(std::max(0, control)), 10, 24.0f});
        ds->calculateResults(0);
        RecordingSurface surface(300, 120, 96);
        const ResultGraphResult r = drawResult(surface, *ds, Result(option), Qt::gray);
        VERIFY_PICTURE(surface, QString("result-%1").arg(QTest::currentDataTag()).replace(u' ', u'-'), {notes(r)});
    }

    // Axis tops at their edges (every picture shows the ordinary ones): an exact tenth stays, an
    // empty axis or one too low to show gets a whole unit or a tenth, mortality stops at 100 %.
    void axisTops_data()
    {
        QTest::addColumn<QString>("axis");
        QTest::addColumn<float>("largest");
        QTest::addColumn<double>("top");
        QTest::newRow("COV 0.3") << "cov" << 0.3f << 0.3;
        QTest::newRow("COV 0") << "cov" << 0.0f << 1.0;
        QTest::newRow("block 0.04") << "block" << 0.04f << 1.0;
        QTest::newRow("screen deposit 0.04") << "screen 1" << 0.04f << 0.1;
        QTest::newRow("screen granules/g 0.5") << "screen 4" << 0.5f << 1.0;
        QTest::newRow("paper deposit 0.04") << "paper 1" << 0.04f << 0.1;
        QTest::newRow("paper cdf") << "paper 2" << 0.5f << 1.0;
        QTest::newRow("paper mortality 95") << "paper 5" << 95.0f << 100.0;
    }
    void axisTops()
    {
        QFETCH(QString, axis);
        QFETCH(float, largest);
        const auto result = Result(axis.back().digitValue());
        QTEST(axis == "cov"     ? covAxisTop(largest)
              : axis == "block" ? swathAxisTop(largest)
              : axis[0] == u's' ? resultAxisTop(result, largest)
                                : paperResultAxisTop(result, largest),
              "top");
    }

    // Labels on round values between the ends, not odd runs such as 2, 42, 82 … or 0.5, 250.5 …;
    // ends that come first push touching round values out, ends that come last stand only clear.
    void roundAxisLabels_data()
    {
        QTest::addColumn<double>("from");
        QTest::addColumn<double>("to");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<bool>("endsFirst");
        QTest::addColumn<QString>("labels");
        QTest::newRow("widths 2 to 998")
            << 2.0 << 998.0 << "0" << true
            << "2 50 100 150 200 250 300 350 400 450 500 550 600 650 700 750 800 850 900 950 998";
        QTest::newRow("positions 0.5 to 999.5")
            << 0.5 << 999.5 << "0.0" << false << "0.5 100.0 200.0 300.0 400.0 500.0 600.0 700.0 800.0 900.0 999.5";
        QTest::newRow("widest beside a round value")
            << 10.0 << 1990.0 << "0" << true
            << "10 100 200 300 400 500 600 700 800 900 1000 1100 1200 1300 1400 1500 1600 1700 1800 1990"; // 1900 gives
                                                                                                           // way
        QTest::newRow("end clear of round values")
            << -20.0 << 990.0 << "0" << false
            << "0 50 100 150 200 250 300 350 400 450 500 550 600 650 700 750 800 850 900 950 990"; // -20 touches 0
        QTest::newRow("one width") << 10.0 << 10.0 << "0" << true << "10";
    }
    void roundAxisLabels()
    {
        QFETCH(double, from);
        QFETCH(double, to);
        QFETCH(QString, pattern);
        QFETCH(bool, endsFirst);
        RecordingSurface surface(600, 100, 96);
        surface.setFont(kFont, 8, false, false);
        const auto x = [&](double v) { return to > from ? 20 + 560 * (v - from) / (to - from) : 20.0; };
        QStringList texts;
        for (const AxisLabel& label :
             roundLabels(surface, from, to, pattern, 1.0, 3.0, x, numbers::format(from, pattern),
                         numbers::format(to, pattern), endsFirst ? Ends::First : Ends::Last))
            texts << label.text;
        QTEST(texts.join(u' '), "labels");
    }

    void tooltip()
    {
        const Units metric = Units::forSystem(true);
        QCOMPARE(resultTooltip(12.4, 3.46, metric, Result::Deposit), " 12 m -- 3.5 kg/ha ");
        QCOMPARE(resultTooltip(-0.4, 0.5, metric, Result::CumulativeDeposit), " 0 m -- 0.5  ");
        QCOMPARE(resultTooltip(-12.5, 7, Units::forSystem(false), Result::Density), " -13 ft -- 7.0 #/ft ² ");
    }

    // Both swath graphs on the panel of an 800 × 600 screen: widths and positions in metres and
    // feet, the flight line inside the line of pans, both patterns, passes wide and narrow, a
    // five-digit top value.
    void swathPictures_data()
    {
        QTest::addColumn<QList<SampleRow>>("rows");
        QTest::addColumn<float>("position1");
        QTest::addColumn<float>("separation");
        QTest::addColumn<bool>("metric");
        QTest::addColumn<int>("width");
        QTest::addColumn<bool>("racetrack");
        QTest::newRow("wide passes") << bell(4) << 0.0f << 10.0f << true << 1 << false;
        QTest::newRow("feet, density, racetrack") << bell(12) << -50.0f << 10.0f << false << 3 << true;
        QTest::newRow("half metres, left end") << bell(12) << -20.0f << 2.5f << true << 2 << false;
        QTest::newRow("every third line") << bell(29) << 0.0f << 10.0f << true << 1 << false;
        QTest::newRow("two pans") << bell(2) << 0.0f << 10.0f << true << 1 << true;
        // Two hundred widths on a 540-pixel axis: labels that would overlap are left out.
        QTest::newRow("crowded widths") << bell(201) << 0.0f << 10.0f << true << 7 << false;
        QTest::newRow("five digits, far left") << weights({200, 990, 300}) << -1000.0f << 10.0f << true << 1 << false;
    }
    void swathPictures()
    {
        QFETCH(QList<SampleRow>, rows);
        QFETCH(float, position1);
        QFETCH(float, separation);
        QFETCH(bool, metric);
        QFETCH(int, width);
        QFETCH(bool, racetrack);
        const auto ds = lineOfPans(rows, position1, separation, metric);
        QString name = QStringLiteral("swath-") + QTest::currentDataTag();
        RecordingSurface surface(667, 309, 96); // the swath panel on an 800 × 600 screen
        const QStringList notes = drawSwath(surface, *ds, width, racetrack);
        VERIFY_PICTURE(surface, name.replace(u' ', u'-').remove(u','), notes);
        // Titles, legend, labels, top values of any length and frames lie inside, texts clear of each other.
        for (const char* text : {"Swath Data", "Coefficient of Variation", "one pass"}) QVERIFY(surface.findText(text));
        QCOMPARE(crowdedTexts(surface), QString());
        for (const DrawCall& c : surface.callsOf(Op::Rectangle)) {
            const auto& n = c.numbers;
            QVERIFY(c.color != Qt::black ||
                    QRectF(0, 0, 667, 309).contains(QRectF(QPointF(n[0], n[1]), QPointF(n[2], n[3])).normalized()));
        }
    }

    // Small circles on an image are drawn once and stamped; they must land on the very pixels a
    // direct drawing (as on a pixmap) gives, wherever their centres fall within a pixel.
    void stampedCircles()
    {
        const auto draw = [](QPaintDevice& device) {
            PainterSurface surface(device);
            surface.setFillStyle(FillStyle::Solid);
            surface.setFillColor(Qt::red);
            for (int i = 0; i < 12; ++i) {
                surface.setLineWidth(1 + i % 3);
                surface.circle(10 + i * 15.37, 20 + i * 0.29, 2.0 + i % 4, Qt::black);
            }
        };
        QImage stamped = whiteImage(200, 40);
        draw(stamped);
        QPixmap direct(stamped.size());
        direct.fill(Qt::white);
        draw(direct);
        const QImage reference = direct.toImage().convertToFormat(stamped.format());
        int worst = 0;
        for (int y = 0; y < stamped.height(); ++y)
            for (int x = 0; x < stamped.width(); ++x)
                worst = std::max(worst, std::abs(qGray(stamped.pixel(x, y)) - qGray(reference.pixel(x, y))));
        // Blending an antialiased edge in one step or two differs by a few levels; a circle a
        // pixel off differs by the whole contrast.
        QVERIFY2(worst <= 16, qPrintable(QString::number(worst)));
    }

    // A long thick curve on an image is spread from a one-pass mask when its colour is opaque;
    // it must cover the pixels the line-by-line stamp (taken for any other colour) covers.
    void thickCurveThroughMask()
    {
        const auto draw = [](QImage& image, const QColor& colour) {
            PainterSurface surface(image);
            surface.setLineWidth(3);
            for (int i = 0; i < 300; ++i)
                surface.line(10 + i, 30 + 20 * std::sin(i / 9.0), 11 + i, 30 + 20 * std::sin((i + 1) / 9.0), colour);
        };
        QImage masked = whiteImage(330, 60), stamped = whiteImage(330, 60);
        draw(masked, Qt::black);
        draw(stamped, QColor(0, 0, 0, 254));
        int differing = 0;
        for (int y = 0; y < masked.height(); ++y)
            for (int x = 0; x < masked.width(); ++x)
                differing += std::abs(qGray(masked.pixel(x, y)) - qGray(stamped.pixel(x, y))) > 2;
        QCOMPARE(differing, 0);
        QVERIFY(masked != whiteImage(330, 60));
    }

    // With the y axis upward, text still stands upright inside its line box: the bar of a "T" on top.
    void painterTextNotMirrored()
    {
        QImage image = whiteImage(400, 200);
        PainterSurface surface(image);
        QVERIFY(surface.setScale(0, 2, 4, 0)); // 100 pixels per unit, y upward
        surface.setFont("Arial", 24, false, false);
        surface.moveTo(1, 1.5);
        surface.print("T", false);
        const QRectF box(surface.toPixels({1, 1.5}),
                         surface.toPixels({1 + surface.textWidth("T"), 1.5 - surface.textHeight()}));
        QRect inked;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (qGray(image.pixel(x, y)) < 128) inked |= QRect(x, y, 1, 1);
        QVERIFY(!inked.isEmpty() && box.contains(inked));
        QVERIFY(qGray(image.pixel(inked.left() + 1, inked.top() + 1)) < 128);
        QVERIFY(qGray(image.pixel(inked.left() + 1, inked.bottom() - 1)) >= 128);
    }

    // The recording surface measures text as a painted device does, so that the recorded
    // pictures lay out their labels as the screen and the paper do.
    void metricsAgree()
    {
        for (auto [dpi, font] : {std::pair{96, FontSpec{"Arial", 8, false, false}},
                                 {50, FontSpec{"Small Fonts", 5.2, false, false}},
                                 {1200, FontSpec{"Arial", 18, true, true}}}) {
            QImage image = whiteImage(100, 100, dpi);
            PainterSurface painter(image);
            RecordingSurface recorder(100, 100, dpi);
            painter.setFont(font);
            recorder.setFont(font);
            QCOMPARE(recorder.textWidth("Relative Humidity: 55 %"), painter.textWidth("Relative Humidity: 55 %"));
            QCOMPARE(recorder.textHeight(), painter.textHeight());
        }
        // A scale without width or height is refused; the one in force stays.
        RecordingSurface flat(100, 100, 96);
        QVERIFY(!flat.setScale(0, 1, 10, 1) && !flat.setScale(0, 1, 0, 0) && flat.scaleHeight() == 100);
    }

    // The answer in words on a hand-made line of pans (1 m² openings: 1 g is 10 kg/ha), at the
    // width the rule proposes at the limit.
    void resultLine_data()
    {
        QTest::addColumn<bool>("metric");
        QTest::addColumn<QList<double>>("grams");
        QTest::addColumn<bool>("racetrack");
        QTest::addColumn<bool>("deposit");
        QTest::addColumn<float>("rate"); // kg/ha
        QTest::addColumn<int>("limit");
        QTest::addColumn<QString>("line");
        const QList<double> bell{0.5, 1, 2, 4, 2, 1, 0.5, 0, 0};
        // clang-format off
        // Hand checks: at 10 m back-and-forth both points hold all 11 g, 110 kg/ha; at 20 m
        // racetrack the points are 5 and 6 g, 50 and 60 kg/ha.
        QTest::newRow("b&f, rate") << true << bell << false << true << 11.2f << 30
            << "Swath 10 m: COV 0.0 % (back-and-forth), mean 110.0 kg/ha, 982 % of the 11.20 kg/ha set";
        QTest::newRow("racetrack, U.S.") << false << bell << true << true << 11.2f << 30
            << "Swath 65.6 ft: COV 12.9 % (racetrack), mean 49.1 lb/ac, 491 % of the 9.99 lb/ac set";
        QTest::newRow("no rate") << true << bell << false << true << 0.0f << 30
            << "Swath 10 m: COV 0.0 % (back-and-forth), mean 110.0 kg/ha";
        QTest::newRow("density never shares the rate") << true << bell << false << false << 11.2f << 30
            << "COV stays within 30 % at every width up to 80 m: the pan line is too short to find the widest swath";
        QTest::newRow("too short") << true << QList<double>{1, 2, 2, 1} << true << true << 11.2f << 30
            << "COV stays within 30 % at every width up to 30 m: the pan line is too short to find the widest swath";
        QTest::newRow("never within") << false << QList<double>{4, 0, 0, 0} << false << true << 11.2f << 10
            << "COV exceeds 10 % at every width up to 98.4 ft: no swath width meets the limit";
        QTest::newRow("two pans say nothing") << true << QList<double>{1, 2} << true << true << 11.2f << 30 << "";
        // clang-format on
    }
    void resultLine()
    {
        QFETCH(bool, metric);
        QFETCH(QList<double>, grams);
        QFETCH(bool, racetrack);
        QFETCH(bool, deposit);
        QFETCH(float, rate);
        QFETCH(int, limit);
        const auto ds = lineOfPans(weights(grams), 0.0f, 10.0f, metric);
        ds->parameters().productRate = rate;
        const auto pattern = racetrack ? swath::FlightPattern::Racetrack : swath::FlightPattern::BackAndForth;
        const Source source = deposit ? Source::Deposit : Source::Density;
        swath::SwathRecord record;
        swath::calculateSwathStats(record, *ds, source, pattern);
        const int width = swath::effectiveWidth(record, 0, swath::covLimit(limit));
        QTEST(swathResultLine(*ds, record, width, source, pattern, limit), "line");
    }

    // Within the limit from the second width on, exactly at it there: the line is too short.
    void resultLineFromAWidthOn()
    {
        const auto ds = lineOfPans(weights({1, 1, 1, 1}));
        swath::SwathRecord record;
        record.cov = record.mean = swath::BoundedArray(1, 3);
        record.cov[1] = 0.5f;
        record.cov[2] = 0.25f;
        record.cov[3] = 0.1f;
        QCOMPARE(swathResultLine(*ds, record, 1, Source::Deposit, swath::FlightPattern::Racetrack, 25),
                 "COV stays within 25 % at every width from 20 m up to 30 m: the pan line is too short to find the "
                 "widest swath");
    }

    // The centroid of the deposit from the flight line at position 0, in the units shown.
    void patternCentre_data()
    {
        QTest::addColumn<bool>("metric");
        QTest::addColumn<float>("position1");
        QTest::addColumn<QList<double>>("grams");
        QTest::addColumn<QString>("line");
        // clang-format off
        QTest::newRow("toward the positive") << true << -20.0f << QList<double>{1, 0, 1, 3}
            << "Pattern centre: 2.0 m from the flight line, toward the positive positions";
        QTest::newRow("toward the negative, U.S.") << false << -20.0f << QList<double>{3, 1, 0, 0, 1}
            << "Pattern centre: 32.8 ft from the flight line, toward the negative positions";
        QTest::newRow("centred") << true << -10.0f << QList<double>{1, 5, 1} << "Pattern centre: on the flight line";
        QTest::newRow("no deposit") << true << 0.0f << QList<double>{0, 0} << "Pattern centre: no deposit measured";
        QTest::newRow("no data") << true << 0.0f << QList<double>{} << "";
        // clang-format on
    }
    void patternCentre()
    {
        QFETCH(bool, metric);
        QFETCH(float, position1);
        QFETCH(QList<double>, grams);
        QTEST(patternCentreLine(*lineOfPans(weights(grams), position1, 10.0f, metric)), "line");
    }
};

QTEST_MAIN(TestGraphics)
#include "tst_graphics.moc"
