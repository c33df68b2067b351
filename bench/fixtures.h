#pragma once

#include "core/dataset.h"

#include <QSize>
#include <QString>
#include <memory>

namespace benchmark {
class State;
}

namespace pellamar::ui {
class MainWindow;
}

namespace pellamar::bench {

// The screen every window of the run is measured on.
inline constexpr QSize kScreen{1024, 768};

// Where the run writes its files; removed when the run ends.
QString scratchPath(const QString& name);

// A pan line as a spreader leaves it: a bell-shaped deposit centred on the line with noise
// from a fixed seed, granule counts in step with the weights, larvae and dead on every pan,
// control data and every parameter set.
std::unique_ptr<DataSet> makeDataSet(int pans);
// Built once per pan count and kept for the whole run.
DataSet& dataSetFor(int pans);
// The same data set saved as a data-set file, once per pan count.
QString dataSetFileFor(int pans);

// The main window at the measured screen size with the data set of that many pans loaded
// through "Load Data Set", shown and settled. One window is kept at a time: asking for another
// pan count replaces it.
ui::MainWindow& windowFor(int pans);
void releaseWindow();

// The size of the swath panel at the measured screen size.
QSize swathPanelSize();

// Runs everything the event loop has pending: posted events, deferred paints.
void settle();

// Names the pan count on the benchmark's line and as a counter.
void describe(benchmark::State& state, int pans);

} // namespace pellamar::bench
