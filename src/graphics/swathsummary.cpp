#include "graphics/swathsummary.h"

#include "core/dataset.h"
#include "core/numbers.h"
#include "core/units.h"
#include "graphics/swathgraphs.h"
#include "swath/analysis.h"

#include <cmath>

namespace pellamar::graphics {

namespace {

QString percentText(double percent, QStringView pattern)
{
    return numbers::format(percent, pattern) + QStringLiteral(" %");
}

// The rule found no width: the COV never rises past the limit as the width grows. Either it is
// within the limit from some width on (the pan line ends before the swath does) or nowhere.
QString noWidthLine(const DataSet& dataSet, const swath::BoundedArray& cov, float limit,
                    int limitPercent)
{
    const QString within = QStringLiteral("COV stays within ") + percentText(limitPercent, u"0");
    const QString widest = widthLabel(dataSet, cov.upper());
    for (int i = cov.lower(); i <= cov.upper(); ++i) {
        if (cov[i] <= limit) {
            const QString from =
                i == cov.lower() ? QString() : QStringLiteral(" from ") + widthLabel(dataSet, i);
            return within + QStringLiteral(" at every width") + from + QStringLiteral(" up to ") +
                   widest + QStringLiteral(": the pan line is too short to find the widest swath");
        }
    }
    return QStringLiteral("COV exceeds ") + percentText(limitPercent, u"0") +
           QStringLiteral(" at every width up to ") + widest +
           QStringLiteral(": no swath width meets the limit");
}

// ", 97 % of the 11.20 kg/ha set", or nothing without a rate to compare with.
QString shareOfRate(const DataSet& dataSet, float mean)
{
    const float rate = dataSet.parameters().productRate;
    if (!(rate > 0.0f)) {
        return {};
    }
    const Units& units = dataSet.units();
    const double shown = units.toDisplay(Quantity::Rate, rate);
    const double share = double(mean) / shown * 100.0;
    if (!std::isfinite(share)) {
        return {};
    }
    return QStringLiteral(", ") + percentText(share, u"0") + QStringLiteral(" of the ") +
           numbers::format(shown, u"0.00") + u' ' + units.rateLabel + QStringLiteral(" set");
}

} // namespace

QString flightPatternName(swath::FlightPattern pattern)
{
    return pattern == swath::FlightPattern::Racetrack ? QStringLiteral("racetrack")
                                                      : QStringLiteral("back-and-forth");
}

QString swathResultLine(const DataSet& dataSet, const swath::SwathRecord& record, int width,
                        swath::Source source, swath::FlightPattern pattern, int limitPercent)
{
    if (record.widthCount() < 2 || record.mean.size() != record.widthCount()) {
        return {};
    }
    const float limit = swath::covLimit(limitPercent);
    const swath::WidthChoice rule = swath::selectSwathWidth(record.cov, limit);
    if (!rule.found && width == rule.width) {
        return noWidthLine(dataSet, record.cov, limit, limitPercent);
    }
    if (width < record.cov.lower() || width > record.cov.upper()) {
        return {};
    }
    const bool deposit = source == swath::Source::Deposit;
    const float mean = record.mean[width];
    const QString unit = dataSet.units().graphUnit(deposit ? Result::Deposit : Result::Density);
    return QStringLiteral("Swath ") + widthLabel(dataSet, width) + QStringLiteral(": COV ") +
           percentText(double(record.cov[width]) * 100.0, u"0.0") + QStringLiteral(" (") +
           flightPatternName(pattern) + QStringLiteral("), mean ") + numbers::format(mean, u"0.0") +
           u' ' + unit + (deposit ? shareOfRate(dataSet, mean) : QString());
}

QString effectiveSwathText(const DataSet& dataSet, int width)
{
    return width > 0 ? widthLabel(dataSet, width) : QStringLiteral("none");
}

QString patternCentreLine(const DataSet& dataSet)
{
    const swath::SwathData data = swath::SwathData::from(dataSet);
    if (data.deposit.empty()) {
        return {};
    }
    const QString caption = QStringLiteral("Pattern centre: ");
    const std::optional<double> centre = swath::patternCentre(data.inputs, data.deposit);
    if (!centre) {
        return caption + QStringLiteral("no deposit measured");
    }
    const double shown = *centre * double(dataSet.units().length);
    const QString distance = numbers::format(std::abs(shown), u"0.0");
    if (distance == QStringLiteral("0.0")) {
        return caption + QStringLiteral("on the flight line");
    }
    return caption + distance + u' ' + dataSet.units().lengthLabel +
           QStringLiteral(" from the flight line, toward the ") +
           (shown > 0.0 ? QStringLiteral("positive") : QStringLiteral("negative")) +
           QStringLiteral(" positions");
}

} // namespace pellamar::graphics
