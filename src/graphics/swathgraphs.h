#pragma once

#include "graphics/axes.h"
#include "graphics/frame.h"
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
inline constexpr float kCovLimit = 0.3f;

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

// How the swath graphs look on one medium: the screen's panel or a paper page.
struct SwathStyle {
    Length line;
    Length frameLine;
    Length curveLine;
    Length tick;       // down from the axis, and right of the top value
    Length labelDrop;  // from the axis to its labels' top
    Length valueGap;   // from the frame to the top value
    Length labelGap;   // the least room between two labels
    bool snap = false; // ticks and labels on whole pixels
    bool mask = false; // lines that run past the plot's sides hidden under white
    QColor covLine;
    QColor overLimit;  // behind the widths whose COV is above the limit
    QColor chosenLine; // up through the width chosen
    QColor pointFill;
    Length pointRadius;
    QColor chosenFill;
    Length chosenRadius;
    Length ringRadius; // a white ring round the chosen width
    QColor treated;
    QColor mean;
    QColor block; // invalid: the foreground colour
    QColor single;
    Length captionGap;       // from the frame's top to the captions above it
    Length legendLine;       // the sample line before each legend entry
    Length keptCentre;       // width left free in the middle of the caption row (a title's)
    bool axisTitles = false; // the plots title their own axes (the panel titles them itself)
    double labelSize = 8.0;
    std::function<void(Surface&, double nominalSize)> font;
};

// The COV of every width inside a frame in percent, with the line at `limit` (a fraction) and
// the widths above it shaded, the width labels and 0, the limit and the top on the value axis,
// the width `chosen` marked (none when out of range).
void drawCovPlot(Surface& surface, const Frame& frame, const SwathStyle& style,
                 const DataSet& dataSet, const swath::SwathRecord& record, int chosen, float limit);

// The passes of the block's width side by side inside a frame: the treated block, the mean,
// the overlapped block, the single pass scaled to the width, the flight lines, the positions and
// the top value; above it the source with its unit and a legend of the lines.
void drawBlockPlot(Surface& surface, const Frame& frame, const SwathStyle& style,
                   const DataSet& dataSet, const swath::SwathRecord& record,
                   const swath::Block& block, swath::Source source);

// The panel: both graphs on a surface whose user units are its pixels, the COV graph first:
// it clears the whole surface, the swath data graph then repaints the upper part.
// An empty family means the application's default font.

// The lower graph: COV against swath width, one point per width index of the record, the width
// shown (the record's width index) marked.
CovGraphResult drawCovGraph(Surface& surface, const DataSet& dataSet,
                            const swath::SwathRecord& record, float limit,
                            const QString& fontFamily = {});

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

// A COV as the graphs and the panel show it: "27.3 %" (`pattern` "0.0") or "30 %" ("0").
QString covPercent(float cov, QStringView pattern);

// The caption before the average: "Average Deposit:" or "Average Density:".
QString averageCaption(swath::Source source);

} // namespace pellamar::graphics
