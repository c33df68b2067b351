#pragma once

#include "core/dataset.h"
#include "datafile/reader.h"

#include <QString>
#include <QStringList>
#include <variant>
#include <vector>

namespace pellamar::datafile {

// Passes over one pan line are averaged from two to ten files.
inline constexpr int kMinPasses = 2;
inline constexpr int kMaxPasses = 10;

// One pass as read from its file.
struct Pass {
    QString title; // the file's name, as messages name it
    ParsedDataSet data;
};

// The passes averaged into one data set, and what each pass held, to draw and compare them.
struct AveragedPasses {
    // Per pan the sums of the passes' weights, granules, larvae and dead, over an opening area
    // of the passes' total: deposit and density read as the passes' means, granules per gram
    // and mortality as pooled figures, in any version of the program.
    ParsedDataSet averaged;
    int passCount = 0;
    // Per pass, the weights and granules of the grid rows from `averaged.firstRow` on; a blank
    // cell is 0 there, as the sums take it.
    std::vector<std::vector<float>> weights;
    std::vector<std::vector<float>> granules;
};

// Averages the passes, or says which file differs and how.
std::variant<AveragedPasses, QString> averagePasses(const std::vector<Pass>& passes);
// Reads the files and averages them; never writes to them.
std::variant<AveragedPasses, QString> averagePassFiles(const QStringList& paths);

// The deposit or density of each pass, per grid row from `averaged.firstRow` on, in the data
// set's units; other results have no lines.
std::vector<std::vector<float>> passValues(const AveragedPasses& passes, const DataSet& dataSet,
                                           Result result);

// Per grid row from `averaged.firstRow` on, the coefficient of variation of the passes'
// deposits in %; negative where their mean is 0.
std::vector<float> passSpread(const AveragedPasses& passes);
// Passes disagreeing by more than this are marked.
inline constexpr float kSpreadMarkedAbove = 50.0f;

// Whether the data set still holds the averaged pans: their cells and their sampler line.
bool holdsPasses(const DataSet& dataSet, const AveragedPasses& passes);

} // namespace pellamar::datafile
