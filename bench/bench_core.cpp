// The one recalculation, over the whole grid and for the row a commit recalculates.
#include "fixtures.h"

#include <benchmark/benchmark.h>

namespace pellamar::bench {

namespace {

void BM_CalculateResults_AllRows(benchmark::State& state)
{
    const int pans = static_cast<int>(state.range(0));
    DataSet& dataSet = dataSetFor(pans);
    for (auto _ : state) {
        dataSet.calculateResults(0);
    }
    describe(state, pans);
}
BENCHMARK(BM_CalculateResults_AllRows)
    ->Arg(50)
    ->Arg(1000)
    ->Arg(10000)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime();

void BM_CalculateResults_OneRow(benchmark::State& state)
{
    const int pans = static_cast<int>(state.range(0));
    DataSet& dataSet = dataSetFor(pans);
    // A row in the middle, as a commit there recalculates it.
    const int row = pans / 2;
    for (auto _ : state) {
        dataSet.calculateResults(row);
    }
    if (dataSet.dataRowCount() != pans) {
        state.SkipWithError("the grid grew");
    }
    describe(state, pans);
}
BENCHMARK(BM_CalculateResults_OneRow)
    ->Arg(50)
    ->Arg(1000)
    ->Arg(10000)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime();

} // namespace

} // namespace pellamar::bench
