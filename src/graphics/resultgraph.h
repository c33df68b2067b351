#pragma once

#include "core/units.h"
#include "graphics/frame.h"

#include <QColor>
#include <QPointF>
#include <QPolygonF>
#include <QRectF>
#include <QString>
#include <array>
#include <functional>
#include <optional>
#include <vector>

namespace pellamar {
class DataSet;
} // namespace pellamar

namespace pellamar::graphics {

// The fill colour of the result profile.
inline const QColor kGraphFillColor{125, 190, 255};

// The stretch of the sample line that holds data, in display length units, and the largest
// value of each of the five results over the whole grid (never 0: 0 becomes 1).
struct GraphRange {
    float startPosition = 0.0f;
    int firstRow = 0;
    float endPosition = 0.0f;
    int lastRow = 0;
    std::array<float, 5> maximum{};
};

// Display position of grid row r (r >= 1), stored as the grid stores positions.
float displayPosition(const DataSet& dataSet, int row);

// Nothing when no row has a sample weight, granule count or larvae text.
std::optional<GraphRange> getGraphRange(const DataSet& dataSet);

// The four axis captions: both ends of the position axis, bottom and top of the value axis.
struct ResultGraphLabels {
    QString x1, x2, y1, y2;
};

// The captions for a coordinate system, as the labels around the picture show them.
ResultGraphLabels histogramLabels(double left, double width, double top, Result result);

// How a result graph looks on one medium: the screen's picture or a paper page.
struct ResultStyle {
    // Paper: a fifth above the largest value in whole units; screen: a tenth above.
    bool paperTops = false;
    QColor fill;
    QColor flightLine; // invalid: the foreground colour
    Length line;
    Length frameLine;
    Length valueTick; // to the right of the top value
    Length valueGap;  // from the frame to the value labels
    Length axisTick;  // down from the position axis
    Length labelDrop; // from the position axis to its labels' top
    Length titleDrop; // from the position axis to its title's top
    double titleSize = 8.0;
    bool titleBold = false;
    double labelSize = 8.0;
    double noteSize = 8.0;
    bool labelBase = false; // "0" beside the base as well as the top value
    // Sets the surface's family and size for a nominal point size.
    std::function<void(Surface&, double nominalSize)> font;
};

// The graph's title: "Deposit (kg/ha)", "Cumulative Deposit Fraction" …
QString resultTitle(Result result, const Units& units);

// The passes of an averaged data set, each drawn as a thin line over their average: per pass,
// the values of the grid rows from firstRow on.
struct PassLines {
    int firstRow = 1;
    std::vector<std::vector<float>> values;
};

// One result along the sample line inside a frame: the area under the values, the flight line,
// the frame, the title above it and the top value beside it, and the note when mortality has no
// control data. Paper and screen alike; the caller draws the position axis once under the graphs.
void drawResultGraph(Surface& surface, const Frame& frame, const ResultStyle& style,
                     const DataSet& dataSet, Result shown, const std::optional<GraphRange>& range,
                     const PassLines* passes = nullptr);

// The position axis under a frame: ticks and labels at both ends, the title between them.
void drawPositionAxis(Surface& surface, const Frame& frame, const ResultStyle& style,
                      const Units& units, const QString& leftText, const QString& rightText);

// The horizontal extent of the result graphs in display length units: from pan 1 to the last row
// with data, or across the grid without data.
double resultSpan(const DataSet& dataSet, const std::optional<GraphRange>& range);
// Its right end.
double resultEnd(const DataSet& dataSet, const std::optional<GraphRange>& range);

struct ResultGraphResult {
    bool enabled = false;
    ResultGraphLabels labels;
    // The value axes after drawing, for the mouse read-out: positions from left to left + width,
    // values from 0 to top, across the plot (in the picture's pixels).
    double left = 0.0;
    double width = 1.0;
    double top = 1.0;
    QRectF plot;
};

// The area under a line of points first..last (left to right) down to `bottom`, handed to
// `draw` as polygons: one trapezoid per step, except that steps within one device pixel column
// (`column` tells a point's) merge into one polygon through that column's extreme points. The
// same picture, at a cost bounded by the pixels instead of the pans.
void areaUnder(int first, int last, double bottom, const std::function<QPointF(int)>& at,
               const std::function<double(double x)>& column,
               const std::function<void(const QPolygonF&)>& draw);

// The same area drawn: a polygon per step, each pan outlined, while a pan is at least
// kOutlinedPanLines line widths wide; narrower pans would blacken the area with their outlines,
// so it becomes one polygon outlined round the whole. Measured against the line, the rule holds
// alike on a screen and on a 1200 dpi page.
inline constexpr double kOutlinedPanLines = 3.0;
void drawAreaUnder(int first, int last, double bottom, const std::function<QPointF(int)>& at,
                   const std::function<double(double x)>& column, double panLines,
                   const std::function<void(const QPolygonF&)>& draw);

// The result graph on the screen's picture, its scale, title and position axis drawn with it.
// Without any data the picture is only cleared to disabledBackground (left as the caller
// prepared it when that colour is invalid), and the positions still read out under the mouse.
// With passes, the value axis reaches up to the highest of them.
ResultGraphResult drawResult(Surface& surface, const DataSet& dataSet, Result shown,
                             const QColor& disabledBackground = QColor(),
                             const PassLines* passes = nullptr);

// The mouse read-out at (x, y) in the graph's coordinates, e.g. " 12 m -- 3.5 kg/ha ".
QString resultTooltip(double x, double y, const Units& units, Result shown);

} // namespace pellamar::graphics
