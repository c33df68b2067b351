#include "graphics/swathgraphs.h"

#include "core/dataset.h"
#include "core/numbers.h"
#include "core/units.h"
#include "graphics/axes.h"

#include <QFont>
#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>

namespace pellamar::graphics {

namespace {

const QColor kBlack(0, 0, 0);
const QColor kRed(255, 0, 0);
const QColor kLightRed(255, 150, 150);
const QColor kGrey(200, 200, 200);
const QColor kLightYellow(255, 255, 220);
const QColor kWhite(255, 255, 255);

constexpr double kLabelGap = 7.0;
constexpr double kTick = 5.0;
// The least room between two width labels, in pixels.
constexpr double kLabelSpace = 3.0;

QString familyOrDefault(const QString& family)
{
    return family.isEmpty() ? QFont().family() : family;
}

void setTextFont(Surface& surface, const QString& family)
{
    surface.setFont(family, 8.0, false, false);
}

void setTitleFont(Surface& surface, const QString& family)
{
    surface.setFont(family, 10.0, true, false);
}

void printAt(Surface& surface, const QString& text, double left, double top)
{
    surface.setCurrentX(left);
    surface.setCurrentY(top);
    surface.print(text, false);
}

// A label that would stick out of the picture at either end is pushed just inside.
void printCentredOn(Surface& surface, const QString& text, double centre, double top)
{
    const double width = surface.textWidth(text);
    const double last = surface.scaleLeft() + surface.scaleWidth() - width;
    printAt(surface, text, std::max(surface.scaleLeft(), std::min(centre - width / 2.0, last)),
            top);
}

// A line through points first..last (in pixels, left to right). Where several points share a
// pixel column, only its highest and lowest are passed through: the same line on the screen, at
// a cost that stops growing with the pans.
void lineThrough(Surface& surface, int first, int last, const QColor& color,
                 const std::function<QPointF(int)>& at)
{
    QPointF current = at(first);
    surface.moveTo(current.x(), current.y());
    QPointF high = current;
    QPointF low = current;
    const auto finishColumn = [&] {
        const bool highFirst = high.x() <= low.x();
        for (const QPointF& p : {highFirst ? high : low, highFirst ? low : high}) {
            if (p != current) {
                surface.lineTo(p.x(), p.y(), color);
                current = p;
            }
        }
    };
    for (int i = first + 1; i <= last; ++i) {
        const QPointF p = at(i);
        if (std::floor(p.x()) != std::floor(high.x())) {
            finishColumn();
            high = low = p;
        } else {
            high = p.y() < high.y() ? p : high;
            low = p.y() > low.y() ? p : low;
        }
    }
    finishColumn();
    const QPointF end = at(last);
    if (end != current) {
        surface.lineTo(end.x(), end.y(), color);
    }
}

// Positions count whole pan separations; their labels are in display length units, with the
// single-precision arithmetic the stored values have.
float displayLength(const DataSet& dataSet, int separations)
{
    return static_cast<float>(separations) * dataSet.parameters().separation *
           dataSet.units().length;
}

// Whole widths when the separation shows no decimals, else one decimal.
QString widthLabelPattern(const DataSet& dataSet)
{
    return numbers::wholeToTwoDecimals(static_cast<double>(displayLength(dataSet, 1)))
               ? QStringLiteral("0")
               : QStringLiteral("0.0");
}

} // namespace

std::vector<AxisLabel> widthAxisLabels(const Surface& surface, const DataSet& dataSet, int widths,
                                       double gap, const std::function<double(double)>& x)
{
    // The narrowest and the widest width bound the choice; they win over round values.
    const QString pattern = widthLabelPattern(dataSet);
    const double separation = static_cast<double>(displayLength(dataSet, 1));
    return roundLabels(
        surface, separation, static_cast<double>(displayLength(dataSet, widths)), pattern,
        separation, gap, [&](double value) { return x(value / separation); },
        numbers::format(displayLength(dataSet, 1), pattern),
        numbers::format(displayLength(dataSet, widths), pattern), Ends::First);
}

bool onWidth(const DataSet& dataSet, const AxisLabel& label)
{
    const double widths = label.value / static_cast<double>(displayLength(dataSet, 1));
    return std::abs(widths - std::round(widths)) < 1e-6;
}

std::vector<AxisLabel> positionAxisLabels(const Surface& surface, const DataSet& dataSet,
                                          int fromPans, int toPans, double gap,
                                          const std::function<double(double)>& x)
{
    // The flight lines' round positions matter more than where the block happens to end.
    const QString pattern = dataSet.positionFormat();
    const double separation = static_cast<double>(displayLength(dataSet, 1));
    return roundLabels(
        surface, static_cast<double>(displayLength(dataSet, fromPans)),
        static_cast<double>(displayLength(dataSet, toPans)), pattern, separation, gap,
        [&](double value) { return x(value / separation); },
        numbers::format(displayLength(dataSet, fromPans), pattern),
        numbers::format(displayLength(dataSet, toPans), pattern), Ends::Last);
}

namespace {

// Both graphs share the plot's upper right corner label and the titles above and below.
struct Plot {
    double x0;
    double width;
    double base;
    double height;
};

constexpr double kTitleGap = 5.0;

// The plot where the fixed proportions put it, narrowed where the top value would run past the
// right edge and lowered where the title would run past the top: a small panel still shows the
// scale and the title. Sizes with room keep the proportions.
Plot fitInside(Surface& surface, Plot plot, const QString& title, double top, const QString& family)
{
    setTitleFont(surface, family);
    const double titleRoom = surface.textHeight(title) + kTitleGap;
    setTextFont(surface, family);
    const double right = surface.deviceWidth() - kLabelGap -
                         surface.textWidth(numbers::format(top, u"0.0")) - plot.x0;
    plot.width = std::max(1.0, std::min(plot.width, std::floor(right)));
    plot.height = std::max(1.0, std::min(plot.height, std::floor(plot.base - titleRoom)));
    return plot;
}

// Returns the height of the label's line box, which places the axis title below the plot.
double drawTopValue(Surface& surface, const Plot& plot, double top)
{
    const QString text = numbers::format(top, u"0.0");
    surface.lineBy(plot.x0 + plot.width, plot.base - plot.height, kTick, 0.0, kBlack);
    const double height = surface.textHeight(text);
    printAt(surface, text, plot.x0 + plot.width + kLabelGap,
            plot.base - plot.height - height / 2.0);
    return height;
}

void drawTitle(Surface& surface, const Plot& plot, const QString& title, const QString& family)
{
    setTitleFont(surface, family);
    const double sw = surface.deviceWidth();
    printAt(surface, title, (sw - surface.textWidth(title)) / 2.0,
            plot.base - plot.height - surface.textHeight(title) - kTitleGap);
}

void drawAxisTitle(Surface& surface, const QString& title, double top)
{
    const double sw = surface.deviceWidth();
    printAt(surface, title, (sw - surface.textWidth(title)) / 2.0, top);
}

bool hasStatistic(const swath::BoundedArray& values, int index)
{
    return !values.empty() && index >= values.lower() && index <= values.upper();
}

} // namespace

CovGraphResult drawCovGraph(Surface& surface, const DataSet& dataSet,
                            const swath::SwathRecord& record, const QString& fontFamily)
{
    const QString family = familyOrDefault(fontFamily);
    const QString widthPattern = widthLabelPattern(dataSet);

    surface.clear(kWhite);
    surface.setFillStyle(FillStyle::Transparent);
    surface.setLineWidth(1);
    setTextFont(surface, family);

    const int sw = surface.deviceWidth();
    const int sh = surface.deviceHeight();
    const int widths = record.widthCount();
    const int first = record.cov.lower();
    float largest = widths > 0 ? record.cov[first] : 0.0f;
    for (int i = first; i < first + widths; ++i) {
        largest = std::max(largest, record.cov[i]);
    }
    const double top = covAxisTop(largest);
    const QString title = QStringLiteral("Coefficient of Variation");
    const Plot plot = fitInside(surface,
                                {double(numbers::roundToInt32(0.05 * sw)),
                                 double(numbers::roundToInt32(0.9 * sw)), double(sh - 50),
                                 double(numbers::roundToInt32(0.25 * sh))},
                                title, top, family);
    const int x0 = int(plot.x0);
    const int pw = int(plot.width);
    const int ph = int(plot.height);
    const int yb = int(plot.base);

    // A single width has no spacing to divide; it sits at the plot's left edge.
    const auto widthX = [&](double i) {
        return widths > 1 ? (i - 1.0) * pw / double(widths - 1) + x0 : double(x0);
    };

    CovGraphResult result;
    result.optionTop = sh - 15;
    for (int i = 1; i <= widths; ++i) {
        result.optionLefts.push_back(numbers::roundToInt32(widthX(i) - 6.0));
    }

    // The 30 % line belongs to this plot alone: above its top it is left out.
    if (kCovLimit <= top) {
        surface.lineBy(x0, yb - ph * kCovLimit / top, pw, 0.0, kLightRed);
    }
    surface.setLineWidth(1);
    surface.rectangleBy(x0, yb, pw, -ph, kBlack);

    // Ticks closer than the room between labels merge into a bar; then only labels get one.
    const bool everyTick = widths < 2 || pw / double(widths - 1) > kLabelSpace;
    const auto tickX = [&](double i) { return double(numbers::roundToInt32(widthX(i))); };
    for (int i = 1; everyTick && i <= widths; ++i) {
        surface.lineBy(tickX(i), yb, 0.0, kTick);
    }
    for (const AxisLabel& label : widthAxisLabels(surface, dataSet, widths, kLabelSpace, tickX)) {
        if (!everyTick || !onWidth(dataSet, label)) {
            surface.lineBy(label.x, yb, 0.0, kTick);
        }
        printCentredOn(surface, label.text, label.x, yb + kLabelGap);
    }

    const double valueHeight = drawTopValue(surface, plot, top);
    drawAxisTitle(surface, QStringLiteral("Swath Width (") + dataSet.units().lengthLabel + u')',
                  yb + kLabelGap + valueHeight);
    drawTitle(surface, plot, title, family);

    surface.setFillColor(kRed);
    surface.setFillStyle(FillStyle::Solid);
    for (int i = 1; i <= widths; ++i) {
        const double cov = static_cast<double>(record.cov[first + i - 1]);
        surface.circle(widthX(i), yb - cov * ph / top, 2.0, kBlack);
    }
    // The width shown, on top and ringed in white so that it stands out of a band of points.
    if (hasStatistic(record.cov, record.widthIndex)) {
        const double x = widthX(record.widthIndex - first + 1);
        const double y = yb - static_cast<double>(record.cov[record.widthIndex]) * ph / top;
        surface.setFillColor(kWhite);
        surface.circle(x, y, 5.0, kBlack);
        surface.setFillColor(kRed);
        surface.circle(x, y, 2.0, kBlack);
    }

    if (hasStatistic(record.cov, record.widthIndex)) {
        result.covLabel = numbers::format(record.cov[record.widthIndex], u"0.00");
    }
    return result;
}

namespace {

// The swath data plot: block positions in pan separations from the first flight line across
// the plot's width, values up to the axis top.
struct BlockPlot {
    Plot plot;
    swath::BlockShape shape;
    int span;
    double top;
    double x(double separations) const
    {
        return plot.x0 + (separations + shape.nearPans) * plot.width / double(span);
    }
    double y(double value) const { return plot.base - value * plot.height / top; }
};

// The overlapped block in black, the single pass scaled to the width in red.
void drawBlockCurves(Surface& surface, const BlockPlot& p, const swath::Block& block,
                     const swath::SwathRecord& record, float rate)
{
    const swath::BoundedArray& values = block.values;
    surface.setLineWidth(3);
    const int start = std::min(p.shape.gap - p.shape.nearPans, values.upper());
    lineThrough(surface, start, values.upper(), {},
                [&](int b) { return QPointF(p.x(b), p.y(static_cast<double>(values[b]))); });
    const int pans = record.profile.upper();
    if (pans >= 1) {
        lineThrough(surface, 1, pans, kRed, [&](int i) {
            return QPointF(p.x(p.shape.gap - p.shape.nearPans + i - 1),
                           p.y(static_cast<double>(rate * record.profile[i])));
        });
    }
}

// A line at every pass, and positions on round values under the plot with both ends of the block
// where they stand clear.
void drawFlightLines(Surface& surface, const DataSet& dataSet, const BlockPlot& p, int width)
{
    const Plot& plot = p.plot;
    for (int k = 0; k < p.shape.passes; ++k) {
        surface.lineBy(double(numbers::roundToInt32(p.x(k * width))), plot.base, 0.0, -plot.height);
    }
    for (const AxisLabel& label : positionAxisLabels(
             surface, dataSet, -p.shape.nearPans, p.span - p.shape.nearPans, kLabelSpace,
             [&](double at) { return double(numbers::roundToInt32(p.x(at))); })) {
        surface.lineBy(label.x, plot.base + kTick, 0.0, -kTick);
        printCentredOn(surface, label.text, label.x, plot.base + kLabelGap);
    }
}

} // namespace

SwathGraphResult drawSwathGraph(Surface& surface, const DataSet& dataSet,
                                const swath::SwathRecord& record, const swath::Block& block,
                                swath::Source shownSource, const QString& fontFamily)
{
    const QString family = familyOrDefault(fontFamily);
    const int w = block.width;
    const int sw = surface.deviceWidth();
    const int sh = surface.deviceHeight();
    surface.setFillColor(kWhite);
    surface.setFillStyle(FillStyle::Solid);
    surface.rectangle(0, 0, sw, 0.75 * sh - 75.0, kWhite, Box::Filled);

    float largest = 0.0f;
    for (const float value : block.values.values()) {
        largest = std::max(largest, value);
    }
    const QString title = QStringLiteral("Swath Data");
    const double top = swathAxisTop(largest);
    const Plot plot = fitInside(surface,
                                {double(numbers::roundToInt32(0.05 * sw)),
                                 double(numbers::roundToInt32(0.9 * sw)),
                                 double(numbers::roundToInt32(0.65 * sh - 75.0)),
                                 double(numbers::roundToInt32(0.4 * sh + 10.0))},
                                title, top, family);
    const BlockPlot p{plot, block.shape, block.shape.span(w), top};

    surface.rectangleBy(p.x(0), plot.base,
                        double(block.shape.passes) * w * plot.width / double(p.span), -plot.height,
                        kLightYellow, Box::Filled);
    const bool known = hasStatistic(record.mean, record.widthIndex);
    if (known) {
        surface.lineBy(plot.x0, p.y(static_cast<double>(record.mean[w])), plot.width, 0.0, kGrey);
    }
    drawBlockCurves(surface, p, block, record,
                    swath::rateFactor(w, swath::SwathInputs::from(dataSet)));

    surface.setLineWidth(1);
    setTextFont(surface, family);
    drawFlightLines(surface, dataSet, p, w);

    surface.rectangle(0, 0, plot.x0 - 1, plot.base, kWhite, Box::Filled);
    surface.rectangle(plot.x0 + plot.width + 1, 0, sw, plot.base, kWhite, Box::Filled);
    const double valueHeight = drawTopValue(surface, plot, p.top);
    drawAxisTitle(surface,
                  QStringLiteral("Position Across Block (") + dataSet.units().lengthLabel + u')',
                  plot.base + valueHeight + kLabelGap);
    drawTitle(surface, plot, title, family);
    surface.setLineWidth(1);
    surface.setFillStyle(FillStyle::Transparent);
    surface.rectangleBy(plot.x0, plot.base, plot.width, -plot.height, kBlack);

    SwathGraphResult result;
    if (known) {
        const QString unit = graphOptionCaption(
            shownSource == swath::Source::Deposit ? Result::Deposit : Result::Density,
            dataSet.units());
        result.averageLabel = numbers::format(record.mean[w], u"0.0") + u' ' + unit;
        result.maxMinLabel = numbers::format(record.max[w], u"0.0") + QStringLiteral(" / ") +
                             numbers::format(record.min[w], u"0.0");
    }
    return result;
}

QString widthLabel(const DataSet& dataSet, int index)
{
    return numbers::format(displayLength(dataSet, index), widthLabelPattern(dataSet)) + u' ' +
           dataSet.units().lengthLabel;
}

QString averageCaption(swath::Source source)
{
    return source == swath::Source::Deposit ? QStringLiteral("Average Deposit:")
                                            : QStringLiteral("Average Density:");
}

} // namespace pellamar::graphics
