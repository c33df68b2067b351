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

// A line through points first..last (left to right). Where several points share a device
// pixel column, only its highest and lowest are passed through: the same line on the screen, at
// a cost that stops growing with the pans.
void lineThrough(Surface& surface, int first, int last, const QColor& color,
                 const std::function<QPointF(int)>& at)
{
    const auto column = [&](double x) {
        return std::floor(surface.scaleX(x, Unit::User, Unit::Pixel));
    };
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
        if (column(p.x()) != column(high.x())) {
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
Plot fitInside(Surface& surface, Plot plot, const QString& title, const QString& topText,
               const QString& family)
{
    setTitleFont(surface, family);
    const double titleRoom = surface.textHeight(title) + kTitleGap;
    setTextFont(surface, family);
    const double right = surface.deviceWidth() - kLabelGap - surface.textWidth(topText) - plot.x0;
    plot.width = std::max(1.0, std::min(plot.width, std::floor(right)));
    plot.height = std::max(1.0, std::min(plot.height, std::floor(plot.base - titleRoom)));
    return plot;
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

void drawTopValue(Surface& surface, const Frame& frame, const SwathStyle& style, double top)
{
    const QString text = numbers::format(top, u"0.0");
    const double right = frame.left + frame.width;
    surface.lineBy(right, frame.top(), style.tick.across(surface), 0.0, kBlack);
    printAt(surface, text, right + style.valueGap.across(surface),
            frame.top() + frame.up() * surface.textHeight(text) / 2.0);
}

// A tick down from the axis and the label under it.
void drawAxisLabel(Surface& surface, const Frame& frame, const SwathStyle& style, double x,
                   const QString& text, bool tick)
{
    if (tick) {
        surface.lineBy(x, frame.base, 0.0, -frame.up() * style.tick.along(surface), kBlack);
    }
    printCentredOn(surface, text, x, frame.base - frame.up() * style.labelDrop.along(surface));
}

double snapped(const SwathStyle& style, double x)
{
    return style.snap ? double(numbers::roundToInt32(x)) : x;
}

} // namespace

namespace {

// The value axis on the right: 0 at the base, the limit where its line runs, the top. The
// limit's label gives way upward or downward rather than cover another.
void drawPercentAxis(Surface& surface, const Frame& frame, const SwathStyle& style, double top,
                     float limit)
{
    const double right = frame.left + frame.width;
    const double textHeight = surface.textHeight(QStringLiteral("0"));
    const auto label = [&](double fraction, double up, const QString& text) {
        surface.lineBy(right, frame.base + frame.up() * std::abs(frame.height) * fraction / top,
                       style.tick.across(surface), 0.0, kBlack);
        printAt(surface, text, right + style.valueGap.across(surface),
                frame.base + frame.up() * (up + textHeight / 2.0));
    };
    const double height = std::abs(frame.height);
    label(0.0, 0.0, covPercent(0.0f, u"0"));
    const QString topText = covPercent(float(top), u"0");
    label(top, height, topText);
    const QString limitText = covPercent(limit, u"0");
    if (double(limit) <= top && limitText != topText) {
        const double at = height * double(limit) / top;
        label(double(limit), std::max(std::min(at, height - textHeight), textHeight), limitText);
    }
}

// Light bands behind the runs of widths whose COV is above the limit, reaching half-way to
// their neighbours.
void shadeAboveLimit(Surface& surface, const Frame& frame, const SwathStyle& style,
                     const swath::SwathRecord& record, float limit,
                     const std::function<double(double)>& widthX)
{
    const int widths = record.widthCount();
    const int first = record.cov.lower();
    const auto clamped = [&](double x) {
        return std::clamp(x, frame.left, frame.left + frame.width);
    };
    for (int i = 1; i <= widths; ++i) {
        if (!(record.cov[first + i - 1] > limit)) {
            continue;
        }
        int last = i;
        while (last < widths && record.cov[first + last] > limit) {
            ++last;
        }
        const double from = clamped(widthX(i - 0.5));
        surface.rectangleBy(from, frame.base, clamped(widthX(last + 0.5)) - from, frame.height,
                            style.overLimit, Box::Filled);
        i = last;
    }
}

// Paper titles its axes below the labels and above the frame's right end.
void drawAxisTitles(Surface& surface, const Frame& frame, const SwathStyle& style,
                    const QString& below, const QString& above)
{
    if (!style.axisTitles) {
        return;
    }
    const double drop = style.labelDrop.along(surface) + surface.textHeight(below);
    printCentredOn(surface, below, frame.centre(), frame.base - frame.up() * drop);
    if (above.isEmpty()) {
        return;
    }
    printAt(surface, above, frame.left + frame.width - surface.textWidth(above),
            frame.top() +
                frame.up() * (style.captionGap.along(surface) + surface.textHeight(above)));
}

} // namespace

void drawCovPlot(Surface& surface, const Frame& frame, const SwathStyle& style,
                 const DataSet& dataSet, const swath::SwathRecord& record, int chosen, float limit)
{
    const int widths = record.widthCount();
    const int first = record.cov.lower();
    float largest = widths > 0 ? record.cov[first] : 0.0f;
    for (int i = first; i < first + widths; ++i) {
        largest = std::max(largest, record.cov[i]);
    }
    const double top = covAxisTop(largest);
    // A single width has no spacing to divide; it sits at the plot's left edge.
    const auto widthX = [&](double i) {
        return widths > 1 ? frame.left + frame.width * (i - 1.0) / double(widths - 1) : frame.left;
    };
    const auto valueY = [&](float cov) { return frame.base + frame.height * double(cov) / top; };
    surface.setFillStyle(FillStyle::Transparent);
    surface.setLineWidth(style.line.pixels(surface));
    style.font(surface, style.labelSize);
    // The limit belongs to this plot alone: above its top it is left out, and nothing lies above.
    if (double(limit) <= top) {
        shadeAboveLimit(surface, frame, style, record, limit, widthX);
        surface.lineBy(frame.left, frame.base + frame.height * double(limit) / top, frame.width,
                       0.0, style.covLine);
    }
    if (hasStatistic(record.cov, chosen)) {
        surface.lineBy(widthX(chosen - first + 1), frame.base, 0.0, frame.height, style.chosenLine);
    }
    surface.setLineWidth(style.frameLine.pixels(surface));
    surface.rectangleBy(frame.left, frame.base, frame.width, frame.height, kBlack);
    surface.setLineWidth(style.line.pixels(surface));

    // Ticks closer than the room between labels merge into a bar; then only labels get one.
    const double gap = style.labelGap.across(surface);
    const bool everyTick = widths < 2 || frame.width / double(widths - 1) > gap;
    const auto tickX = [&](double i) { return snapped(style, widthX(i)); };
    for (int i = 1; everyTick && i <= widths; ++i) {
        surface.lineBy(tickX(i), frame.base, 0.0, -frame.up() * style.tick.along(surface), kBlack);
    }
    for (const AxisLabel& label : widthAxisLabels(surface, dataSet, widths, gap, tickX)) {
        drawAxisLabel(surface, frame, style, label.x, label.text,
                      !everyTick || !onWidth(dataSet, label));
    }
    drawPercentAxis(surface, frame, style, top, limit);
    drawAxisTitles(surface, frame, style,
                   QStringLiteral("Swath width (") + dataSet.units().lengthLabel + u')',
                   QStringLiteral("COV (%)"));

    surface.setFillColor(style.pointFill);
    surface.setFillStyle(FillStyle::Solid);
    for (int i = 1; i <= widths; ++i) {
        surface.circle(widthX(i), valueY(record.cov[first + i - 1]),
                       style.pointRadius.across(surface), kBlack);
    }
    // The width chosen, on top and ringed in white so that it stands out of a band of points.
    if (hasStatistic(record.cov, chosen)) {
        const double x = widthX(chosen - first + 1);
        const double y = valueY(record.cov[chosen]);
        surface.setFillColor(kWhite);
        surface.circle(x, y, style.ringRadius.across(surface), kBlack);
        surface.setFillColor(style.chosenFill);
        surface.circle(x, y, style.chosenRadius.across(surface), kBlack);
    }
}

namespace {

struct LegendEntry {
    QString text;
    QColor color;
    Length line;
};

double legendWidth(const Surface& surface, const SwathStyle& style,
                   const std::vector<LegendEntry>& entries)
{
    const double space = surface.textWidth(QStringLiteral("  "));
    double width = 0.0;
    for (const LegendEntry& entry : entries) {
        width += style.legendLine.across(surface) + space + surface.textWidth(entry.text);
    }
    return width + space * double(entries.size() - 1);
}

// Above the frame: the lines' legend from the left, the source and its unit at the right. The
// middle of the row is left to a title; where the row is too short the legend shortens its
// entries, then goes.
void drawBlockCaptions(Surface& surface, const Frame& frame, const SwathStyle& style,
                       const Units& units, swath::Source source)
{
    const bool deposit = source == swath::Source::Deposit;
    const QString unit = graphOptionCaption(deposit ? Result::Deposit : Result::Density, units);
    const QString title =
        (deposit ? QStringLiteral("Deposit (") : QStringLiteral("Density (")) + unit + u')';
    const double textHeight = surface.textHeight(title);
    const double top = frame.top() + frame.up() * (style.captionGap.along(surface) + textHeight);
    const double middle = surface.scaleLeft() + surface.scaleWidth() / 2.0;
    const double kept = style.keptCentre.across(surface) / 2.0;
    const double titleLeft = frame.left + frame.width - surface.textWidth(title);
    if (titleLeft >= middle + kept) {
        printAt(surface, title, titleLeft, top);
    }
    const double space = surface.textWidth(QStringLiteral("  "));
    const double legendEnd =
        kept > 0.0 ? std::min(middle - kept, titleLeft - space) : titleLeft - space;
    const Length thin = style.line;
    for (const QString& overlapped :
         {QStringLiteral("passes overlapped"), QStringLiteral("passes")}) {
        const std::vector<LegendEntry> entries{
            {overlapped, style.block, style.curveLine},
            {QStringLiteral("one pass"), style.single, style.curveLine},
            {QStringLiteral("mean"), style.mean, thin}};
        if (frame.left + legendWidth(surface, style, entries) > legendEnd) {
            continue;
        }
        const double lineY = top - frame.up() * textHeight / 2.0;
        double x = frame.left;
        for (const LegendEntry& entry : entries) {
            surface.setLineWidth(entry.line.pixels(surface));
            surface.lineBy(x, lineY, style.legendLine.across(surface), 0.0, entry.color);
            x += style.legendLine.across(surface) + space / 2.0;
            printAt(surface, entry.text, x, top);
            x += surface.textWidth(entry.text) + space;
        }
        surface.setLineWidth(thin.pixels(surface));
        return;
    }
}

} // namespace

void drawBlockPlot(Surface& surface, const Frame& frame, const SwathStyle& style,
                   const DataSet& dataSet, const swath::SwathRecord& record,
                   const swath::Block& block, swath::Source source)
{
    const int w = block.width;
    const swath::BlockShape& shape = block.shape;
    const double span = std::max(shape.span(w), 1);
    const auto x = [&](double separations) {
        return frame.left + frame.width * (separations + shape.nearPans) / span;
    };
    float largest = 0.0f;
    for (const float value : block.values.values()) {
        largest = std::max(largest, value);
    }
    const double top = swathAxisTop(largest);
    const auto y = [&](double value) { return frame.base + frame.height * value / top; };

    surface.rectangleBy(x(0), frame.base, frame.width * w * shape.passes / span, frame.height,
                        style.treated, Box::Filled);
    if (hasStatistic(record.mean, w)) {
        surface.lineBy(frame.left, y(double(record.mean[w])), frame.width, 0.0, style.mean);
    }
    surface.setLineWidth(style.curveLine.pixels(surface));
    const swath::BoundedArray& values = block.values;
    if (!values.empty()) {
        const int start = std::clamp(shape.gap - shape.nearPans, values.lower(), values.upper());
        lineThrough(surface, start, values.upper(), style.block,
                    [&](int b) { return QPointF(x(b), y(double(values[b]))); });
    }
    const double rate = double(swath::rateFactor(w, swath::SwathInputs::from(dataSet)));
    if (record.profile.lower() <= 1 && record.profile.upper() >= 1) {
        lineThrough(surface, 1, record.profile.upper(), style.single, [&](int i) {
            return QPointF(x(shape.gap - shape.nearPans + i - 1),
                           y(rate * double(record.profile[i])));
        });
    }

    surface.setLineWidth(style.line.pixels(surface));
    style.font(surface, style.labelSize);
    for (int k = 0; k < shape.passes; ++k) {
        surface.lineBy(snapped(style, x(k * w)), frame.base, 0.0, frame.height, kBlack);
    }
    for (const AxisLabel& label : positionAxisLabels(
             surface, dataSet, -shape.nearPans, int(span) - shape.nearPans,
             style.labelGap.across(surface), [&](double at) { return snapped(style, x(at)); })) {
        drawAxisLabel(surface, frame, style, label.x, label.text, true);
    }
    if (style.mask) {
        const double right = surface.scaleLeft() + surface.scaleWidth();
        surface.rectangle(surface.scaleLeft(), surface.scaleTop(), frame.left - 1, frame.base,
                          kWhite, Box::Filled);
        surface.rectangle(frame.left + frame.width + 1, surface.scaleTop(), right, frame.base,
                          kWhite, Box::Filled);
    }
    drawTopValue(surface, frame, style, top);
    drawBlockCaptions(surface, frame, style, dataSet.units(), source);
    drawAxisTitles(surface, frame, style,
                   QStringLiteral("Position (") + dataSet.units().lengthLabel + u')', {});
    surface.setLineWidth(style.frameLine.pixels(surface));
    surface.setFillStyle(FillStyle::Transparent);
    surface.rectangleBy(frame.left, frame.base, frame.width, frame.height, kBlack);
}

namespace {

SwathStyle screenStyle(const QString& fontFamily)
{
    SwathStyle style;
    style.line = style.frameLine = {1.0, Unit::Pixel};
    style.curveLine = {3.0, Unit::Pixel};
    style.tick = {kTick, Unit::Pixel};
    style.labelDrop = style.valueGap = {kLabelGap, Unit::Pixel};
    style.labelGap = {kLabelSpace, Unit::Pixel};
    style.snap = style.mask = true;
    style.covLine = kLightRed;
    style.overLimit = QColor(255, 228, 228);
    style.chosenLine = kBlack;
    style.captionGap = {3.0, Unit::Pixel};
    style.legendLine = {14.0, Unit::Pixel};
    style.pointFill = style.chosenFill = style.single = kRed;
    style.pointRadius = style.chosenRadius = {2.0, Unit::Pixel};
    style.ringRadius = {5.0, Unit::Pixel};
    style.treated = kLightYellow;
    style.mean = kGrey;
    style.block = kBlack;
    const QString family = familyOrDefault(fontFamily);
    style.font = [family](Surface& surface, double size) {
        surface.setFont(family, size, false, false);
    };
    return style;
}

} // namespace

CovGraphResult drawCovGraph(Surface& surface, const DataSet& dataSet,
                            const swath::SwathRecord& record, float limit,
                            const QString& fontFamily)
{
    const QString family = familyOrDefault(fontFamily);
    surface.clear(kWhite);
    const int sw = surface.deviceWidth();
    const int sh = surface.deviceHeight();
    const int widths = record.widthCount();
    float largest = widths > 0 ? record.cov[record.cov.lower()] : 0.0f;
    for (const float cov : record.cov.values()) {
        largest = std::max(largest, cov);
    }
    const QString title = QStringLiteral("Coefficient of Variation");
    const Plot plot = fitInside(surface,
                                {double(numbers::roundToInt32(0.05 * sw)),
                                 double(numbers::roundToInt32(0.9 * sw)), double(sh - 50),
                                 double(numbers::roundToInt32(0.25 * sh))},
                                title, covPercent(float(covAxisTop(largest)), u"0"), family);
    const Frame frame{plot.x0, plot.width, plot.base, -plot.height};

    CovGraphResult result;
    result.optionTop = sh - 15;
    for (int i = 1; i <= widths; ++i) {
        const double x =
            widths > 1 ? (i - 1.0) * plot.width / double(widths - 1) + plot.x0 : plot.x0;
        result.optionLefts.push_back(numbers::roundToInt32(x - 6.0));
    }
    drawCovPlot(surface, frame, screenStyle(family), dataSet, record, record.widthIndex, limit);

    setTextFont(surface, family);
    drawAxisTitle(surface, QStringLiteral("Swath Width (") + dataSet.units().lengthLabel + u')',
                  plot.base + kLabelGap + surface.textHeight(QStringLiteral("0.0")));
    drawTitle(surface, plot, title, family);
    if (hasStatistic(record.cov, record.widthIndex)) {
        result.covLabel = covPercent(record.cov[record.widthIndex], u"0.0");
    }
    return result;
}

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
    const Plot plot = fitInside(surface,
                                {double(numbers::roundToInt32(0.05 * sw)),
                                 double(numbers::roundToInt32(0.9 * sw)),
                                 double(numbers::roundToInt32(0.65 * sh - 75.0)),
                                 double(numbers::roundToInt32(0.4 * sh + 10.0))},
                                title, numbers::format(swathAxisTop(largest), u"0.0"), family);
    SwathStyle style = screenStyle(family);
    setTitleFont(surface, family);
    style.keptCentre = {surface.textWidth(title) + 2.0 * kLabelGap, Unit::Pixel};
    drawBlockPlot(surface, {plot.x0, plot.width, plot.base, -plot.height}, style, dataSet, record,
                  block, shownSource);

    setTextFont(surface, family);
    drawAxisTitle(surface,
                  QStringLiteral("Position Across Block (") + dataSet.units().lengthLabel + u')',
                  plot.base + surface.textHeight(QStringLiteral("0.0")) + kLabelGap);
    drawTitle(surface, plot, title, family);

    SwathGraphResult result;
    if (hasStatistic(record.mean, w)) {
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

QString covPercent(float cov, QStringView pattern)
{
    return numbers::format(double(cov) * 100.0, pattern) + QStringLiteral(" %");
}

QString averageCaption(swath::Source source)
{
    return source == swath::Source::Deposit ? QStringLiteral("Average Deposit:")
                                            : QStringLiteral("Average Density:");
}

} // namespace pellamar::graphics
