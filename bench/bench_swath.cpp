// Switching the swath analysis on: the statistics of both sources and both swath graphs.
#include "datafile/writer.h"
#include "fixtures.h"
#include "graphics/paintersurface.h"
#include "graphics/swathgraphs.h"
#include "swath/swath.h"
#include "ui/mainwindow.h"
#include "ui/resultpanel.h"
#include "ui/swathmode.h"

#include <QCheckBox>
#include <QImage>
#include <benchmark/benchmark.h>

namespace pellamar::bench {

namespace {

void sizes(benchmark::internal::Benchmark* b)
{
    for (int pans : {50, 500, 1000, 2000}) {
        b->Arg(pans);
    }
    b->Unit(benchmark::kMillisecond);
}

// The engine and the drawing without the widgets: what switching on has to compute at least.
void BM_SwathSwitchOnEngine(benchmark::State& state)
{
    const int pans = static_cast<int>(state.range(0));
    const DataSet& dataSet = dataSetFor(pans);
    const auto pattern = swath::FlightPattern::BackAndForth;
    QImage image(swathPanelSize(), QImage::Format_RGB32);
    for (auto _ : state) {
        swath::SwathRecord record;
        int depositWidth = 1;
        for (swath::Source source : {swath::Source::Density, swath::Source::Deposit}) {
            swath::calculateSwathStats(record, dataSet, source, pattern);
            const swath::WidthChoice proposal = swath::selectSwathWidth(record.cov);
            depositWidth = proposal.found ? proposal.width : 1;
        }
        record.widthIndex = depositWidth;
        swath::overlapSwath(record, depositWidth, swath::SwathInputs::from(dataSet), pattern);
        image.fill(Qt::white);
        graphics::PainterSurface surface(image);
        surface.setPixelScale();
        benchmark::DoNotOptimize(
            graphics::drawCovGraph(surface, dataSet, record, graphics::kCovLimit));
        benchmark::DoNotOptimize(graphics::drawSwathGraph(
            surface, dataSet, record,
            swath::buildSwathBlock(record, depositWidth, swath::SwathInputs::from(dataSet)),
            swath::Source::Deposit));
    }
    describe(state, pans);
    state.SetLabel(std::to_string(pans) + " pans, " + std::to_string(image.width()) + "x" +
                   std::to_string(image.height()) + " px");
}
BENCHMARK(BM_SwathSwitchOnEngine)->Apply(sizes)->MeasureProcessCPUTime();

// The statistics of one source alone, the part the engine's speed decides.
void BM_SwathStatsOneSource(benchmark::State& state)
{
    const int pans = static_cast<int>(state.range(0));
    const DataSet& dataSet = dataSetFor(pans);
    swath::SwathRecord record;
    for (auto _ : state) {
        swath::calculateSwathStats(record, dataSet, swath::Source::Deposit,
                                   swath::FlightPattern::BackAndForth);
    }
    describe(state, pans);
}
BENCHMARK(BM_SwathStatsOneSource)->Apply(sizes)->MeasureProcessCPUTime();

// What opening the preview, saving or pellamar-batch computes before anything is drawn or
// written: the swath statistics of both sources, over every processor. One pass at 100,000 pans
// takes seconds, so that size runs once per repetition.
void BM_SwathStats(benchmark::State& state)
{
    const int pans = static_cast<int>(state.range(0));
    const swath::SwathData data = swath::SwathData::from(dataSetFor(pans));
    for (auto _ : state) {
        swath::SwathAnalysis analysis;
        swath::analyseSwath(analysis, data, swath::FlightPattern::BackAndForth);
        benchmark::DoNotOptimize(analysis);
    }
    describe(state, pans);
}
BENCHMARK(BM_SwathStats)
    ->Arg(50)
    ->Arg(1000)
    ->Arg(10000)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime();
BENCHMARK(BM_SwathStats)
    ->Arg(100000)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime();

// Ticking "Swath Analysis" in the window, the deferred repaint included; it is unticked again
// outside the timing.
void BM_WindowSwathSwitchOn(benchmark::State& state)
{
    const int pans = static_cast<int>(state.range(0));
    ui::MainWindow& window = windowFor(pans);
    QCheckBox* check = window.resultPanel()->swathCheck();
    QWidget* panel = window.swathMode()->panel();
    bool shown = true;
    for (auto _ : state) {
        check->click();
        settle();
        shown = shown && panel->isVisible();

        state.PauseTiming();
        check->click();
        settle();
        state.ResumeTiming();
    }
    if (!shown || panel->isVisible()) {
        state.SkipWithError("the swath analysis did not switch");
    }
    describe(state, pans);
}
BENCHMARK(BM_WindowSwathSwitchOn)->Apply(sizes)->MeasureProcessCPUTime();

} // namespace

} // namespace pellamar::bench
