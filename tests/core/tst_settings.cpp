#include "core/settings.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <bit>

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

// What the program makes of one key, typed as the program uses it; any other key as plain text.
QVariant readAs(const SettingsStore& store, const QString& key)
{
    const SamplerSettings s = readSamplerSettings(store);
    return QVariantMap{
        {keys::kMetric, readMetric(store)},       {keys::kInitialDir, readInitialDir(store)},
        {keys::kSamplerType, int{s.openingType}}, {keys::kSamplerArea, s.openingArea},
        {keys::kSamplerPos1, s.position1},        {keys::kSamplerSeparation, s.separation}}
        .value(key, store.getSetting(keys::kSection, key, QStringLiteral("default")));
}

// Settings with the floats as their exact bits.
QStringList exactly(const ProgramSettings& p)
{
    QStringList all{p.metric ? "True" : "False", p.initialDir,
                    QString::number(p.sampler.openingType)};
    for (float f : {p.sampler.openingArea, p.sampler.position1, p.sampler.separation}) {
        all << QString::number(std::bit_cast<std::uint32_t>(f), 16);
    }
    return all;
}

QStringList readAll(const SettingsStore& store)
{
    return exactly({readMetric(store), readInitialDir(store), readSamplerSettings(store)});
}

QStringList defaults()
{
    return exactly({true, QDir::homePath(), {}});
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

enum class Unusable { NoReadPermission, DirectoryInPlace, ParentIsFile };

} // namespace

Q_DECLARE_METATYPE(Unusable)
Q_DECLARE_METATYPE(pellamar::ProgramSettings)

class TestSettings : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void defaultStoreLivesInUserConfigFolder();
    void writtenSettingsReadBackExactly_data();
    void writtenSettingsReadBackExactly();
    void emptyValueIsNeverWritten();
    void writesKeysInOrder();
    void unusableValueReadsAsDefault_data();
    void unusableValueReadsAsDefault();
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

void TestSettings::writtenSettingsReadBackExactly_data()
{
    QTest::addColumn<ProgramSettings>("settings");
    QTest::newRow("float extremes") << ProgramSettings{
        true, "/home/ÿ/data, 2024", {0, 3.4028235e38f, -1.17549435e-38f, 1e-45f}};
    QTest::newRow("inexact decimals")
        << ProgramSettings{false, "@odd;name=[x] \"q\"", {3, 0.092903f, 1.0f / 3.0f, 123456.789f}};
}

void TestSettings::writtenSettingsReadBackExactly()
{
    QFETCH(ProgramSettings, settings);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Pellamar.ini"));
    {
        IniSettingsStore store(path);
        writeProgramSettings(store, settings);
        QString error;
        QVERIFY2(store.flush(&error), qPrintable(error));
    }
    QCOMPARE(readAll(IniSettingsStore(path)), exactly(settings));
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
    writeProgramSettings(store, {false, "/d", {2, 1.0f, 0.0f, 10.0f}});
    QCOMPARE(store.saved, (QStringList{"Sampler.Type=2", "Sampler.Area=1", "Sampler.Pos1=0",
                                       "Sampler.Separation=10", "InitialDir=/d", "Metric=False"}));
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

    row("type tie to even", keys::kSamplerType, "2.5", 2);
    row("type rounds out of range", keys::kSamplerType, "3.5", 0);
    row("type negative", keys::kSamplerType, "-1", 0);

    row("area blanks", keys::kSamplerArea, "\" 2.25 \"", 2.25f);
    row("area negative", keys::kSamplerArea, "-0.5", 1.0f);
    row("area decimal comma", keys::kSamplerArea, "1,5", 1.0f);
    row("area underflows to zero", keys::kSamplerArea, "1e-50", 1.0f);
    row("pos1 negative", keys::kSamplerPos1, "-3.5", -3.5f);
    row("pos1 beyond float", keys::kSamplerPos1, "-1e39", 0.0f);
    row("separation zero", keys::kSamplerSeparation, "0", 10.0f);
    row("separation exponent", keys::kSamplerSeparation, "1.25E+1", 12.5f);

    row("dir empty", keys::kInitialDir, "", QDir::homePath());
    row("dir plain", keys::kInitialDir, "/data/runs", QStringLiteral("/data/runs"));

    // Values QSettings hands back as something other than text.
    row("one-item list", "Key", "@Variant(\\0\\0\\0\\v\\0\\0\\0\\x1\\0\\0\\0\\x2\\0\\x32)",
        "default");
    row("invalid variant", "Key", "@Invalid()", "default");
    row("byte array", "Key", "@ByteArray(x)", "x");
    row("empty text", "Key", "\"\"", "");
}

void TestSettings::unusableValueReadsAsDefault()
{
    QFETCH(QString, key);
    QFETCH(QByteArray, stored);
    QFETCH(QVariant, expected);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Pellamar.ini"));
    writeFile(path, "[Settings]\n" + key.toUtf8() + '=' + stored + '\n');
    QCOMPARE(readAs(IniSettingsStore(path), key), expected);
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

    const ProgramSettings settings{false, "/after/garbage", {2, 0.5f, -1.0f, 4.0f}};
    {
        IniSettingsStore store(path);
        QCOMPARE(readAll(store), defaults());
        // The old file was unreadable anyway: written over with the new values, it is saved.
        writeProgramSettings(store, settings);
        QString error;
        QVERIFY2(store.flush(&error), qPrintable(error));
    }
    QCOMPARE(readAll(IniSettingsStore(path)), exactly(settings));
}

void TestSettings::unusableFile_data()
{
    QTest::addColumn<Unusable>("kind");
    QTest::newRow("no read permission") << Unusable::NoReadPermission;
    QTest::newRow("folder in place of the file") << Unusable::DirectoryInPlace;
    QTest::newRow("parent is a regular file") << Unusable::ParentIsFile;
}

void TestSettings::unusableFile()
{
    QFETCH(Unusable, kind);

    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("Pellamar.ini"));
    const QByteArray content = "[Settings]\nMetric=False\nSampler.Area=2\n";
    // Lets the temporary folder clean itself up.
    const auto restore = qScopeGuard([&] {
        if (kind == Unusable::NoReadPermission) {
            QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
        }
    });

    switch (kind) {
    case Unusable::NoReadPermission:
        writeFile(path, content);
        QVERIFY(QFile::setPermissions(path, {}));
        if (QFile file(path); file.open(QIODevice::ReadOnly)) {
            QSKIP("this user reads files whatever their permissions (root?)");
        }
        break;
    case Unusable::DirectoryInPlace:
        QVERIFY(QDir().mkpath(path));
        break;
    case Unusable::ParentIsFile:
        writeFile(dir.filePath(QStringLiteral("plain")), content);
        path = dir.filePath(QStringLiteral("plain/Pellamar.ini"));
        break;
    }

    IniSettingsStore store(path);
    QCOMPARE(readAll(store), defaults());
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
