#include "core/fieldcommit.h"
#include "datafile/cp1252.h"
#include "datafile/reader.h"
#include "datafile/writer.h"
#include "support.h"

#include <QDir>
#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

using namespace pellamar;
using namespace pellamar::datafile;
using namespace pellamar::testing;
using swath::SwathChoice;

namespace {

SwathChoice choice(bool racetrack, int depositWidth = 0, int densityWidth = 0)
{
    return {racetrack ? swath::FlightPattern::Racetrack : swath::FlightPattern::BackAndForth,
            {depositWidth, densityWidth}};
}

// Leaves every parameter the operator may skip unentered, and no control data.
void clearEntries(DataSet& ds)
{
    Parameters& p = ds.parameters();
    p.agency.clear();
    p.releaseHeight = p.swathWidth = p.productRate = 0;
    p.met = {};
    for (int f = 0; f < kFieldCount; ++f)
        if (f < int(Field::OpeningArea) || f > int(Field::Separation)) ds.setFieldText(Field(f), QString());
    ds.setControlData({0, 0, 24.0f});
    ds.applyUnits();
}

QByteArray bytesOf(const DataSet& ds, const SwathChoice& c) { return encodeCp1252(dataSetText(ds, c)).bytes; }

// What "Load Data Set" followed by "Save Data Set" makes of a file.
QByteArray recompute(const QByteArray& file, const SwathChoice& c)
{
    DataSet ds;
    const LoadOutcome outcome = loadDataSet(ds, file, QStringLiteral("in.csv"));
    return outcome.loaded ? bytesOf(ds, c) : "load failed: " + outcome.message.toUtf8();
}

// The node itself (a link is not followed): its file type, 0 when there is none.
unsigned nodeType(const QString& path)
{
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & S_IFMT : 0;
}

bool makeDevice(const QString& path, unsigned int minorNumber)
{
    return ::mknod(QFile::encodeName(path).constData(), S_IFCHR | 0600, makedev(1, minorNumber)) == 0;
}

QStringList entries(const QString& dir)
{
    return QDir(dir).entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot);
}

const QByteArray kOld = "old contents\r\n";

} // namespace

Q_DECLARE_METATYPE(pellamar::swath::SwathChoice)

class TestWriter : public QObject {
    Q_OBJECT
    std::unique_ptr<DataSet> ds_ = makeDataSet(true, fourPans());
    QByteArray fileBytes_ = encodeCp1252(dataSetText(*ds_, {})).bytes;

private slots:
    // The program's files to the byte, written through the atomic save; metric ones read back
    // and saved again stay the same but for the fields the loader shows in their general form.
    void goldenFiles_data()
    {
        QTest::addColumn<bool>("metric");
        QTest::addColumn<int>("firstRow"); // of the four pans; 0: one pan, nothing entered
        QTest::addColumn<SwathChoice>("choice");
        QTest::addColumn<QString>("file");
        QTest::newRow("metric") << true << 1 << choice(false) << "writer_metric.csv";
        QTest::newRow("us") << false << 1 << choice(false) << "writer_us.csv";
        QTest::newRow("racetrack, chosen widths") << true << 1 << choice(true, 2, 1) << "writer_racetrack.csv";
        // A width left over from a longer line of pans falls back to the 30 % rule.
        QTest::newRow("stale width") << true << 1 << choice(false, 9) << "writer_metric.csv";
        // One pan: no width statistics, but the section and a block are still written.
        QTest::newRow("one pan, nothing entered") << true << 0 << choice(false) << "writer_one_pan.csv";
    }
    void goldenFiles()
    {
        QFETCH(bool, metric);
        QFETCH(int, firstRow);
        QFETCH(SwathChoice, choice);
        QFETCH(QString, file);
        QList<SampleRow> onePan(1);
        onePan[0].weight = "2";
        const auto ds = makeDataSet(metric, firstRow > 0 ? fourPans() : onePan, firstRow > 0 ? firstRow : 3);
        if (firstRow == 0) clearEntries(*ds);
        const QByteArray expected = readTestFile(file);
        QVERIFY(!expected.isEmpty());
        QTemporaryDir dir;
        const SaveOutcome outcome = saveDataSet(dir.filePath("out.csv"), *ds, choice);
        QVERIFY2(outcome.saved, qPrintable(outcome.message));
        // Line by line, so that a failure names the line.
        QCOMPARE(fileBytes(dir.filePath("out.csv")).split('\n'), expected.split('\n'));
        if (!metric) return;
        QByteArray again = expected;
        again.replace("Wind Direction:,,90.0,", "Wind Direction:,,90,");
        again.replace("Spray Rate:,,11.20,", "Spray Rate:,,11.2,");
        QCOMPARE(recompute(expected, choice).split('\n'), again.split('\n'));
    }

