#include "report/report.h"

#include "core/dataset.h"
#include "core/numbers.h"
#include "graphics/axes.h"
#include "graphics/resultgraph.h"
#include "graphics/surface.h"
#include "graphics/swathgraphs.h"
#include "graphics/swathsummary.h"
#include "report/sampledata.h"
#include "swath/swath.h"

#include <QFont>
#include <QPageLayout>
#include <QPdfWriter>
#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <vector>

namespace pellamar::report {

using graphics::Box;
using graphics::FillStyle;
using graphics::Surface;
using graphics::Unit;

namespace {

constexpr double kThinLine = 1.0 / 64.0;
constexpr double kThickLine = 1.0 / 32.0;
constexpr double kGraphLeft = 1.0;
constexpr double kGraphWidth = 6.5;

const QChar kDegree(0x00B0);
const QString kDashed(8, u'-');
// Metric-compatible with the classic report face, so the layout measures the same.
const QString kReportFamily = QStringLiteral("Liberation Sans");

void setFontStyle(Surface& s, bool bold, bool underline)
{
    s.setFontBold(bold);
    s.setFontUnderline(underline);
}

// Text placements by the edge that is fixed; y runs upward on every page.
void printAt(Surface& s, double left, double top, const QString& text)
{
    s.setCurrentX(left);
    s.setCurrentY(top);
    s.print(text, true);
}

void printCentred(Surface& s, double centreX, double top, const QString& text)
{
    printAt(s, centreX - s.textWidth(text) / 2.0, top, text);
}

class Report {
public:
    Report(Surface& surface, bool toPrinter, const ReportInputs& inputs)
        : s_(surface)
        , toPrinter_(toPrinter)
        , ds_(inputs.dataSet)
        , choice_(inputs.choice)
        , swath_(inputs.swath)
        , units_(inputs.dataSet.units())
        , lengthFactor_(double(inputs.dataSet.units().length))
    {}

    void startPage()
    {
        s_.setScale(0.0, kPageHeight, kPageWidth, 0.0);
        s_.setFontName(kReportFamily);
    }

    void font(double nominal) { setReportFont(s_, toPrinter_, nominal); }

    void pageParameters();
    void pageResults();
    void pageSwath();
    void pageSampleData(int sheet) { drawSampleDataPage(s_, toPrinter_, ds_, sheet); }

private:
    Surface& s_;
    bool toPrinter_;
    const DataSet& ds_;
    swath::SwathChoice choice_;
    const swath::SwathAnalysis* swath_ = nullptr;
    const Units& units_;
    double lengthFactor_;

