#include "fixtures.h"

#include "core/settings.h"
#include "datafile/writer.h"
#include "support.h"
#include "ui/mainwindow.h"
#include "ui/resultpanel.h"
#include "ui/swathmode.h"

#include <QApplication>
#include <QCheckBox>
#include <QTemporaryDir>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <map>

namespace pellamar::bench {

namespace {

// splitmix64: the same noise on every machine and library, unlike the standard distributions.
class Noise {
public:
    explicit Noise(std::uint64_t seed)
        : state_(seed)
    {}
    // Uniform in [-1, 1).
    double next()
    {
        state_ += 0x9E3779B97F4A7C15ull;
        std::uint64_t z = state_;
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        z ^= z >> 31;
        return static_cast<double>(z >> 11) / 4503599627370496.0 - 1.0;
    }

private:
    std::uint64_t state_;
};

QTemporaryDir& scratch()
{
    static QTemporaryDir dir;
    if (!dir.isValid()) {
        qFatal("pellamar-bench: no temporary folder");
    }
    return dir;
}

struct WindowSlot {
    int pans = 0;
    std::unique_ptr<IniSettingsStore> store;
    std::unique_ptr<ui::MainWindow> window;
};

WindowSlot& windowSlot()
{
    static WindowSlot slot;
    return slot;
}

} // namespace

QString scratchPath(const QString& name)
{
    return scratch().filePath(name);
}

std::unique_ptr<DataSet> makeDataSet(int pans)
{
    auto ds = std::make_unique<DataSet>(true);
    ds->applyUnits();
    SamplerSettings sampler;
    sampler.openingType = 1;
    sampler.openingArea = 0.1f;
    sampler.separation = 1.0f;
    sampler.position1 = -static_cast<float>(pans / 2);
    ds->clearDataSet(sampler);

    testing::enterParameters(*ds);
    // About the width of the bell's shoulders, so the 30 % rule has a real choice to make.
    ds->parameters().swathWidth = static_cast<float>(std::max(1, pans * 2 / 5));
    ds->parameters().met.humidity = 60.0f;
    ds->applyUnits();
    ds->ensureDataRows(pans);

    Noise noise(0x5EED0000u + static_cast<std::uint64_t>(pans));
    const double centre = (pans - 1) / 2.0;
    const double sigma = std::max(pans / 6.0, 1.0);
    for (int i = 0; i < pans; ++i) {
        const double z = (i - centre) / sigma;
        const double bell = std::exp(-0.5 * z * z);
        const double weight = 0.005 + 2.0 * bell * (1.0 + 0.15 * noise.next());
        const long granules = std::lround(weight * 40.0 * (1.0 + 0.1 * noise.next()));
        const long dead =
            std::min(20L, std::lround(20.0 * (0.1 + 0.8 * bell) + 2.0 * noise.next()));
        const int row = i + 1;
        ds->setInput(row, ColWeight, QString::number(weight, 'f', 3));
        ds->setInput(row, ColGranules, QString::number(granules));
        ds->setInput(row, ColLarvae, QStringLiteral("20"));
        ds->setInput(row, ColDead, QString::number(std::max(0L, dead)));
    }
    ds->calculateResults(0);
    return ds;
}

DataSet& dataSetFor(int pans)
{
    static std::map<int, std::unique_ptr<DataSet>> cache;
    std::unique_ptr<DataSet>& entry = cache[pans];
    if (!entry) {
        entry = makeDataSet(pans);
    }
    return *entry;
}

QString dataSetFileFor(int pans)
{
    static std::map<int, QString> cache;
    QString& entry = cache[pans];
    if (entry.isEmpty()) {
        const QString path = scratchPath(QStringLiteral("pans-%1.csv").arg(pans));
        const datafile::SaveOutcome saved = datafile::saveDataSet(path, dataSetFor(pans), {});
        if (!saved.saved) {
            qFatal("pellamar-bench: %s", qPrintable(saved.message));
        }
        entry = path;
    }
    return entry;
}

void settle()
{
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
}

ui::MainWindow& windowFor(int pans)
{
    WindowSlot& slot = windowSlot();
    if (slot.window && slot.pans == pans) {
        return *slot.window;
    }
    releaseWindow();
    slot.store = std::make_unique<IniSettingsStore>(scratchPath(QStringLiteral("settings.ini")));
    slot.window = std::make_unique<ui::MainWindow>(*slot.store, true, kScreen.height());
    slot.window->resize(kScreen);
    slot.window->show();
    settle();
    slot.window->loadFile(dataSetFileFor(pans));
    settle();
    if (slot.window->dataSet().lastDataRow() != pans) {
        qFatal("pellamar-bench: the window did not load %d pans", pans);
    }
    slot.pans = pans;
    return *slot.window;
}

void releaseWindow()
{
    WindowSlot& slot = windowSlot();
    slot.window.reset();
    slot.store.reset();
    slot.pans = 0;
    settle();
}

QSize swathPanelSize()
{
    static const QSize size = [] {
        ui::MainWindow& window = windowFor(50);
        QCheckBox* check = window.resultPanel()->swathCheck();
        check->click();
        settle();
        const QSize panel = window.swathMode()->panel()->size();
        check->click();
        settle();
        return panel;
    }();
    return size;
}

void describe(benchmark::State& state, int pans)
{
    state.SetLabel(std::to_string(pans) + " pans");
    state.counters["pans"] = pans;
}

} // namespace pellamar::bench
