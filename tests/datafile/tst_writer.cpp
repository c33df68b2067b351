#include "core/dataset.h"
#include "datafile/cp1252.h"
#include "datafile/writer.h"
#include "sample_datasets.h"

#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <sys/resource.h>

using namespace pellamar;
using namespace pellamar::datafile;
using pellamar::testing::fourPans;
using pellamar::testing::makeDataSet;
using pellamar::testing::readTestFile;

class TestWriter : public QObject {
    Q_OBJECT
private slots:
    void exactBytes_data();
    void exactBytes();
    void notEnteredAndSingleRow();
    void charactersOutsideTheCodePage();
    void oneQuestionMarkPerCharacter_data();
    void oneQuestionMarkPerCharacter();
    void failedSaveLeavesExistingFile();
    void saveIntoMissingFolderReports();
};

void TestWriter::exactBytes_data()
{
    QTest::addColumn<bool>("metric");
    QTest::addColumn<bool>("racetrack");
    QTest::addColumn<int>("depositWidth");
    QTest::addColumn<int>("densityWidth");
    QTest::addColumn<QString>("expectedFile");

    QTest::newRow("metric") << true << false << 0 << 0 << "writer_metric.csv";
    QTest::newRow("us") << false << false << 0 << 0 << "writer_us.csv";
    QTest::newRow("racetrack, chosen widths") << true << true << 2 << 1 << "writer_racetrack.csv";
    // A width left over from a longer line of pans falls back to the 30 % rule.
    QTest::newRow("stale width") << true << false << 9 << 0 << "writer_metric.csv";
}

void TestWriter::exactBytes()
{
    QFETCH(bool, metric);
    QFETCH(bool, racetrack);
    QFETCH(int, depositWidth);
    QFETCH(int, densityWidth);
    QFETCH(QString, expectedFile);

    const auto ds = makeDataSet(metric, fourPans());
    SwathChoice choice;
    choice.pattern =
        racetrack ? swath::FlightPattern::Racetrack : swath::FlightPattern::BackAndForth;
    choice.selectedWidth = {depositWidth, densityWidth};
    const QByteArray expected = readTestFile(expectedFile);
    QVERIFY(!expected.isEmpty());

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("out.csv"));
    const SaveOutcome outcome = saveDataSet(path, *ds, choice);
    QVERIFY2(outcome.saved, qPrintable(outcome.message));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray actual = file.readAll();
    // Compare line by line first so a failure names the line.
    const QList<QByteArray> actualLines = actual.split('\n');
    const QList<QByteArray> expectedLines = expected.split('\n');
    for (qsizetype i = 0; i < std::min(actualLines.size(), expectedLines.size()); ++i) {
        QCOMPARE(actualLines[i], expectedLines[i]);
    }
    QCOMPARE(actual, expected);
}

void TestWriter::notEnteredAndSingleRow()
{
    auto ds = makeDataSet(true, {{"2", "", "", ""}}, 3);
    Parameters& p = ds->parameters();
    p.releaseHeight = 0;
    p.met.fill(kNotEntered);
    p.productRate = 0;
    for (Field f : {Field::Agency, Field::ReleaseHeight, Field::MetHeight, Field::AirTemperature,
                    Field::WindSpeed, Field::WindDirection, Field::ProductRate}) {
        ds->setFieldText(f, QString());
    }
    ds->setControlData({0, 0, 24.0f});
    const QStringList lines = dataSetText(*ds, {}).split(QStringLiteral("\r\n"));

    QCOMPARE(lines[9], QStringLiteral("Agency:,,--------"));
    QCOMPARE(lines[11], QStringLiteral("Release Height:,,--------"));
    QCOMPARE(lines[19], QStringLiteral("Height:,,--------"));
    QCOMPARE(lines[26], QStringLiteral("Spray Rate:,,--------"));
    QCOMPARE(lines[32], QStringLiteral("Number in pan:,,0"));
    QCOMPARE(lines[33], QStringLiteral("Time after treatment:,,24"));
    QCOMPARE(lines[42], QStringLiteral("10,2,,,,200.000,,,"));
    // One pan: no width statistics, but the section and a block are still written.
    const qsizetype header =
        lines.indexOf(QStringLiteral("Width,COV,Max,Mean,Min,COV,Max,Mean,Min"));
    QVERIFY(header > 0);
    QCOMPARE(lines[header + 1], QString());
    QCOMPARE(lines[header - 3], QStringLiteral(",,Deposit:,10m,,,Density:,10m"));
    QCOMPARE(lines[header + 2], QStringLiteral("Position,Deposit,,,Density"));
    QVERIFY(lines.contains(QStringLiteral("10,66.667,--------,,0.000,--------,")));
    QCOMPARE(lines.last(), QString());
}

