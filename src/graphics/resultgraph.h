#pragma once

#include "core/units.h"

#include <QColor>
#include <QPointF>
#include <QPolygonF>
#include <QString>
#include <array>
#include <functional>
#include <optional>

namespace pellamar {
class DataSet;
} // namespace pellamar

namespace pellamar::graphics {

class Surface;

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

struct ResultGraphResult {
    bool enabled = false;
    ResultGraphLabels labels;
    // False when the labels are to keep what they show.
    bool labelsChanged = false;
    // The picture's coordinate system after drawing, for the mouse read-out.
    double left = 0.0;
    double width = 1.0;
    double top = 0.0;
    double height = 1.0;
};

// Draws a result along the sample line. Without any data only the
// horizontal coordinates are set and nothing is drawn; the picture is then cleared to
// disabledBackground, or left as the caller prepared it when that colour is invalid.
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

ResultGraphResult drawResult(Surface& surface, const DataSet& dataSet, Result shown,
                             const QColor& fill = kGraphFillColor,
                             const QColor& disabledBackground = QColor());

// The mouse read-out at (x, y) in the graph's coordinates, e.g. " 12 m -- 3.5 kg/ha ".
QString resultTooltip(double x, double y, const Units& units, Result shown);

} // namespace pellamar::graphics
