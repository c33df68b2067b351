// A committed cell in the grid, end to end: the keys the operator types, Enter to leave the
// cell (which commits it and recalculates its row), the grid and result graph following, the
// deferred repaint, and the grid's visible rows painted once more.
#include "fixtures.h"
#include "ui/mainwindow.h"
#include "ui/samplegrid.h"

#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <benchmark/benchmark.h>

namespace pellamar::bench {

namespace {

void press(QWidget* target, int key, const QString& text)
{
    QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(target, &event);
}

void typeText(QWidget* target, const QString& text)
{
    for (QChar c : text) {
        const int key = c == u'.' ? int(Qt::Key_Period) : Qt::Key_0 + (c.unicode() - u'0');
        press(target, key, QString(c));
    }
}

void BM_GridCommitCell(benchmark::State& state)
{
    const int pans = static_cast<int>(state.range(0));
    ui::MainWindow& window = windowFor(pans);
    ui::SampleGrid* grid = window.grid();
    grid->setFocus();
    // In the middle of the bell, where a changed weight moves the graph.
    const int row = pans / 2;
    const QString original = window.dataSet().input(row, ColWeight);
    QImage viewport(grid->viewport()->size(), QImage::Format_ARGB32_Premultiplied);
    const QString values[] = {QStringLiteral("1.25"), QStringLiteral("2.5")};
    int turn = 0;
    for (auto _ : state) {
        state.PauseTiming();
        grid->setCurrentCell(row, ColWeight);
        settle();
        state.ResumeTiming();

        typeText(grid, values[turn]);
        press(grid, Qt::Key_Return, QStringLiteral("\r"));
        settle();
        grid->viewport()->render(&viewport);

        turn = 1 - turn;
    }
    const bool committed = window.dataSet().input(row, ColWeight) == values[1 - turn] &&
                           grid->currentColumn() == ColGranules;
    // The next benchmark finds the data set as loaded.
    grid->setCurrentCell(row, ColWeight);
    typeText(grid, original);
    press(grid, Qt::Key_Return, QStringLiteral("\r"));
    settle();
    if (!committed) {
        state.SkipWithError("the cell was not committed");
    }
    describe(state, pans);
}
BENCHMARK(BM_GridCommitCell)
    ->Arg(50)
    ->Arg(1000)
    ->Arg(10000)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime();

} // namespace

} // namespace pellamar::bench