void TestWriter::charactersOutsideTheCodePage()
{
    auto ds = makeDataSet(true, fourPans());
    ds->setFieldText(Field::Sprayer, QStringLiteral("Åsa € \u4e2d\U0001F600"));
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("names.csv"));
    const SaveOutcome outcome = saveDataSet(path, *ds, {});
    QVERIFY(outcome.saved);
    QCOMPARE(outcome.replacedCharacters, 2);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.readAll().contains("Sprayer:,,\xC5sa \x80 ??\r\n"));
    QCOMPARE(decodeCp1252(encodeCp1252(QStringLiteral("°²×€ŸÿŠ")).bytes),
             QStringLiteral("°²×€ŸÿŠ"));
}

void TestWriter::oneQuestionMarkPerCharacter_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("replaced");

    // Raw UTF-16, unpaired halves included.
    const auto units = [](std::u16string_view s) { return QStringView(s).toString(); };
    QTest::newRow("omega") << units(u"\u03a9") << QByteArray("?") << 1;
    QTest::newRow("two pairs") << units(u"a\xd83d\xde00\xd83c\xdf3e"
                                        u"b")
                               << QByteArray("a??b") << 2;
    QTest::newRow("high half at the end") << units(u"a\xd83d") << QByteArray("a?") << 1;
    QTest::newRow("high half, then no low") << units(u"\xd83dx") << QByteArray("?x") << 1;
    QTest::newRow("low half alone") << units(u"\xde00x") << QByteArray("?x") << 1;
    QTest::newRow("high, high, low") << units(u"\xd83d\xd83d\xde00") << QByteArray("??") << 2;
}

void TestWriter::oneQuestionMarkPerCharacter()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QFETCH(int, replaced);
    const Encoded encoded = encodeCp1252(text);
    QCOMPARE(encoded.bytes, bytes);
    QCOMPARE(encoded.replaced, replaced);
}

void TestWriter::failedSaveLeavesExistingFile()
{
    const auto ds = makeDataSet(true, fourPans());
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("existing.csv"));
    {
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("old contents\r\n");
    }
    // A file size limit makes the write itself fail part-way, as a full disk would.
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = saved;
    limit.rlim_cur = 512;
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &limit), 0);
    const SaveOutcome outcome = saveDataSet(path, *ds, {});
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);

    QVERIFY(!outcome.saved);
    QVERIFY2(outcome.message.startsWith(
                 QStringLiteral("There was an error while saving the output file.\n\n")),
             qPrintable(outcome.message));
    QVERIFY2(outcome.message.contains(QStringLiteral("too large")), qPrintable(outcome.message));
    QFile old(path);
    QVERIFY(old.open(QIODevice::ReadOnly));
    QCOMPARE(old.readAll(), QByteArray("old contents\r\n"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
             QStringList{QStringLiteral("existing.csv")});
}

void TestWriter::saveIntoMissingFolderReports()
{
    const auto ds = makeDataSet(true, fourPans());
    QTemporaryDir dir;
    const SaveOutcome outcome =
        saveDataSet(dir.filePath(QStringLiteral("no/such/folder/out.csv")), *ds, {});
    QVERIFY(!outcome.saved);
    QVERIFY(outcome.message.startsWith(QStringLiteral("There was an error while saving")));
}

QTEST_GUILESS_MAIN(TestWriter)
#include "tst_writer.moc"
