#include "graphics/resultgraph.h"

#include "core/dataset.h"
#include "core/numbers.h"
#include "graphics/axes.h"
#include "graphics/surface.h"

#include <QPolygonF>
#include <algorithm>
#include <cmath>

namespace pellamar::graphics {

namespace {

bool holdsData(const DataSet& dataSet, int row)
{
    // Larvae count too: a mortality-only pan still belongs on the line.
    return !dataSet.input(row, ColWeight).isEmpty() || !dataSet.input(row, ColGranules).isEmpty() ||
           !dataSet.input(row, ColLarvae).isEmpty();
}

void readBack(const Surface& surface, ResultGraphResult& result)
{
    result.left = surface.scaleLeft();
    result.width = surface.scaleWidth();
    result.top = surface.scaleTop();
    result.height = surface.scaleHeight();
}

} // namespace

float displayPosition(const DataSet& dataSet, int row)
{
    const Parameters& p = dataSet.parameters();
    return static_cast<float>((double(p.position1) + double(p.separation) * double(row - 1)) *
                              double(dataSet.units().length));
}

std::optional<GraphRange> getGraphRange(const DataSet& dataSet)
{
    GraphRange range;
    bool found = false;
    const int rows = dataSet.dataRowCount();
    for (int r = 1; r <= rows; ++r) {
        if (holdsData(dataSet, r)) {
            const float position = displayPosition(dataSet, r);
            if (range.firstRow == 0) {
                range.firstRow = r;
                range.startPosition = position;
            }
            range.endPosition = position;
            range.lastRow = r;
            found = true;
        }
        const std::array<float, 5>& values = dataSet.result(r).v;
        for (std::size_t k = 0; k < values.size(); ++k) {
            range.maximum[k] = std::max(range.maximum[k], values[k]);
        }
    }
    if (!found) {
        return std::nullopt;
    }
    // A zero maximum would leave the value axis without height.
    for (float& maximum : range.maximum) {
        if (maximum == 0.0f) {
            maximum = 1.0f;
        }
    }
    if (range.endPosition == range.startPosition) {
        range.endPosition = static_cast<float>(double(range.startPosition) +
                                               double(dataSet.parameters().separation) *
                                                   double(dataSet.units().length));
    }
    return range;
}

ResultGraphLabels histogramLabels(double left, double width, double top, Result result)
{
    return {numbers::format(left, u"0"), numbers::format(left + width, u"0.0"), QStringLiteral("0"),
            numbers::format(top, result == Result::Deposit ? u"0.0" : u"0")};
}

void areaUnder(int first, int last, double bottom, const std::function<QPointF(int)>& at,
               const std::function<double(double x)>& column,
               const std::function<void(const QPolygonF&)>& draw)
{
    QPointF start = at(first);
    std::optional<QPointF> lowest;
    std::optional<QPointF> highest;
    QPolygonF corners;
    for (int r = first + 1; r <= last; ++r) {
        const QPointF point = at(r);
        if (r < last && column(point.x()) == column(start.x())) {
            if (!lowest || point.y() < lowest->y()) {
                lowest = point;
            }
            if (!highest || point.y() > highest->y()) {
                highest = point;
            }
            continue;
        }
        corners.clear();
        corners << QPointF(start.x(), bottom) << start;
        if (lowest) {
            const bool lowFirst = lowest->x() <= highest->x();
            corners << (lowFirst ? *lowest : *highest);
            if (*lowest != *highest) {
                corners << (lowFirst ? *highest : *lowest);
            }
        }
        corners << point << QPointF(point.x(), bottom);
        draw(corners);
        start = point;
        lowest.reset();
        highest.reset();
    }
}

void drawAreaUnder(int first, int last, double bottom, const std::function<QPointF(int)>& at,
                   const std::function<double(double x)>& column, double panLines,
                   const std::function<void(const QPolygonF&)>& draw)
{
    if (panLines >= kOutlinedPanLines) {
        areaUnder(first, last, bottom, at, column, draw);
        return;
    }
    // The steps' upper corners in turn, each step's first one being the last step's end.
    QPolygonF outline;
    QPointF end;
    areaUnder(first, last, bottom, at, column, [&](const QPolygonF& corners) {
        if (outline.isEmpty()) {
            outline << corners[0] << corners[1];
        }
        for (qsizetype i = 2; i + 1 < corners.size(); ++i) {
            outline << corners[i];
        }
        end = corners.back();
    });
    if (!outline.isEmpty()) {
        draw(outline << end);
    }
}

ResultGraphResult drawResult(Surface& surface, const DataSet& dataSet, Result shown,
                             const QColor& fill, const QColor& disabledBackground)
{
    const double lengthFactor = dataSet.units().length;
    const Parameters& p = dataSet.parameters();
    const double left = double(p.position1) * lengthFactor;
    ResultGraphResult result;

    const std::optional<GraphRange> range = getGraphRange(dataSet);
    if (!range) {
        if (disabledBackground.isValid()) {
            surface.clear(disabledBackground);
        }
        // Positions still read out under the mouse; the value axis stays as it was.
        const double width =
            double(p.separation) * double(dataSet.dataRowCount() - 1) * lengthFactor;
        surface.setScale(left, surface.scaleTop(), left + width,
                         surface.scaleTop() + surface.scaleHeight());
        readBack(surface, result);
        return result;
    }

    surface.clear(Qt::white);
    result.enabled = true;
    const float maximum = range->maximum[static_cast<std::size_t>(shown) - 1];
    if (!surface.setScale(left, resultAxisTop(shown, maximum), double(range->endPosition), 0.0)) {
        readBack(surface, result);
        return result;
    }

    // The flight line; it may run past the top and is cut off there.
    surface.line(0.0, 0.0, 0.0, shown == Result::CumulativeDeposit ? 1.1 : 1.2 * double(maximum),
                 QColor(255, 0, 0));

    surface.setFillColor(fill);
    const double bottom = surface.deviceHeight() - 2;
    const auto pixelX = [&](int row) {
        return std::abs(
            surface.scaleX(double(displayPosition(dataSet, row)) - left, Unit::User, Unit::Pixel));
    };
    const auto pixelY = [&](int row) {
        return bottom - std::abs(surface.scaleY(double(dataSet.result(row).value(shown)),
                                                Unit::User, Unit::Pixel));
    };
    drawAreaUnder(
        range->firstRow, range->lastRow, bottom,
        [&](int r) { return QPointF(pixelX(r), pixelY(r)); },
        [](double x) { return std::floor(x); },
        std::abs(surface.scaleX(double(p.separation) * lengthFactor, Unit::User, Unit::Pixel)) /
            surface.lineWidth(),
        [&](const QPolygonF& corners) { surface.polygonPixels(corners); });

    if (shown == Result::Mortality && dataSet.controlData().larvae == 0) {
        const QString note = QStringLiteral("No control data entered");
        const double textPixels =
            std::abs(surface.scaleY(surface.textHeight(note), Unit::User, Unit::Pixel));
        surface.setCurrentX(left + (surface.scaleWidth() - surface.textWidth(note)) / 2.0);
        surface.setCurrentY(
            surface.fromPixels({0.0, (surface.deviceHeight() - textPixels) / 2.0}).y());
        surface.print(note, false);
    }

    readBack(surface, result);
    result.labels = histogramLabels(result.left, result.width, result.top, shown);
    result.labelsChanged = true;
    return result;
}

QString resultTooltip(double x, double y, const Units& units, Result shown)
{
    return QLatin1Char(' ') + numbers::format(x, u"0 ") + units.lengthLabel +
           QStringLiteral(" -- ") + numbers::format(y, u"0.0 ") + units.graphUnit(shown) +
           QLatin1Char(' ');
}

} // namespace pellamar::graphics
