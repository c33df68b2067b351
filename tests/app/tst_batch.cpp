#include "datafile/reader.h"
#include "datafile/writer.h"
#include "support.h"

#include <QProcess>

using namespace pellamar::testing;

namespace {

struct Run {
    int exitCode = -1;
    QByteArray out;
    QString err;
};

Run batch(const QStringList& args)
{
    QProcess process;
    process.start(QStringLiteral(PELLAMAR_BATCH), args);
    process.waitForFinished(30000);
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1, process.readAllStandardOutput(),
            QString::fromLocal8Bit(process.readAllStandardError())};
}

const QString kSample = QStringLiteral(PELLAMAR_TEST_DATA "/writer_us.csv");
const QString kMetric = QStringLiteral(PELLAMAR_TEST_DATA "/writer_metric.csv");

// Width, COV and mean of deposit, then density, at the widths a saved file's swath section shows.
QStringList sectionFigures(const QByteArray& bytes)
{
    const QList<QByteArray> lines = bytes.split('\n');
    const QList<QByteArray> chosen = lines[lines.indexOf("Selected Swath Widths:\r") + 1].trimmed().split(',');
    const qsizetype table = lines.indexOf("Width,COV,Max,Mean,Min,COV,Max,Mean,Min\r");
    QStringList figures;
    for (const int s : {0, 1}) {
        const QByteArray width = chosen[3 + 4 * s].chopped(chosen[3 + 4 * s].endsWith("ft") ? 2 : 1);
        const auto row = std::find_if(lines.begin() + table, lines.end(),
                                      [&](const QByteArray& line) { return line.startsWith(width + ','); });
        const QList<QByteArray> cells = row->split(',');
        figures << width << cells[1 + 4 * s] << cells[3 + 4 * s];
    }
    return figures;
}

} // namespace

