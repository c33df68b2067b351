#include "graphics/swathgraphs.h"
#include "report/report.h"
#include "support.h"

using namespace pellamar;
using namespace pellamar::graphics;
using namespace pellamar::report;
using namespace pellamar::testing;

class TestReport : public QObject {
    Q_OBJECT
private slots:
    // The printed pages to the last line, label and grey: metric on the printer (the flight line
    // inside the line of pans, back-and-forth, the 30 % rule), U.S. on the preview (racetrack,
    // widths chosen, long line, crowded labels) and a data set with nothing entered.
    void pages_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("page");
        QTest::newRow("metric printer") << 0 << 0;
        for (int page = 1; page <= 3; ++page) {
            QTest::addRow("us preview %d", page) << 1 << page;
            QTest::addRow("nothing entered %d", page) << 2 << page;
        }
        QTest::newRow("narrow pans 2") << 3 << 2; // 120 pans, too narrow on the preview to outline one by one
    }
    void pages()
    {
        QFETCH(int, kind);
        QFETCH(int, page);
        std::unique_ptr<DataSet> ds;
        swath::SwathChoice choice;
        ds = kind == 2   ? lineOfPans(bell(5), 20.0f, 5.0f)
             : kind == 3 ? lineOfPans(bell(120))
                         : makeDataSet(kind == 0, bell(kind == 0 ? 12 : 30));
        if (kind == 1) choice = {swath::FlightPattern::Racetrack, {3, 2}};
        // The printer's page at 1200 dpi, or the preview picture: 427 pixels wide on a 96 dpi screen.
        auto surface = page == 0 ? std::make_unique<RecordingSurface>(10200, 13200, 1200)
                                 : std::make_unique<RecordingSurface>(427, 552, 96);
        QStringList captions;
        QVERIFY(printReport(*surface, page == 0, page, {*ds, choice}, nullptr,
                            [&](const QString& c) { captions.append(c); }));
        VERIFY_PICTURE(*surface, QString("report-%1").arg(QTest::currentDataTag()).replace(u' ', u'-'),
                       {captions.join(u'|')});
    }

    // Width and position labels on the panel (1024 × 768, 800 × 600) and on paper never touch and
    // fall on round values (1, 2 or 5 × 10^k) between the ends; the widest width is labelled.
    void roundLabels_data()
    {
        QTest::addColumn<int>("pans");
        QTest::addColumn<bool>("metric");
        QTest::addColumn<QSize>("panel"); // empty: page 3 on a 1200 dpi printer
        QTest::addColumn<QString>("widest");
        QTest::newRow("30 pans, 800") << 30 << true << QSize(667, 309) << "290";
        QTest::newRow("30 pans, feet, 800") << 30 << false << QSize(667, 309) << "951.4";
        QTest::newRow("500 pans, 1024") << 500 << true << QSize(867, 449) << "4990";
        QTest::newRow("500 pans, paper") << 500 << true << QSize() << "4990";
    }
    void roundLabels()
    {
        QFETCH(int, pans);
        QFETCH(bool, metric);
        QFETCH(QSize, panel);
        QFETCH(QString, widest);
        const auto ds = lineOfPans(bell(pans), -20.0f, 10.0f, metric);
        const bool paper = panel.isEmpty();
        RecordingSurface s(paper ? 10200 : panel.width(), paper ? 13200 : panel.height(), paper ? 1200 : 96);
        swath::SwathRecord r;
        swath::calculateSwathStats(r, *ds, swath::Source::Deposit, {});
        const swath::Block block = buildSwathBlock(r, 1, swath::SwathInputs::from(*ds), {});
        if (paper) QVERIFY(printReport(s, true, 3, {*ds, {}}, nullptr, {}));
        if (!paper) drawCovGraph(s, *ds, r, kCovLimit), drawSwathGraph(s, *ds, r, block, {});
        QMap<double, QList<DrawCall>> rows; // the numbers drawn on one line, by their top
        for (const DrawCall& c : s.callsOf(Op::Text))
            if (bool number = false; c.text.toDouble(&number), number) rows[c.numbers[1]] << c;
        QCOMPARE(int(rows.size()), paper ? 6 : 3); // a row of labels per graph, the swath data's top
        int widthRows = 0;
        for (const QList<DrawCall>& row : rows) {
            for (qsizetype i = 1; i < row.size(); ++i)
                QVERIFY(row[i].numbers[0] - row[i - 1].numbers[0] - row[i - 1].numbers[2] > (paper ? 1 / 32.0 : 3.0));
            if (row.size() < 4) continue;
            const double step = row[2].text.toDouble() - row[1].text.toDouble();
            const double decade = std::pow(10.0, std::floor(std::log10(step)));
            QVERIFY2(QList<double>({1, 2, 5}).contains(std::round(step / decade)), qPrintable(row[1].text));
            for (qsizetype i = 1; i + 1 < row.size(); ++i) {
                const double value = row[i].text.toDouble();
                QVERIFY2(std::abs(value / step - std::round(value / step)) < 1e-6, qPrintable(row[i].text));
                if (i > 1) QCOMPARE(value - row[i - 1].text.toDouble(), step);
            }
            if (row[0].text != (metric ? "10" : "32.8")) continue;
            QCOMPARE(row.back().text, widest);
            ++widthRows;
        }
        QCOMPARE(widthRows, paper ? 2 : 1);
        QCOMPARE(crowdedTexts(s), QString());
    }

    // Hundreds of pans on the 1200 dpi page: each graph one grey area as on the screen, not an
    // outline per pan, which blackens the area.
    void manyPansOnPaper_data()
    {
        QTest::addColumn<int>("pans");
        QTest::addColumn<int>("polygons");
        QTest::newRow("12") << 12 << 5 * 11; // one per step between pans
        QTest::newRow("500") << 500 << 5;
        QTest::newRow("2000") << 2000 << 5;
    }
    void manyPansOnPaper()
    {
        QFETCH(int, pans);
        RecordingSurface s(10200, 13200, 1200);
        QVERIFY(printReport(s, false, 2, {*lineOfPans(bell(pans), -20.0f, 1.0f), {}}, nullptr, {}));
        QTEST(int(s.callsOf(Op::Polygon).size()), "polygons");
    }

    // The COV axis in percent; the limit's line, its label and the shading only where the limit lies
    // within the axis (not across the Swath Data graph above); a line up through the chosen width.
    void covAxisInPercent_data()
    {
        QTest::addColumn<bool>("paper");
        QTest::addColumn<float>("largest");
        QTest::addColumn<QString>("top");
        QTest::addColumn<int>("bands"); // -1: no limit line either
        QTest::newRow("panel 0.42") << false << 0.42f << "50 %" << 2;
        QTest::newRow("paper 0.42") << true << 0.42f << "50 %" << 2;
        QTest::newRow("panel all 0") << false << 0.0f << "100 %" << 0;
        QTest::newRow("paper below the limit") << true << 0.2f << "20 %" << -1;
    }
    void covAxisInPercent()
    {
        QFETCH(bool, paper);
        QFETCH(float, largest);
        QFETCH(QString, top);
        QFETCH(int, bands);
        const auto ds = lineOfPans(bell(8));
        RecordingSurface s(paper ? 2550 : 667, paper ? 3300 : 309, paper ? 300 : 96);
        swath::SwathAnalysis both;
        for (swath::SwathRecord* r : {&both.deposit, &both.density}) {
            swath::calculateSwathStats(*r, *ds, {}, {});
            for (int j = r->cov.lower(); j <= r->cov.upper(); ++j) r->cov[j] = largest * float(j % 4) / 3.0f;
            r->widthIndex = 2;
        }
        if (paper) QVERIFY(printReport(s, true, 3, {*ds, {{}, {2, 2}}, &both}, nullptr, {}));
        if (!paper) drawCovGraph(s, *ds, both.deposit, kCovLimit);
        QVERIFY(s.findText(top) && s.findText("0 %"));
        int lines = 0, shaded = 0, chosen = 0; // chosen: lines up through a ring, longer than a tick
        for (const DrawCall& c : s.calls()) {
            lines += c.op == Op::Line && c.color == (paper ? QColor(150, 150, 150) : QColor(255, 150, 150));
            shaded += c.op == Op::Rectangle && c.color == (paper ? QColor(232, 232, 232) : QColor(255, 228, 228));
            for (const auto& n = c.numbers; const DrawCall& ring : s.callsOf(Op::Circle))
                chosen += c.op == Op::Line && ring.fillColor == Qt::white && n[0] == ring.numbers[0] && n[2] == n[0] &&
                          std::abs(n[3] - n[1]) > 3 * ring.numbers[2] &&
                          (n[1] - ring.numbers[1]) * (n[3] - ring.numbers[1]) <= 0;
        }
        QCOMPARE((QList<int>{lines, shaded, chosen, bool(s.findText("30 %"))}),
                 (QList<int>{bands >= 0 ? paper + 1 : 0, std::max(bands, 0) * (paper + 1), paper + 1, bands >= 0}));
    }

    // Page 3 names its axes in each unit system and the flight pattern; no text overlaps another.
    void pageThreeTitles_data()
    {
        QTest::addColumn<bool>("metric");
        QTest::addColumn<QString>("titles");
        QTest::newRow("metric, back-and-forth, 21 pans")
            << true << "Swath width (m)|Position (m)|COV (%)| (back-and-forth)|Deposit (kg/ha)|Density (#/m ²)";
        QTest::newRow("us, racetrack, 500 pans")
            << false << "Swath width (ft)|Position (ft)|COV (%)| (racetrack)|Deposit (lb/ac)|Density (#/ft ²)";
    }
    void pageThreeTitles()
    {
        QFETCH(bool, metric);
        QFETCH(QString, titles);
        const auto ds = makeDataSet(metric, bell(metric ? 21 : 500));
        RecordingSurface s(2550, 3300, 300);
        QVERIFY(printReport(s, true, 3, {*ds, {swath::FlightPattern(!metric), {}}}, nullptr, {}));
        for (const QString& title : titles.split(u'|')) QCOMPARE(s.texts().count(title), title[0] == u'D' ? 1 : 2);
        QCOMPARE(crowdedTexts(s), QString());
    }

    // After the three pages, fifty pans a page from the first to the last with data; page k
    // lists its own pans (positions first to last, an empty pan inside included) and no others,
    // every text inside its cell.
    void sampleDataPages_data()
    {
        QTest::addColumn<int>("pans");
        QTest::addColumn<int>("firstRow");
        QTest::addColumn<int>("pages");
        QTest::addColumn<int>("sheet");
        QTest::addColumn<int>("firstPosition");
        QTest::addColumn<int>("lastPosition");
        QTest::newRow("none") << 0 << 1 << 3 << 0 << 0 << 0;
        QTest::newRow("1") << 1 << 1 << 4 << 1 << 0 << 0;
        QTest::newRow("21") << 21 << 1 << 4 << 1 << 0 << 200;
        QTest::newRow("one page full") << 50 << 1 << 4 << 1 << 0 << 490;
        QTest::newRow("one more") << 51 << 1 << 5 << 2 << 500 << 500;
        QTest::newRow("500 from row 3") << 500 << 3 << 13 << 10 << 4520 << 5010;
    }
    void sampleDataPages()
    {
        QFETCH(int, pans);
        QFETCH(int, firstRow);
        QFETCH(int, pages);
        QFETCH(int, sheet);
        QFETCH(int, firstPosition);
        QFETCH(int, lastPosition);
        QList<SampleRow> rows = weights(QList<double>(pans, 1.0));
        if (pans > 5) rows[4] = {}, rows[1] = {"12345678901.25", "123456789012345", {}, {}}; // too wide
        const auto ds = lineOfPans(rows, 0.0f, 10.0f, true, firstRow);
        QCOMPARE(reportPageCount(*ds), pages);
        RecordingSurface printer(2550, 3300, 300), preview(427, 552, 96);
        QStringList captions;
        QVERIFY(printReport(printer, true, 0, {*ds, {}}, nullptr, [&](const QString& c) { captions.append(c); }));
        QCOMPARE(captions.size(), pages + 1);
        QCOMPARE(captions[pages - 1], QString("Pellamar - Printing Page %1...").arg(pages));
        QCOMPARE(int(printer.callsOf(Op::NewPage).size()), pages - 1);
        if (sheet == 0) return;
        QVERIFY(printReport(preview, false, 3 + sheet, {*ds, {}}, nullptr, {}));
        QStringList listed, expected; // the positions: every other whole number is a weight of 1
        for (const QString& t : preview.texts())
            if (bool whole = false; t.toInt(&whole), whole && t != "1") listed << t;
        for (int p = firstPosition; p <= lastPosition; p += 10) expected << QString::number(p);
        QCOMPARE(listed, expected);
        QVERIFY(preview.findText(sheet > 1 ? "Sample Data (continued)" : "Sample Data"));
        QMap<int, QList<DrawCall>> lines; // texts by the middle of their line: none past the next or the paper
        for (const DrawCall& c : preview.callsOf(Op::Text)) lines[qRound((c.numbers[1] - c.numbers[3] / 2) * 1e4)] << c;
        for (const QList<DrawCall>& line : lines)
            for (qsizetype i = 0; i < line.size(); ++i)
                QVERIFY(line[i].numbers[0] >= (i ? line[i - 1].numbers[0] + line[i - 1].numbers[2] : 0.5) &&
                        line[i].numbers[0] + line[i].numbers[2] <= 8.0);
    }

    // Page 1: a value not entered is dashes alone, and the control data is listed or said absent.
    void pageOneRecord_data()
    {
        QTest::addColumn<bool>("control");
        QTest::addColumn<QStringList>("drawn");
        QTest::newRow("control") << true << QStringList{"Larvae in pan:", "20", "24 hrs", "2", "--------"};
        QTest::newRow("none") << false << QStringList{"Control Data", ": none entered", "--------"};
    }
    void pageOneRecord()
    {
        QFETCH(bool, control);
        QFETCH(QStringList, drawn);
        const auto ds = makeDataSet(true, fourPans());
        if (!control) ds->setControlData({});
        RecordingSurface s(427, 552, 96);
        QVERIFY(printReport(s, false, 1, {*ds, {}}, nullptr, {}));
        for (const QString& text : drawn) QVERIFY2(s.findText(text), qPrintable(text));
        QCOMPARE(bool(s.findText("Larvae in pan:")), control);
        QCOMPARE(s.texts().filter("--------").size(), 1); // the humidity, without " %"
    }

    void printerFailure()
    {
        struct Jammed : RecordingSurface {
            Jammed()
                : RecordingSurface(2550, 3300, 300)
            {}
            bool newPage() override { return false; }
        } surface;
        auto ds = makeDataSet(true, fourPans());
        QString error;
        QStringList captions;
        QVERIFY(!printReport(surface, true, 0, {*ds, {}}, &error, [&](const QString& c) { captions.append(c); }));
        QVERIFY(error.startsWith("There was an error printing:\n\n"));
        QCOMPARE(captions, (QStringList{"Pellamar - Printing Page 1...", "Pellamar - Print"}));
        QVERIFY(!surface.findText("Analysis Results"));
        QVERIFY(surface.callsOf(Op::EndDocument).empty());
    }
};

QTEST_MAIN(TestReport)
#include "tst_report.moc"
