#pragma once

#include "graphics/axes.h"
#include "graphics/surface.h"
#include "swath/swath.h"

#include <QString>
#include <functional>
#include <vector>

namespace pellamar {
class DataSet;
}

namespace pellamar::graphics {

// A COV above it marks a swath width as too uneven; the COV graphs draw a line there.
inline constexpr double kCovLimit = 0.3;

// What the COV graph leaves for the panel around it: where each width option goes (pixels)
// and the COV of the width shown.
struct CovGraphResult {
    std::vector<int> optionLefts; // left of the option of width index i at index i − 1
    int optionTop = 0;
    QString covLabel;
};

struct SwathGraphResult {
    QString averageLabel; // mean and unit
    QString maxMinLabel;  // "max / min"
};

// Both graphs draw on a surface whose user units are its pixels (setPixelScale), the COV graph
// first: it clears the whole surface, the swath data graph then repaints the upper part.
// An empty family means the application's default font.

// The lower graph: COV against swath width, one point per width index of the record.
CovGraphResult drawCovGraph(Surface& surface, const DataSet& dataSet,
                            const swath::SwathRecord& record, const QString& fontFamily = {});

// The upper graph: the block of the record's width index with the single pass scaled to that
// width, the mean, the flight lines and the treated block.
SwathGraphResult drawSwathGraph(Surface& surface, const DataSet& dataSet,
                                const swath::SwathRecord& record, const swath::Block& block,
                                swath::Source shownSource, const QString& fontFamily = {});

// The width axis's labels, round values in display length units; x places width index i (a
// fraction between widths).
std::vector<AxisLabel> widthAxisLabels(const Surface& surface, const DataSet& dataSet, int widths,
                                       double gap, const std::function<double(double)>& x);
// Whether a label stands on a width of its own.
bool onWidth(const DataSet& dataSet, const AxisLabel& label);
// The position axis's labels from `fromPans` to `toPans` pan separations past the first flight
// line, in display length units; x places a position given in separations.
std::vector<AxisLabel> positionAxisLabels(const Surface& surface, const DataSet& dataSet,
                                          int fromPans, int toPans, double gap,
                                          const std::function<double(double)>& x);

// Width index i as the COV graph labels it, with its unit: "35 m".
QString widthLabel(const DataSet& dataSet, int index);

// The caption before the average: "Average Deposit:" or "Average Density:".
QString averageCaption(swath::Source source);

} // namespace pellamar::graphics