    // A sampler line too fine for its patterns keeps its digits: written as "0.0" it would never
    // load again.
    void tinySamplerLineLoadsAgain()
    {
        auto ds = makeDataSet(true, fourPans());
        ds->parameters().separation = 0.004f;
        ds->parameters().openingArea = 0.00004f;
        ds->calculateResults(0);
        DataSet loaded;
        const LoadOutcome outcome = loadDataSet(loaded, bytesOf(*ds, {}), "tiny.csv");
        QVERIFY2(outcome.loaded, qPrintable(outcome.message));
        QVERIFY(sameBits(loaded.parameters().separation, 0.004f) &&
                sameBits(loaded.parameters().openingArea, 0.00004f));
    }

    // One "?" per character the code page lacks, unpaired UTF-16 halves included.
    void codePage_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("replaced");
        const auto units = [](std::u16string_view s) { return QStringView(s).toString(); };
        QTest::newRow("code page") << "°²×€ŸÿŠ" << QByteArray("\xb0\xb2\xd7\x80\x9f\xff\x8a") << 0;
        QTest::newRow("omega, CJK") << units(u"Å\u03a9\u4e2d") << QByteArray("\xc5??") << 2;
        QTest::newRow("two pairs") << units(u"a\xd83d\xde00\xd83c\xdf3e"
                                            u"b")
                                   << QByteArray("a??b") << 2;
        QTest::newRow("high half at the end") << units(u"a\xd83d") << QByteArray("a?") << 1;
        QTest::newRow("low half alone") << units(u"\xde00x") << QByteArray("?x") << 1;
    }
    void codePage()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        QFETCH(int, replaced);
        const Encoded encoded = encodeCp1252(text);
        QCOMPARE(encoded.bytes, bytes);
        QCOMPARE(encoded.replaced, replaced);
        if (replaced == 0) QCOMPARE(decodeCp1252(bytes), text);
        auto ds = makeDataSet(true, fourPans());
        ds->setFieldText(Field::Sprayer, text);
        QTemporaryDir dir;
        const SaveOutcome outcome = saveDataSet(dir.filePath("names.csv"), *ds, {});
        QVERIFY(outcome.saved);
        QCOMPARE(outcome.replacedCharacters, replaced);
        QVERIFY(fileBytes(dir.filePath("names.csv")).contains("\r\nSprayer:,," + bytes + "\r\n"));
    }

    // A file size limit makes the write itself fail part-way, as a full disk would: the old
    // file stays and no temporary file is left behind.
    void shortWriteLeavesExistingFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("existing.csv"));
        QVERIFY(writeFile(path, kOld));
        rlimit saved{};
        getrlimit(RLIMIT_FSIZE, &saved);
        const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = saved;
        limit.rlim_cur = 512;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &limit), 0);
        const SaveOutcome outcome = saveDataSet(path, *ds_, {});
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, previousHandler);
        QVERIFY(!outcome.saved);
        QVERIFY2(outcome.message.startsWith(saveErrorMessage({})) && outcome.message.contains("too large"),
                 qPrintable(outcome.message));
        QCOMPARE(fileBytes(path), kOld);
        QCOMPARE(entries(dir.path()), QStringList{"existing.csv"});
        QVERIFY(!saveDataSet(dir.filePath("no/such/folder/out.csv"), *ds_, {}).saved);
    }

    // Devices and pipes are written in place, never replaced by a regular file.
    void specialTargets_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<int>("error"); // the system's reason, 0 for a save that works
        QTest::newRow("full device") << "full" << ENOSPC;
        QTest::newRow("null device") << "null" << 0;
        QTest::newRow("pipe with a reader") << "pipe with reader" << 0;
        // Waiting for a reader would freeze the window.
        QTest::newRow("pipe nobody reads") << "pipe" << ENXIO;
        QTest::newRow("link to a file") << "link to file" << 0;
    }
    void specialTargets()
    {
        QFETCH(QString, target);
        QFETCH(int, error);
        QTemporaryDir dir;
        const QString node = dir.filePath(QStringLiteral("node"));
        QString path = target.startsWith("link") ? dir.filePath("link") : node;
        int reader = -1;
        const auto closeReader = qScopeGuard([&] {
            if (reader >= 0) ::close(reader);
        });
        const bool device = target.contains("full") || target == "null";
        if (device && ::geteuid() != 0) QSKIP("only root may make device nodes");
        if (device) {
            QVERIFY(makeDevice(node, target == "null" ? 3 : 7));
        } else if (target.startsWith("pipe")) {
            QCOMPARE(::mkfifo(QFile::encodeName(node).constData(), 0600), 0);
            if (target.contains("reader")) reader = ::open(QFile::encodeName(node).constData(), O_RDONLY | O_NONBLOCK);
        } else {
            QVERIFY(writeFile(node, kOld));
        }
        if (path != node) QVERIFY(QFile::link(node, path));
        const QStringList before = entries(dir.path());
        const unsigned kind = nodeType(path), nodeBefore = nodeType(node);
        const SaveOutcome outcome = saveDataSet(path, *ds_, {});
        QCOMPARE(nodeType(path), kind);
        QCOMPARE(nodeType(node), nodeBefore);
        QCOMPARE(entries(dir.path()), before);
        QCOMPARE(outcome.message, error == 0 ? QString() : saveErrorMessage(qt_error_string(error)));
        QCOMPARE(outcome.saved, error == 0);
        if (reader >= 0 || target == "link to file") {
            QByteArray received(1 << 16, '\0');
            received.truncate(reader >= 0 ? ::read(reader, received.data(), received.size()) : 0);
            QCOMPARE(reader >= 0 ? received : fileBytes(node), fileBytes_);
        }
    }

    // Names of any length and every character of the code page survive a save and a load.
    void textRoundTrip_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("stored"); // the text as the file holds it
        const QString quoted = QStringLiteral("\"Best\" Air, Inc. \r\n").repeated(527).left(10000);
        QTest::newRow("10,000 characters, quotes, commas, line breaks")
            << quoted << "\"" + quoted.toLatin1().replace("\"", "\"\"") + "\"";
        // Lines of a name that look like parameter lines of a semicolon file are still the name.
        const QString lines = QStringLiteral("Units:;;Metric\r\n").repeated(30);
        QTest::newRow("lines like a semicolon file's") << lines << "\"" + lines.toLatin1() + "\"";
        QString all;
        QByteArray bytes;
        for (int b = 0x20; b < 0x100; ++b) {
            if (b != ',' && b != '"' && (b < 0x80 || b >= 0xA0)) {
                all += QChar(b);
                bytes += static_cast<char>(b);
            }
        }
        all += QStringLiteral("€‚ƒ„…†‡ˆ‰Š‹ŒŽ‘’“”•–—˜™š›œžŸ");
        bytes += QByteArray::fromHex("808283848586878889 8A8B8C8E 9192939495969798999A9B9C9E9F");
        QTest::newRow("Windows-1252") << all << bytes;
        // Bytes the code page leaves undefined come back as they were read.
        QTest::newRow("undefined bytes") << QStringLiteral("a\u0081\u008d\u008f\u0090\u009dz")
                                         << QByteArray("a\x81\x8d\x8f\x90\x9dz");
    }
    void textRoundTrip()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, stored);
        auto ds = makeDataSet(true, fourPans());
        for (Field f : {Field::Agency, Field::Sprayer, Field::ProductName}) commitField(*ds, f, text);
        QTemporaryDir dir;
        const SaveOutcome outcome = saveDataSet(dir.filePath("text.csv"), *ds, {});
        QVERIFY2(outcome.saved && outcome.replacedCharacters == 0, qPrintable(outcome.message));
        const auto holdsText = [&](const QByteArray& file) {
            return file.contains("\r\nAgency:,," + stored + "\r\nSprayer:,," + stored + "\r\n") &&
                   file.contains("\r\nProduct:,," + stored + "\r\n");
        };
        const QByteArray saved = fileBytes(dir.filePath("text.csv"));
        QVERIFY(holdsText(saved));
        DataSet loaded;
        QVERIFY(loadDataSet(loaded, saved, QStringLiteral("text.csv")).loaded);
        QCOMPARE(loaded.parameters().agency + loaded.parameters().productName, text + text);
        QCOMPARE(loaded.fieldText(Field::Sprayer), text);
        QVERIFY(holdsText(encodeCp1252(dataSetText(loaded, {})).bytes));
    }
};

QTEST_GUILESS_MAIN(TestWriter)
#include "tst_writer.moc"
