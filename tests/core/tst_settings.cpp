#include "core/settings.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <bit>
#include <utility>

using namespace pellamar;
namespace keys = pellamar::settings_keys;

namespace {

void writeFile(const QString& path, const QByteArray& content)
{
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(file.errorString()));
    QCOMPARE(file.write(content), content.size());
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// What the program makes of one key, typed as the program uses it.
QVariant readAs(const SettingsStore& store, const QString& key)
{
    const SamplerSettings sampler = readSamplerSettings(store);
    if (key == keys::kMetric) {
        return readMetric(store);
    }
    if (key == keys::kInitialDir) {
        return readInitialDir(store);
    }
    if (key == keys::kSamplerType) {
        return int{sampler.openingType};
    }
    if (key == keys::kSamplerArea) {
        return sampler.openingArea;
    }
    if (key == keys::kSamplerPos1) {
        return sampler.position1;
    }
    return sampler.separation;
}

void verifyDefaults(const SettingsStore& store)
{
    QCOMPARE(readMetric(store), true);
    QCOMPARE(readInitialDir(store), QDir::homePath());
    const SamplerSettings sampler = readSamplerSettings(store);
    QCOMPARE(sampler.openingType, 0);
    QCOMPARE(sampler.openingArea, 1.0f);
    QCOMPARE(sampler.position1, 0.0f);
    QCOMPARE(sampler.separation, 10.0f);
}

class RecordingStore final : public SettingsStore {
public:
    QStringList saved;

    QString getSetting(const QString&, const QString&, const QString& def) const override
    {
        return def;
    }
    void saveSetting(const QString&, const QString& key, const QString& value) override
    {
        saved << key + QLatin1Char('=') + value;
    }
    bool flush(QString*) override { return true; }
};

enum class Unusable { NoReadPermission, DirectoryInPlace, ParentIsFile, ReadOnlyFolder };

} // namespace

Q_DECLARE_METATYPE(Unusable)

class TestSettings : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void defaultStoreLivesInUserConfigFolder();
    void firstRunReadsDefaults();
    void writtenSettingsReadBackExactly_data();
    void writtenSettingsReadBackExactly();
    void emptyValueIsNeverWritten();
    void writesKeysInOrder();
    void unusableValueReadsAsDefault_data();
    void unusableValueReadsAsDefault();
    void nonTextValueReadsAsDefault_data();
    void nonTextValueReadsAsDefault();
    void binaryGarbageReadsAsDefaults();
    void unusableFile_data();
    void unusableFile();

private:
    QTemporaryDir configHome_;
};

void TestSettings::initTestCase()
{
    QVERIFY(configHome_.isValid());
    // Before the first store exists: the default location is fixed on first use, and a run by
    // hand must never touch the user's own settings.
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(configHome_.path()));
}

void TestSettings::defaultStoreLivesInUserConfigFolder()
{
    const QString expected = configHome_.path() + QStringLiteral("/Tovanel/Pellamar.ini");
    IniSettingsStore store;
    QCOMPARE(store.fileName(), expected);
    store.saveSetting(keys::kSection, keys::kMetric, QStringLiteral("False"));
    QString error;
    QVERIFY2(store.flush(&error), qPrintable(error));
    QVERIFY(readFile(expected).contains("Metric=False"));
}

void TestSettings::firstRunReadsDefaults()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Pellamar.ini"));
    IniSettingsStore store(path);
    verifyDefaults(store);
    QVERIFY(store.flush());
}

void TestSettings::writtenSettingsReadBackExactly_data()
{
    QTest::addColumn<bool>("metric");
    QTest::addColumn<QString>("initialDir");
    QTest::addColumn<int>("type");
    QTest::addColumn<float>("area");
    QTest::addColumn<float>("pos1");
    QTest::addColumn<float>("separation");

    QTest::newRow("awkward floats")
        << false << QStringLiteral("/data/runs") << 3 << 0.092903f << -2.5f << 1e-7f;
    QTest::newRow("float extremes") << true << QStringLiteral("/home/ÿ/data, 2024") << 0
                                    << 3.4028235e38f << -1.17549435e-38f << 1e-45f;
    QTest::newRow("inexact decimals")
        << true << QStringLiteral("@odd;name=[x] \"q\"") << 1 << 0.1f << 1.0f / 3.0f << 123456.789f;
}

void TestSettings::writtenSettingsReadBackExactly()
{
    QFETCH(bool, metric);
    QFETCH(QString, initialDir);
    QFETCH(int, type);
    QFETCH(float, area);
    QFETCH(float, pos1);
    QFETCH(float, separation);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Pellamar.ini"));
    {
        IniSettingsStore store(path);
        ProgramSettings settings{
            metric, initialDir, {static_cast<std::uint8_t>(type), area, pos1, separation}};
        writeProgramSettings(store, settings);
        QString error;
        QVERIFY2(store.flush(&error), qPrintable(error));
    }
    const IniSettingsStore store(path);
    QCOMPARE(readMetric(store), metric);
    QCOMPARE(readInitialDir(store), initialDir);
    const SamplerSettings sampler = readSamplerSettings(store);
    QCOMPARE(sampler.openingType, type);
    QCOMPARE(std::bit_cast<std::uint32_t>(sampler.openingArea), std::bit_cast<std::uint32_t>(area));
    QCOMPARE(std::bit_cast<std::uint32_t>(sampler.position1), std::bit_cast<std::uint32_t>(pos1));
    QCOMPARE(std::bit_cast<std::uint32_t>(sampler.separation),
             std::bit_cast<std::uint32_t>(separation));
}

