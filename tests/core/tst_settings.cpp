#include "core/settings.h"
#include "support.h"

#include <QDir>
#include <QRandomGenerator>

using namespace pellamar;
using namespace pellamar::testing;
namespace keys = pellamar::settings_keys;

namespace {

// The settings, the floats to the last bit; an empty folder is the home folder.
QStringList exactly(const ProgramSettings& p)
{
    QStringList all{p.metric ? "True" : "False", p.initialDir.isEmpty() ? QDir::homePath() : p.initialDir,
                    QString::number(p.sampler.openingType)};
    for (float f : {p.sampler.openingArea, p.sampler.position1, p.sampler.separation})
        all << QString::number(f, 'g', 9);
    return all << p.recentFiles.join(u'|') << QString::number(p.covLimit);
}

QStringList readAll(const SettingsStore& store)
{
    return exactly({readMetric(store), readInitialDir(store), readSamplerSettings(store), readRecentFiles(store),
                    readCovLimit(store)});
}

} // namespace

Q_DECLARE_METATYPE(pellamar::ProgramSettings)

class TestSettings : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;
    int run_ = 0;
    // A new file for every case: QSettings caches what it read by file name.
    QString path() const { return dir_.filePath(QStringLiteral("Pellamar%1.ini").arg(run_)); }

private slots:
    void init() { ++run_; }

    void defaultStoreLivesInUserConfigFolder()
    {
        // Set before the first store exists: the location is fixed on first use.
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir_.path()));
        IniSettingsStore store;
        QCOMPARE(store.fileName(), dir_.path() + "/Tovanel/Pellamar.ini");
        store.saveSetting(keys::kSection, keys::kMetric, "False");
        QVERIFY(store.flush());
        QVERIFY(fileBytes(store.fileName()).contains("[Settings]\nMetric=False"));
    }

    // Nothing or garbage reads as the defaults; written, the settings read back to the bit, and
    // an empty value never overwrites what is stored.
    void writtenSettingsReadBackExactly_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<ProgramSettings>("settings");
        const auto row = [](const char* name, const QByteArray& file, const ProgramSettings& settings) {
            QTest::newRow(name) << file << settings;
        };
        row("float extremes", {},
            {true,
             "/home/ÿ/data, 2024",
             {0, 3.4028235e38f, -1.17549435e-38f, 1e-45f},
             {"/a, b.csv", "/ÿ/@x;=[q].csv"},
             15});
        row("inexact decimals", {}, {false, "@odd;name=[x] \"q\"", {3, 0.092903f, 1.0f / 3.0f, 123456.789f}, {}, 10});
        QByteArray garbage;
        QRandomGenerator random(20240611);
        for (int i = 0; i < 8192; ++i) garbage.append(static_cast<char>(random.bounded(256)));
        static const char tail[] = "\n[Settings]\nMetric=\0\xff\nSampler.Area=\x01\x02\n"
                                   "Sampler.Type=\xfe\nSampler.Separation=\x80\x80\n[Broken\n";
        row("over binary garbage", garbage + QByteArray(tail, sizeof(tail) - 1),
            {false, "/after/garbage", {2, 0.5f, -1.0f, 4.0f}, {}});
    }
    void writtenSettingsReadBackExactly()
    {
        QFETCH(QByteArray, file);
        QFETCH(ProgramSettings, settings);
        if (!file.isEmpty()) QVERIFY(writeFile(path(), file));
        {
            IniSettingsStore store(path());
            QCOMPARE(readAll(store), exactly({true, {}, {}, {}}));
            writeProgramSettings(store, settings);
            store.saveSetting(keys::kSection, keys::kInitialDir, QString());
            QString error;
            QVERIFY2(store.flush(&error), qPrintable(error));
        }
        QCOMPARE(readAll(IniSettingsStore(path())), exactly(settings));
    }

    void unusableValueReadsAsDefault_data()
    {
        QTest::addColumn<int>("index"); // in the list the program reads
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QString>("expected");
        // clang-format off
        QTest::newRow("metric false any case, blanks") << 0 << QByteArray("Metric=\" fAlSe \"") << "False";
        QTest::newRow("metric word") << 0 << QByteArray("Metric=no") << "True";
        QTest::newRow("dir empty") << 1 << QByteArray("InitialDir=") << QDir::homePath();
        QTest::newRow("dir as a list") << 1 << QByteArray("InitialDir=@Variant(\\0\\0\\0\\v\\0\\0\\0\\x1\\0\\0\\0\\x2\\0\\x32)") << QDir::homePath();
        QTest::newRow("dir as bytes") << 1 << QByteArray("InitialDir=@ByteArray(/x)") << "/x";
        QTest::newRow("type rounds out of range") << 2 << QByteArray("Sampler.Type=3.5") << "0";
        QTest::newRow("area decimal comma") << 3 << QByteArray("Sampler.Area=1,5") << "1";
        QTest::newRow("area underflows to zero") << 3 << QByteArray("Sampler.Area=1e-50") << "1";
        QTest::newRow("pos1 beyond float") << 4 << QByteArray("Sampler.Pos1=-1e39") << "0";
        QTest::newRow("separation exponent") << 5 << QByteArray("Sampler.Separation=1.25E+1") << "12.5";
        QTest::newRow("recent count not a number") << 6 << QByteArray("Recent.Count=x\nRecent.1=/a.csv") << "";
        QTest::newRow("recent beyond count and eight")
            << 6 << QByteArray("Recent.Count=99\nRecent.1=/a\nRecent.2=/a\nRecent.3=\nRecent.9=/b") << "/a";
        QTest::newRow("limit offered") << 7 << QByteArray("Swath.CovLimit=2.5e1") << "25";
        QTest::newRow("limit not offered") << 7 << QByteArray("Swath.CovLimit=12") << "30";
        // clang-format on
    }
    void unusableValueReadsAsDefault()
    {
        QFETCH(int, index);
        QFETCH(QByteArray, line);
        QVERIFY(writeFile(path(), "[Settings]\n" + line + '\n'));
        QTEST(readAll(IniSettingsStore(path()))[index], "expected");
    }

    // A file that cannot be read or written: defaults, and the flush names the file. (A file
    // without read permission is the same case for anyone but root, who reads it anyway.)
    void unusableFile_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("folder in place of the file") << "folder.ini";
        QTest::newRow("parent is a regular file") << "plain/Pellamar.ini";
    }
    void unusableFile()
    {
        QFETCH(QString, file);
        file = dir_.filePath(file);
        QVERIFY(file.endsWith("folder.ini")
                    ? QDir().mkpath(file)
                    : writeFile(dir_.filePath("plain"), "[Settings]\nMetric=False\nSampler.Area=2\n"));
        IniSettingsStore store(file);
        QCOMPARE(readAll(store), exactly({true, {}, {}, {}}));
        store.saveSetting(keys::kSection, keys::kSamplerArea, "3");
        QString error;
        QVERIFY(!store.flush(&error));
        QVERIFY2(error.contains(file), qPrintable(error));
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
