#include "swath/analysis.h"

namespace pellamar::swath {

bool analyseSwath(SwathAnalysis& analysis, const SwathData& data, FlightPattern pattern,
                  const Progress& progress)
{
    // One source after the other, each spread over every processor; one progress tells of both.
    const auto calculate = [&](SwathRecord& record, Source source, int before) {
        const auto told = [&](int done, int total) {
            return !progress || progress(before * total + done, 2 * total);
        };
        return calculateSwathStats(record, data.inputs, data.values(source), pattern, told);
    };
    return calculate(analysis.deposit, Source::Deposit, 0) &&
           calculate(analysis.density, Source::Density, 1);
}

int effectiveWidth(const SwathRecord& record, int selected, float limit)
{
    const int widths = std::max(record.widthCount(), 1);
    return selected >= 1 && selected <= widths ? selected
                                               : selectSwathWidth(record.cov, limit).width;
}

float covLimit(int percent)
{
    return static_cast<float>(percent / 100.0);
}

EffectiveSwaths effectiveSwaths(const BoundedArray& cov)
{
    EffectiveSwaths widths{};
    for (std::size_t i = 0; i < kCovLimitPercents.size(); ++i) {
        const WidthChoice choice = selectSwathWidth(cov, covLimit(kCovLimitPercents[i]));
        widths[i] = choice.found ? choice.width : 0;
    }
    return widths;
}

std::optional<double> patternCentre(const SwathInputs& inputs, std::span<const float> pans)
{
    double weight = 0.0;
    double moment = 0.0;
    for (std::size_t i = 0; i < pans.size(); ++i) {
        const double row = inputs.firstDataRow + static_cast<double>(i);
        const double position = double(inputs.position1) + (row - 1.0) * double(inputs.separation);
        weight += double(pans[i]);
        moment += position * double(pans[i]);
    }
    if (!(weight > 0.0)) {
        return std::nullopt;
    }
    return moment / weight;
}

} // namespace pellamar::swath
