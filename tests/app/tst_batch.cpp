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

} // namespace

class TestBatch : public QObject {
    Q_OBJECT
private slots:
    void usage_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        const QStringList out{"recompute", kSample, "-o", "-"};
        QTest::newRow("help") << QStringList{"--help"} << 0;
        QTest::newRow("nothing") << QStringList{} << 2;
        QTest::newRow("unknown command") << QStringList{"convert", kSample} << 2;
        QTest::newRow("no output") << QStringList{"recompute", kSample} << 2;
        QTest::newRow("unknown option") << out + QStringList{"--fast"} << 2;
        QTest::newRow("width 0") << out + QStringList{"--deposit-width", "0"} << 2;
        QTest::newRow("width past the line") << out + QStringList{"--density-width", "4"} << 2;
        // Page 3 shows both sources; there is no source to choose.
    }
    void usage()
    {
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        const Run run = batch(args);
        QCOMPARE(run.exitCode, exitCode);
        const QString usageText = exitCode == 0 ? QString::fromLocal8Bit(run.out) : run.err;
        QVERIFY2(usageText.contains("usage: pellamar-batch recompute"), qPrintable(usageText));
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
        QCOMPARE(bytes.count("/MediaBox [0 0 612.000000 792.000000]"), 3);
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
};

QTEST_GUILESS_MAIN(TestBatch)
#include "tst_batch.moc"