void TestSettings::emptyValueIsNeverWritten()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Pellamar.ini"));
    {
        IniSettingsStore store(path);
        writeProgramSettings(store, ProgramSettings{});
        QCOMPARE(store.getSetting(keys::kSection, keys::kInitialDir, QStringLiteral("absent")),
                 QStringLiteral("absent"));
        store.saveSetting(keys::kSection, keys::kInitialDir, QStringLiteral("/old"));
        QVERIFY(store.flush());
    }
    IniSettingsStore store(path);
    ProgramSettings later;
    later.metric = false;
    writeProgramSettings(store, later);
    store.saveSetting(keys::kSection, keys::kMetric, QString());
    QVERIFY(store.flush());
    const IniSettingsStore reread(path);
    QCOMPARE(readInitialDir(reread), QStringLiteral("/old"));
    QCOMPARE(readMetric(reread), false);
}

void TestSettings::writesKeysInOrder()
{
    RecordingStore store;
    ProgramSettings settings;
    settings.metric = false;
    settings.initialDir = QStringLiteral("/d");
    settings.sampler.openingType = 2;
    writeProgramSettings(store, settings);

    QStringList keysWritten;
    for (const QString& entry : std::as_const(store.saved)) {
        keysWritten << entry.section(QLatin1Char('='), 0, 0);
    }
    QCOMPARE(keysWritten,
             (QStringList{keys::kSamplerType, keys::kSamplerArea, keys::kSamplerPos1,
                          keys::kSamplerSeparation, keys::kInitialDir, keys::kMetric}));
    QCOMPARE(store.saved.first(), QStringLiteral("Sampler.Type=2"));
    QCOMPARE(store.saved.last(), QStringLiteral("Metric=False"));
}

void TestSettings::unusableValueReadsAsDefault_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QByteArray>("stored"); // as it stands in the file
    QTest::addColumn<QVariant>("expected");

    const auto row = [](const char* name, const QString& key, const char* stored, QVariant v) {
        QTest::newRow(name) << key << QByteArray(stored) << v;
    };
    row("metric false any case, blanks", keys::kMetric, "\" fAlSe \"", false);
    row("metric zero", keys::kMetric, "0.0", false);
    row("metric non-zero", keys::kMetric, "-2", true);
    row("metric word", keys::kMetric, "no", true);
    row("metric list", keys::kMetric, "0,0", true);
    row("metric empty", keys::kMetric, "", true);

    row("type decimal", keys::kSamplerType, "2.0", 2);
    row("type tie to even", keys::kSamplerType, "2.5", 2);
    row("type rounds out of range", keys::kSamplerType, "3.5", 0);
    row("type negative", keys::kSamplerType, "-1", 0);
    row("type too large", keys::kSamplerType, "1e9", 0);
    row("type word", keys::kSamplerType, "three", 0);
    row("type list", keys::kSamplerType, "2,0", 0);

    row("area blanks", keys::kSamplerArea, "\" 2.25 \"", 2.25f);
    row("area zero", keys::kSamplerArea, "0", 1.0f);
    row("area negative", keys::kSamplerArea, "-0.5", 1.0f);
    row("area decimal comma", keys::kSamplerArea, "1,5", 1.0f);
    row("area underflows to zero", keys::kSamplerArea, "1e-50", 1.0f);
    row("area beyond float", keys::kSamplerArea, "1e39", 1.0f);
    row("area nan", keys::kSamplerArea, "nan", 1.0f);
    row("area hex", keys::kSamplerArea, "0x10", 1.0f);

    row("pos1 negative", keys::kSamplerPos1, "-3.5", -3.5f);
    row("pos1 word", keys::kSamplerPos1, "left", 0.0f);
    row("pos1 beyond float", keys::kSamplerPos1, "-1e39", 0.0f);
    row("pos1 infinity", keys::kSamplerPos1, "-inf", 0.0f);

    row("separation zero", keys::kSamplerSeparation, "0", 10.0f);
    row("separation negative", keys::kSamplerSeparation, "-5", 10.0f);
    row("separation empty", keys::kSamplerSeparation, "", 10.0f);
    row("separation exponent", keys::kSamplerSeparation, "1.25E+1", 12.5f);

    row("dir empty", keys::kInitialDir, "", QDir::homePath());
    row("dir plain", keys::kInitialDir, "/data/runs", QStringLiteral("/data/runs"));
}

void TestSettings::unusableValueReadsAsDefault()
{
    QFETCH(QString, key);
    QFETCH(QByteArray, stored);
    QFETCH(QVariant, expected);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Pellamar.ini"));
    writeFile(path, "[Settings]\n" + key.toUtf8() + '=' + stored + '\n');
    const IniSettingsStore store(path);
    QCOMPARE(readAs(store, key), expected);
}