class TestBatch : public QObject {
    Q_OBJECT
private slots:
    void usage_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("shown"); // on standard output when done, else on standard error
        const QString usage = "usage: pellamar-batch recompute";
        const QStringList out{"recompute", kSample, "-o", "-"}, metric{"recompute", kMetric, "-o", "-"};
        QTest::newRow("help") << QStringList{"--help"} << 0 << "summary FILE.csv... [-o OUT.csv]";
        QTest::newRow("nothing") << QStringList{} << 2 << usage;
        QTest::newRow("unknown command") << QStringList{"convert", kSample} << 2 << usage;
        QTest::newRow("no output") << QStringList{"recompute", kSample} << 2 << "no output file (-o OUT.csv, or -o -";
        QTest::newRow("no PDF") << QStringList{"report", kSample} << 2 << "no output file (-o OUT.pdf)";
        QTest::newRow("-o last") << QStringList{"recompute", kSample, "-o"} << 2 << "-o needs a file name";
        QTest::newRow("two inputs") << QStringList{"recompute", kSample, kMetric, "-o", "-"} << 2
                                    << "more than one input";
        QTest::newRow("unknown option") << out + QStringList{"--fast"} << 2 << usage;
        QTest::newRow("width 0") << out + QStringList{"--deposit-width", "0"} << 2 << usage;
        QTest::newRow("width past the line")
            << out + QStringList{"--density-width", "4"} << 2 << "between 1 and 3 for this file (32.8ft to 98.4ft)";
        QTest::newRow("feet") << out + QStringList{"--deposit-width", "98.4ft"} << 0 << "Deposit:,98.4ft,";
        QTest::newRow("finer than shown")
            << out + QStringList{"--density-width", "65.62FT"} << 0 << "Density:,65.6ft\r";
        QTest::newRow("coarser than shown")
            << out + QStringList{"--deposit-width", "98ft"} << 2
            << "98ft is not a whole number of separations (32.8ft); nearest: 65.6ft, 98.4ft\n";
        QTest::newRow("metres, blank before the unit")
            << metric + QStringList{"--deposit-width", "20 m", "--density-width", "1"} << 0
            << "Deposit:,20m,,,Density:,10m\r";
        QTest::newRow("decimal on whole metres")
            << metric + QStringList{"--deposit-width", "20.4m"} << 2 << "nearest: 20m, 30m\n";
        QTest::newRow("below one separation") << metric + QStringList{"--deposit-width", "5m"} << 2 << "nearest: 10m\n";
        QTest::newRow("past the line") << metric + QStringList{"--deposit-width", "40m"} << 2
                                       << "widths run from 10m to 30m";
        QTest::newRow("metres on feet") << out + QStringList{"--deposit-width", "30m"} << 2
                                        << "30m is in metres, but this file is in feet: give the width in ft";
        QTest::newRow("feet on metres") << metric + QStringList{"--deposit-width", "98.4ft"} << 2
                                        << "this file is in metres";
        QTest::newRow("no unit") << metric + QStringList{"--deposit-width", "2.5"} << 2
                                 << "--deposit-width takes a width index or a width with its unit";
        QTest::newRow("summary, nothing") << QStringList{"summary"} << 2 << "no input file";
        QTest::newRow("summary, a width") << QStringList{"summary", kSample, "--density-width", "1"} << 2 << "or width";
        QTest::newRow("summary, a pattern") << QStringList{"summary", kSample, "--racetrack"} << 2 << "no --racetrack";
        QTest::newRow("summary over its input")
            << QStringList{"summary", kMetric, kSample, "-o", kSample} << 2 << "would replace an input file";
        // Page 3 shows both sources; there is no source to choose.
        const QStringList two{"average", kMetric, kMetric};
        QTest::newRow("average") << two + QStringList{"-o", "-"} << 0 << "Sprayer:,,AT-402 (2 passes averaged)";
        QTest::newRow("average, other units") << two + QStringList{kSample, "-o", "-"} << 1
                                              << "writer_us.csv: U.S. units where the first pass has metric";
        QTest::newRow("average, a missing file") << two + QStringList{"gone.csv", "-o", "-"} << 1 << "gone.csv";
        QTest::newRow("average, one pass") << QStringList{"average", kMetric, "-o", "-"} << 2 << "2 to 10 passes";
        QTest::newRow("average, eleven") << QStringList{"average"} + QStringList(11, kMetric) + QStringList{"-o", "-"}
                                         << 2 << "not 11";
        QTest::newRow("average, no output") << two << 2 << "no output file";
    }
    void usage()
    {
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QFETCH(QString, shown);
        const Run run = batch(args);
        QCOMPARE(run.exitCode, exitCode);
        const QString text = exitCode == 0 ? QString::fromLocal8Bit(run.out) : run.err;
        QVERIFY2(text.contains(shown), qPrintable(text));
    }

    // Recompute reproduces its own output, to a file or to standard output; the pattern and
    // widths given are the ones written.
    void recompute()
    {
        QTemporaryDir dir;
        const QString first = dir.filePath("first.csv"), second = dir.filePath("second.csv");
        QCOMPARE(batch({"recompute", kSample, "-o", first}).exitCode, 0);
        QCOMPARE(batch({"recompute", first, "-o", second}).exitCode, 0);
        QCOMPARE(fileBytes(second), fileBytes(first));
        const Run toStdout = batch({"recompute", first, "-o", "-"});
        QCOMPARE(toStdout.out, fileBytes(first));

        const Run run =
            batch({"recompute", kMetric, "-o", "-", "--racetrack", "--deposit-width", "2", "--density-width", "1"});
        QByteArray expected = readTestFile("writer_racetrack.csv");
        expected.replace("Wind Direction:,,90.0,", "Wind Direction:,,90,");
        expected.replace("Spray Rate:,,11.20,", "Spray Rate:,,11.2,");
        QCOMPARE(run.out, expected);
    }

    void reportAsPdf()
    {
        QTemporaryDir dir;
        const QString pdf = dir.filePath("report.pdf");
        QCOMPARE(batch({"report", kSample, "-o", pdf}).exitCode, 0);
        const QByteArray bytes = fileBytes(pdf);
        QVERIFY(bytes.startsWith("%PDF"));
        QCOMPARE(bytes.count("/MediaBox [0 0 612.000000 792.000000]"), 4); // three pages, then the pans
        const Run failed = batch({"report", kSample, "-o", dir.filePath("no/r.pdf")});
        QCOMPARE(failed.exitCode, 1);
        QVERIFY2(failed.err.startsWith("There was an error printing:"), qPrintable(failed.err));
    }

    void failures_data()
    {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<bool>("outputFolderExists");
        QTest::addColumn<QString>("message");
        const QByteArray good = fileBytes(kSample);
        QByteArray damaged = good;
        damaged.replace("Separation:,,32.81,ft", "Separation:,,wide,ft");
        const QByteArray noRows = good.left(good.indexOf('\n', good.indexOf("(ft),(g)")) + 1) + "\r\n";
        QTest::newRow("not a data set") << QByteArray("a,b\r\nc,d\r\n") << true
                                        << "'in.csv' does not appear to be a valid data set.";
        QTest::newRow("damaged") << damaged << true << "There was an error opening this file:";
        QTest::newRow("no sample data") << noRows << true << "'in.csv' holds no sample data.";
        QTest::newRow("write fails") << good << false << "There was an error while saving the output";
        // Pans with data at both ends: everything between counts, blank or not.
        QByteArray manyPans = noRows.chopped(2);
        for (qint64 k = 0, cents = 0; k <= 250000; ++k, cents += 3281) {
            manyPans += QByteArray::number(cents / 100) + '.' + QByteArray::number(cents % 100).rightJustified(2, '0') +
                        (k % 250000 == 0 ? ",1,20,,,,,,\r\n" : ",,,,,,,,\r\n");
        }
        QTest::newRow("too many pans") << manyPans + "\r\n"
                                       << true
                                       << "'in.csv' holds 250001 pans from the first to the last with data; the swath "
                                          "statistics of more than 250000 would take many minutes.";
    }
    void failures()
    {
        QFETCH(QByteArray, input);
        QFETCH(bool, outputFolderExists);
        QFETCH(QString, message);
        QTemporaryDir dir;
        QVERIFY(writeFile(dir.filePath("in.csv"), input));
        const QString out = dir.filePath(outputFolderExists ? "out.csv" : "missing/out.csv");
        const Run run = batch({"recompute", dir.filePath("in.csv"), "-o", out});
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.startsWith(message), qPrintable(run.err));
        QVERIFY(!QFile::exists(out));
    }

    // Every file listed, whatever the others: its figures, or the reader's message and exit 1.
    void summary_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("input"); // none: the file is missing
        QTest::addColumn<QString>("cells");    // after the file's name
        const QByteArray us = fileBytes(kSample), metric = fileBytes(kMetric);
        QByteArray twoPans = metric, noWidth = us;
        twoPans.replace("20,0.5,12,20,4,50.000,120.000,24.00,11.11\r\n", "");
        noWidth.replace("Swath Width:,,98.4,ft", "Swath Width:,,--------");
        const QString notRead(36, u',');
        QTest::newRow("U.S.") << "in.csv" << us
                              << "U.S.,4,32.81,98.4,32.8,0.57,148.74,32.8,0.00,148.74,32.8,0.58,31.60,32.8,0.00,31.60,"
                                 "none,none,none,none,none,32.8,32.8,32.8,32.8,32.8,"
                                 "none,none,none,none,none,32.8,32.8,32.8,32.8,32.8,";
        QTest::newRow("two pans") << "in.csv" << twoPans << "Metric,2,10.0,30.0,,,,,,,,,,,,,";
        QTest::newRow("no width, a comma in the name") << "a, b.csv" << noWidth << "U.S.,4,32.81,,32.8,0.57,446.09,";
        QTest::newRow("missing") << "in.csv" << QByteArray() << notRead + "'in.csv' was not found in ";
        QTest::newRow("no data, a comma in the name") << "a,b.csv" << us.left(us.indexOf("-32.81,1.5")) + "\r\n"
                                                      << notRead + "\"'a,b.csv' holds no sample data.\"";
    }
    void summary()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, input);
        QFETCH(QString, cells);
        QTemporaryDir dir;
        const QString path = dir.filePath(name), out = dir.filePath("summary.csv");
        QVERIFY(input.isEmpty() || writeFile(path, input));
        const Run run = batch({"summary", kMetric, path, kMetric, "-o", out});
        QCOMPARE(run.exitCode, cells.startsWith(',') ? 1 : 0);
        QCOMPARE(run.err.contains(path + ": "), cells.startsWith(','));
        const QStringList lines = QString::fromLatin1(fileBytes(out)).split("\r\n");
        QCOMPARE(lines.size(), 5);
        QVERIFY(lines[0].startsWith("File,Units,Pans,Separation,Entered Swath Width,Deposit Back-and-Forth Width,"));
        QVERIFY(lines[0].contains(",Density Racetrack Mean,Deposit B&F 10 %,Deposit B&F 15 %,"));
        QVERIFY(lines[0].endsWith(",Density Racetrack 25 %,Density Racetrack 30 %,Error"));
        const QString quoted = name.contains(',') ? '"' + path + '"' : path;
        QVERIFY2(lines[2].startsWith(quoted + ',' + cells), qPrintable(lines[2]));
        for (const int i : {1, 3}) QVERIFY(lines[i].startsWith(kMetric + ",Metric,4,10.0,30.0,10,0.57,166.67,"));
        QVERIFY(lines[4].isEmpty());
    }

    // The summary shows what the file saved from the same data shows for each pattern.
    void summaryAgreesWithTheFile_data()
    {
        QTest::addColumn<bool>("metric");
        QTest::newRow("metric") << true;
        QTest::newRow("U.S.") << false;
    }
    void summaryAgreesWithTheFile()
    {
        QFETCH(bool, metric);
        using namespace pellamar;
        QTemporaryDir dir;
        const QString path = dir.filePath("bell.csv");
        QVERIFY(datafile::saveDataSet(path, *makeDataSet(metric, bell(14)), {}).saved);
        DataSet loaded;
        loaded.applyUnits();
        QVERIFY(datafile::loadDataSet(loaded, fileBytes(path), "bell.csv").loaded);
        QStringList figures[2];
        for (const auto pattern : {swath::FlightPattern::BackAndForth, swath::FlightPattern::Racetrack}) {
            const QString saved = dir.filePath("saved.csv");
            QVERIFY(datafile::saveDataSet(saved, loaded, {pattern}).saved);
            figures[pattern == swath::FlightPattern::Racetrack] = sectionFigures(fileBytes(saved));
        }
        QStringList expected;
        for (const int s : {0, 3}) expected << figures[0].mid(s, 3) << figures[1].mid(s, 3);
        const Run run = batch({"summary", path});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(QString::fromLatin1(run.out).split("\r\n")[1].split(',').mid(5, 12), expected);
    }
};

QTEST_GUILESS_MAIN(TestBatch)
#include "tst_batch.moc"
