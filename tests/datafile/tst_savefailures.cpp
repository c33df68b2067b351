#include "core/dataset.h"
#include "datafile/cp1252.h"
#include "datafile/fields.h"
#include "datafile/reader.h"
#include "datafile/writer.h"
#include "readonly_folder.h"
#include "sample_datasets.h"

#include <QElapsedTimer>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <cerrno>
#include <sys/stat.h>
#include <sys/sysmacros.h>

using namespace pellamar;
using namespace pellamar::datafile;
using pellamar::testing::fourPans;
using pellamar::testing::makeDataSet;

namespace {

const QList<Field> kTextFields{Field::Agency, Field::Sprayer, Field::ProductName};

// The node itself (a link is not followed): its type and, for a device, its numbers.
QString nodeKind(const QString& path)
{
    struct stat st {};
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0) {
        return QStringLiteral("missing");
    }
    switch (st.st_mode & S_IFMT) {
    case S_IFCHR:
        return QStringLiteral("character device %1,%2")
            .arg(major(st.st_rdev))
            .arg(minor(st.st_rdev));
    case S_IFIFO:
        return QStringLiteral("pipe");
    case S_IFLNK:
        return QStringLiteral("link");
    case S_IFREG:
        return QStringLiteral("regular file");
    default:
        return QStringLiteral("other");
    }
}

bool makeNode(const QString& path, unsigned int minorNumber)
{
    return ::mknod(QFile::encodeName(path).constData(), S_IFCHR | 0600, makedev(1, minorNumber)) ==
           0;
}

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestSaveFailures : public QObject {
    Q_OBJECT
private slots:
    void readOnlyFolder_data();
    void readOnlyFolder();
    void specialTargets_data();
    void specialTargets();
    void linkKeepsLink();
    void textRoundTrip_data();
    void textRoundTrip();
};

void TestSaveFailures::readOnlyFolder_data()
{
    QTest::addColumn<bool>("existing");
    QTest::newRow("new file") << false;
    QTest::newRow("existing file") << true;
}

void TestSaveFailures::readOnlyFolder()
{
    QFETCH(bool, existing);
    const auto ds = makeDataSet(true, fourPans());
    testing::ReadOnlyFolder folder;
    const QString path = folder.filePath(QStringLiteral("out.csv"));
    if (existing) {
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("old contents\r\n");
    }
    const QStringList before = folder.entries();
    if (const QString why = folder.lock(); !why.isEmpty()) {
        QSKIP(qPrintable(why));
    }

    const SaveOutcome outcome = saveDataSet(path, *ds, {});
    const QStringList after = folder.entries();
    folder.unlock();

    QVERIFY(!outcome.saved);
    const QString intro = saveErrorMessage(QString());
    QVERIFY2(outcome.message.startsWith(intro) && outcome.message.size() > intro.size(),
             qPrintable(outcome.message));
    QCOMPARE(after, before);
    QCOMPARE(fileBytes(path), existing ? QByteArray("old contents\r\n") : QByteArray());
}

void TestSaveFailures::specialTargets_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<int>("error"); // the system's reason, 0 for a save that works

    QTest::newRow("full device") << "full" << ENOSPC;
    QTest::newRow("link to a full device") << "link to full" << ENOSPC;
    QTest::newRow("null device") << "null" << 0;
    QTest::newRow("pipe with a reader") << "pipe with reader" << 0;
    // Waiting for a reader would freeze the window.
    QTest::newRow("pipe nobody reads") << "pipe" << ENXIO;
    QTest::newRow("the system's /dev/full") << "/dev/full" << ENOSPC;
}

void TestSaveFailures::specialTargets()
{
    QFETCH(QString, target);
    QFETCH(int, error);

    const auto ds = makeDataSet(true, fourPans());
    QTemporaryDir dir;
    const QString node = dir.filePath(QStringLiteral("node"));
    QString path = node;
    int reader = -1;
    const auto closeReader = qScopeGuard([&] {
        if (reader >= 0) {
            ::close(reader);
        }
    });

    const bool device = target.contains(QStringLiteral("full")) || target == "null";
    if (device && ::geteuid() != 0) {
        QSKIP("only root may make device nodes");
    }
    if (target == "/dev/full") {
        QCOMPARE(nodeKind(target), QStringLiteral("character device 1,7"));
        // Never risk the system's node on a writer that replaces a private one.
        QVERIFY(makeNode(node, 7));
        QVERIFY(!saveDataSet(node, *ds, {}).saved);
        QVERIFY2(nodeKind(node).startsWith(QStringLiteral("character device")),
                 "a save replaced a device node; the system's /dev/full is not tried");
        path = target;
    } else if (device) {
        QVERIFY(makeNode(node, target == "null" ? 3 : 7));
        if (target.startsWith(QStringLiteral("link"))) {
            path = dir.filePath(QStringLiteral("link"));
            QVERIFY(QFile::link(node, path));
        }
    } else {
        QCOMPARE(::mkfifo(QFile::encodeName(node).constData(), 0600), 0);
        if (target.contains(QStringLiteral("reader"))) {
            reader = ::open(QFile::encodeName(node).constData(), O_RDONLY | O_NONBLOCK);
            QVERIFY(reader >= 0);
        }
    }
    const QStringList entries =
        QDir(dir.path())
            .entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot);
    const QString kind = nodeKind(path);
    const QString nodeBefore = nodeKind(node);

    QElapsedTimer timer;
    timer.start();
    const SaveOutcome outcome = saveDataSet(path, *ds, {});
    QVERIFY(timer.elapsed() < 5000);

    QCOMPARE(nodeKind(path), kind);
    QCOMPARE(nodeKind(node), nodeBefore);
    QCOMPARE(QDir(dir.path())
                 .entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot),
             entries);
    QCOMPARE(outcome.saved, error == 0);
    QCOMPARE(outcome.message, error == 0 ? QString() : saveErrorMessage(qt_error_string(error)));
    if (reader >= 0) {
        QByteArray received(1 << 16, '\0');
        const auto n = ::read(reader, received.data(), static_cast<size_t>(received.size()));
        received.truncate(n);
        QCOMPARE(received, encodeCp1252(dataSetText(*ds, {})).bytes);
    }
}

