#include "graphics/resultgraph.h"

#include "core/dataset.h"
#include "core/numbers.h"
#include "graphics/axes.h"
#include "graphics/surface.h"

#include <QFont>
#include <QPolygonF>
#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <utility>
#include <vector>

namespace pellamar::graphics {

namespace {

bool holdsData(const DataSet& dataSet, int row)
{
    // Larvae count too: a mortality-only pan still belongs on the line.
    return !dataSet.input(row, ColWeight).isEmpty() || !dataSet.input(row, ColGranules).isEmpty() ||
           !dataSet.input(row, ColLarvae).isEmpty();
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
    // Kept with the step's start: the column is asked once per point, not twice.
    double startColumn = column(start.x());
    std::optional<QPointF> lowest;
    std::optional<QPointF> highest;
    QPolygonF corners;
    for (int r = first + 1; r <= last; ++r) {
        const QPointF point = at(r);
        const double pointColumn = r < last ? column(point.x()) : startColumn;
        if (r < last && pointColumn == startColumn) {
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
        startColumn = pointColumn;
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

QString resultTitle(Result result, const Units& units)
{
    switch (result) {
    case Result::Deposit:
        return QStringLiteral("Deposit (") + units.rateLabel + u')';
    case Result::CumulativeDeposit:
        return QStringLiteral("Cumulative Deposit Fraction");
    case Result::Density:
        return QStringLiteral("Density (#/") + units.lengthLabel + QChar(0x00B2) + u')';
    case Result::GranulesPerGram:
        return QStringLiteral("Granules/g");
    default:
        return QStringLiteral("Mortality (%)");
    }
}

double resultEnd(const DataSet& dataSet, const std::optional<GraphRange>& range)
{
    const Parameters& p = dataSet.parameters();
    const double lengthFactor = dataSet.units().length;
    // Without data the axis spans the whole grid.
    return range ? double(range->endPosition)
                 : double(p.position1) * lengthFactor +
                       double(p.separation) * double(std::max(dataSet.dataRowCount() - 1, 1)) *
                           lengthFactor;
}

double resultSpan(const DataSet& dataSet, const std::optional<GraphRange>& range)
{
    return resultEnd(dataSet, range) -
           double(dataSet.parameters().position1) * double(dataSet.units().length);
}

namespace {

// Text placed by the edge that is fixed, whichever way y runs.
void printAt(Surface& surface, double left, double top, const QString& text)
{
    surface.setCurrentX(left);
    surface.setCurrentY(top);
    surface.print(text, true);
}

// Centred on x, kept inside the surface.
void printCentred(Surface& surface, double centre, double top, const QString& text)
{
    const double width = surface.textWidth(text);
    const double low = std::min(surface.scaleLeft(), surface.scaleLeft() + surface.scaleWidth());
    const double high = std::max(surface.scaleLeft(), surface.scaleLeft() + surface.scaleWidth());
    printAt(surface, std::max(low, std::min(centre - width / 2.0, high - width)), top, text);
}

void drawArea(Surface& surface, const Frame& frame, const DataSet& dataSet, Result shown,
              const GraphRange& range, double span, double top)
{
    const double lengthFactor = dataSet.units().length;
    const double separation = double(dataSet.parameters().separation);
    const auto x = [&](int r) {
        return frame.left + frame.width * separation * double(r - 1) * lengthFactor / span;
    };
    const auto y = [&](int r) {
        return frame.base + frame.height * double(dataSet.result(r).value(shown)) / top;
    };
    drawAreaUnder(
        range.firstRow, range.lastRow, frame.base, [&](int r) { return QPointF(x(r), y(r)); },
        [&](double at) {
            return std::floor(surface.scaleX(at - frame.left, Unit::User, Unit::Pixel));
        },
        std::abs(surface.scaleX(x(2) - x(1), Unit::User, Unit::Pixel)) / surface.lineWidth(),
        [&](const QPolygonF& corners) { surface.polygon(corners); });
}

// The top value beside a tick right of the frame, and on the screen the base's 0 likewise.
void drawValueLabels(Surface& surface, const Frame& frame, const ResultStyle& style, Result shown,
                     double top)
{
    style.font(surface, style.labelSize);
    const double right = frame.left + frame.width;
    const QString pattern =
        !style.paperTops && shown == Result::Deposit ? QStringLiteral("0.0") : QStringLiteral("0");
    std::vector<std::pair<double, QString>> labels{{frame.top(), numbers::format(top, pattern)}};
    if (style.labelBase) {
        labels.emplace_back(frame.base, QStringLiteral("0"));
    }
    for (const auto& [y, text] : labels) {
        surface.lineBy(right, y, style.valueTick.across(surface), 0.0);
        printAt(surface, right + style.valueGap.across(surface),
                y + frame.up() * surface.textHeight(text) / 2.0, text);
    }
}

} // namespace

namespace {

// Each pass as a thin line; within one pixel column only its first point is joined, so that
// the cost is bounded by the pixels.
void drawPassLines(Surface& surface, const Frame& frame, const DataSet& dataSet,
                   const PassLines& passes, double span, double top)
{
    static const std::array<QColor, 5> colours{QColor(230, 120, 0), QColor(0, 130, 0),
                                               QColor(120, 0, 160), QColor(150, 80, 40),
                                               QColor(0, 0, 0)};
    const double step =
        frame.width * double(dataSet.parameters().separation) * dataSet.units().length / span;
    for (std::size_t p = 0; p < passes.values.size(); ++p) {
        const std::vector<float>& values = passes.values[p];
        std::optional<QPointF> last;
        double lastColumn = std::numeric_limits<double>::quiet_NaN();
        for (std::size_t i = 0; i < values.size(); ++i) {
            const QPointF at(frame.left + step * double(passes.firstRow - 1 + int(i)),
                             frame.base + frame.height * double(values[i]) / top);
            const double column = std::floor(surface.scaleX(at.x(), Unit::User, Unit::Pixel));
            if (column == lastColumn && i + 1 < values.size()) {
                continue;
            }
            if (last) {
                surface.line(last->x(), last->y(), at.x(), at.y(), colours[p % colours.size()]);
            }
            last = at;
            lastColumn = column;
        }
    }
}

} // namespace

void drawResultGraph(Surface& surface, const Frame& frame, const ResultStyle& style,
                     const DataSet& dataSet, Result shown, const std::optional<GraphRange>& range,
                     const PassLines* passes)
{
    const double span = resultSpan(dataSet, range);
    const float maximum = range ? range->maximum[static_cast<std::size_t>(shown) - 1] : 1.0f;
    const double top =
        style.paperTops ? paperResultAxisTop(shown, maximum) : resultAxisTop(shown, maximum);
    surface.setLineWidth(style.line.pixels(surface));
    surface.setFillColor(style.fill);

    // The flight line, where position 0 lies on the line of pans.
    const Parameters& p = dataSet.parameters();
    const double flightX =
        frame.left + std::abs(double(p.position1)) * frame.width * dataSet.units().length / span;
    if (p.position1 < 0.0f && flightX <= frame.left + frame.width) {
        surface.lineBy(flightX, frame.top(), 0.0, -frame.height, style.flightLine);
    }
    surface.setFillStyle(FillStyle::Solid);
    if (range) {
        drawArea(surface, frame, dataSet, shown, *range, span, top);
        if (passes) {
            drawPassLines(surface, frame, dataSet, *passes, span, top);
        }
    }
    surface.setFillStyle(FillStyle::Transparent);
    surface.setLineWidth(style.frameLine.pixels(surface));
    surface.rectangleBy(frame.left, frame.top(), frame.width, -frame.height);
    surface.setLineWidth(style.line.pixels(surface));

    style.font(surface, style.titleSize);
    surface.setFontBold(style.titleBold);
    const QString title = resultTitle(shown, dataSet.units());
    printAt(surface, frame.left, frame.top() + frame.up() * surface.textHeight(title), title);
    surface.setFontBold(false);
    drawValueLabels(surface, frame, style, shown, top);

    if (shown == Result::Mortality && dataSet.controlData().larvae == 0) {
        style.font(surface, style.noteSize);
        const QString note = QStringLiteral("No control data entered");
        printCentred(surface, frame.centre(),
                     frame.base + frame.height / 2.0 + frame.up() * surface.textHeight(note) / 2.0,
                     note);
    }
}

void drawPositionAxis(Surface& surface, const Frame& frame, const ResultStyle& style,
                      const Units& units, const QString& leftText, const QString& rightText)
{
    style.font(surface, style.titleSize);
    surface.setFontBold(false);
    printCentred(surface, frame.centre(), frame.base - frame.up() * style.titleDrop.along(surface),
                 QStringLiteral("Sampler Position (") + units.lengthLabel + u')');
    style.font(surface, style.labelSize);
    for (const auto& [x, text] :
         {std::pair{frame.left, leftText}, std::pair{frame.left + frame.width, rightText}}) {
        surface.lineBy(x, frame.base, 0.0, -frame.up() * style.axisTick.along(surface));
        printCentred(surface, x, frame.base - frame.up() * style.labelDrop.along(surface), text);
    }
}

namespace {

ResultStyle screenStyle()
{
    ResultStyle style;
    style.fill = kGraphFillColor;
    style.flightLine = QColor(255, 0, 0);
    style.line = style.frameLine = {1.0, Unit::Pixel};
    style.valueTick = style.axisTick = {5.0, Unit::Pixel};
    style.valueGap = style.labelDrop = style.titleDrop = {7.0, Unit::Pixel};
    style.titleBold = true;
    style.labelBase = true;
    style.font = [](Surface& surface, double size) {
        surface.setFontName(QFont().family());
        surface.setFontSize(size);
    };
    return style;
}

// The plot inside the picture, with room for the title above, the value labels right and the
// position axis below.
Frame screenFrame(Surface& surface, const ResultStyle& style, const ResultGraphLabels& labels)
{
    style.font(surface, style.labelSize);
    const double line = surface.textHeight();
    const double right = style.valueTick.across(surface) + style.valueGap.across(surface) +
                         std::max(surface.textWidth(labels.y2), surface.textWidth(labels.y1)) + 2.0;
    const double left = std::max(4.0, std::ceil(surface.textWidth(labels.x1) / 2.0) + 2.0);
    surface.setFontBold(style.titleBold);
    const double above = std::ceil(surface.textHeight()) + 2.0;
    surface.setFontBold(false);
    const double below = std::ceil(style.labelDrop.along(surface) + line) + 1.0;
    const double base = surface.deviceHeight() - below;
    return {left, std::max(1.0, std::floor(surface.deviceWidth() - left - right)), base,
            -std::max(1.0, base - above)};
}

} // namespace

ResultGraphResult drawResult(Surface& surface, const DataSet& dataSet, Result shown,
                             const QColor& disabledBackground, const PassLines* passes)
{
    surface.setPixelScale();
    const double lengthFactor = dataSet.units().length;
    const Parameters& p = dataSet.parameters();
    ResultGraphResult result;
    result.left = double(p.position1) * lengthFactor;
    result.plot = QRectF(0.0, 0.0, surface.deviceWidth(), surface.deviceHeight());

    std::optional<GraphRange> range = getGraphRange(dataSet);
    if (range && passes) {
        float& maximum = range->maximum[static_cast<std::size_t>(shown) - 1];
        for (const std::vector<float>& pass : passes->values) {
            for (float value : pass) {
                maximum = std::max(maximum, value);
            }
        }
    }
    if (!range) {
        if (disabledBackground.isValid()) {
            surface.clear(disabledBackground);
        }
        // Positions still read out under the mouse; the value axis stays as it was.
        result.width = double(p.separation) * double(dataSet.dataRowCount() - 1) * lengthFactor;
        return result;
    }

    surface.clear(Qt::white);
    result.enabled = true;
    result.width = resultSpan(dataSet, range);
    result.top = resultAxisTop(shown, range->maximum[static_cast<std::size_t>(shown) - 1]);
    result.labels = histogramLabels(result.left, result.width, result.top, shown);
    const ResultStyle style = screenStyle();
    const Frame frame = screenFrame(surface, style, result.labels);
    drawResultGraph(surface, frame, style, dataSet, shown, range, passes);
    drawPositionAxis(surface, frame, style, dataSet.units(), result.labels.x1, result.labels.x2);
    result.plot = QRectF(frame.left, frame.top(), frame.width, -frame.height);
    return result;
}

QString resultTooltip(double x, double y, const Units& units, Result shown)
{
    return QLatin1Char(' ') + numbers::format(x, u"0 ") + units.lengthLabel +
           QStringLiteral(" -- ") + numbers::format(y, u"0.0 ") + units.graphUnit(shown) +
           QLatin1Char(' ');
}

} // namespace pellamar::graphics
