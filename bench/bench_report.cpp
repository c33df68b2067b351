// The report: one page onto the preview's picture, and all its pages to a PDF file.
#include "datafile/writer.h"
#include "fixtures.h"
#include "graphics/paintersurface.h"
#include "report/report.h"
#include "swath/swath.h"

#include <QGuiApplication>
#include <QImage>
#include <QPdfWriter>
#include <QPixmap>
#include <QSaveFile>
#include <QScreen>
#include <benchmark/benchmark.h>
#include <cmath>

namespace pellamar::bench {

namespace {

// The preview's picture inside its one-pixel frame.
constexpr QSize kPreviewImage{427 - 2, 552 - 2};

// The swath statistics the preview is opened with, computed once for all its pages.
swath::SwathAnalysis analysisOf(const DataSet& dataSet)
{
    swath::SwathAnalysis analysis;
    swath::analyseSwath(analysis, swath::SwathData::from(dataSet), {});
    return analysis;
}

// The preview's page picture at the screen's resolution, as the preview sets it.
QImage previewImage()
{
    QImage image(kPreviewImage, QImage::Format_RGB32);
    const auto dotsPerMeter = static_cast<int>(
        std::lround(QGuiApplication::primaryScreen()->logicalDotsPerInchX() / 0.0254));
    image.setDotsPerMeterX(dotsPerMeter);
    image.setDotsPerMeterY(dotsPerMeter);
    return image;
}

void drawPreviewPages(benchmark::State& state, int page, const report::ReportInputs& inputs)
{
    QImage image = previewImage();
    for (auto _ : state) {
        image.fill(Qt::white);
        bool drawn = false;
        {
            graphics::PainterSurface surface(image);
            drawn = report::printReport(surface, false, page, inputs);
        }
        if (!drawn) {
            state.SkipWithError("the page was not drawn");
            break;
        }
        benchmark::DoNotOptimize(QPixmap::fromImage(image));
    }
    state.SetLabel(std::to_string(inputs.dataSet.lastDataRow()) + " pans, page " +
                   std::to_string(page));
}

void BM_ReportPreviewPage(benchmark::State& state)
{
    const int pans = static_cast<int>(state.range(0));
    const DataSet& dataSet = dataSetFor(pans);
    const swath::SwathAnalysis analysis = analysisOf(dataSet);
    drawPreviewPages(state, static_cast<int>(state.range(1)), {dataSet, {}, &analysis});
    describe(state, pans);
}
BENCHMARK(BM_ReportPreviewPage)
    ->ArgsProduct({{50, 1000, 10000}, {1, 2, 3}})
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime();

// The last "Sample Data" page: its pans are found by arithmetic, so it draws as fast at
// 100,000 pans as at 1,000.
void BM_ReportLastSampleDataPage(benchmark::State& state)
{
    const int pans = static_cast<int>(state.range(0));
    const DataSet& dataSet = dataSetFor(pans);
    drawPreviewPages(state, report::reportPageCount(dataSet), {dataSet, {}});
    describe(state, pans);
}
BENCHMARK(BM_ReportLastSampleDataPage)
    ->Arg(1000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime();

// Three pages at 1200 dpi, written atomically: "Save as PDF…" in the preview, which has the
// swath statistics at hand (second argument 1), and pellamar-batch report, which computes them
// (0).
void BM_ReportPdf(benchmark::State& state)
{
    const int pans = static_cast<int>(state.range(0));
    const bool preview = state.range(1) != 0;
    const DataSet& dataSet = dataSetFor(pans);
    const swath::SwathAnalysis analysis = preview ? analysisOf(dataSet) : swath::SwathAnalysis{};
    const report::ReportInputs inputs{dataSet, {}, preview ? &analysis : nullptr};
    const QString path = scratchPath(QStringLiteral("report-%1.pdf").arg(pans));
    for (auto _ : state) {
        QSaveFile file(path);
        if (!file.open(QIODevice::WriteOnly)) {
            state.SkipWithError("cannot write the PDF");
            break;
        }
        bool drawn = false;
        {
            QPdfWriter writer(&file);
            report::setUpPdf(writer);
            graphics::PainterSurface surface(writer);
            drawn = report::printReport(surface, true, 0, inputs);
        }
        if (!drawn || !file.commit()) {
            state.SkipWithError("the PDF was not written");
            break;
        }
    }
    describe(state, pans);
    state.SetLabel(std::to_string(pans) + (preview ? " pans, from the preview" : " pans, batch"));
}
BENCHMARK(BM_ReportPdf)
    ->ArgsProduct({{50, 1000, 10000}, {1, 0}})
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime();

} // namespace

} // namespace pellamar::bench