void TestSaveFailures::linkKeepsLink()
{
    const auto ds = makeDataSet(true, fourPans());
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("target.csv"));
    const QString link = dir.filePath(QStringLiteral("link.csv"));
    {
        QFile old(target);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("old");
    }
    QVERIFY(QFile::link(target, link));
    QVERIFY(saveDataSet(link, *ds, {}).saved);
    QCOMPARE(nodeKind(link), QStringLiteral("link"));
    QCOMPARE(fileBytes(target), encodeCp1252(dataSetText(*ds, {})).bytes);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::System | QDir::Hidden),
             (QStringList{"link.csv", "target.csv"}));
}

void TestSaveFailures::textRoundTrip_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("stored"); // the text as the file holds it

    QString words;
    while (words.size() < 10000) {
        words += QStringLiteral("Vector Control District %1; ").arg(words.size());
    }
    words.truncate(10000);
    QTest::newRow("10,000 characters") << words << words.toLatin1();

    const QString quoted =
        QStringLiteral("\"Best\" Air, Inc. ").repeated(10000 / 17 + 1).left(10000);
    QTest::newRow("10,000 characters, quotes and commas")
        << quoted << "\"" + quoted.toLatin1().replace("\"", "\"\"") + "\"";

    // Every character of the code page but the comma and the quote, and the bytes it stands in.
    QString all;
    QByteArray bytes;
    for (int b = 0x20; b < 0x100; ++b) {
        if (b == ',' || b == '"' || (b >= 0x80 && b < 0xA0)) {
            continue;
        }
        all += QChar(b);
        bytes += static_cast<char>(b);
    }
    all += QStringLiteral("€‚ƒ„…†‡ˆ‰Š‹ŒŽ‘’“”•–—˜™š›œžŸ");
    bytes += QByteArray::fromHex("808283848586878889 8A8B8C8E 9192939495969798999A9B9C9E9F");
    QTest::newRow("Windows-1252") << all << bytes;
    // Bytes the code page leaves undefined come back as they were read.
    QTest::newRow("undefined bytes") << QStringLiteral("a\u0081\u008d\u008f\u0090\u009dz")
                                     << QByteArray("a\x81\x8d\x8f\x90\x9dz");
    QTest::newRow("blanks and line breaks")
        << QStringLiteral("  two\r\nlines \n") << QByteArray("\"  two\r\nlines \n\"");
}

void TestSaveFailures::textRoundTrip()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, stored);

    auto ds = makeDataSet(true, fourPans());
    for (Field f : kTextFields) {
        commitField(*ds, f, text);
    }
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("text.csv"));
    QElapsedTimer timer;
    timer.start();
    const SaveOutcome outcome = saveDataSet(path, *ds, {});
    QVERIFY2(outcome.saved, qPrintable(outcome.message));
    QCOMPARE(outcome.replacedCharacters, 0);
    const QByteArray saved = fileBytes(path);
    const auto holdsText = [&](const QByteArray& file) {
        return file.contains("\r\nAgency:,," + stored + "\r\nSprayer:,," + stored + "\r\n") &&
               file.contains("\r\nProduct:,," + stored + "\r\n");
    };
    QVERIFY(holdsText(saved));

    DataSet loaded;
    loaded.applyUnits();
    loaded.clearDataSet({});
    const LoadOutcome load = loadDataSet(loaded, saved, QStringLiteral("text.csv"), {});
    QVERIFY2(load.loaded, qPrintable(load.message));
    for (Field f : kTextFields) {
        QCOMPARE(loaded.fieldText(f), text);
    }
    QCOMPARE(loaded.parameters().agency, text);
    QCOMPARE(loaded.parameters().productName, text);
    // Saved again, the texts are the same bytes.
    QVERIFY(holdsText(encodeCp1252(dataSetText(loaded, {})).bytes));
    QVERIFY(timer.elapsed() < 2000);
}

QTEST_GUILESS_MAIN(TestSaveFailures)
#include "tst_savefailures.moc"
