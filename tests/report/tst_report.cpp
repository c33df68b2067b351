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

    // Width and position labels on the panel (1024 × 768, 800 × 600) and on paper never touch and step evenly.
    void labelSteps_data()
    {
        QTest::addColumn<int>("pans");
        QTest::addColumn<QSize>("panel"); // empty: page 3 on a 1200 dpi printer
        QTest::addColumn<int>("widthLabels");
        QTest::newRow("30 pans, 800") << 30 << QSize(667, 309) << 15;
        QTest::newRow("500 pans, 1024") << 500 << QSize(867, 449) << 25;
        QTest::newRow("500 pans, paper") << 500 << QSize() << 10;
    }
    void labelSteps()
    {
        QFETCH(int, pans);
        QFETCH(QSize, panel);
        const auto ds = lineOfPans(bell(pans), -20.0f);
        const bool paper = panel.isEmpty();
        RecordingSurface s(paper ? 10200 : panel.width(), paper ? 13200 : panel.height(), paper ? 1200 : 96);
        swath::SwathRecord r;
        swath::calculateSwathStats(r, *ds, swath::Source::Deposit, {});
        const swath::Block block = buildSwathBlock(r, 1, swath::SwathInputs::from(*ds), {});
        if (paper) QVERIFY(printReport(s, true, 3, {*ds, {}}, nullptr, {}));
        if (!paper) drawCovGraph(s, *ds, r), drawSwathGraph(s, *ds, r, block, {});
        QMap<double, QList<DrawCall>> rows; // the numbers drawn on one line, by their top
        for (const DrawCall& c : s.callsOf(Op::Text))
            if (bool number = false; c.text.toDouble(&number), number) rows[c.numbers[1]] << c;
        QCOMPARE(int(rows.size()), paper ? 8 : 4); // a row of labels and a top value per graph
        for (const QList<DrawCall>& row : rows) {
            for (qsizetype i = 1; i < row.size(); ++i)
                QVERIFY(row[i].numbers[0] - row[i - 1].numbers[0] - row[i - 1].numbers[2] > (paper ? 1 / 32.0 : 3.0));
            const auto step = [&](qsizetype i) { return row[i].text.toDouble() - row[i - 1].text.toDouble(); };
            for (qsizetype i = 3; i + 1 < row.size(); ++i) QCOMPARE(step(i), step(2));
            if (row[0].text == "10") QTEST(int(row.size()), "widthLabels");
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
