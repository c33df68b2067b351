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
    }
    void pages()
    {
        QFETCH(int, kind);
        QFETCH(int, page);
        std::unique_ptr<DataSet> ds;
        swath::SwathChoice choice;
        if (kind == 2)
            ds = lineOfPans(bell(5), 20.0f, 5.0f);
        else
            ds = makeDataSet(kind == 0, bell(kind == 0 ? 12 : 30));
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
