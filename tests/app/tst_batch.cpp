#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

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
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            process.readAllStandardOutput(),
            QString::fromLocal8Bit(process.readAllStandardError())};
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

const QString kSample = QStringLiteral(PELLAMAR_TEST_DATA "/writer_us.csv");

} // namespace

class TestBatch : public QObject {
    Q_OBJECT
private slots:
    void usage_data();
    void usage();
    void recomputeReproducesItsOwnOutput();
    void widthsAndPattern();
    void reportAsPdf();
    void failures_data();
    void failures();
};

void TestBatch::usage_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("exitCode");
    QTest::newRow("help") << QStringList{"--help"} << 0;
    QTest::newRow("nothing") << QStringList{} << 2;
    QTest::newRow("unknown command") << QStringList{"convert", kSample} << 2;
    QTest::newRow("no output") << QStringList{"recompute", kSample} << 2;
    QTest::newRow("unknown option") << QStringList{"recompute", kSample, "-o", "-", "--fast"} << 2;
    QTest::newRow("width 0") << QStringList{"recompute", kSample, "-o", "-", "--deposit-width", "0"}
                             << 2;
    QTest::newRow("width past the line")
        << QStringList{"recompute", kSample, "-o", "-", "--density-width", "4"} << 2;
    QTest::newRow("width not a number")
        << QStringList{"recompute", kSample, "-o", "-", "--density-width", "x"} << 2;
}

void TestBatch::usage()
{
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    const Run run = batch(args);
    QCOMPARE(run.exitCode, exitCode);
    const QString usageText = exitCode == 0 ? QString::fromLocal8Bit(run.out) : run.err;
    QVERIFY2(usageText.contains(QStringLiteral("usage: pellamar-batch recompute")),
             qPrintable(usageText));
}

void TestBatch::recomputeReproducesItsOwnOutput()
{
    QTemporaryDir dir;
    const QString first = dir.filePath(QStringLiteral("first.csv"));
    const QString second = dir.filePath(QStringLiteral("second.csv"));
    QCOMPARE(batch({"recompute", kSample, "-o", first}).exitCode, 0);
    QCOMPARE(batch({"recompute", first, "-o", second}).exitCode, 0);
    QCOMPARE(readFile(second), readFile(first));

    const Run toStdout = batch({"recompute", first, "-o", "-"});
    QCOMPARE(toStdout.exitCode, 0);
    QCOMPARE(toStdout.out, readFile(first));
}

void TestBatch::widthsAndPattern()
{
    const Run run =
        batch({"recompute", QStringLiteral(PELLAMAR_TEST_DATA "/writer_metric.csv"), "-o", "-",
               "--racetrack", "--deposit-width", "2", "--density-width", "1"});
    QCOMPARE(run.exitCode, 0);
    // Only the texts the loader shows in its general form differ from what was typed.
    QByteArray expected = readFile(QStringLiteral(PELLAMAR_TEST_DATA "/writer_racetrack.csv"));
    expected.replace("Wind Direction:,,90.0,", "Wind Direction:,,90,");
    expected.replace("Spray Rate:,,11.20,", "Spray Rate:,,11.2,");
    QCOMPARE(run.out, expected);
}

void TestBatch::reportAsPdf()
{
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("report.pdf"));
    const Run run = batch({"report", kSample, "-o", pdf, "--source", "density"});
    QCOMPARE(run.exitCode, 0);
    const QByteArray bytes = readFile(pdf);
    QVERIFY(bytes.startsWith("%PDF"));
    QCOMPARE(bytes.count("/MediaBox [0 0 612.000000 792.000000]"), 3);

    QCOMPARE(batch({"report", kSample, "-o", pdf, "--source", "both"}).exitCode, 2);
    const Run failed = batch({"report", kSample, "-o", dir.filePath(QStringLiteral("no/r.pdf"))});
    QCOMPARE(failed.exitCode, 1);
    QVERIFY2(failed.err.startsWith(QStringLiteral("There was an error printing:")),
             qPrintable(failed.err));
}

void TestBatch::failures_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<bool>("outputFolderExists");
    QTest::addColumn<QString>("message");

    const QByteArray good = readFile(kSample);
    QByteArray damaged = good;
    damaged.replace("Separation:,,32.81,ft", "Separation:,,wide,ft");
    const qsizetype rowsStart = good.indexOf("(ft),(g)");
    QByteArray noRows = good.left(good.indexOf('\n', rowsStart) + 1) + "\r\n";

    QTest::newRow("not a data set") << QByteArray("a,b\r\nc,d\r\n") << true
                                    << "'in.csv' does not appear to be a valid data set.";
    QTest::newRow("damaged") << damaged << true << "There was an error opening this file:";
    QTest::newRow("no sample data") << noRows << true << "'in.csv' holds no sample data.";
    QTest::newRow("write fails") << good << false << "There was an error while saving the output";
}

void TestBatch::failures()
{
    QFETCH(QByteArray, input);
    QFETCH(bool, outputFolderExists);
    QFETCH(QString, message);

    QTemporaryDir dir;
    const QString in = dir.filePath(QStringLiteral("in.csv"));
    writeFile(in, input);
    const QString out = outputFolderExists ? dir.filePath(QStringLiteral("out.csv"))
                                           : dir.filePath(QStringLiteral("missing/out.csv"));
    const Run run = batch({"recompute", in, "-o", out});
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.err.startsWith(message), qPrintable(run.err));
    QVERIFY(!QFile::exists(out));
}

QTEST_GUILESS_MAIN(TestBatch)
#include "tst_batch.moc"
