#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <memory>

class QSettings;

namespace pellamar {

// The per-user store of named text values, grouped in sections.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    // The stored text, or defaultValue when it is missing or cannot be read.
    virtual QString getSetting(const QString& section, const QString& key,
                               const QString& defaultValue) const = 0;
    // An empty value is never written, so an earlier stored value survives.
    virtual void saveSetting(const QString& section, const QString& key, const QString& value) = 0;
    // Pushes pending writes to permanent storage; false (with a reason) when that failed.
    virtual bool flush(QString* error = nullptr) = 0;
};

// The store as an INI file: by default the user's own (organisation "Tovanel", application
// "Pellamar" in the per-user configuration folder), or the file named.
class IniSettingsStore final : public SettingsStore {
public:
    IniSettingsStore();
    explicit IniSettingsStore(const QString& fileName);
    ~IniSettingsStore() override;

    QString getSetting(const QString& section, const QString& key,
                       const QString& defaultValue) const override;
    void saveSetting(const QString& section, const QString& key, const QString& value) override;
    bool flush(QString* error = nullptr) override;

    QString fileName() const;

private:
    std::unique_ptr<QSettings> settings_;
};

// The program's one section and its keys.
namespace settings_keys {
inline const QString kSection = QStringLiteral("Settings");
inline const QString kMetric = QStringLiteral("Metric");
inline const QString kInitialDir = QStringLiteral("InitialDir");
inline const QString kSamplerType = QStringLiteral("Sampler.Type");
inline const QString kSamplerArea = QStringLiteral("Sampler.Area");
inline const QString kSamplerPos1 = QStringLiteral("Sampler.Pos1");
inline const QString kSamplerSeparation = QStringLiteral("Sampler.Separation");
// "Recent.Count" files, "Recent.1" the latest: a count, because an empty value is never written
// and a shorter list would otherwise keep its old tail.
inline const QString kRecentCount = QStringLiteral("Recent.Count");
inline const QString kRecentPrefix = QStringLiteral("Recent.");
// The COV limit of the swath analysis, in percent.
inline const QString kCovLimit = QStringLiteral("Swath.CovLimit");
} // namespace settings_keys

// The sampler line as the settings hold it: metric values.
struct SamplerSettings {
    std::uint8_t openingType = 0; // list index 0..3
    float openingArea = 1.0f;     // m²
    float position1 = 0.0f;       // m
    float separation = 10.0f;     // m
};

// Each reader falls back to the default for a value that is missing or unusable (not a number,
// an area or separation of 0 or below, an opening type outside 0..3), so the program never
// starts with a sampler line that cannot compute.
bool readMetric(const SettingsStore& store);
QString readInitialDir(const SettingsStore& store); // default: the user's home folder
SamplerSettings readSamplerSettings(const SettingsStore& store);

// The data-set files last loaded or saved, the latest first.
constexpr int kRecentFiles = 8;
QStringList readRecentFiles(const SettingsStore& store);
// Puts the file first, once, and drops the oldest beyond the eight kept.
void rememberRecentFile(QStringList& files, const QString& path);

// The COV limits the operator may choose for the swath analysis, in percent; the last is the
// classic 30 % rule.
inline constexpr std::array<int, 5> kCovLimitPercents{10, 15, 20, 25, 30};
// The COV limit in percent: one of the limits offered, else 30.
int readCovLimit(const SettingsStore& store);

// What the main window stores when it closes. Stored numbers read back exactly.
struct ProgramSettings {
    bool metric = true;
    QString initialDir;
    SamplerSettings sampler;
    QStringList recentFiles;
    int covLimit = 30; // percent
};
void writeProgramSettings(SettingsStore& store, const ProgramSettings& settings);

} // namespace pellamar
