#include "core/settings.h"

#include "core/numbers.h"

#include <QDir>
#include <QMetaType>
#include <QSettings>
#include <QVariant>
#include <algorithm>
#include <optional>

namespace pellamar {

namespace {

QString settingsPath(const QString& section, const QString& key)
{
    return section + QLatin1Char('/') + key;
}

// A hand-edited "1,5" comes back as a list; taking its first item would silently turn it into 1.
bool isTextLike(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::QString:
        return true;
    case QMetaType::QStringList:
    case QMetaType::QVariantList:
    case QMetaType::QVariantMap:
    case QMetaType::QVariantHash:
        return false;
    default:
        return value.isValid() && value.canConvert<QString>();
    }
}

std::optional<float> readFloat(const SettingsStore& store, const QString& key,
                               const QString& defaultText)
{
    return numbers::parseFloat(store.getSetting(settings_keys::kSection, key, defaultText));
}

// Area and separation divide later on, so only a positive value is usable.
float readPositive(const SettingsStore& store, const QString& key, const QString& defaultText,
                   float defaultValue)
{
    const std::optional<float> value = readFloat(store, key, defaultText);
    return value && *value > 0.0f ? *value : defaultValue;
}

// Whether the file, read afresh, holds every value of the store.
bool fileHoldsAll(const QSettings& settings)
{
    const QSettings reread(settings.fileName(), QSettings::IniFormat);
    const QStringList keys = settings.allKeys();
    return std::all_of(keys.begin(), keys.end(), [&](const QString& key) {
        return reread.value(key) == settings.value(key);
    });
}

} // namespace

IniSettingsStore::IniSettingsStore()
    : settings_(std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                            QStringLiteral("Tovanel"), QStringLiteral("Pellamar")))
{}

IniSettingsStore::IniSettingsStore(const QString& fileName)
    : settings_(std::make_unique<QSettings>(fileName, QSettings::IniFormat))
{}

IniSettingsStore::~IniSettingsStore() = default;

QString IniSettingsStore::getSetting(const QString& section, const QString& key,
                                     const QString& defaultValue) const
{
    const QVariant value = settings_->value(settingsPath(section, key));
    if (!isTextLike(value)) {
        return defaultValue;
    }
    return value.toString();
}

void IniSettingsStore::saveSetting(const QString& section, const QString& key, const QString& value)
{
    if (value.isEmpty()) {
        return;
    }
    settings_->setValue(settingsPath(section, key), value);
}

bool IniSettingsStore::flush(QString* error)
{
    settings_->sync();
    QString reason;
    switch (settings_->status()) {
    case QSettings::NoError:
        return true;
    case QSettings::AccessError:
        reason = QStringLiteral("could not write settings file %1")
                     .arg(QDir::toNativeSeparators(fileName()));
        break;
    case QSettings::FormatError:
        // Also reported when an unreadable old file was written over with the new values.
        if (fileHoldsAll(*settings_)) {
            return true;
        }
        reason = QStringLiteral("settings file %1 is not in a readable format")
                     .arg(QDir::toNativeSeparators(fileName()));
        break;
    }
    if (error) {
        *error = reason;
    }
    return false;
}

QString IniSettingsStore::fileName() const
{
    return settings_->fileName();
}

bool readMetric(const SettingsStore& store)
{
    const QString text =
        store.getSetting(settings_keys::kSection, settings_keys::kMetric, QStringLiteral("True"))
            .trimmed();
    if (text.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0) {
        return true;
    }
    if (text.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0) {
        return false;
    }
    if (const std::optional<double> number = numbers::parseDouble(text)) {
        return *number != 0.0;
    }
    return true;
}

QString readInitialDir(const SettingsStore& store)
{
    const QString dir =
        store.getSetting(settings_keys::kSection, settings_keys::kInitialDir, QString());
    return dir.isEmpty() ? QDir::homePath() : dir;
}

SamplerSettings readSamplerSettings(const SettingsStore& store)
{
    const SamplerSettings defaults;
    SamplerSettings result;

    if (const std::optional<float> type =
            readFloat(store, settings_keys::kSamplerType, QStringLiteral("0"))) {
        const std::int32_t index = numbers::roundToInt32(static_cast<double>(*type));
        result.openingType =
            index >= 0 && index <= 3 ? static_cast<std::uint8_t>(index) : defaults.openingType;
    }
    result.openingArea = readPositive(store, settings_keys::kSamplerArea, QStringLiteral("1.00"),
                                      defaults.openingArea);
    result.position1 = readFloat(store, settings_keys::kSamplerPos1, QStringLiteral("0"))
                           .value_or(defaults.position1);
    result.separation = readPositive(store, settings_keys::kSamplerSeparation, QStringLiteral("10"),
                                     defaults.separation);
    return result;
}

QStringList readRecentFiles(const SettingsStore& store)
{
    using namespace settings_keys;
    const std::optional<double> count =
        numbers::parseDouble(store.getSetting(kSection, kRecentCount, QStringLiteral("0")));
    QStringList files;
    for (int i = 1; count && i <= std::min(*count, double(kRecentFiles)); ++i) {
        const QString file = store.getSetting(kSection, kRecentPrefix + QString::number(i), {});
        if (!file.isEmpty() && !files.contains(file)) {
            files << file;
        }
    }
    return files;
}

int readCovLimit(const SettingsStore& store)
{
    const std::optional<double> percent = numbers::parseDouble(
        store.getSetting(settings_keys::kSection, settings_keys::kCovLimit, QStringLiteral("30")));
    for (int offered : kCovLimitPercents) {
        if (percent && *percent == offered) {
            return offered;
        }
    }
    return 30;
}

void rememberRecentFile(QStringList& files, const QString& path)
{
    files.removeAll(path);
    files.prepend(path);
    while (files.size() > kRecentFiles) {
        files.removeLast();
    }
}

void writeProgramSettings(SettingsStore& store, const ProgramSettings& settings)
{
    using namespace settings_keys;
    const SamplerSettings& sampler = settings.sampler;
    store.saveSetting(kSection, kSamplerType, QString::number(sampler.openingType));
    store.saveSetting(kSection, kSamplerArea, numbers::formatRoundTrip(sampler.openingArea));
    store.saveSetting(kSection, kSamplerPos1, numbers::formatRoundTrip(sampler.position1));
    store.saveSetting(kSection, kSamplerSeparation, numbers::formatRoundTrip(sampler.separation));
    store.saveSetting(kSection, kInitialDir, settings.initialDir);
    store.saveSetting(kSection, kMetric,
                      settings.metric ? QStringLiteral("True") : QStringLiteral("False"));
    store.saveSetting(kSection, kCovLimit, QString::number(settings.covLimit));
    store.saveSetting(kSection, kRecentCount, QString::number(settings.recentFiles.size()));
    for (int i = 0; i < settings.recentFiles.size(); ++i) {
        store.saveSetting(kSection, kRecentPrefix + QString::number(i + 1),
                          settings.recentFiles.at(i));
    }
}

} // namespace pellamar