    struct ParameterLine {
        QString label;
        QString value;
        QString suffix;
    };
    void block(const QString& heading, const QString& referenceLabel,
               const std::vector<ParameterLine>& lines, int blankLines);
    void blockHeading(const QString& heading, const QString& after);
    void controlBlock();
    graphics::ResultStyle paperStyle() const;
    void swathSection(swath::Source source, double bottom, const QString& title);
    void resultLine(const swath::SwathRecord& record, swath::Source source, int width,
                    double bottom);
    void patternCentreLine();
    graphics::SwathStyle paperSwathStyle() const;
};

// --- page 1 ---

void Report::blockHeading(const QString& heading, const QString& after)
{
    font(14);
    s_.setCurrentX(-0.25);
    s_.setFontUnderline(true);
    s_.print(heading, false);
    s_.setFontUnderline(false);
    s_.print(after, true);
}

void Report::block(const QString& heading, const QString& referenceLabel,
                   const std::vector<ParameterLine>& lines, int blankLines)
{
    blockHeading(heading, QStringLiteral(":"));
    font(12);
    const double valueColumn = s_.textWidth(referenceLabel) + 0.125;
    for (const ParameterLine& line : lines) {
        s_.print(line.label, false);
        s_.setCurrentX(valueColumn);
        s_.print(line.value + line.suffix, true);
    }
    for (int i = 0; i < blankLines; ++i) {
        s_.print(QString(), true);
    }
}

void Report::pageParameters()
{
    font(18);
    s_.setFontBold(true);
    printCentred(s_, kPageCentre, 10.5, QStringLiteral("Tovanel Pellamar"));
    font(16);
    s_.setFontUnderline(true);
    const QString heading = QStringLiteral("Analysis Parameters");
    printCentred(s_, kPageCentre, 9.5625 + s_.textHeight(heading), heading);
    setFontStyle(s_, false, false);
    s_.print(QString(), true);
    s_.print(QString(), true);

    // The parameter lines start 2.5 inches from the paper's left edge.
    s_.setScale(-2.5, kPageHeight, 6.0, 0.0);

    const auto line = [&](Field f) {
        const FieldInfo& info = pellamar::fieldInfo(f);
        const QString& text = ds_.fieldText(f);
        // Values that may be left out show dashes; names and the sampler line show as they are.
        const bool dashed = info.entry == Entry::ZeroUnset || info.entry == Entry::SentinelUnset;
        QString suffix =
            info.quantity == Quantity::None ? QString() : u' ' + units_.symbol(info.quantity);
        if (f == Field::WindDirection) {
            suffix += QStringLiteral("     (rel. to AC heading)");
        }
        // The paper has room for the full name.
        const QString caption =
            f == Field::Humidity ? QStringLiteral("Relative Humidity:") : info.caption.toString();
        // Dashes stand for a value not entered; a unit after them would read as a measure.
        if (dashed && text.isEmpty()) {
            return ParameterLine{caption, kDashed, {}};
        }
        return ParameterLine{caption, text, suffix};
    };
    const QStringList types = openingTypeNames();
    const int type = ds_.parameters().openingType;

    block(QStringLiteral("Sprayer Info"), QStringLiteral("Release Height:"),
          {line(Field::Agency), line(Field::Sprayer), line(Field::ReleaseHeight),
           line(Field::SwathWidth)},
          2);
    block(QStringLiteral("Sampler Info"), QStringLiteral("Separation:"),
          {{kOpeningTypeCaption, type < types.size() ? types[type] : QString(), {}},
           line(Field::OpeningArea),
           line(Field::Position1),
           line(Field::Separation)},
          2);
    block(QStringLiteral("Meteorology Info"), QStringLiteral("Relative Humidity:"),
          {line(Field::MetHeight), line(Field::AirTemperature), line(Field::WindSpeed),
           line(Field::WindDirection), line(Field::Humidity)},
          2);
    block(QStringLiteral("Product Info"), QStringLiteral("Product Rate:"),
          {line(Field::ProductName), line(Field::ProductRate)}, 2);
    controlBlock();
    patternCentreLine();
}

void Report::controlBlock()
{
    const ControlData& control = ds_.controlData();
    if (control.larvae > 0) {
        block(QStringLiteral("Control Data"), QStringLiteral("Time after treatment:"),
              {{QStringLiteral("Larvae in pan:"), QString::number(control.larvae), {}},
               {QStringLiteral("Time after treatment:"), numbers::formatGeneral(control.hours),
                QStringLiteral(" hrs")},
               {QStringLiteral("Mortality:"), QString::number(control.dead), {}}},
              3);
        return;
    }
    // Said rather than left out, so that the record shows it was not forgotten.
    blockHeading(QStringLiteral("Control Data"), QStringLiteral(": none entered"));
    font(12);
    for (int i = 0; i < 3; ++i) {
        s_.print(QString(), true);
    }
}

// Where the deposit lies, as a line of its own under the parameters.
void Report::patternCentreLine()
{
    font(12);
    s_.setCurrentX(-0.25);
    s_.print(graphics::patternCentreLine(ds_), true);
}

// --- page 2 ---

constexpr double kResultHeight = 1.5;
constexpr double kResultGap = 3.0 / 8.0;
constexpr double kResultMargin = 0.5;
constexpr double kAxisY = kResultMargin + kResultGap;

// The graphs stand one above the other, deposit on top.
double resultBottom(Result result)
{
    return kResultMargin + kResultGap +
           (kResultGap + kResultHeight) * (5 - static_cast<int>(result));
}

graphics::ResultStyle Report::paperStyle() const
{
    graphics::ResultStyle style;
    style.paperTops = true;
    style.fill = QColor(235, 235, 235);
    // Lines keep their width on paper and preview alike; places are in the page's inches.
    style.line = {kThinLine, Unit::Inch};
    style.frameLine = {kThickLine, Unit::Inch};
    style.valueTick = {1.0 / 8.0, Unit::User};
    style.valueGap = {3.0 / 16.0, Unit::User};
    style.axisTick = {3.0 / 32.0, Unit::User};
    style.labelDrop = {1.0 / 8.0, Unit::User};
    style.titleDrop = {kResultGap / 2.0, Unit::User};
    style.titleSize = 14.0;
    style.labelSize = 10.0;
    style.noteSize = 16.0;
    style.font = [this](Surface& surface, double nominal) {
        setReportFont(surface, toPrinter_, nominal);
    };
    return style;
}

void Report::pageResults()
{
    const Parameters& p = ds_.parameters();
    s_.setFontBold(true);
    font(16);
    s_.setFontUnderline(true);
    printCentred(s_, kPageCentre, 10.5, QStringLiteral("Analysis Results"));
    setFontStyle(s_, false, false);

    const std::optional<graphics::GraphRange> range = graphics::getGraphRange(ds_);
    const double left = double(p.position1) * lengthFactor_;
    const double span = graphics::resultSpan(ds_, range);
    const graphics::ResultStyle style = paperStyle();
    for (Result result : kResults) {
        graphics::drawResultGraph(s_,
                                  {kGraphLeft, kGraphWidth, resultBottom(result), kResultHeight},
                                  style, ds_, result, range);
    }
    graphics::drawPositionAxis(s_, {kGraphLeft, kGraphWidth, kAxisY, kResultHeight}, style, units_,
                               numbers::formatGeneral(left),
                               numbers::formatGeneral(graphics::resultEnd(ds_, range)));

    if (p.position1 < 0.0f) {
        const double xz =
            kGraphLeft + std::abs(double(p.position1)) * kGraphWidth * lengthFactor_ / span;
        s_.setFillColor(QColor(255, 255, 255));
        s_.setFillStyle(FillStyle::Solid);
        const double top = kAxisY - 1.0 / 32.0;
        const double wings = top - 1.0 / 8.0;
        s_.lineBy(xz, top, 0.0, -1.0 / 8.0);
        s_.lineBy(xz - 3.0 / 16.0, wings, 3.0 / 8.0, 0.0);
        s_.circle(xz, wings, 3.0 / 64.0);
    }
}

// --- page 3 ---

constexpr double kCovHeight = 1.0;
constexpr double kSwathHeight = 2.0;
constexpr double kSwathGap = 9.0 / 16.0;
// Under each COV graph: its width labels, its axis title and one more line of text.
constexpr double kDepositBottom = 6.3125;
constexpr double kDensityBottom = 1.1875;

void Report::swathSection(swath::Source source, double bottom, const QString& title)
{
    swath::SwathRecord computed;
    if (!swath_) {
        swath::calculateSwathStats(computed, ds_, source, choice_.pattern);
    }
    const swath::SwathRecord& record = swath_ ? swath_->of(source) : computed;
    const double graphBottom = bottom + kCovHeight + kSwathGap;
    // Too few pans to overlap leave nothing to draw under the title.
    if (record.widthCount() >= 1) {
        const int width = swath::effectiveWidth(record, choice_.width(source),
                                                swath::covLimit(choice_.covLimitPercent));
        const graphics::SwathStyle style = paperSwathStyle();
        graphics::drawCovPlot(s_, {kGraphLeft, kGraphWidth, bottom, kCovHeight}, style, ds_, record,
                              width, swath::covLimit(choice_.covLimitPercent));
        graphics::drawBlockPlot(
            s_, {kGraphLeft, kGraphWidth, graphBottom, kSwathHeight}, style, ds_, record,
            swath::buildSwathBlock(record, width, swath::SwathInputs::from(ds_), choice_.pattern),
            source);
        resultLine(record, source, width, bottom);
    }
    // The statistics above are those of the pattern in force; the title says which.
    font(16);
    const QString pattern = choice_.pattern == swath::FlightPattern::Racetrack
                                ? QStringLiteral(" (racetrack)")
                                : QStringLiteral(" (back-and-forth)");
    setFontStyle(s_, true, true);
    const double titleWidth = s_.textWidth(title);
    setFontStyle(s_, false, false);
    s_.setCurrentX(kPageCentre - (titleWidth + s_.textWidth(pattern)) / 2.0);
    s_.setCurrentY(graphBottom + kSwathHeight + 5.0 / 8.0);
    setFontStyle(s_, true, true);
    s_.print(title, false);
    setFontStyle(s_, false, false);
    s_.print(pattern, true);
}

// The section's answer in words under its COV graph, below the width labels and the axis
// title, narrowed to stay on the paper.
void Report::resultLine(const swath::SwathRecord& record, swath::Source source, int width,
                        double bottom)
{
    const QString text = graphics::swathResultLine(ds_, record, width, source, choice_.pattern,
                                                   choice_.covLimitPercent);
    font(10);
    const double labels = 1.0 / 8.0 + 2.0 * s_.textHeight(text);
    const double room = kPageWidth - 1.0;
    if (s_.textWidth(text) > room) {
        font(10.0 * room / s_.textWidth(text));
    }
    printCentred(s_, kPageCentre, bottom - labels - 1.0 / 32.0, text);
}

graphics::SwathStyle Report::paperSwathStyle() const
{
    graphics::SwathStyle style;
    style.line = {kThinLine, Unit::Inch};
    style.frameLine = style.curveLine = {kThickLine, Unit::Inch};
    style.tick = {3.0 / 32.0, Unit::User};
    style.labelDrop = style.valueGap = {1.0 / 8.0, Unit::User};
    // The least room between two labels under an axis.
    style.labelGap = {1.0 / 32.0, Unit::User};
    style.covLine = QColor(150, 150, 150);
    style.overLimit = QColor(232, 232, 232);
    style.chosenLine = QColor(0, 0, 0);
    style.captionGap = {1.0 / 32.0, Unit::User};
    style.legendLine = {1.0 / 4.0, Unit::User};
    style.axisTitles = true;
    style.pointFill = QColor(180, 180, 180);
    style.pointRadius = {1.0 / 32.0, Unit::User};
    style.chosenFill = QColor(0, 0, 0);
    style.chosenRadius = {3.0 / 64.0, Unit::User};
    style.ringRadius = {5.0 / 64.0, Unit::User};
    style.treated = QColor(210, 210, 210);
    style.mean = QColor(180, 180, 180);
    style.block = QColor(0, 0, 0);
    style.single = QColor(130, 130, 130);
    style.labelSize = 10.0;
    style.font = [this](Surface& surface, double nominal) {
        setReportFont(surface, toPrinter_, nominal);
    };
    return style;
}

void Report::pageSwath()
{
    swathSection(swath::Source::Deposit, kDepositBottom, QStringLiteral("Deposit Profile"));
    swathSection(swath::Source::Density, kDensityBottom, QStringLiteral("Density Profile"));
}

} // namespace

int reportPageCount(const DataSet& dataSet)
{
    return kFixedPages + sampleDataPageCount(dataSet);
}

double reportFontSize(const Surface& target, bool toPrinter, double nominalSize)
{
    if (toPrinter) {
        return nominalSize;
    }
    const double inches = nominalSize / 72.0;
    return target.scaleX(inches / kPageWidth * target.scaleWidth(), Unit::User, Unit::Point);
}

QString reportFontFamily(double pointSize)
{
    return pointSize > 7.0 ? kReportFamily : QFont().family();
}

void setReportFont(Surface& target, bool toPrinter, double nominalSize)
{
    const auto size = static_cast<float>(reportFontSize(target, toPrinter, nominalSize));
    target.setFontName(reportFontFamily(size));
    target.setFontSize(size);
}

bool printReport(Surface& target, bool toPrinter, int page, const ReportInputs& inputs,
                 QString* error, const std::function<void(const QString& caption)>& progress)
{
    const auto caption = [&](const QString& text) {
        if (progress) {
            progress(text);
        }
    };
    Report report(target, toPrinter, inputs);
    QString failure;
    bool drawn = false;
    const int pages = reportPageCount(inputs.dataSet);
    for (int n = 1; n <= pages && failure.isEmpty(); ++n) {
        if (page != 0 && page != n) {
            continue;
        }
        if (toPrinter) {
            // A sheet of its own for every page after the first one printed.
            if (drawn && !target.newPage()) {
                failure = QStringLiteral("The printer could not start a new page.");
                break;
            }
            caption(QStringLiteral("Pellamar - Printing Page %1...").arg(n));
        }
        report.startPage();
        switch (n) {
        case 1:
            report.pageParameters();
            break;
        case 2:
            report.pageResults();
            break;
        case 3:
            report.pageSwath();
            break;
        default:
            report.pageSampleData(n - kFixedPages);
            break;
        }
        drawn = true;
    }
    if (failure.isEmpty() && toPrinter && !target.endDocument()) {
        failure = QStringLiteral("The printer could not finish the document.");
    }
    caption(QStringLiteral("Pellamar - Print"));
    if (!failure.isEmpty()) {
        if (error) {
            *error = QStringLiteral("There was an error printing:\n\n") + failure;
        }
        return false;
    }
    return true;
}

void setUpPdf(QPdfWriter& writer)
{
    writer.setCreator(QStringLiteral("Pellamar"));
    writer.setTitle(QStringLiteral("Pellamar report"));
    writer.setResolution(1200);
    writer.setPageLayout(
        QPageLayout(QPageSize(QPageSize::Letter), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
}

} // namespace pellamar::report