void TestSettings::nonTextValueReadsAsDefault_data()
{
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<QString>("expected");

    QTest::newRow("list") << QByteArray("a, b") << QStringLiteral("default");
    QTest::newRow("one-item list")
        << QByteArray("@Variant(\\0\\0\\0\\v\\0\\0\\0\\x1\\0\\0\\0\\x2\\0\\x32)")
        << QStringLiteral("default");
    QTest::newRow("invalid variant") << QByteArray("@Invalid()") << QStringLiteral("default");
    QTest::newRow("byte array") << QByteArray("@ByteArray(x)") << QStringLiteral("x");
    QTest::newRow("empty text") << QByteArray("\"\"") << QString();
}

void TestSettings::nonTextValueReadsAsDefault()
{
    QFETCH(QByteArray, stored);
    QFETCH(QString, expected);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Pellamar.ini"));
    writeFile(path, "[Settings]\nKey=" + stored + '\n');
    const IniSettingsStore store(path);
    QCOMPARE(store.getSetting(keys::kSection, QStringLiteral("Key"), QStringLiteral("default")),
             expected);
}

void TestSettings::binaryGarbageReadsAsDefaults()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Pellamar.ini"));
    QByteArray garbage;
    QRandomGenerator random(20240611);
    for (int i = 0; i < 8192; ++i) {
        garbage.append(static_cast<char>(random.bounded(256)));
    }
    static const char tail[] = "\n[Settings]\nMetric=\0\xff\nSampler.Area=\x01\x02\n"
                               "Sampler.Type=\xfe\nSampler.Separation=\x80\x80\n[Broken\n";
    garbage.append(tail, sizeof(tail) - 1);
    writeFile(path, garbage);

    ProgramSettings settings;
    settings.metric = false;
    settings.initialDir = QStringLiteral("/after/garbage");
    settings.sampler = {2, 0.5f, -1.0f, 4.0f};
    {
        IniSettingsStore store(path);
        verifyDefaults(store);
        // The old file was unreadable anyway; what matters is that the new values arrive.
        writeProgramSettings(store, settings);
        QString error;
        QVERIFY(store.flush(&error) || !error.isEmpty());
    }
    const IniSettingsStore store(path);
    QCOMPARE(readMetric(store), false);
    QCOMPARE(readInitialDir(store), settings.initialDir);
    const SamplerSettings sampler = readSamplerSettings(store);
    QCOMPARE(sampler.openingType, 2);
    QCOMPARE(sampler.openingArea, 0.5f);
    QCOMPARE(sampler.position1, -1.0f);
    QCOMPARE(sampler.separation, 4.0f);
}

void TestSettings::unusableFile_data()
{
    QTest::addColumn<Unusable>("kind");
    QTest::newRow("no read permission") << Unusable::NoReadPermission;
    QTest::newRow("folder in place of the file") << Unusable::DirectoryInPlace;
    QTest::newRow("parent is a regular file") << Unusable::ParentIsFile;
    QTest::newRow("read-only folder") << Unusable::ReadOnlyFolder;
}

void TestSettings::unusableFile()
{
    QFETCH(Unusable, kind);

    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("Pellamar.ini"));
    const QByteArray content = "[Settings]\nMetric=False\nSampler.Area=2\n";
    const QString lockedFolder = dir.filePath(QStringLiteral("locked"));
    // Lets the temporary folder clean itself up.
    const auto restore = qScopeGuard([&] {
        if (kind == Unusable::NoReadPermission) {
            QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
        }
        QFile::setPermissions(lockedFolder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    });

    switch (kind) {
    case Unusable::NoReadPermission: {
        writeFile(path, content);
        QVERIFY(QFile::setPermissions(path, {}));
        if (QFile file(path); file.open(QIODevice::ReadOnly)) {
            QSKIP("this user reads files whatever their permissions (root?)");
        }
        break;
    }
    case Unusable::DirectoryInPlace:
        QVERIFY(QDir().mkpath(path));
        break;
    case Unusable::ParentIsFile:
        writeFile(dir.filePath(QStringLiteral("plain")), content);
        path = dir.filePath(QStringLiteral("plain/Pellamar.ini"));
        break;
    case Unusable::ReadOnlyFolder:
        QVERIFY(QDir().mkpath(lockedFolder));
        QVERIFY(QFile::setPermissions(lockedFolder, QFile::ReadOwner | QFile::ExeOwner));
        path = lockedFolder + QStringLiteral("/Pellamar.ini");
        if (QFile probe(path); probe.open(QIODevice::WriteOnly)) {
            probe.remove();
            QSKIP("this user writes into read-only folders (root?)");
        }
        break;
    }

    IniSettingsStore store(path);
    verifyDefaults(store);
    store.saveSetting(keys::kSection, keys::kSamplerArea, QStringLiteral("3"));
    QString error;
    QVERIFY(!store.flush(&error));
    QVERIFY2(error.contains(path), qPrintable(error));

    if (kind == Unusable::NoReadPermission) {
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner));
        QCOMPARE(readFile(path), content);
    }
}

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
