// Loading and saving data-set files in a real folder.
#include "core/settings.h"
#include "datafile/reader.h"
#include "datafile/writer.h"
#include "fixtures.h"
#include "swath/swath.h"
#include "ui/mainwindow.h"

#include <QFile>
#include <QFileInfo>
#include <benchmark/benchmark.h>

namespace pellamar::bench {

namespace {

const int kSizes[] = {50, 1000, 10000};

void sizes(benchmark::internal::Benchmark* b)
{
    for (int pans : kSizes) {
        b->Arg(pans);
    }
    b->Unit(benchmark::kMillisecond);
}

// Loads also at a size far beyond real lines of pans, where any work above linear shows.
void loadSizes(benchmark::internal::Benchmark* b)
{
    sizes(b);
    b->Arg(100000);
}

// Read, parse, apply and recalculate, as the window's load does before it redraws.
void BM_LoadDataSet(benchmark::State& state)
{
    const int pans = static_cast<int>(state.range(0));
    const QString path = dataSetFileFor(pans);
    const QString title = QFileInfo(path).fileName();
    DataSet dataSet(true);
    dataSet.applyUnits();
    dataSet.clearDataSet(SamplerSettings{});
    for (auto _ : state) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            state.SkipWithError("cannot open the data-set file");
            break;
        }
        const QByteArray bytes = file.readAll();
        const datafile::LoadOutcome outcome = datafile::loadDataSet(dataSet, bytes, title);
        if (!outcome.loaded) {
            state.SkipWithError("the data-set file did not load");
            break;
        }
    }
    if (dataSet.lastDataRow() != pans) {
        state.SkipWithError("the load lost pans");
    }
    describe(state, pans);
}
BENCHMARK(BM_LoadDataSet)->Apply(loadSizes)->MeasureProcessCPUTime();

// "Load Data Set" once the file is chosen: the load above plus the window following it (grid
// model reset, parameter pages, result graph), and the deferred repaint.
void BM_WindowLoadFile(benchmark::State& state)
{
    const int pans = static_cast<int>(state.range(0));
    ui::MainWindow& window = windowFor(pans);
    const QString path = dataSetFileFor(pans);
    for (auto _ : state) {
        window.loadFile(path);
        settle();
    }
    if (window.dataSet().lastDataRow() != pans) {
        state.SkipWithError("the load lost pans");
    }
    describe(state, pans);
}
BENCHMARK(BM_WindowLoadFile)->Apply(loadSizes)->MeasureProcessCPUTime();

// Writing a data-set file with the swath section of both sources: computed within the save
// (second argument 0, as pellamar-batch does), or already at hand (1), which leaves the part of
// the window's save that runs after the statistics: text, encoding, the atomic write.
void BM_SaveDataSet(benchmark::State& state)
{
    const int pans = static_cast<int>(state.range(0));
    const bool analysed = state.range(1) != 0;
    const DataSet& dataSet = dataSetFor(pans);
    swath::SwathAnalysis analysis;
    if (analysed) {
        swath::analyseSwath(analysis, swath::SwathData::from(dataSet), {});
    }
    const QString path = scratchPath(QStringLiteral("saved-%1.csv").arg(pans));
    for (auto _ : state) {
        const datafile::SaveOutcome outcome =
            analysed ? datafile::saveDataSet(path, dataSet, {}, analysis)
                     : datafile::saveDataSet(path, dataSet, {});
        if (!outcome.saved) {
            state.SkipWithError("the save failed");
            break;
        }
    }
    describe(state, pans);
    state.SetLabel(std::to_string(pans) +
                   (analysed ? " pans, statistics at hand" : " pans, all of it"));
}
BENCHMARK(BM_SaveDataSet)
    ->ArgsProduct({{50, 1000, 10000}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime();

// "Save Data Set" in the window once the file is chosen: the commit, the statistics (behind a
// progress dialog on a worker thread for long lines of pans) and the write.
void BM_WindowSaveDataSet(benchmark::State& state)
{
    const int pans = static_cast<int>(state.range(0));
    ui::MainWindow& window = windowFor(pans);
    const QString path = scratchPath(QStringLiteral("window-saved-%1.csv").arg(pans));
    window.setFileChooser([path](const ui::MainWindow::FileRequest&) { return path; });
    for (auto _ : state) {
        window.saveDataSet();
        settle();
    }
    if (!QFileInfo::exists(path)) {
        state.SkipWithError("nothing was saved");
    }
    describe(state, pans);
}
BENCHMARK(BM_WindowSaveDataSet)->Apply(sizes)->MeasureProcessCPUTime();

} // namespace

} // namespace pellamar::bench
